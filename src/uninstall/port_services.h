// The uninstaller's services over the engine's ports: registry keys through
// the registry port, components through the process port, program items
// through the Program Manager port.
//
// A REGKEY line for a root or a first-level key (such as "Software") is
// refused; a key is deleted with its values only when no subkey is left
// below it. A component unregisters itself (DllUnregisterServer, loaded as
// the engine loads it) before its file is deleted. An item is deleted from
// its group. A group-only line (an empty caption) deletes the group when
// the shell says it holds no item; a shell that cannot say (Wine's) keeps
// it, for it may hold items of other programs.
#pragma once

#include <string>

#include "uninstall/undo.h"

namespace quorril {

class Process;
class ProgramManager;
class Registry;

class PortUndoServices : public UndoServices {
 public:
  PortUndoServices(Registry& registry, Process& process, ProgramManager& shell)
      : registry_(registry), process_(process), shell_(shell) {}
  bool AskDeleteSharedFile(const std::string&) override { return false; }
  UndoResult UnregisterComponent(const std::string& path, std::string* why) override;
  UndoResult DeleteRegistryKey(const std::string& root, const std::string& subkey, std::string* why) override;
  UndoResult DeleteProgramItem(const std::string& group, const std::string& caption, std::string* why) override;

 private:
  bool GroupMayBeThere(const std::string& group);
  UndoResult DeleteEmptyGroup(const std::string& group, std::string* why);

  Registry& registry_;
  Process& process_;
  ProgramManager& shell_;
};

}  // namespace quorril
