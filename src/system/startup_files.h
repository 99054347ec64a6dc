// AUTOEXEC.BAT and CONFIG.SYS in the root of the boot drive: directories
// put in front of the PATH, SHARE loaded with enough file and lock slots,
// FILES and BUFFERS raised to a minimum, lines added before the last line
// of AUTOEXEC.BAT (which usually starts Windows) and at the end of
// CONFIG.SYS.
//
// Each file is read whole (lines of any length), changed in memory, and
// written whole beside the old one; the old file is copied to its backup
// (AUTOEXEC.BAK, CONFIG.BAK, replacing an older backup) and the new one
// then takes its place in one step, so that the machine is never left
// without its start-up file. With ASK the user is asked once the new file
// stands; No puts the old file back. The changes are journalled only once
// they stand:
//   AUTOEXEC: "<line before>", "<line after>"     a changed line
//   AUTOEXEC: "", "<line>"                         an added line
// and the same with CONFIG: for CONFIG.SYS.
#pragma once

#include <string>

#include "model/script_model.h"
#include "system/change_context.h"

namespace quorril {

// The start-up file `name` ("AUTOEXEC.BAT") in the root of the boot drive:
// C, or A when drive A: is a fixed disk.
std::string BootDrivePath(const ScriptSettings& settings, const std::string& name);

// Where the value of a PATH line starts ("PATH C:\DOS", "path=C:\DOS",
// "SET PATH=C:\DOS"), or npos when the line is no PATH line.
size_t PathValueStart(const std::string& line);

void ApplyAutoexec(const ChangeContext& ctx, const AutoexecSpec& spec);
void ApplyConfig(const ChangeContext& ctx, const ConfigSpec& spec);

}  // namespace quorril
