// quorril-pack simulate: reads the package or script, its folder and the
// answers file from the host, runs the simulation (simulate.h) and writes
// its report and, when asked, the journal.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "commands.h"
#include "host_files.h"
#include "simulate.h"

namespace quorril::pack {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMaxInputSize = 1024u * 1024 * 1024;
// The folder's files are loaded whole up to this size (they are what the
// run installs); larger ones are present but empty.
constexpr uintmax_t kMaxLoadedFileSize = 256u * 1024 * 1024;

const char kSynopsis[] = "simulate [options] [--answers FILE] [--journal OUT] PACKAGE|SCRIPT";

int Unreadable(const std::string& message) {
  std::fprintf(stderr, "quorril-pack simulate: %s\n", message.c_str());
  return kSimulateUnreadable;
}

int RunSimulate(const std::vector<std::string>& args) {
  SimulateRequest request;
  std::string error;
  if (!ParseSimulateArguments(args, &request, &error)) return Usage("simulate", error, kSynopsis);

  SimulateInput input;
  fs::path path(request.machine.script);
  std::error_code ec;
  CheckFile main;
  main.name = path.filename().string();
  if (main.name.empty() || !fs::is_regular_file(path, ec) ||
      !ReadHostFile(nullptr, request.machine.script, &main.contents, kMaxInputSize))
    return Unreadable("cannot read " + request.machine.script);
  HostModified(nullptr, request.machine.script, &main.modified);
  // An engine begins with the executable's "MZ"; a script never does.
  input.package = main.contents.compare(0, 2, "MZ") == 0;
  input.folder.scriptName = main.name;
  input.folder.files.push_back(std::move(main));
  fs::path folder = path.parent_path();
  LoadCheckFolder(folder.empty() ? fs::path(".") : folder, path, &input.folder);
  for (CheckFile& file : input.folder.files) {
    if (file.hostPath.empty()) continue;
    std::error_code sizeError;
    if (fs::file_size(file.hostPath, sizeError) <= kMaxLoadedFileSize && !sizeError)
      ReadHostFile(nullptr, file.hostPath, &file.contents, kMaxLoadedFileSize);
    file.hostPath.clear();
  }

  for (const auto& [windowsPath, hostPath] : request.puts) {
    CheckFile put;
    put.name = windowsPath;
    if (!ReadHostFile(nullptr, hostPath, &put.contents, kMaxLoadedFileSize) ||
        !HostModified(nullptr, hostPath, &put.modified))
      return Unreadable("cannot read " + hostPath);
    input.puts.push_back(std::move(put));
  }

  if (!request.answersPath.empty()) {
    std::string bytes;
    if (!ReadHostFile(nullptr, request.answersPath, &bytes, kAnswersFileLimit + 1))
      return Unreadable("cannot read " + request.answersPath);
    AnswersResult read = ReadAnswers(bytes, &input.answers);
    if (read.status != AnswersStatus::kOk) return Unreadable(request.answersPath + ": " + read.Message());
  }

  SimulateResult result = RunSimulation(request, input);
  std::fputs(result.output.c_str(), stdout);
  if (!request.journalPath.empty()) {
    if (!result.hasJournal) {
      // No journal: the real run writes none either; an old one must not
      // be mistaken for this run's.
      fs::remove(request.journalPath, ec);
    } else {
      FILE* out = std::fopen(request.journalPath.c_str(), "wb");
      bool written = out && std::fwrite(result.journal.data(), 1, result.journal.size(), out) == result.journal.size();
      if (out && std::fclose(out) != 0) written = false;
      if (!written) return Unreadable("cannot write " + request.journalPath);
    }
  }
  return result.exitCode;
}

const char kHelp[] =
    "usage: quorril-pack simulate [options] [--answers FILE] [--journal OUT] PACKAGE|SCRIPT\n"
    "\n"
    "Runs the engine's own start-up, run sequence and exit phase on the in-memory\n"
    "machine of 'check', without a window, answering every question as\n"
    "/VERYSILENT does: from the answers file (see the README), else the default.\n"
    "A PACKAGE (the engine with its payload) runs as C:\\SETUP\\<its name>; a\n"
    "SCRIPT is started by name from C:\\SETUP\\SETUP.EXE. The files of the\n"
    "input's folder lie beside it in C:\\SETUP.\n"
    "\n"
    "options: those of 'check' (--winver, --dosver, --memory, --colors, --screen,\n"
    "--file, --option), and\n"
    "  --answers FILE      the answers file\n"
    "  --journal OUT       writes the install.log bytes the run would write (and\n"
    "                      removes OUT when the run writes no journal)\n"
    "  --windows-dir PATH  the Windows directory (default C:\\WINDOWS)\n"
    "  --system-dir PATH   the system directory (default C:\\WINDOWS\\SYSTEM)\n"
    "  --put PATH HOSTFILE a file at the full Windows PATH before the run, with\n"
    "                      the contents and date of HOSTFILE; repeatable\n"
    "  --processor N       the processor: 386, 486 or 586 (default 586, as any\n"
    "                      processor of today reports itself to MINCPUTYPE)\n"
    "\n"
    "output: \"SIMULATE: installed\" or \"SIMULATE: stopped\" (with \"stopped by:\" and\n"
    "the message that stopped it), then, indented by two blanks: every answer and\n"
    "message (\"question: TEXT Yes\", \"answer: ASK1 TEXT\", \"destination: PATH\",\n"
    "\"message: TEXT\", \"screen: OK\"), the directories made, the files written\n"
    "(\"file PATH N bytes new|replaced\", \"file PATH kept\", \"file PATH deleted\"),\n"
    "every other journal line (\"change LINE\"), the programs started and the\n"
    "restart.\n"
    "\n"
    "exit codes: 0 the installation would succeed; 1 it would stop; 2 the input\n"
    "or the answers file cannot be read (the reason on standard error); 64 wrong\n"
    "usage.\n";

const std::string kListed = std::string(kSynopsis) + "   show what an installation would do";
const CommandRegistration kRegistration(Command{"simulate", kListed.c_str(), kHelp, RunSimulate});

}  // namespace
}  // namespace quorril::pack
