// The in-memory Program Manager: a command text is parsed whole into its
// commands, which are then carried out one by one on the groups (see
// memory_program_manager.h).
#include "platform/memory/memory_program_manager.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The argument at `index`, or "" when the command has fewer.
const std::string& Argument(const std::vector<std::string>& arguments, size_t index) {
  static const std::string kNone;
  return index < arguments.size() ? arguments[index] : kNone;
}

// Reads one argument from text[*at] up to the "," or ")" after it; false on
// a parenthesis or a double quote where the syntax has none.
bool ReadArgument(const std::string& text, size_t* at, std::string* argument) {
  size_t i = *at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && text[i] == '"') {
    size_t end = text.find('"', i + 1);
    if (end == std::string::npos) return false;
    *argument = text.substr(i + 1, end - i - 1);
    i = end + 1;
    while (i < text.size() && IsBlank(text[i])) ++i;
  } else {
    size_t start = i;
    while (i < text.size() && text[i] != ',' && text[i] != ')') {
      if (text[i] == '(' || text[i] == '"') return false;
      ++i;
    }
    *argument = std::string(Trim(std::string_view(text).substr(start, i - start)));
  }
  if (i >= text.size() || (text[i] != ',' && text[i] != ')')) return false;
  *at = i;
  return true;
}

}  // namespace

bool MemoryProgramManager::Begin() {
  ++begins;
  begun_ = canBegin;
  return begun_;
}

void MemoryProgramManager::End() {
  ++ends;
  begun_ = false;
}

bool MemoryProgramManager::Execute(const std::string& command) {
  commands.push_back(command);
  if (!begun_ || !answering || command.find('\0') != std::string::npos) return false;
  std::vector<Command> parsed;
  if (!Parse(command, &parsed)) return false;
  for (const Command& one : parsed)
    if (!Run(one)) return false;
  return true;
}

bool MemoryProgramManager::Request(const std::string& item, std::string* text) {
  if (!begun_ || !answering) return false;
  text->clear();
  if (EqualsNoCase(item, "Groups")) {
    for (const Group& group : groups_) *text += group.name + "\r\n";
    return true;
  }
  const Group* group = FindGroup(item);
  if (!group || !describesGroups) return false;
  *text = "\"" + group->name + "\"," + group->name + ".GRP," + std::to_string(group->items.size()) + "\r\n";
  for (const Item& i : group->items) *text += "\"" + i.caption + "\",\"" + i.commandLine + "\"\r\n";
  return true;
}

bool MemoryProgramManager::Parse(const std::string& text, std::vector<Command>* out) {
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  skipBlanks();
  if (i >= text.size()) return false;
  while (i < text.size()) {
    if (text[i] != '[') return false;
    size_t open = text.find('(', i + 1);
    if (open == std::string::npos) return false;
    Command command;
    command.name = std::string(Trim(std::string_view(text).substr(i + 1, open - i - 1)));
    if (command.name.empty() || command.name.find_first_of("[]\"),") != std::string::npos) return false;
    i = open + 1;
    skipBlanks();
    if (i < text.size() && text[i] == ')') {
      ++i;  // no arguments
    } else {
      for (;;) {
        std::string argument;
        if (!ReadArgument(text, &i, &argument)) return false;
        command.arguments.push_back(std::move(argument));
        if (text[i++] == ')') break;
      }
    }
    skipBlanks();
    if (i >= text.size() || text[i] != ']') return false;
    ++i;
    skipBlanks();
    out->push_back(std::move(command));
  }
  return true;
}

bool MemoryProgramManager::Run(const Command& command) {
  const std::vector<std::string>& arguments = command.arguments;
  const std::string& first = Argument(arguments, 0);
  if (EqualsNoCase(command.name, "CreateGroup")) {
    if (first.empty()) return false;
    if (!Find(first)) groups_.push_back(Group{first, {}});
    current_ = Find(first)->name;
    replaceAt_ = -1;
    return true;
  }
  if (EqualsNoCase(command.name, "ShowGroup")) return !first.empty();
  if (EqualsNoCase(command.name, "DeleteGroup")) {
    auto it = std::find_if(groups_.begin(), groups_.end(),
                           [&](const Group& group) { return EqualsNoCase(group.name, first); });
    if (first.empty() || it == groups_.end()) return false;
    if (EqualsNoCase(current_, first)) current_.clear();
    groups_.erase(it);
    return true;
  }
  if (EqualsNoCase(command.name, "AddItem")) return AddItem(arguments);
  if (EqualsNoCase(command.name, "ReplaceItem") || EqualsNoCase(command.name, "DeleteItem")) {
    std::ptrdiff_t index = ItemIndex(first);
    if (index < 0) return false;
    std::vector<Item>& items = Find(current_)->items;
    items.erase(items.begin() + index);
    replaceAt_ = EqualsNoCase(command.name, "ReplaceItem") ? index : -1;
    return true;
  }
  return false;
}

bool MemoryProgramManager::AddItem(const std::vector<std::string>& arguments) {
  Group* group = Find(current_);
  if (!group || arguments.empty() || arguments[0].empty()) return false;
  Item item;
  item.commandLine = arguments[0];
  if (files_ && item.commandLine.find('\\') != std::string::npos) {
    uint32_t attributes = files_->GetAttributes(item.commandLine);
    if (attributes == kInvalidAttributes || (attributes & kAttrDirectory)) return false;
  }
  item.caption = Argument(arguments, 1);
  if (item.caption.empty()) item.caption = FileTitle(item.commandLine);
  item.iconFile = Argument(arguments, 2);
  item.iconIndex = Argument(arguments, 3);
  item.workingDirectory = Argument(arguments, 6);

  std::ptrdiff_t same = ItemIndex(item.caption);
  if (same >= 0) {
    group->items[size_t(same)] = std::move(item);
  } else if (replaceAt_ >= 0 && size_t(replaceAt_) <= group->items.size()) {
    group->items.insert(group->items.begin() + replaceAt_, std::move(item));
  } else {
    group->items.push_back(std::move(item));
  }
  replaceAt_ = -1;
  return true;
}

MemoryProgramManager::Group* MemoryProgramManager::Find(const std::string& name) {
  if (name.empty()) return nullptr;
  for (Group& group : groups_)
    if (EqualsNoCase(group.name, name)) return &group;
  return nullptr;
}

const MemoryProgramManager::Group* MemoryProgramManager::FindGroup(const std::string& name) const {
  return const_cast<MemoryProgramManager*>(this)->Find(name);
}

std::vector<std::string> MemoryProgramManager::Captions(const std::string& group) const {
  std::vector<std::string> captions;
  if (const Group* found = FindGroup(group))
    for (const Item& item : found->items) captions.push_back(item.caption);
  return captions;
}

std::ptrdiff_t MemoryProgramManager::ItemIndex(const std::string& caption) {
  Group* group = Find(current_);
  if (!group || caption.empty()) return -1;
  for (size_t i = 0; i < group->items.size(); ++i)
    if (EqualsNoCase(group->items[i].caption, caption)) return std::ptrdiff_t(i);
  return -1;
}

}  // namespace quorril
