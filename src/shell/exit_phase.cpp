// The exit phase and the uninstaller hand-over: read-me, programs at exit,
// the restart, and the copy of the uninstaller.
#include "shell/exit_phase.h"

#include "model/script_model.h"
#include "model/variables.h"
#include "shell/setup_context.h"
#include "shell/startup.h"

namespace quorril {

namespace {

constexpr char kUninstallerName[] = "\\unstall.exe";

// True when a read-me name needs no destination directory in front.
bool NamesItsDirectory(const std::string& name) {
  if (!name.empty() && name[0] == '\\') return true;
  if (name.size() >= 2 && name[1] == ':') return true;
  if (name.size() >= 2 && name[0] == '"' && name[1] == '\\') return true;
  if (name.size() >= 3 && name[0] == '"' && name[2] == ':') return true;
  return false;
}

}  // namespace

std::string ReadmeCommandLine(SetupContext& ctx) {
  if (!ctx.script || ctx.script->readmeFile.empty()) return std::string();
  std::string path = ctx.script->readmeFile;
  ExpandVariables(ctx.variables, &path);
  if (!NamesItsDirectory(path)) path = ctx.variables.defaultDir + "\\" + path;
  return "notepad " + path;
}

bool ConfirmReboot(SetupContext& ctx) {
  return ctx.ShowMessage(ctx.Prompt(PromptId::kReboot), std::string(" "), kMbYesNo | kMbIconQuestion) == kIdYes;
}

bool RestartNeedsPrivilege(uint32_t version) {
  double windows = VersionNumber(int(version & 0xFF), int((version >> 8) & 0xFF));
  return windows >= 3.5;
}

void RestartWindows(SetupContext& ctx) {
  TemporaryFiles temp = ComposeTemporaryFiles(ctx);
  ctx.files().DeleteFile(temp.batch);
  ctx.files().DeleteFile(temp.pif);
  ctx.process().RestartWindows(RestartNeedsPrivilege(ctx.machine().Version()));
}

void RunExitPhase(SetupContext& ctx, int32_t rebootRequest) {
  std::string readme = ReadmeCommandLine(ctx);
  if (!readme.empty()) ctx.process().Start(readme, kShowShow);
  if (ctx.script)
    for (const TextValue& command : ctx.script->exitCommands)
      if (!command.Empty()) ctx.process().Start(command.Text(), kShowShow);
  if (rebootRequest != 1 && rebootRequest != 2) return;
  if (!ConfirmReboot(ctx)) return;
  RestartWindows(ctx);
}

void HandOverUninstaller(SetupContext& ctx) {
  if (!ctx.settings.uninstall || ctx.variables.defaultDir.empty()) return;
  ctx.files().CopyFile(ctx.variables.defaultDir + kUninstallerName, ctx.variables.winDir + kUninstallerName, false);
}

}  // namespace quorril
