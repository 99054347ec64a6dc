// INIFILE (see ini_file.h).
#include "system/ini_file.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "model/variables.h"
#include "platform/file_system.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "platform/user_interface.h"
#include "platform/windows_path.h"

namespace quorril {

std::string IniFilePath(Profile& profile, const ScriptVariables& variables, const std::string& file) {
  if (IsAbsolutePath(file) || HasDrive(file)) return file;
  if (file.find_first_of("\\/") == std::string::npos) return variables.winDir + "\\" + file;
  return profile.FullPath(file);
}

void ApplyIniFile(const ChangeContext& ctx, const IniFileRecord& record) {
  const ScriptVariables& variables = ctx.script.variables;
  std::string value = record.value;
  ExpandVariables(variables, &value);
  ExpandSearchResult(variables, &value);
  std::string file = record.fileName, section = record.section, key = record.entry;
  ExpandVariables(variables, &file);
  ExpandVariables(variables, &section);
  ExpandVariables(variables, &key);

  if (record.mode == ChangeMode::kAsk) {
    int answer = ShowMessageBox(ctx.ui, ctx.script.Prompt(PromptId::kIniFile) + file + "?", std::string(),
                                kMbYesNo | kMbIconQuestion, ctx.ownerWindow);
    if (answer != kIdYes) return;
  }

  // A file that the write below creates is deleted again by the uninstaller.
  std::string createdFile;
  if (!EqualsNoCase(file, "WIN.INI")) {
    std::string fullPath = IniFilePath(ctx.profile, variables, file);
    if (!ctx.files.Open(fullPath, OpenMode::kRead)) {
      uint32_t error = ctx.files.LastError();
      if (error != kErrorFileNotFound && error != kErrorPathNotFound) return;  // there, but not readable now
      createdFile = fullPath;
    }
  }

  // What the file holds now decides the journal line; a file that cannot
  // be read now is left alone rather than journalled wrongly.
  std::vector<std::string> keys;
  std::string current;
  if (!ctx.profile.ReadKeyNames(file, section, &keys)) return;
  if (!ctx.profile.ReadValue(file, section, key, kMissingProfileValue, &current)) return;
  const bool sectionExisted = !keys.empty();
  if (EqualsNoCase(current, value)) return;

  std::string line = "INIFILE: " + JournalField(section) + ", " + JournalField(key) + ", " + JournalField(value) +
                     ", " + JournalField(file);
  std::string written = value;
  if (current != kMissingProfileValue) {
    if (record.add) {
      if (AsciiUpperCopy(current).find(AsciiUpperCopy(value)) != std::string::npos) return;
      written = current + " " + value;
      line += ", " + JournalField(written);
    } else {
      line += ", " + JournalField(current);
    }
  }

  if (!ctx.profile.WriteValue(file, section, key, written)) return;
  if (!createdFile.empty()) AppendJournal(ctx.files, ctx.journal, "FILE: " + JournalField(createdFile));
  AppendJournal(ctx.files, ctx.journal, line);
  ctx.profile.Flush(file);
  if (!sectionExisted)
    AppendJournal(ctx.files, ctx.journal, "INIFILE: " + JournalField(section) + ", " + JournalField(file));
}

}  // namespace quorril
