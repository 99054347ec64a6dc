// Start-up of the engine and its counterpart at exit.
//
// Startup() runs once, before any window is visible. It fixes the start-up
// values in the SetupContext (executable directory and path, script path and
// its short form, the three start-up options, the source and destination
// drives), attaches the executable's embedded archive and decides the road:
//  - the relaunch, for a package on disks started from a drive that is not
//    a fixed disk: the executable is copied to "~0000.exe" in the temporary
//    directory (with the package's "install.pif" as "~0000.pif" and the
//    clean-up batch file "~0000.bat"), the copy is started with the script's
//    full path and the options, and this process ends;
//  - the normal run: script model, main window (hidden), system
//    directories, the parser's first pass, the maximized window titled
//    "Quorril", the script's start command and the first phase message.
// ExitCleanup() is the counterpart at the end of the process: the temporary
// copy starts the batch file that deletes the three temporary files.
//
// The smaller pieces are exposed so that tests can check each rule alone.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace quorril {

class SetupContext;

// The text inside the executable path that marks the temporary copy.
constexpr char kTemporaryCopyMarker[] = "~0000";
// The names of the relaunch's files in the temporary directory, and the
// program information file of the package that is copied there.
constexpr char kTemporaryCopyName[] = "~0000.exe";
constexpr char kTemporaryPifName[] = "~0000.pif";
constexpr char kTemporaryBatchName[] = "~0000.bat";
constexpr char kPackagePifName[] = "install.pif";
// The relaunch copies files in blocks of this size.
constexpr int32_t kRelaunchCopyBlock = 32768;
// The title of the main window.
constexpr char kMainWindowTitle[] = "Quorril";

// Runs start-up. `arguments` is the command line without the program name,
// `executablePath` the running executable's full path. Returns true to enter
// the message loop; false when the process is to end at once, after the
// failure's own message has been shown.
bool Startup(SetupContext& ctx, const std::string& arguments, const std::string& executablePath);

// Runs as the process ends, after the message loop: detaches the embedded
// archive, releases the script model and, when this process is the
// temporary copy, starts the clean-up that deletes the copy.
void ExitCleanup(SetupContext& ctx);

// ---- pieces of start-up -----------------------------------------------------

// Splits the argument string at blanks, tabs and line feeds and takes up to
// three options ("-text", stored without the "-" in $SYSTEM$, $SYS2$,
// $SYS3$); tokens after the third option are not looked at. Another token
// names the script: a bare name is taken from the executable directory, a
// drive-qualified name or one with a backslash as it is. Returns the script
// path named, or "" when none was.
std::string ParseArguments(SetupContext& ctx, const std::string& arguments);

// The executable path as start-up keeps it: the directory (ending in "\"),
// the file name, and ".exe" unless the name's fourth-last character is ".".
std::string ComposeExecutablePath(const std::string& executableDirectory, const std::string& fileName);

// The script named after the executable: everything up to and including the
// last "." (when it is not the first character) followed by "cfg", or the
// whole path followed by ".cfg".
std::string DefaultScriptPath(const std::string& executablePath);

// True when the executable path contains "~0000" (case-sensitive).
bool IsTemporaryCopy(const std::string& executablePath);

// True when a script line counts for the relaunch: its first 11 characters
// are "INSERTDISK:" without regard to case.
bool IsInsertDiskLine(const std::string& line);

// The road decision: relaunch when this is not the temporary copy, the
// script has an "INSERTDISK:" line and the current drive is not a fixed disk.
bool NeedsRelaunch(bool temporaryCopy, bool scriptHasInsertDisk, DriveType currentDrive);

enum class Road {
  kNormalRun,
  kRelaunch,
  kStop,  // the script cannot be opened; its message has been shown
};
// Decides the road for the start-up values in `ctx`: the temporary copy
// runs normally without looking at the script; otherwise the script is
// opened (from the payload or the disk) and scanned for "INSERTDISK:" lines
// and the current directory's drive is asked for its type.
Road DecideRoad(SetupContext& ctx);

// The directory for temporary files, ending in "\"; "c:\" when the system
// gives none (or one longer than 998 characters).
std::string TemporaryDirectory(SetupContext& ctx);

// The three files of the relaunch in the temporary directory.
struct TemporaryFiles {
  std::string copy;   // ~0000.exe
  std::string pif;    // ~0000.pif
  std::string batch;  // ~0000.bat
};
TemporaryFiles ComposeTemporaryFiles(SetupContext& ctx);

// The clean-up batch file ("~0000.bat", lines ending in CR LF): it deletes
// the copy, the program information file and itself. The copy can be
// deleted only once it has ended, and the batch file is started while it
// ends: it tries again every second until the copy is gone. Paths with
// blanks are quoted, so that each stays one argument of "del".
std::string CleanupBatchText(const TemporaryFiles& temp);

// The command line that starts the temporary copy: the copy's path (in
// double quotes when it holds a blank), a blank, the full script path, then
// " -" and each start-up option that is not empty, in order.
std::string RelaunchCommandLine(SetupContext& ctx, const std::string& copyPath);

enum class RelaunchResult {
  kStarted,    // the copy runs; this process ends without a window
  kStopped,    // the batch file cannot be created; its message has been shown
  kNormalRun,  // the copy could not be made or started: run from here instead
};
// The relaunch: copies the executable, "install.pif" (from the payload or
// the disk) and writes the batch file, then starts the copy with SW_SHOW.
// Copy errors are not shown. A copy of the executable that is not complete
// is not started (a truncated program would fail or run with a damaged
// payload): its remains are deleted and the process takes the normal run,
// as it also does when the copy cannot be started.
RelaunchResult Relaunch(SetupContext& ctx);

// The command line that lets the temporary copy delete itself, or "" when
// the executable is not the temporary copy or nothing can run the batch
// file. With a "~0000.pif" the program information file runs it
// ("<temp>~0000.pif /C <temp>~0000.bat"); without one (the package has no
// "install.pif") the command interpreter named by COMSPEC does
// ("<COMSPEC> /C <temp>~0000.bat"), so the copy is removed all the same.
// Paths with blanks are quoted.
std::string CleanupCommandLine(SetupContext& ctx);

}  // namespace quorril
