// quorril-pack implode / explode: compress a file into a raw DCL implode
// stream and expand one back.
//
// Both commands write their result beside OUT and move it into place only
// when everything succeeded (an OutputSet); on any failure the temporary
// file is deleted, so OUT is either the complete result or untouched.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "implode_file.h"
#include "package/explode.h"
#include "package/implode.h"

namespace quorril::pack {
namespace {

const char kImplodeSynopsis[] = "implode [--ascii] [--dict 1024|2048|4096] [--level N] IN OUT";
const char kImplodeHelp[] =
    "usage: quorril-pack implode [--ascii] [--dict 1024|2048|4096] [--level N] IN OUT\n"
    "\n"
    "Compresses the file IN into a raw DCL implode stream written to OUT, the\n"
    "format of the members of a shrunk-file container.\n"
    "\n"
    "  --ascii      code literals with the fixed ASCII table (smaller for\n"
    "               text); the default codes every literal as a plain byte\n"
    "  --dict N     dictionary (window) size: 1024, 2048 or 4096 (default)\n"
    "  --level N    1 (fastest) to 9 (smallest output); default 4\n"
    "\n"
    "IN is read as a stream (a pipe will do) in bounded memory; an input of\n"
    "4 GiB or more is refused. OUT is written only when the compression\n"
    "succeeded.\n"
    "Exit codes: 0 done, 1 IN is 4 GiB or more, 2 a file cannot be read or\n"
    "written, 64 wrong usage.\n";

const char kExplodeSynopsis[] = "explode IN OUT";
const char kExplodeHelp[] =
    "usage: quorril-pack explode IN OUT\n"
    "\n"
    "Expands the raw DCL implode stream in the file IN (binary or ASCII\n"
    "literals, any dictionary size) into the file OUT, exactly as the setup\n"
    "engine expands the members of a shrunk-file container.\n"
    "\n"
    "A stream the engine would refuse is refused here with the decoder's\n"
    "result: 1 dictionary bits not 4, 5 or 6; 2 literal mode not 0 or 1;\n"
    "3 stream shorter than 5 bytes; 4 input ended before the end marker.\n"
    "OUT is written only when the whole stream was expanded.\n"
    "Exit codes: 0 done, 1 the stream is corrupt, 2 a file cannot be read or\n"
    "written, 64 wrong usage.\n";

// The option values have always been read with at most nine characters,
// leading zeros included.
constexpr size_t kOptionDigits = 9;

int RunImplode(const std::vector<std::string>& args) {
  const char* name = "implode";
  ImplodeOptions options;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--ascii") {
      options.ascii = true;
    } else if (a == "--dict" || a == "--level") {
      if (i + 1 == args.size()) return Usage(name, a + " needs a value", kImplodeSynopsis);
      uint64_t value = 0;
      const std::string& text = args[++i];
      if (a == "--dict") {
        if (!ParseDecimal(text, 4096, &value, kOptionDigits) || (value != 1024 && value != 2048 && value != 4096))
          return Usage(name, "dictionary size '" + text + "' is not 1024, 2048 or 4096", kImplodeSynopsis);
        options.dictionarySize = unsigned(value);
      } else {
        if (!ParseDecimal(text, uint64_t(kImplodeMaxLevel), &value, kOptionDigits) ||
            value < uint64_t(kImplodeMinLevel))
          return Usage(name, "level '" + text + "' is not 1 to 9", kImplodeSynopsis);
        options.level = int(value);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(name, "unknown option '" + a + "'", kImplodeSynopsis);
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 2) return Usage(name, "needs IN and OUT", kImplodeSynopsis);
  if (files[1].empty()) return Usage(name, "OUT is empty", kImplodeSynopsis);

  // The input streams through the compressor: its size (a pipe or a
  // device without end included) costs no memory.
  OutputSet out(name);
  if (!out.Open(files[1])) return kExitIo;
  int result = ImplodeHostFile(name, files[0], options,
                               [&](const uint8_t* bytes, size_t size) { return out.Write(bytes, size); });
  if (result == kImplodeOk) return out.Commit() ? kExitOk : kExitIo;
  if (result == kImplodeTooLarge) return kExitBadInput;
  return result == kImplodeReadFailed || result == kImplodeWriteFailed ? kExitIo : kExitUsage;
}

// Callback state of ExplodeStream over two files.
struct ExplodeFiles {
  FILE* in;
  OutputSet* out;
  bool readFailed = false;
  bool writeFailed = false;
};

unsigned int ReadInput(char* buffer, unsigned int* size, void* user) {
  auto* files = static_cast<ExplodeFiles*>(user);
  if (files->writeFailed || files->readFailed) return 0;  // stops the decoder
  size_t got = std::fread(buffer, 1, *size, files->in);
  if (got < *size && std::ferror(files->in)) files->readFailed = true;
  return unsigned(got);
}

void WriteOutput(char* buffer, unsigned int* size, void* user) {
  auto* files = static_cast<ExplodeFiles*>(user);
  if (!files->out->Write(buffer, *size)) files->writeFailed = true;
}

int RunExplode(const std::vector<std::string>& args) {
  const char* name = "explode";
  std::vector<std::string> files;
  for (const std::string& a : args) {
    if (a.size() > 1 && a[0] == '-')
      return Usage(name, "unknown option '" + a + "'", kExplodeSynopsis);
    files.push_back(a);
  }
  if (files.size() != 2) return Usage(name, "needs IN and OUT", kExplodeSynopsis);
  if (files[1].empty()) return Usage(name, "OUT is empty", kExplodeSynopsis);

  FILE* in = OpenHostFile(name, files[0]);
  if (!in) return kExitIo;
  OutputSet out(name);
  if (!out.Open(files[1])) {
    std::fclose(in);
    return kExitIo;
  }
  ExplodeFiles state{in, &out};
  std::vector<uint8_t> work(kExplodeWorkAreaSize, 0);
  int result = ExplodeStream(ReadInput, WriteOutput, work.data(), &state);
  std::fclose(in);
  if (state.readFailed) {
    std::fprintf(stderr, "quorril-pack explode: cannot read '%s'\n", Printable(files[0]).c_str());
    return kExitIo;
  }
  if (state.writeFailed) return kExitIo;  // told by the output
  if (result != kExplodeOk) {
    std::fprintf(stderr, "quorril-pack explode: '%s' is not a valid stream: %s (result %d)\n",
                 Printable(files[0]).c_str(), ExplodeResultText(result), result);
    return kExitBadInput;
  }
  if (!out.Commit()) return kExitIo;
  return kExitOk;
}

const CommandRegistration kImplodeCommand({"implode", kImplodeSynopsis, kImplodeHelp, RunImplode});
const CommandRegistration kExplodeCommand({"explode", kExplodeSynopsis, kExplodeHelp, RunExplode});

}  // namespace
}  // namespace quorril::pack
