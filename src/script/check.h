// The publisher's script check: the engine's parser, both passes, run
// against an in-memory machine, with the result told the way a compiler
// tells it.
//
// The machine: Windows and DOS versions, memory, display, drive C: fixed
// with C:\WINDOWS and C:\WINDOWS\SYSTEM, the files the publisher names, and
// the script's own folder as the source directory C:\SETUP (the engine's
// executable is C:\SETUP\SETUP.EXE, the current directory C:\SETUP). The
// second pass replays the stored IF blocks with the choices preset by "[X]"
// and the default answers of ASK1 ... ASK5.
//
// Output (stable; tools read it):
//   syntax error      exit 1, one line "SCRIPT:N: Syntax error, line: N: TEXT"
//   unreadable script exit 2, one line "File not found on the installation disk: SCRIPT. "
//   success           exit 0, "SCRIPT: OK" and a summary, two blanks before each
//                     summary line
//
// The core part (CheckScriptInContext and the argument parser) reaches the
// machine only through the context's ports; RunScriptCheck, inline below,
// builds the in-memory machine and is used by the tool and its tests, which
// link the fakes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "shell/setup_context.h"

namespace quorril {

enum : int { kCheckOk = 0, kCheckSyntaxError = 1, kCheckUnreadable = 2 };

// The folder of the script on the checked machine.
constexpr const char* kCheckSourceDirectory = "C:\\SETUP";

struct CheckRequest {
  std::string script;  // as given on the command line; shown in the output
  int winMajor = 4, winMinor = 0;
  int dosMajor = 7, dosMinor = 0;
  uint32_t memoryKb = 16384;
  int bitsPerPixel = 8;  // 256 colours
  int32_t width = 800, height = 600;
  std::vector<std::string> files;    // Windows paths of files that exist
  std::vector<std::string> options;  // start-up options ($SYSTEM$, $SYS2$, $SYS3$)
};

// One file of the script's folder, by its name relative to the folder
// ("SETUP.CFG", "DISK1\README.TXT").
struct CheckFile {
  std::string name;
  std::string contents;
};

struct CheckPackage {
  std::string scriptName;  // the script's file name in the folder
  bool scriptReadable = true;
  std::vector<CheckFile> files;  // the script included
};

struct CheckResult {
  int exitCode = kCheckOk;
  std::string output;  // lines ending in "\n"
};

// Reads "--winver V --dosver V --memory KB --colors N --screen WxH
// --file PATH --option TEXT SCRIPT"; false with a message on wrong usage.
bool ParseCheckArguments(const std::vector<std::string>& args, CheckRequest* request, std::string* error);

// Sets the start-up values and variables of the checked machine, creates the
// script model, runs both passes and forms the output. The ports of `ctx`
// must already hold the machine.
CheckResult CheckScriptInContext(SetupContext& ctx, const CheckRequest& request, const std::string& scriptName);

// The line for an unreadable script.
std::string UnreadableScriptLine(const std::string& script);

// Puts the machine of a request into the in-memory ports.
inline void BuildCheckMachine(const CheckRequest& request, const CheckPackage& package, MemoryFileSystem* files,
                              MemoryMachine* machine) {
  files->AddDrive('C', DriveType::kFixed, "", uint64_t(2000) * 1024 * 1024);
  files->AddDirectory("C:\\WINDOWS\\SYSTEM");
  files->AddDirectory("C:\\WINDOWS\\TEMP");
  files->AddDirectory(kCheckSourceDirectory);
  for (const CheckFile& file : package.files) {
    std::string path = std::string(kCheckSourceDirectory) + "\\" + file.name;
    size_t cut = path.rfind('\\');
    files->AddDirectory(path.substr(0, cut));
    files->AddFile(path, file.contents);
  }
  for (const std::string& path : request.files) {
    char drive = AsciiUpper(path[0]);
    if (files->GetDriveType(std::string(1, drive) + ":\\") == DriveType::kNoRootDir)
      files->AddDrive(drive, DriveType::kFixed);
    size_t cut = path.rfind('\\');
    if (cut > 2) files->AddDirectory(path.substr(0, cut));
    files->AddFile(path, "");
  }
  files->SetCurrentDirectory(kCheckSourceDirectory);
  machine->SetVersions(request.winMajor, request.winMinor, request.dosMajor, request.dosMinor);
  machine->memory = request.memoryKb > 0xFFFFFFFFu / 1024 ? 0xFFFFFFFFu : request.memoryKb * 1024;
  machine->display = DisplayFacts{request.bitsPerPixel, 1, request.width, request.height};
  machine->windowsDirectory = "C:\\WINDOWS";
  machine->systemDirectory = "C:\\WINDOWS\\SYSTEM";
  machine->executablePath = std::string(kCheckSourceDirectory) + "\\SETUP.EXE";
}

// Checks a script on the in-memory machine.
inline CheckResult RunScriptCheck(const CheckRequest& request, const CheckPackage& package) {
  if (!package.scriptReadable) return CheckResult{kCheckUnreadable, UnreadableScriptLine(request.script)};
  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  BuildCheckMachine(request, package, &files, &machine);
  SetupContext ctx(Ports{&files, &machine, &process, &ui});
  return CheckScriptInContext(ctx, request, package.scriptName);
}

}  // namespace quorril
