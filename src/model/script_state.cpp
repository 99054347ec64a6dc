// Creation of the script state: the model, defaults, versions, the default drive.
#include "model/script_state.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/text.h"

namespace quorril {

// The versions are formed as "%d.%d" texts and read back as numbers, so a
// minor version of 10 reads as .1 (4.10 compares as 4.1).
double VersionNumber(int major, int minor) {
  return ParseReal(FormatInt(major) + "." + FormatInt(minor));
}

void CreateInstallScript(ScriptState& script, FileSystem& files, Machine& machine) {
  script.model = std::make_unique<InstallScript>();
  ScriptSettings& settings = script.settings;
  settings.itemNumberMap.fill(-1);
  settings.itemChosen.fill(0);
  settings.itemPreset.fill(0);
  settings.defaultDriveLetter = files.GetDriveType("A:\\") == DriveType::kFixed ? 'A' : 'C';
  uint32_t v = machine.Version();
  settings.windowsVersion = VersionNumber(int(v & 0xFF), int((v >> 8) & 0xFF));
  settings.dosVersion = VersionNumber(int(v >> 24), int((v >> 16) & 0xFF));
  script.prompts.LoadDefaults();
}

}  // namespace quorril
