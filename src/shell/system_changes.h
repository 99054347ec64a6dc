// The engine's system changes, plugged into the install run: the start-up
// files, the INI files, the REGSERVER components, the ADDTEXT lines, the
// registry blocks and the Program Manager groups of the script, carried out
// through the run's ports and journalled in its journal; and the
// installation's entry among the installed programs, which is not.
#pragma once

#include <string>

#include "shell/run_sequence.h"
#include "system/change_context.h"

namespace quorril {

// The view of a run that the system changes work with.
ChangeContext ChangeContextOf(SetupContext& ctx);

class EngineSystemChanges : public SystemChanges {
 public:
  int ChangeStartupFiles(SetupContext& ctx) override;
  int ChangeIniFiles(SetupContext& ctx) override;
  bool RegisterComponent(SetupContext& ctx, const std::string& path) override;
  int AddTexts(SetupContext& ctx) override;
  void WriteRegistryBlocks(SetupContext& ctx) override;
  void MakeProgramGroups(SetupContext& ctx) override;
  // Writes the Uninstall key (system/uninstall_key.h) when the journal is
  // on and $DEFAULTDIR$\unstall.exe exists; a failure is not reported. The
  // first WINITEM's icon file gets $DEFAULTDIR$ in front when it is not
  // absolute.
  void ListInstallation(SetupContext& ctx, int64_t installedBytes) override;
};

}  // namespace quorril
