// Fuzz target for ImplodeBuffer: the first byte chooses the literal mode, the
// dictionary size and the level; the rest is compressed, and ExplodeStream
// must give it back exactly. Round trips also go through one-byte reads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/explode.h"
#include "package/implode.h"

namespace {

struct Run {
  const std::vector<uint8_t>* stream;
  size_t pos = 0;
  size_t chunk;
  bool first = true;
  std::vector<uint8_t> out;
};

unsigned Read(char* buffer, unsigned* size, void* user) {
  Run* run = static_cast<Run*>(user);
  size_t n = run->first ? (run->chunk < *size ? 5 : *size) : run->chunk;
  run->first = false;
  if (n > run->stream->size() - run->pos) n = run->stream->size() - run->pos;
  if (n) std::memcpy(buffer, run->stream->data() + run->pos, n);
  run->pos += n;
  return unsigned(n);
}

void Write(char* buffer, unsigned* size, void* user) {
  Run* run = static_cast<Run*>(user);
  run->out.insert(run->out.end(), buffer, buffer + *size);
}

void CheckExplode(const std::vector<uint8_t>& stream, const uint8_t* data, size_t size,
                  size_t chunk) {
  Run run;
  run.stream = &stream;
  run.chunk = chunk;
  std::vector<uint8_t> work(quorril::kExplodeWorkAreaSize, 0);
  if (quorril::ExplodeStream(Read, Write, work.data(), &run) != quorril::kExplodeOk) std::abort();
  if (run.out.size() != size || (size && std::memcmp(run.out.data(), data, size) != 0)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  quorril::ImplodeOptions options;
  options.ascii = data[0] & 1;
  options.dictionarySize = 1024u << ((data[0] >> 1) % 3);
  options.level = 1 + (data[0] >> 3) % 9;
  ++data;
  --size;
  std::vector<uint8_t> stream;
  if (quorril::ImplodeBuffer(data, size, options, &stream) != quorril::kImplodeOk) std::abort();
  if (stream.size() < 5) std::abort();
  // Never more than the literals alone would cost (9 to 14 bits a byte).
  if (stream.size() > 2 + (size * 14 + 7) / 8 + 3) std::abort();
  CheckExplode(stream, data, size, 2048);
  CheckExplode(stream, data, size, 1);
  return 0;
}
