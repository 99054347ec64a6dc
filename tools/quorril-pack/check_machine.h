// The machine that `quorril-pack check` imagines, and the command line
// that describes it.
//
// The machine: Windows and DOS versions, memory, display, drive C: fixed
// with C:\WINDOWS and C:\WINDOWS\SYSTEM, the files the publisher names, and
// the script's own folder as the source directory C:\SETUP (the engine's
// executable is C:\SETUP\SETUP.EXE, the current directory C:\SETUP). The
// check itself is the core's (script/check.h); this file builds its
// in-memory ports.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/check.h"

namespace quorril::pack {

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
  bool strict = false;               // --strict: a warning makes the exit code 1
};

// One file of the script's folder, by its name relative to the folder
// ("SETUP.CFG", "DISK1\README.TXT"): its contents, or the host file they
// are read from when the check first opens it.
struct CheckFile {
  std::string name;
  std::string contents;
  std::string hostPath;  // empty: `contents` is the file
  DosDateTime modified{0x5A21, 0x6000};  // the host file's date when loaded from the host
};

struct CheckPackage {
  std::string scriptName;  // the script's file name in the folder
  bool scriptReadable = true;
  std::vector<CheckFile> files;  // the script included
};

// Reads "--winver V --dosver V --memory KB --colors N --screen WxH
// --file PATH --option TEXT SCRIPT"; false with a message on wrong usage.
bool ParseCheckArguments(const std::vector<std::string>& args, CheckRequest* request, std::string* error);

// Files of at most this size are read from the host when opened; larger
// ones are present but empty, so that isfile finds them while their bytes
// stay on the host.
constexpr uint64_t kMaxLoadedFileSize = 1024 * 1024;

// The host folder's files (subfolders included, at most kMaxFolderEntries
// entries) by their names relative to it, with "\" between the parts, each
// with its host path and date, its bytes not read yet; `skipped` (the
// script) is left out.
constexpr size_t kMaxFolderEntries = 4096;
void LoadCheckFolder(const std::filesystem::path& folder, const std::filesystem::path& skipped, CheckPackage* package);

// Puts the machine of a request into the in-memory ports (a file with a
// host path empty until it is read).
void BuildCheckMachine(const CheckRequest& request, const CheckPackage& package, MemoryFileSystem* files,
                       MemoryMachine* machine);

// Checks a script on the in-memory machine.
CheckResult RunScriptCheck(const CheckRequest& request, const CheckPackage& package);

}  // namespace quorril::pack
