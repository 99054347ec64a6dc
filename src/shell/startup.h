// Start-up of the engine and its counterpart at exit.
//
// Startup() runs once, before any window is visible. It fixes the start-up
// values in the SetupContext (executable directory and path, script path and
// its short form, the three start-up options, the source and destination
// drives), attaches the executable's embedded archive, decides the road
// (normal run or relaunch from a temporary copy) and takes the normal run:
// script model, main window (hidden), system directories, the parser's first
// pass, the maximized window titled "Quorril", the script's start command
// and the first phase message.
//
// The relaunch itself (copying the executable to "~0000.exe" and starting
// the copy) is not made yet: when NeedsRelaunch() says so, the process takes
// the normal run instead, which works as long as the disks are not changed.
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

// The main window's private messages while the installation phase is not
// built: message 1025 does nothing and the window stays until it is closed.
class InstallPhaseEvents : public MainWindowEvents {
 public:
  explicit InstallPhaseEvents(SetupContext& ctx) : ctx_(ctx) {}
  void OnInstallPhase() override;

 private:
  SetupContext& ctx_;
};

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

// The text before the last backslash of a path; "" without a backslash.
std::string CutAtLastBackslash(const std::string& path);

// The directory for temporary files, ending in "\"; "c:\" when the system
// gives none (or one longer than 998 characters).
std::string TemporaryDirectory(SetupContext& ctx);

// The command line that lets the temporary copy delete itself, or "" when
// the executable is not the temporary copy.
std::string CleanupCommandLine(SetupContext& ctx);

}  // namespace quorril
