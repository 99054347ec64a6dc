// DCL codec benchmarks: ExplodeStream and ImplodeBuffer against the
// reference PKWARE DCL library (linked here only, when it is installed) on
// two corpora read from the machine at run time:
//   executables  Windows DLLs and EXEs (the mingw-w64 runtime, Wine's
//                i386 builtins) then ELF programs from /usr/bin
//   text         licences and documentation from /usr/share, then C headers
// Each corpus is at least 16 MiB (QUORRIL_BENCH_MIB overrides the size).
//
// explode/<corpus>/<mode>/<dict>/{ours,ref}: both decoders on the same
// streams (the reference compressor's), throughput in bytes of output.
// implode/<corpus>/<mode>/<dict>/{ours-L<level>,ref}, every level: throughput
// in bytes of input; the counters give the stream size and the ratio
// (stream / input). The summary names the level of the smallest stream.
// A summary table comparing ours with the reference closes the run. Times
// are CPU time of the running thread.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <time.h>

#include "package/explode.h"
#include "package/implode.h"

#ifdef QUORRIL_HAVE_STORM
extern "C" {
unsigned int implode(unsigned int (*read)(char*, unsigned int*, void*),
                     void (*write)(char*, unsigned int*, void*), char* work, void* param,
                     unsigned int* type, unsigned int* dictionarySize);
unsigned int explode(unsigned int (*read)(char*, unsigned int*, void*),
                     void (*write)(char*, unsigned int*, void*), char* work, void* param);
}
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// ---- corpora ----------------------------------------------------------------------

size_t CorpusSize() {
  const char* mib = std::getenv("QUORRIL_BENCH_MIB");
  long n = mib ? std::atol(mib) : 16;
  return size_t(n > 0 ? n : 16) << 20;
}

std::vector<fs::path> FilesUnder(const std::vector<std::string>& roots) {
  std::vector<fs::path> all;
  for (const std::string& root : roots) {
    std::vector<fs::path> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      std::error_code e2;
      if (it->is_symlink(e2) || !it->is_regular_file(e2)) continue;
      files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    all.insert(all.end(), files.begin(), files.end());
  }
  return all;
}

bool ReadFile(const fs::path& path, Bytes* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, f)) > 0) out->insert(out->end(), block, block + got);
  std::fclose(f);
  return true;
}

// Concatenates the files that `accept` takes, in order, up to `size` bytes;
// no single file gives more than a quarter of it.
template <typename Accept>
Bytes Gather(const std::vector<std::string>& roots, size_t size, Accept accept) {
  Bytes corpus;
  Bytes file;
  for (const fs::path& p : FilesUnder(roots)) {
    if (corpus.size() >= size) break;
    if (!ReadFile(p, &file) || file.size() < 512 || !accept(p, file)) continue;
    size_t take = std::min({file.size(), size / 4, size - corpus.size()});
    corpus.insert(corpus.end(), file.begin(), file.begin() + take);
  }
  return corpus;
}

const Bytes& Executables() {
  static const Bytes corpus = Gather(
      {"/usr/lib/gcc/x86_64-w64-mingw32", "/usr/lib/gcc/i686-w64-mingw32", "/usr/x86_64-w64-mingw32/lib",
       "/usr/i686-w64-mingw32/lib", "/usr/lib/x86_64-linux-gnu/wine/i386-windows", "/usr/bin"},
      CorpusSize(), [](const fs::path& p, const Bytes& b) {
        bool pe = b[0] == 'M' && b[1] == 'Z';
        bool elf = b[0] == 0x7F && b[1] == 'E' && b[2] == 'L' && b[3] == 'F';
        std::string ext = p.extension().string();
        return pe || (elf && ext.empty());
      });
  return corpus;
}

const Bytes& Text() {
  static const Bytes corpus = Gather(
      {"/usr/share/common-licenses", "/usr/share/doc", "/usr/include"}, CorpusSize(),
      [](const fs::path& p, const Bytes& b) {
        std::string ext = p.extension().string();
        if (ext == ".gz" || ext == ".bz2" || ext == ".xz" || ext == ".png" || ext == ".jpg" ||
            ext == ".gif" || ext == ".pdf" || ext == ".svgz" || ext == ".woff" || ext == ".ttf")
          return false;
        // Plain text: no NUL and few control bytes.
        size_t control = 0;
        for (uint8_t c : b) {
          if (c == 0) return false;
          if (c < 32 && c != '\n' && c != '\r' && c != '\t' && c != '\f') ++control;
        }
        return control * 100 < b.size();
      });
  return corpus;
}

const Bytes& Corpus(int which) { return which == 0 ? Executables() : Text(); }
const char* CorpusName(int which) { return which == 0 ? "executables" : "text"; }

// ---- callbacks over memory ----------------------------------------------------------

struct MemoryIo {
  const uint8_t* in;
  size_t inSize;
  size_t inPos;
  uint8_t* out;
  size_t outCapacity;
  size_t outPos;
};

unsigned ReadMemory(char* buffer, unsigned* size, void* user) {
  MemoryIo* io = static_cast<MemoryIo*>(user);
  size_t n = std::min<size_t>(*size, io->inSize - io->inPos);
  std::memcpy(buffer, io->in + io->inPos, n);
  io->inPos += n;
  return unsigned(n);
}

void WriteMemory(char* buffer, unsigned* size, void* user) {
  MemoryIo* io = static_cast<MemoryIo*>(user);
  size_t n = std::min<size_t>(*size, io->outCapacity - io->outPos);
  std::memcpy(io->out + io->outPos, buffer, n);
  io->outPos += n;
}

// ---- the summary ----------------------------------------------------------------

struct Figures {
  double bestSeconds = 1e30;
  size_t bytes = 0;   // bytes that the throughput counts
  size_t stream = 0;  // compressed size (implode)
};
std::map<std::string, Figures>& Results() {
  static std::map<std::string, Figures> results;
  return results;
}

void Record(const std::string& key, double seconds, size_t bytes, size_t stream) {
  Figures& f = Results()[key];
  f.bestSeconds = std::min(f.bestSeconds, seconds);
  f.bytes = bytes;
  f.stream = stream;
}

// Time is the thread's CPU time, so that other work on the machine does not
// count against either side.
double CpuNow() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
double Seconds(double start) { return CpuNow() - start; }

std::string Key(const char* what, int corpus, bool ascii, unsigned dict) {
  return std::string(what) + "/" + CorpusName(corpus) + "/" + (ascii ? "ascii" : "binary") + "/" +
         std::to_string(dict);
}

// ---- streams -----------------------------------------------------------------------

#ifdef QUORRIL_HAVE_STORM
Bytes ReferenceImplode(const Bytes& data, bool ascii, unsigned dict) {
  Bytes out(data.size() * 2 + 4096);
  std::vector<char> work(65536);  // more than the library's work area
  MemoryIo io{data.data(), data.size(), 0, out.data(), out.size(), 0};
  unsigned type = ascii ? 1 : 0, size = dict;
  implode(ReadMemory, WriteMemory, work.data(), &io, &type, &size);
  out.resize(io.outPos);
  return out;
}

// The reference compressor's stream for each case, made once.
const Bytes& ReferenceStream(int corpus, bool ascii, unsigned dict) {
  static std::map<std::string, Bytes> streams;
  std::string key = Key("stream", corpus, ascii, dict);
  auto it = streams.find(key);
  if (it == streams.end()) it = streams.emplace(key, ReferenceImplode(Corpus(corpus), ascii, dict)).first;
  return it->second;
}
#endif

// ---- benchmarks --------------------------------------------------------------------

void BM_Explode(benchmark::State& state, int corpus, bool ascii, unsigned dict, bool reference) {
#ifdef QUORRIL_HAVE_STORM
  const Bytes& data = Corpus(corpus);
  const Bytes& stream = ReferenceStream(corpus, ascii, dict);
  Bytes out(data.size() + 8192);
  std::vector<uint8_t> work(reference ? 65536 : quorril::kExplodeWorkAreaSize, 0);
  for (auto _ : state) {
    MemoryIo io{stream.data(), stream.size(), 0, out.data(), out.size(), 0};
    double start = CpuNow();
    int result = reference ? int(explode(ReadMemory, WriteMemory, reinterpret_cast<char*>(work.data()), &io))
                           : quorril::ExplodeStream(ReadMemory, WriteMemory, work.data(), &io);
    double seconds = Seconds(start);
    state.SetIterationTime(seconds);
    if (result != 0 || io.outPos != data.size() || std::memcmp(out.data(), data.data(), data.size()) != 0) {
      state.SkipWithError("wrong output");
      break;
    }
    Record(Key(reference ? "explode-ref" : "explode-ours", corpus, ascii, dict), seconds, data.size(), 0);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
#else
  state.SkipWithError("the reference library is not installed");
#endif
}

void BM_Implode(benchmark::State& state, int corpus, bool ascii, unsigned dict, int level) {
  const Bytes& data = Corpus(corpus);
  size_t streamSize = 0;
  for (auto _ : state) {
    double start = CpuNow();
    if (level == 0) {
#ifdef QUORRIL_HAVE_STORM
      streamSize = ReferenceImplode(data, ascii, dict).size();
#else
      state.SkipWithError("the reference library is not installed");
      break;
#endif
    } else {
      quorril::ImplodeOptions options;
      options.ascii = ascii;
      options.dictionarySize = dict;
      options.level = level;
      Bytes stream;
      quorril::ImplodeBuffer(data.data(), data.size(), options, &stream);
      streamSize = stream.size();
    }
    double seconds = Seconds(start);
    state.SetIterationTime(seconds);
    std::string what = level == 0 ? "implode-ref" : "implode-ours-L" + std::to_string(level);
    Record(Key(what.c_str(), corpus, ascii, dict), seconds, data.size(), streamSize);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(data.size()));
  state.counters["size"] = double(streamSize);
  state.counters["ratio"] = data.empty() ? 0.0 : double(streamSize) / double(data.size());
}

int RegisterAll() {
  for (int corpus : {0, 1})
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        std::string tail = std::string(CorpusName(corpus)) + "/" + (ascii ? "ascii" : "binary") + "/" +
                           std::to_string(dict);
        for (bool reference : {false, true})
          benchmark::RegisterBenchmark(("explode/" + tail + (reference ? "/ref" : "/ours")).c_str(),
                                       BM_Explode, corpus, ascii, dict, reference)
              ->UseManualTime()
              ->Unit(benchmark::kMillisecond)
              ->MinTime(1.0);
      }
  for (int corpus : {0, 1})
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        std::string tail = std::string(CorpusName(corpus)) + "/" + (ascii ? "ascii" : "binary") + "/" +
                           std::to_string(dict);
        for (int level = 0; level <= quorril::kImplodeMaxLevel; ++level) {
          std::string name = "implode/" + tail + (level == 0 ? "/ref" : "/ours-L" + std::to_string(level));
          benchmark::RegisterBenchmark(name.c_str(), BM_Implode, corpus, ascii, dict, level)
              ->UseManualTime()
              ->Unit(benchmark::kMillisecond)
              ->MinTime(1.5);
        }
      }
  return 0;
}

void PrintSummary() {
  const auto& r = Results();
  if (r.empty()) return;
  auto mbps = [](const Figures& f) { return double(f.bytes) / f.bestSeconds / 1e6; };
  std::printf("\nSummary (best run of each case, CPU time; MB/s = 10^6 bytes/s)\n");
  std::printf("%-28s %12s %12s %8s\n", "explode (reference streams)", "ours MB/s", "ref MB/s", "speed-up");
  for (int corpus : {0, 1})
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        auto ours = r.find(Key("explode-ours", corpus, ascii, dict));
        auto ref = r.find(Key("explode-ref", corpus, ascii, dict));
        if (ours == r.end() || ref == r.end()) continue;
        std::string label = std::string(CorpusName(corpus)) + " " + (ascii ? "ascii" : "binary") + " " +
                            std::to_string(dict);
        std::printf("%-28s %12.1f %12.1f %7.2fx\n", label.c_str(), mbps(ours->second), mbps(ref->second),
                    mbps(ours->second) / mbps(ref->second));
      }
  std::printf("\n%-24s %-6s %12s %9s %9s %12s %8s\n", "implode", "", "size", "ratio", "MB/s", "vs ref size",
              "speed");
  for (int corpus : {0, 1})
    for (bool ascii : {false, true})
      for (unsigned dict : {1024u, 2048u, 4096u}) {
        auto ref = r.find(Key("implode-ref", corpus, ascii, dict));
        std::string label = std::string(CorpusName(corpus)) + " " + (ascii ? "ascii" : "binary") + " " +
                            std::to_string(dict);
        if (ref != r.end())
          std::printf("%-24s %-6s %12zu %9.4f %9.1f\n", label.c_str(), "ref", ref->second.stream,
                      double(ref->second.stream) / double(ref->second.bytes), mbps(ref->second));
        size_t smallest = SIZE_MAX;
        int smallestLevel = 0;
        for (int level = quorril::kImplodeMinLevel; level <= quorril::kImplodeMaxLevel; ++level) {
          auto ours = r.find(Key(("implode-ours-L" + std::to_string(level)).c_str(), corpus, ascii, dict));
          if (ours == r.end()) continue;
          if (ours->second.stream < smallest) {
            smallest = ours->second.stream;
            smallestLevel = level;
          }
          std::string tag = "L" + std::to_string(level);
          std::printf("%-24s %-6s %12zu %9.4f %9.1f", label.c_str(), tag.c_str(), ours->second.stream,
                      double(ours->second.stream) / double(ours->second.bytes), mbps(ours->second));
          if (ref != r.end())
            std::printf(" %+11.2f%% %7.2fx", 100.0 * (double(ours->second.stream) / double(ref->second.stream) - 1),
                        mbps(ours->second) / mbps(ref->second));
          std::printf("\n");
        }
        auto top = r.find(Key(("implode-ours-L" + std::to_string(quorril::kImplodeMaxLevel)).c_str(), corpus,
                              ascii, dict));
        if (top != r.end() && smallestLevel != 0)
          std::printf("%-24s smallest stream: L%d%s\n", label.c_str(), smallestLevel,
                      top->second.stream == smallest ? " (the top level's)" : ", SMALLER THAN THE TOP LEVEL'S");
      }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::printf("corpora: executables %zu bytes, text %zu bytes\n", Executables().size(), Text().size());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
