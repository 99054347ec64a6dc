// The engine's system changes (see system_changes.h).
#include "shell/system_changes.h"

#include "model/variables.h"
#include "platform/file_system.h"
#include "platform/windows_path.h"
#include "shell/setup_context.h"
#include "system/add_text.h"
#include "system/component_registration.h"
#include "system/ini_file.h"
#include "system/registry_block.h"
#include "system/program_groups.h"
#include "system/startup_files.h"
#include "system/uninstall_key.h"

namespace quorril {

ChangeContext ChangeContextOf(SetupContext& ctx) {
  return ChangeContext{ctx.files(), ctx.machine(), ctx.profile(), ctx.registry(),
                       ctx.ui(),    ctx.journal,   ctx.script,    ctx.startup.ownerWindowSet};
}

int EngineSystemChanges::ChangeStartupFiles(SetupContext& ctx) {
  ChangeContext changes = ChangeContextOf(ctx);
  ApplyAutoexec(changes, ctx.script.model->autoexec);
  ApplyConfig(changes, ctx.script.model->config);
  return 0;
}

int EngineSystemChanges::ChangeIniFiles(SetupContext& ctx) {
  ChangeContext changes = ChangeContextOf(ctx);
  for (const IniFileRecord& record : ctx.script.model->iniFiles) ApplyIniFile(changes, record);
  return 0;
}

bool EngineSystemChanges::RegisterComponent(SetupContext& ctx, const std::string& path) {
  return quorril::RegisterComponent(ctx.process(), ctx.ui(), ctx.script, path);
}

int EngineSystemChanges::AddTexts(SetupContext& ctx) {
  ChangeContext changes = ChangeContextOf(ctx);
  for (const AddTextRecord& record : ctx.script.model->addTexts) ApplyAddText(changes, record);
  return 0;
}

void EngineSystemChanges::WriteRegistryBlocks(SetupContext& ctx) {
  RunRegistryPhase(ChangeContextOf(ctx), ctx.script.model->registryBlocks);
}

void EngineSystemChanges::MakeProgramGroups(SetupContext& ctx) {
  ApplyWinItems(ctx.programManager(), ctx.files(), ctx.journal, ctx.script.variables, ctx.script.model->winItems);
}

void EngineSystemChanges::ListInstallation(SetupContext& ctx, int64_t installedBytes) {
  if (!ctx.journal.on || ctx.journal.path.empty() || !ctx.script.model) return;
  const ScriptVariables& variables = ctx.script.variables;
  uint32_t attributes = ctx.files().GetAttributes(JoinPath(variables.defaultDir, "unstall.exe"));
  if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return;
  InstalledProgram program;
  program.journalPath = ctx.journal.path;
  program.windowsDirectory = variables.winDir;
  program.title = ctx.script.model->title;
  if (!ctx.script.model->winItems.empty()) {
    const WinItemRecord& first = ctx.script.model->winItems.front();
    program.iconFile = first.iconFile;
    ExpandVariables(variables, &program.iconFile);
    // The list of programs has no working directory: a relative icon lies in the destination.
    if (!program.iconFile.empty() && !IsAbsolutePath(program.iconFile))
      program.iconFile = JoinPath(variables.defaultDir, program.iconFile);
    program.iconIndex = first.iconIndex;
  }
  program.installedBytes = installedBytes;
  WriteUninstallKey(ctx.registry(), program);
}

}  // namespace quorril
