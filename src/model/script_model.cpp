// Creation of the script model: defaults, versions, the default drive.
#include "model/script_model.h"

#include <cstdio>

#include "platform/text.h"
#include "shell/setup_context.h"

namespace quorril {

// The versions are formed as "%d.%d" texts and read back as numbers, so a
// minor version of 10 reads as .1 (4.10 compares as 4.1).
double VersionNumber(int major, int minor) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d", major, minor);
  return ParseReal(text);
}

void CreateInstallScript(SetupContext& ctx) {
  ctx.script = std::make_unique<InstallScript>();
  ctx.settings.itemNumberMap.fill(-1);
  ctx.settings.itemChosen.fill(0);
  ctx.settings.itemPreset.fill(0);
  ctx.settings.defaultDriveLetter = ctx.files().GetDriveType("A:\\") == DriveType::kFixed ? 'A' : 'C';
  uint32_t v = ctx.machine().Version();
  ctx.settings.windowsVersion = VersionNumber(int(v & 0xFF), int((v >> 8) & 0xFF));
  ctx.settings.dosVersion = VersionNumber(int(v >> 24), int((v >> 16) & 0xFF));
  ctx.prompts.LoadDefaults();
}

}  // namespace quorril
