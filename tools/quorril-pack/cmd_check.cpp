// quorril-pack check: runs the engine's script parser, both passes, on an
// in-memory machine and reports the first syntax error the way the engine
// would, or a summary of what the script declares.
//
// This file only reads the host's files: the script and its folder, which
// become C:\SETUP on the checked machine (check_machine.h). The check itself
// is the core's (src/script/check.h).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "check_machine.h"
#include "commands.h"
#include "host_files.h"

namespace quorril::pack {
namespace {

namespace fs = std::filesystem;

constexpr uintmax_t kMaxScriptSize = 64u * 1024 * 1024;

const char kSynopsis[] = "check [options] SCRIPT";

int RunCheck(const std::vector<std::string>& args) {
  CheckRequest request;
  std::string error;
  if (!ParseCheckArguments(args, &request, &error)) return Usage("check", error, kSynopsis);
  fs::path script(request.script);
  CheckPackage package;
  package.scriptName = script.filename().string();
  CheckFile scriptFile;
  scriptFile.name = package.scriptName;
  std::error_code ec;
  if (fs::is_directory(script, ec))
    std::fprintf(stderr, "quorril-pack check: '%s' is a directory; give the script file in it\n",
                 Printable(request.script).c_str());
  package.scriptReadable = !package.scriptName.empty() && fs::is_regular_file(script, ec) &&
                           ReadHostFile(nullptr, request.script, &scriptFile.contents, kMaxScriptSize);
  if (package.scriptReadable) {
    package.files.push_back(std::move(scriptFile));
    fs::path folder = script.parent_path();
    LoadCheckFolder(folder.empty() ? fs::path(".") : folder, script, &package);
  }
  CheckResult result = RunScriptCheck(request, package);
  std::fputs(result.output.c_str(), stdout);
  return result.exitCode;
}

const char kHelp[] =
    "usage: quorril-pack check [options] SCRIPT\n"
    "\n"
    "Reads an install script with the engine's own parser, both passes, on an\n"
    "in-memory machine, and reports the first syntax error exactly as the\n"
    "engine's message box would, or a summary of what the script declares.\n"
    "\n"
    "The machine (options change it):\n"
    "  Windows 4.0 on DOS 7.0, 16384 KB of memory, 256 colours at 800x600;\n"
    "  drive C: fixed, with C:\\WINDOWS, C:\\WINDOWS\\SYSTEM and C:\\WINDOWS\\TEMP;\n"
    "  the script's own folder is the source directory C:\\SETUP: the script is\n"
    "  C:\\SETUP\\<its name>, the engine C:\\SETUP\\SETUP.EXE, the current directory\n"
    "  C:\\SETUP, and the folder's files (subfolders included, at most 4096\n"
    "  entries; files over 1 MB are present but empty) are there, so isfile and\n"
    "  search on $SOURCEDIR$ see them. No other drive, no registry entries, no\n"
    "  file versions. Choice screens and questions are not shown: the second\n"
    "  pass replays the stored IF GROUP and IF $ASKn blocks with the choices\n"
    "  preset by \"[X]\" and the default answers of ASK1 ... ASK5.\n"
    "\n"
    "options:\n"
    "  --winver V      Windows version, such as 3.95 or 4.10 (default 4.0)\n"
    "  --dosver V      DOS version (default 7.0)\n"
    "  --memory KB     physical memory in kilobytes (default 16384)\n"
    "  --colors N      display colours, a power of two (default 256)\n"
    "  --screen WxH    display resolution (default 800x600)\n"
    "  --file PATH     a file that exists, full Windows path such as\n"
    "                  C:\\WINDOWS\\WIN.INI (empty; a new drive letter is a\n"
    "                  fixed disk); repeatable\n"
    "  --option TEXT   a start-up option: the first is $SYSTEM$, then $SYS2$ and\n"
    "                  $SYS3$; repeatable up to three times\n"
    "  --strict        a warning makes the exit code 1\n"
    "\n"
    "Warnings come first, one a line, \"SCRIPT:N: warning: TEXT\", for what the\n"
    "engine reads without an error but not as meant: UTF-16 text, a NUL byte,\n"
    "a quote left open, a block without its end line, a line longer than 998\n"
    "characters. The summary counts them (\"warnings: N\"). N is the file's\n"
    "real line; the engine counts every 998 characters of a long line as a\n"
    "line, and where its count differs a warning adds \"(the engine counts\n"
    "line M)\" and a syntax error shows it after \"line:\".\n"
    "\n"
    "output and exit codes (stable):\n"
    "  0  the script has no syntax error: \"SCRIPT: OK\" and a summary, each\n"
    "     summary line indented by two blanks. When an EXITMESSAGE block ends\n"
    "     the installation on this machine, a first line\n"
    "     \"SCRIPT:N: note: EXITMESSAGE ends the installation on this machine; ...\"\n"
    "     says so: the lines after it were not read.\n"
    "  1  a syntax error: exactly one line\n"
    "       SCRIPT:N: Syntax error, line: N: TEXT\n"
    "     with SCRIPT as given, N the line number and TEXT the line that the\n"
    "     engine's message box shows (empty at the end of the script).\n"
    "  2  the script cannot be read: the engine's text\n"
    "       File not found on the installation disk: SCRIPT. \n"
    "     (and, on standard error, why when SCRIPT is a directory).\n"
    "  64 wrong usage (on standard error).\n"
    "Results go to standard output.\n";

// The command's line in the help's list says what it does.
const std::string kListed = std::string(kSynopsis) + "   read an install script as the engine does, both passes";
const CommandRegistration kRegistration(Command{"check", kListed.c_str(), kHelp, RunCheck});

}  // namespace
}  // namespace quorril::pack
