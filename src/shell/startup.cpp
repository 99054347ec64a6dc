// Start-up: the command line, the start-up values, the road decision, the
// normal run up to the first phase message, and the clean-up at exit.
//
// Organisation: Startup() follows the start-up steps in order and hands the
// normal run to NormalRun(); every rule that can be checked alone (argument
// splitting, path composition, the pre-scan, the road decision) is a small
// function of its own, declared in startup.h for the tests.
#include "shell/startup.h"

#include <memory>

#include "package/virtual_file.h"
#include "platform/text.h"
#include "script/parser.h"
#include "script/script_model.h"
#include "shell/setup_context.h"

namespace quorril {

namespace {

constexpr char kCaptionBlank[] = " ";
// Lines of the pre-scan: at most 998 characters each.
constexpr size_t kPreScanLineCapacity = 999;
constexpr size_t kTempPathCapacity = 998;
constexpr size_t kWindowsDirectoryCapacity = 998;
constexpr size_t kHelpDirectoryCapacity = 535;

// The warning of start-up: caption " ", warning icon, never owned (the main
// window does not exist yet, or is not shown).
void ShowStartupWarning(SetupContext& ctx, const std::string& text) {
  ctx.ShowUnownedMessage(text, std::string(kCaptionBlank), kMbOk | kMbIconWarning);
}

void ShowFileNotFound(SetupContext& ctx, const std::string& path) {
  ShowStartupWarning(ctx, ctx.Prompt(PromptId::kFileNotFound) + path + ". ");
}

// Step 1: the texts start-up needs before the script model exists. They
// live in the same table as the script's texts, so a script that sets
// BADDIRPROMPT or FILENOTFOUNDPROMPT rewords them later.
void SetStartupTexts(SetupContext& ctx) {
  ctx.prompts.Set(PromptId::kBadDir, "Invalid directory.");
  ctx.prompts.Set(PromptId::kCommandFailure, "Cannot execute command ");
  ctx.prompts.Set(PromptId::kFileNotFound, "File not found on the installation disk: ");
}

// One trailing backslash removed ("C:\" becomes "C:").
std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// The file name of a path, without its extension.
std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

// True when the script holds a line beginning with "INSERTDISK:".
bool ScriptHasInsertDisk(SetupContext& ctx, VirtualFile& script) {
  std::string line;
  while (ctx.archive.ReadLine(script, &line, kPreScanLineCapacity))
    if (IsInsertDiskLine(line)) return true;
  return false;
}

bool NormalRun(SetupContext& ctx) {
  StartupValues& values = ctx.startup;
  ScriptVariables& vars = ctx.variables;

  // 1. The screen size.
  ctx.machine().ScreenSize(&values.screenWidth, &values.screenHeight);

  // 2. The script model (default texts, Windows and DOS versions).
  CreateInstallScript(ctx);

  // 4. The source directory and its short form: the script's directory.
  vars.sourceDir = CutAtLastBackslash(values.scriptPath);
  vars.sourceDir8 = CutAtLastBackslash(values.shortScriptPath);

  // 6. The main window exists from now on, hidden.
  ctx.ui().CreateMainWindow();

  // 7. The Windows, help and system directories.
  vars.winDir = WithoutTrailingBackslash(ctx.machine().WindowsDirectory());
  CutToCapacity(vars.winDir, kWindowsDirectoryCapacity);
  vars.winHelpDir = vars.winDir + "\\help";
  CutToCapacity(vars.winHelpDir, kHelpDirectoryCapacity);
  vars.winSysDir = WithoutTrailingBackslash(ctx.machine().SystemDirectory());
  CutToCapacity(vars.winSysDir, kWindowsDirectoryCapacity);

  // 9. The parser's first pass; it shows its own message on failure.
  if (ParseScript(ctx, values.scriptPath) != 0) return false;

  // 10. From now on every message box belongs to the main window.
  values.ownerWindowSet = true;

  // 11. The window, maximized.
  ctx.ui().ShowMainWindow(kMainWindowTitle);

  // 12. The script's start command, waited for; a failure is not shown.
  if (ctx.script && !ctx.script->startCommand.Empty()) ctx.process().RunAndWait(ctx.script->startCommand.Text());

  // 13. The installation phase begins with the first phase message.
  ctx.ui().PostInstallPhase();
  return true;
}

}  // namespace

std::string CutAtLastBackslash(const std::string& path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ComposeExecutablePath(const std::string& executableDirectory, const std::string& fileName) {
  std::string path = executableDirectory + fileName;
  if (fileName.size() < 4 || fileName[fileName.size() - 4] != '.') path += ".exe";
  return path;
}

std::string DefaultScriptPath(const std::string& executablePath) {
  size_t dot = executablePath.rfind('.');
  if (dot != std::string::npos && dot > 0) return executablePath.substr(0, dot + 1) + "cfg";
  return executablePath + ".cfg";
}

std::string ParseArguments(SetupContext& ctx, const std::string& arguments) {
  std::string* options[3] = {&ctx.variables.system, &ctx.variables.sys2, &ctx.variables.sys3};
  int optionCount = 0;
  std::string scriptPath;
  size_t pos = 0;
  const char* separators = " \t\n";
  while (optionCount < 3) {
    size_t start = arguments.find_first_not_of(separators, pos);
    if (start == std::string::npos) break;
    size_t end = arguments.find_first_of(separators, start);
    if (end == std::string::npos) end = arguments.size();
    std::string token = arguments.substr(start, end - start);
    pos = end;
    if (token[0] == '-') {
      std::string& option = *options[optionCount++];
      option = token.substr(1);
      CutToCapacity(option, StartupValues::kOptionCapacity);
    } else if ((token.size() < 2 || token[1] != ':') && token.find('\\') == std::string::npos) {
      scriptPath = ctx.startup.executableDirectory + token;
    } else {
      scriptPath = token;
    }
  }
  return scriptPath;
}

bool IsTemporaryCopy(const std::string& executablePath) {
  return executablePath.find(kTemporaryCopyMarker) != std::string::npos;
}

bool IsInsertDiskLine(const std::string& line) { return StartsWithNoCase(line, "INSERTDISK:"); }

bool NeedsRelaunch(bool temporaryCopy, bool scriptHasInsertDisk, DriveType currentDrive) {
  return !temporaryCopy && scriptHasInsertDisk && currentDrive != DriveType::kFixed;
}

Road DecideRoad(SetupContext& ctx) {
  if (IsTemporaryCopy(ctx.startup.executablePath)) return Road::kNormalRun;
  std::unique_ptr<VirtualFile> script = ctx.archive.Open(ctx.startup.scriptPath);
  if (!script) {
    ShowFileNotFound(ctx, ctx.startup.scriptPath);
    return Road::kStop;
  }
  bool insertDisk = ScriptHasInsertDisk(ctx, *script);
  script.reset();
  DriveType drive = ctx.files().GetDriveType("");
  return NeedsRelaunch(false, insertDisk, drive) ? Road::kRelaunch : Road::kNormalRun;
}

bool Startup(SetupContext& ctx, const std::string& arguments, const std::string& executablePath) {
  StartupValues& values = ctx.startup;

  // 1. The texts of start-up's own messages.
  SetStartupTexts(ctx);

  // 2. The executable directory becomes the current directory.
  size_t slash = executablePath.rfind('\\');
  if (slash == std::string::npos || executablePath.size() > StartupValues::kPathCapacity) {
    ShowStartupWarning(ctx, ctx.Prompt(PromptId::kBadDir));
    return false;
  }
  std::string directory = executablePath.substr(0, slash);
  // A root is made "X:\": "X:" alone would name the drive's current
  // directory rather than its root.
  ctx.files().SetCurrentDirectory(directory.size() == 2 && directory[1] == ':' ? directory + "\\" : directory);
  values.executableDirectory = directory + "\\";

  // 3. Options and the script named on the command line.
  std::string namedScript = ParseArguments(ctx, arguments);

  // 4. No drives known yet.
  ctx.variables.sourceDrive.clear();
  ctx.variables.defaultDrive.clear();

  // 5. The executable path; its payload is looked into before the disk.
  values.executablePath = ComposeExecutablePath(values.executableDirectory, executablePath.substr(slash + 1));
  ctx.archive.AttachArchive(values.executablePath);

  // 6. Without a name on the command line, the script is named after the
  // executable.
  values.scriptPath = namedScript.empty() ? DefaultScriptPath(values.executablePath) : namedScript;
  if (values.scriptPath.size() > StartupValues::kPathCapacity) {
    ShowFileNotFound(ctx, values.scriptPath);
    return false;
  }

  // 7. The short form (the long form when there is none, as for a script
  // that exists only in the payload) and the source drive.
  std::string shortPath;
  if (ctx.files().GetShortPathName(values.scriptPath, &shortPath) && !shortPath.empty() &&
      shortPath.size() <= StartupValues::kShortPathCapacity)
    values.shortScriptPath = shortPath;
  else
    values.shortScriptPath = values.scriptPath;
  ctx.variables.sourceDrive = values.scriptPath.substr(0, 1);

  // 8. The road. The relaunch from a temporary copy is not built yet: a
  // process that should relaunch takes the normal run.
  switch (DecideRoad(ctx)) {
    case Road::kStop:
      return false;
    case Road::kRelaunch:
    case Road::kNormalRun:
      break;
  }
  return NormalRun(ctx);
}

std::string TemporaryDirectory(SetupContext& ctx) {
  std::string path;
  if (!ctx.files().GetTempDirectory(&path) || path.empty() || path.size() > kTempPathCapacity) return "c:\\";
  return path;
}

std::string CleanupCommandLine(SetupContext& ctx) {
  if (BaseName(ctx.startup.executablePath).find(kTemporaryCopyMarker) == std::string::npos) return std::string();
  std::string temp = TemporaryDirectory(ctx);
  return temp + "~0000.pif /C " + temp + "~0000.bat";
}

void ExitCleanup(SetupContext& ctx) {
  ctx.archive.DetachArchive();
  ctx.script.reset();
  std::string command = CleanupCommandLine(ctx);
  if (!command.empty()) ctx.process().Start(command, kShowHide);
}

void InstallPhaseEvents::OnInstallPhase() {
  // The installation phase is not built yet: the window stays as it is
  // until the user closes it.
  (void)ctx_;
}

}  // namespace quorril
