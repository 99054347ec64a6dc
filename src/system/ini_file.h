// INIFILE: one key of one section of an INI file (WIN.INI unless the line
// names another), set through the profile port, optionally appended to the
// key's value (ADD), optionally after a question (ASK).
//
// Journal lines, written only for what was written:
//   FILE: "<full path>"                                     the INI file did not exist before
//   INIFILE: "<section>", "<key>", "<value>", "<file>"      a key that did not exist
//   INIFILE: "<section>", "<key>", "<value>", "<file>", "<previous or combined value>"
//   INIFILE: "<section>", "<file>"                          the section did not exist
// The value and the file are the texts as used, after variable expansion;
// the file is named as the line gives it.
#pragma once

#include <string>

#include "model/script_model.h"
#include "system/change_context.h"

namespace quorril {

// The value a missing key or section reads as: no real value is expected
// to be this text.
inline constexpr const char kMissingProfileValue[] = "~Zemko";

// The file that the profile functions create for an INI file name: a name
// with a drive or beginning with "\" as it stands, a name without any "\"
// in the Windows directory, a relative path below the current directory.
std::string IniFilePath(Profile& profile, const ScriptVariables& variables, const std::string& file);

// Carries out one INIFILE record.
void ApplyIniFile(const ChangeContext& ctx, const IniFileRecord& record);

}  // namespace quorril
