// The exit phase and the uninstaller hand-over: read-me, programs at exit,
// the restart, and the copy of the uninstaller.
#include "shell/exit_phase.h"

#include "model/script_state.h"
#include "model/variables.h"
#include "platform/windows_path.h"
#include "shell/setup_context.h"
#include "shell/startup.h"

namespace quorril {

namespace {

constexpr char kUninstallerName[] = "\\unstall.exe";

// True when a read-me name needs no destination directory in front: it is
// absolute, also behind an opening quote.
bool NamesItsDirectory(const std::string& name) {
  if (IsAbsolutePath(name)) return true;
  return !name.empty() && name[0] == '"' && IsAbsolutePath(std::string_view(name).substr(1));
}

}  // namespace

std::string ReadmeCommandLine(SetupContext& ctx) {
  if (!ctx.script.model || ctx.script.model->readmeFile.empty()) return std::string();
  std::string path = ctx.script.model->readmeFile;
  ExpandVariables(ctx.script.variables, &path);
  if (!NamesItsDirectory(path)) path = ctx.script.variables.defaultDir + "\\" + path;
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

void RunExitPhase(SetupContext& ctx, RebootMode rebootRequest, bool showReadme) {
  std::string readme = showReadme ? ReadmeCommandLine(ctx) : std::string();
  if (!readme.empty()) ctx.process().Start(readme, kShowShow);
  if (ctx.script.model)
    for (const TextValue& command : ctx.script.model->exitCommands)
      if (!command.Empty()) ctx.process().Start(command.Text(), kShowShow);
  if (rebootRequest == RebootMode::kNone) return;
  if (!ConfirmReboot(ctx)) return;
  RestartWindows(ctx);
}

void HandOverUninstaller(SetupContext& ctx) {
  if (!ctx.script.settings.uninstall || ctx.script.variables.defaultDir.empty()) return;
  ctx.files().CopyFile(ctx.script.variables.defaultDir + kUninstallerName,
                       ctx.script.variables.winDir + kUninstallerName, false);
}

}  // namespace quorril
