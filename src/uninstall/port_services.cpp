// The uninstaller's services over the engine's ports (see port_services.h).
#include "uninstall/port_services.h"

#include <vector>

#include "platform/process.h"
#include "platform/program_manager.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "system/program_groups.h"

namespace quorril {
namespace {

bool RootByName(const std::string& name, RegistryRootKey* root) {
  static const struct {
    const char* name;
    RegistryRootKey root;
  } kRoots[] = {{"HKEY_CLASSES_ROOT", RegistryRootKey::kClassesRoot},
                {"HKEY_USERS", RegistryRootKey::kUsers},
                {"HKEY_LOCAL_MACHINE", RegistryRootKey::kLocalMachine},
                {"HKEY_CURRENT_USER", RegistryRootKey::kCurrentUser},
                {"HKEY_CURRENT_CONFIG", RegistryRootKey::kCurrentConfig},
                {"HKEY_DYN_DATA", RegistryRootKey::kDynData}};
  for (const auto& r : kRoots)
    if (EqualsNoCase(name, r.name)) {
      *root = r.root;
      return true;
    }
  return false;
}

// The lines of a shell's answer that hold anything.
std::vector<std::string> AnswerLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

// False when the shell lists its groups and this one is not among them.
bool PortUndoServices::GroupMayBeThere(const std::string& group) {
  std::string text;
  if (!shell_.Request("Groups", &text)) return true;
  for (const std::string& name : AnswerLines(text))
    if (EqualsNoCase(name, group)) return true;
  return false;
}

// A group-only line: the group goes when the shell says it holds no item;
// a shell that cannot say keeps it, for it may hold other programs' items.
UndoResult PortUndoServices::DeleteEmptyGroup(const std::string& group, std::string* why) {
  std::string text;
  if (!shell_.Request(group, &text)) {
    *why = "the shell cannot tell whether the group is empty";
    return UndoResult::kKept;
  }
  if (AnswerLines(text).size() > 1) {
    *why = "the group holds items";
    return UndoResult::kKept;
  }
  if (shell_.Execute("[DeleteGroup(" + ShellArgument(group) + ")]")) return UndoResult::kUndone;
  *why = "the shell did not delete it";
  return UndoResult::kFailed;
}

UndoResult PortUndoServices::UnregisterComponent(const std::string& path, std::string* why) {
  if (process_.UnregisterComponent(path)) return UndoResult::kUndone;
  *why = "it did not unregister itself";
  return UndoResult::kKept;
}

UndoResult PortUndoServices::DeleteRegistryKey(const std::string& rootName, const std::string& subkey,
                                               std::string* why) {
  RegistryRootKey root;
  if (!RootByName(rootName, &root)) {
    *why = "it names no root key";
    return UndoResult::kRefused;
  }
  if (!subkey.empty() && subkey[0] == '\\') {
    *why = "its path begins with \"\\\"";
    return UndoResult::kRefused;
  }
  if (RegistryKeysOnPath(subkey).size() < 2) {
    *why = "it is a root or first-level key";
    return UndoResult::kRefused;
  }
  if (!registry_.KeyExists(root, subkey)) {
    *why = "it is not there";
    return UndoResult::kSkipped;
  }
  if (!registry_.DeleteKey(root, subkey) || registry_.KeyExists(root, subkey)) {
    *why = "it still has subkeys";
    return UndoResult::kKept;
  }
  return UndoResult::kUndone;
}

UndoResult PortUndoServices::DeleteProgramItem(const std::string& group, const std::string& caption,
                                               std::string* why) {
  if (!shell_.Begin()) {
    *why = "the shell does not answer";
    return UndoResult::kFailed;
  }
  // CreateGroup would make a group that is gone anew: the shell's list of
  // groups is asked first, where it gives one.
  if (!GroupMayBeThere(group)) {
    shell_.End();
    *why = "its group is not there";
    return UndoResult::kSkipped;
  }
  if (caption.empty()) {
    UndoResult result = DeleteEmptyGroup(group, why);
    shell_.End();
    return result;
  }
  // The group the installation made the item in is made the current one.
  bool done = shell_.Execute("[CreateGroup(" + ShellArgument(group) + ")]") &&
              shell_.Execute("[DeleteItem(" + ShellArgument(caption) + ")]");
  shell_.End();
  if (done) return UndoResult::kUndone;
  // Removed since, or replaced by a later item of the same caption: there
  // is nothing of this installation's left to take away.
  *why = "the shell has no such item";
  return UndoResult::kSkipped;
}

}  // namespace quorril
