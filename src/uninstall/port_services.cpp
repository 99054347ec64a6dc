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

}  // namespace

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
  if (caption.empty()) {
    *why = "a group may hold items of other programs";
    return UndoResult::kKept;
  }
  if (!shell_.Begin()) {
    *why = "the shell does not answer";
    return UndoResult::kFailed;
  }
  // The group the installation made the item in is made the current one.
  bool done = shell_.Execute("[CreateGroup(" + ShellArgument(group) + ")]") &&
              shell_.Execute("[DeleteItem(" + ShellArgument(caption) + ")]");
  shell_.End();
  if (done) return UndoResult::kUndone;
  *why = "the shell has no such item";
  return UndoResult::kKept;
}

}  // namespace quorril
