// Fuzz target for ExplodeStream: any bytes as a stream.
//
// The stream is decoded three ways and all must agree: in 2048-byte reads,
// with the first 5 bytes and then one byte per read (the decoder's careful
// path), and by the slow bit-at-a-time decoder below, written straight from
// the format notes in explode.h. The results and outputs must be equal, and
// the output must come in blocks of 4096 bytes and one shorter last block. The work area is a heap block of exactly
// the documented size, so the sanitizer sees any access past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/explode.h"

namespace {

using namespace quorril;

struct Run {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  size_t chunk;
  bool first = true;
  std::vector<uint8_t> out;
  std::vector<unsigned> blocks;
};

unsigned Read(char* buffer, unsigned* size, void* user) {
  Run* run = static_cast<Run*>(user);
  size_t n = run->first ? *size : run->chunk;
  if (run->first && run->chunk < *size) n = 5;
  run->first = false;
  if (n > run->size - run->pos) n = run->size - run->pos;
  if (n > *size) n = *size;
  if (n) std::memcpy(buffer, run->data + run->pos, n);
  run->pos += n;
  return unsigned(n);
}

void Write(char* buffer, unsigned* size, void* user) {
  Run* run = static_cast<Run*>(user);
  if (*size > 4096) std::abort();
  run->blocks.push_back(*size);
  run->out.insert(run->out.end(), buffer, buffer + *size);
}

int Decode(const uint8_t* data, size_t size, size_t chunk, Run* run) {
  run->data = data;
  run->size = size;
  run->chunk = chunk;
  uint8_t* work = static_cast<uint8_t*>(std::calloc(1, kExplodeWorkAreaSize));
  int result = ExplodeStream(Read, Write, work, run);
  std::free(work);
  return result;
}

// The slow decoder: one bit at a time, codes found by searching the tables.
struct Slow {
  const uint8_t* data;
  size_t totalBits;
  size_t pos = 0;

  unsigned Peek(unsigned n) const {  // bits past the end read as 0
    unsigned v = 0;
    for (unsigned i = 0; i < n; ++i) {
      size_t p = pos + i;
      if (p < totalBits && ((data[p / 8] >> (p % 8)) & 1)) v |= 1u << i;
    }
    return v;
  }
  // A drop is allowed only when 8 more bits follow.
  bool CanDrop(unsigned n) const { return pos + n + 8 <= totalBits; }
  template <int N>
  int Symbol(const uint8_t (&bits)[N], const uint16_t (&codes)[N], unsigned* length) const {
    unsigned next = Peek(13);
    for (unsigned n = 1; n <= 13; ++n)
      for (int s = 0; s < N; ++s)
        if (bits[s] == n && codes[s] == (next & ((1u << n) - 1))) {
          *length = n;
          return s;
        }
    std::abort();  // the codes are complete
  }
};

int SlowDecode(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  if (size < 5) return kExplodeShortStream;
  if (data[1] < 4 || data[1] > 6) return kExplodeBadDictionaryBits;
  if (data[0] > 1) return kExplodeBadLiteralMode;
  bool ascii = data[0] == 1;
  unsigned dictBits = data[1];
  Slow s{data + 2, (size - 2) * 8};
  std::vector<uint8_t> all(4096, 0);
  for (;;) {
    if (!s.CanDrop(1)) break;
    bool match = s.Peek(1);
    s.pos += 1;
    unsigned n;
    if (!match) {
      int b;
      if (ascii) {
        b = s.Symbol(dcl::kAsciiCodes.bits, dcl::kAsciiCodes.code, &n);
      } else {
        b = int(s.Peek(8));
        n = 8;
      }
      if (!s.CanDrop(n)) break;
      s.pos += n;
      all.push_back(uint8_t(b));
      continue;
    }
    int c = s.Symbol(dcl::kLengthCodes.bits, dcl::kLengthCodes.code, &n);
    if (!s.CanDrop(n)) break;
    s.pos += n;
    unsigned extra = dcl::kLengthExtraBits[c];
    unsigned v = dcl::kLengthBase[c] + s.Peek(extra);
    if (!s.CanDrop(extra)) {
      if (v == unsigned(dcl::kEndValue)) return out->assign(all.begin() + 4096, all.end()), kExplodeOk;
      break;
    }
    s.pos += extra;
    if (v == unsigned(dcl::kEndValue)) return out->assign(all.begin() + 4096, all.end()), kExplodeOk;
    int d = s.Symbol(dcl::kDistanceCodes.bits, dcl::kDistanceCodes.code, &n);
    if (!s.CanDrop(n)) break;
    s.pos += n;
    unsigned low = v == 0 ? 2 : dictBits;
    unsigned distance = (unsigned(d) << low) + s.Peek(low) + 1;
    if (!s.CanDrop(low)) break;
    s.pos += low;
    for (unsigned i = 0; i < v + 2; ++i) {
      uint8_t b = all[all.size() - distance];
      all.push_back(b);
    }
  }
  out->assign(all.begin() + 4096, all.end());
  return kExplodeTruncated;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Run whole;
  int result = Decode(data, size, 2048, &whole);
  Run bytewise;
  int bytewiseResult = Decode(data, size, 1, &bytewise);
  std::vector<uint8_t> slow;
  int slowResult = SlowDecode(data, size, &slow);

  if (result < 0 || result > 4) std::abort();
  if (result != bytewiseResult || result != slowResult) std::abort();
  if (result <= 3 && result != 0) {
    if (!whole.blocks.empty()) std::abort();  // refused before any write
    return 0;
  }
  if (whole.out != slow) std::abort();
  if (bytewise.out != whole.out || bytewise.blocks != whole.blocks) std::abort();
  // Blocks of 4096 bytes, then one shorter final block.
  if (whole.blocks.empty() || whole.blocks.back() >= 4096) std::abort();
  for (size_t i = 0; i + 1 < whole.blocks.size(); ++i)
    if (whole.blocks[i] != 4096) std::abort();
  return 0;
}
