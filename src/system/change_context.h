// What the system changes of the final install phase work with: the ports
// that reach the files, the INI profile, the registry, the environment and
// the user, the install journal, and the script's state (its variables, texts and
// settings). The shell hands one out for the run; tests build it over the
// in-memory fakes.
#pragma once

#include "journal/journal.h"
#include "model/script_state.h"

namespace quorril {

class FileSystem;
class Machine;
class Profile;
class Registry;
class UserInterface;

struct ChangeContext {
  FileSystem& files;
  Machine& machine;
  Profile& profile;
  Registry& registry;
  UserInterface& ui;
  Journal& journal;
  const ScriptState& script;
  // The questions belong to the main window once it exists.
  bool ownerWindow = true;
};

// A field of a journal line: the text between double quotes, unescaped.
inline std::string JournalField(const std::string& text) { return "\"" + text + "\""; }

}  // namespace quorril
