// The uninstaller's services over the engine's ports: registry keys through
// the registry port. A REGKEY line for a root or a first-level key (such as
// "Software") is refused; a key is deleted with its values only when no
// subkey is left below it.
#pragma once

#include <string>

#include "uninstall/undo.h"

namespace quorril {

class Registry;

class PortUndoServices : public UndoServices {
 public:
  explicit PortUndoServices(Registry& registry) : registry_(registry) {}
  bool AskDeleteSharedFile(const std::string&) override { return false; }
  UndoResult UnregisterComponent(const std::string& path, std::string* why) override;
  UndoResult DeleteRegistryKey(const std::string& root, const std::string& subkey, std::string* why) override;
  UndoResult DeleteProgramItem(const std::string& group, const std::string& caption, std::string* why) override;

 private:
  Registry& registry_;
};

}  // namespace quorril
