// Program Manager groups (see program_groups.h): the steps are decided from
// the records alone, then sent and journalled in one place.
#include "system/program_groups.h"

#include "model/variables.h"
#include "platform/program_manager.h"
#include "platform/text.h"
#include "system/change_context.h"

namespace quorril {

std::string ShellArgument(const std::string& text) {
  if (text.find_first_of(",()") == std::string::npos || text.find('"') != std::string::npos) return text;
  return "\"" + text + "\"";
}

namespace {

std::string AddItemCommand(const ScriptVariables& variables, const WinItemRecord& record) {
  std::string command = record.command, caption = record.title, iconFile = record.iconFile,
              directory = record.workingDirectory;
  ExpandVariables(variables, &command);
  ExpandVariables(variables, &caption);
  ExpandVariables(variables, &iconFile);
  ExpandVariables(variables, &directory);

  std::string text = "[AddItem(" + ShellArgument(command);
  if (!caption.empty()) {
    text += ", " + ShellArgument(caption);
    // The two -1 ask for the default icon position; the working directory
    // is the seventh argument, after them.
    std::string emptyBefore = ", , , -1, -1,";
    if (!iconFile.empty()) {
      text += ", " + ShellArgument(iconFile);
      emptyBefore = ", , -1, -1,";
      if (!record.iconIndex.empty()) {
        text += ", " + ShellArgument(record.iconIndex);
        emptyBefore = ", -1, -1,";
      }
    }
    if (!directory.empty()) text += emptyBefore + ShellArgument(directory);
  }
  return text + ")]";
}

}  // namespace

std::vector<ProgramGroupStep> ProgramGroupSteps(const ScriptVariables& variables,
                                                const std::vector<WinItemRecord>& items) {
  std::vector<ProgramGroupStep> steps;
  auto send = [&steps](std::string text) { steps.push_back({ProgramGroupStep::Kind::kCommand, std::move(text)}); };
  auto journal = [&steps](const std::string& group, const std::string& caption) {
    steps.push_back(
        {ProgramGroupStep::Kind::kJournal, "WINITEM: " + JournalField(group) + ", " + JournalField(caption)});
  };

  // The group created last; consecutive items of one group create it once.
  std::string current;
  for (const WinItemRecord& record : items) {
    std::string group = record.group;
    ExpandLeadingVariable(variables, &group);
    if (record.mode == WinItemMode::kRemove && record.command.empty()) {
      send("[DeleteGroup(" + ShellArgument(group) + ")]");
      continue;
    }
    if (current.empty() || !EqualsNoCase(current, group)) {
      send("[CreateGroup(" + ShellArgument(group) + ")]");
      current = group;
    }
    if (record.command.empty()) {
      journal(group, record.title);
      continue;
    }
    if (record.mode == WinItemMode::kRemove) {
      send("[DeleteItem(" + ShellArgument(record.title) + ")]");
      continue;
    }
    if (record.mode == WinItemMode::kReplace) send("[ReplaceItem(" + ShellArgument(record.title) + ")]");
    send(AddItemCommand(variables, record));
    journal(group, record.title);
  }
  return steps;
}

void ApplyWinItems(ProgramManager& shell, FileSystem& files, Journal& journal, const ScriptVariables& variables,
                   const std::vector<WinItemRecord>& items) {
  if (!shell.Begin()) return;
  // An item is journalled only when the shell made it: the uninstaller
  // would otherwise delete an item of the same caption that another
  // program put there.
  bool done = false;
  for (const ProgramGroupStep& step : ProgramGroupSteps(variables, items)) {
    if (step.kind == ProgramGroupStep::Kind::kCommand)
      done = shell.Execute(step.text);
    else if (done)
      AppendJournal(files, journal, step.text);
  }
  shell.End();
}

}  // namespace quorril
