// Start-up: the command line, the start-up values, the road decision, the
// relaunch from a temporary copy, the normal run up to the first phase
// message, and the clean-up at exit.
//
// Organisation: Startup() follows the start-up steps in order and hands over
// to Relaunch() or NormalRun(); every rule that can be checked alone
// (argument splitting, path composition, the pre-scan, the road decision,
// the relaunch's command lines) is a small function of its own, declared in
// startup.h for the tests.
#include "shell/startup.h"

#include <functional>
#include <memory>
#include <vector>

#include "model/script_model.h"
#include "package/virtual_file.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/parser.h"
#include "shell/script_screens.h"
#include "shell/setup_context.h"

namespace quorril {

namespace {

constexpr char kCaptionBlank[] = " ";

// Lines of the pre-scan: at most 998 characters each.
constexpr size_t kPreScanLineCapacity = capacity::kScriptLine + 1;
constexpr size_t kTempPathCapacity = capacity::kSystemDirectory;
constexpr size_t kWindowsDirectoryCapacity = capacity::kSystemDirectory;
constexpr size_t kHelpDirectoryCapacity = capacity::kHelpDirectory;

// A path as a command line or a batch file takes it: in double quotes when
// it holds a blank, so that it stays one argument.
std::string CommandPath(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

// The warning of start-up: caption " ", warning icon, never owned (the main
// window does not exist yet, or is not shown).
void ShowStartupWarning(SetupContext& ctx, const std::string& text) {
  ctx.ShowUnownedMessage(text, std::string(kCaptionBlank), kMbOk | kMbIconWarning);
}

// The payload of a signed executable cannot be trusted when its certificate
// table does not lie inside the file.
constexpr char kDamagedSignedPackage[] =
    "The setup program is damaged: its certificate table does not lie inside the file ";

void ShowFileNotFound(SetupContext& ctx, const std::string& path) {
  ShowStartupWarning(ctx, ctx.Prompt(PromptId::kFileNotFound) + path + ". ");
}

// Step 1: the texts start-up needs before the script model exists. They
// live in the same table as the script's texts, so a script that sets
// BADDIRPROMPT or FILENOTFOUNDPROMPT rewords them later.
void SetStartupTexts(SetupContext& ctx) {
  ctx.script.prompts.Set(PromptId::kBadDir, "Invalid directory.");
  ctx.script.prompts.Set(PromptId::kCommandFailure, "Cannot execute command ");
  ctx.script.prompts.Set(PromptId::kFileNotFound, "File not found on the installation disk: ");
}

// True when the script holds a line beginning with "INSERTDISK:".
bool ScriptHasInsertDisk(SetupContext& ctx, VirtualFile& script) {
  std::string line;
  while (ctx.archive.ReadLine(script, &line, kPreScanLineCapacity))
    if (IsInsertDiskLine(line)) return true;
  return false;
}

// ---- the relaunch ------------------------------------------------------------

// Reads up to `count` bytes into `buffer`: the bytes read, 0 at the end, -1
// on error.
using BlockReader = std::function<int32_t(char* buffer, int32_t count)>;

// Creates `target` and moves what `read` delivers into it through `block`,
// one block at a time, until the first block shorter than the block size.
// Every error ends the loop. True when the whole source arrived.
bool CopyInBlocks(SetupContext& ctx, const BlockReader& read, const std::string& target,
                  std::vector<char>* block) {
  std::unique_ptr<FileHandle> out = ctx.files().Open(target, OpenMode::kCreate);
  if (!out) return false;
  for (;;) {
    int32_t got = read(block->data(), kRelaunchCopyBlock);
    if (got < 0) return false;
    if (got > 0 && out->Write(block->data(), uint32_t(got)) != got) return false;
    if (got < kRelaunchCopyBlock) return true;
  }
}

// Copies the running executable byte for byte.
bool CopyExecutable(SetupContext& ctx, const std::string& target, std::vector<char>* block) {
  std::unique_ptr<FileHandle> in = ctx.files().Open(ctx.startup.executablePath, OpenMode::kRead);
  if (!in) return false;
  return CopyInBlocks(
      ctx, [&in](char* buffer, int32_t count) { return in->Read(buffer, uint32_t(count)); }, target, block);
}

// Copies the package's program information file when it has one, from the
// payload or the disk. A "~0000.pif" left by an earlier run is removed when
// the package has none: the clean-up at exit runs the one it finds.
void CopyProgramInformationFile(SetupContext& ctx, const std::string& target, std::vector<char>* block) {
  std::unique_ptr<VirtualFile> pif = ctx.archive.Open(ctx.startup.executableDirectory + kPackagePifName);
  if (!pif) {
    ctx.files().DeleteFile(target);
    return;
  }
  VirtualFileSystem& archive = ctx.archive;
  CopyInBlocks(
      ctx, [&archive, &pif](char* buffer, int32_t count) { return archive.Read(*pif, buffer, count); }, target,
      block);
}

// Writes the batch file that deletes the three temporary files.
bool WriteCleanupBatch(SetupContext& ctx, const TemporaryFiles& temp) {
  std::unique_ptr<FileHandle> out = ctx.files().Open(temp.batch, OpenMode::kCreate);
  if (!out) return false;
  std::string text = CleanupBatchText(temp);
  // A write error leaves a batch file that deletes less; nothing is shown,
  // like the other errors of the relaunch's copies.
  out->Write(text.data(), uint32_t(text.size()));
  return true;
}

bool NormalRun(SetupContext& ctx) {
  StartupValues& values = ctx.startup;
  ScriptVariables& vars = ctx.script.variables;

  // 1. The screen size.
  ctx.machine().ScreenSize(&values.screenWidth, &values.screenHeight);

  // 2. The script model (default texts, Windows and DOS versions).
  CreateInstallScript(ctx.script, ctx.files(), ctx.machine());

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

  // 9. The parser's first pass; it shows its own message on failure, except
  // that the exit message of an EXITMESSAGE block is a screen of its own.
  if (ParseScript(ctx.ForScript(), values.scriptPath) != 0) {
    if (ctx.script.parser.failure == ParseFailure::kExitMessage && ctx.HasScreens())
      ShowExitMessage(ctx, ctx.screens());
    return false;
  }

  // 10. From now on every message box belongs to the main window.
  values.ownerWindowSet = true;

  // 11. The window, maximized, painted as the script declares.
  if (ctx.HasScreens()) ctx.screens().SetAppearance(AppearanceOf(ctx));
  ctx.ui().ShowMainWindow(kMainWindowTitle);

  // 12. The script's start command, waited for; a failure is not shown.
  if (ctx.script.model && !ctx.script.model->startCommand.Empty())
    ctx.process().RunAndWait(ctx.script.model->startCommand.Text());

  // 13. The installation phase begins with the first phase message, which
  // the intro screen posts itself when it closes.
  BitmapData intro;
  int32_t seconds = 0;
  if (ctx.HasScreens() && IntroImage(ctx, &intro, &seconds))
    ctx.screens().ShowIntro(intro, seconds);
  else
    ctx.ui().PostInstallPhase();
  return true;
}

}  // namespace

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
  std::string* options[3] = {&ctx.script.variables.system, &ctx.script.variables.sys2, &ctx.script.variables.sys3};
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
    // A signed executable whose certificate table runs past its end is cut
    // short or damaged: its payload is not read, and that is the reason
    // given, not the missing script.
    if (ctx.archive.Lookup().status == TrailerStatus::kCertificatesOutsideFile)
      ShowStartupWarning(ctx, std::string(kDamagedSignedPackage) + ctx.startup.executablePath + ". ");
    else
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
  ctx.script.variables.sourceDrive.clear();
  ctx.script.variables.defaultDrive.clear();

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
  ctx.script.variables.sourceDrive = values.scriptPath.substr(0, 1);

  // 8. The road.
  switch (DecideRoad(ctx)) {
    case Road::kStop:
      return false;
    case Road::kRelaunch:
      if (values.unattended) break;
      switch (Relaunch(ctx)) {
        case RelaunchResult::kStarted:
        case RelaunchResult::kStopped:
          return false;
        case RelaunchResult::kNormalRun:
          break;
      }
      break;
    case Road::kNormalRun:
      break;
  }
  return NormalRun(ctx);
}

std::string CleanupBatchText(const TemporaryFiles& temp) {
  const std::string copy = CommandPath(temp.copy);
  return "@ECHO OFF\r\n"
         ":again\r\n"
         "del " + copy + "\r\n"
         "if not exist " + copy + " goto gone\r\n"
         "ping -n 2 127.0.0.1 >NUL\r\n"
         "goto again\r\n"
         ":gone\r\n"
         "del " + CommandPath(temp.pif) + "\r\n"
         "del " + CommandPath(temp.batch) + "\r\n";
}

TemporaryFiles ComposeTemporaryFiles(SetupContext& ctx) {
  std::string directory = TemporaryDirectory(ctx);
  return TemporaryFiles{directory + kTemporaryCopyName, directory + kTemporaryPifName,
                        directory + kTemporaryBatchName};
}

std::string RelaunchCommandLine(SetupContext& ctx, const std::string& copyPath) {
  // Unquoted, a path with blanks would let the system try its first words
  // as a program name ("C:\Documents.exe" for "C:\Documents and ...").
  // The copy splits its command line at blanks, so a script path with
  // blanks is handed over in its 8.3 form, which has none.
  const std::string& script =
      ctx.startup.scriptPath.find(' ') != std::string::npos && !ctx.startup.shortScriptPath.empty()
          ? ctx.startup.shortScriptPath
          : ctx.startup.scriptPath;
  std::string command = CommandPath(copyPath) + " " + script;
  for (const std::string* option :
       {&ctx.script.variables.system, &ctx.script.variables.sys2, &ctx.script.variables.sys3})
    if (!option->empty()) command += " -" + *option;
  return command;
}

RelaunchResult Relaunch(SetupContext& ctx) {
  // 1. The temporary files; the executable is read as a plain file.
  TemporaryFiles temp = ComposeTemporaryFiles(ctx);
  ctx.archive.DetachArchive();

  // 2. The copy of the executable. Its errors are not shown; an incomplete
  // copy is not started.
  std::vector<char> block(size_t(kRelaunchCopyBlock), '\0');
  bool copied = CopyExecutable(ctx, temp.copy, &block);

  // 3. The payload is looked into again, for "install.pif" and, when the
  // relaunch cannot go on, for the normal run.
  ctx.archive.AttachArchive(ctx.startup.executablePath);
  if (!copied) {
    ctx.files().DeleteFile(temp.copy);
    return RelaunchResult::kNormalRun;
  }
  CopyProgramInformationFile(ctx, temp.pif, &block);

  // 4. The batch file that removes the three files when the copy ends.
  if (!WriteCleanupBatch(ctx, temp)) {
    ShowFileNotFound(ctx, temp.batch);
    return RelaunchResult::kStopped;
  }

  // 5. The copy, with the script named explicitly and the same options.
  if (!ctx.process().Start(RelaunchCommandLine(ctx, temp.copy), kShowShow)) {
    for (const std::string* path : {&temp.copy, &temp.pif, &temp.batch}) ctx.files().DeleteFile(*path);
    return RelaunchResult::kNormalRun;
  }
  // 6. This process ends without having shown a window.
  return RelaunchResult::kStarted;
}

std::string TemporaryDirectory(SetupContext& ctx) {
  std::string path;
  if (!ctx.files().GetTempDirectory(&path) || path.empty() || path.size() > kTempPathCapacity) return "c:\\";
  return path;
}

std::string CleanupCommandLine(SetupContext& ctx) {
  if (FileTitle(ctx.startup.executablePath).find(kTemporaryCopyMarker) == std::string::npos) return std::string();
  TemporaryFiles temp = ComposeTemporaryFiles(ctx);
  if (ctx.files().GetAttributes(temp.pif) != kInvalidAttributes)
    return CommandPath(temp.pif) + " /C " + CommandPath(temp.batch);
  // Without a program information file the command interpreter runs the
  // batch file itself.
  std::string interpreter;
  if (!ctx.machine().EnvironmentVariable("COMSPEC", &interpreter)) return std::string();
  return CommandPath(interpreter) + " /C " + CommandPath(temp.batch);
}

void ExitCleanup(SetupContext& ctx) {
  ctx.archive.DetachArchive();
  ctx.script.model.reset();
  std::string command = CleanupCommandLine(ctx);
  if (!command.empty()) ctx.process().Start(command, kShowHide);
}

}  // namespace quorril
