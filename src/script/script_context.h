// ScriptContext: what the script language works with while it reads a
// script and decides its IF tests — the script's state and the ports it
// reaches the machine through. The shell builds one from its run context;
// the publisher's checker and the tests build one over the in-memory fakes.
// The parser shows its own messages (a missing script, syntax errors)
// without an owner window, and the machine searches paint the "checking"
// banner.
#pragma once

#include "model/script_state.h"
#include "package/virtual_file.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/user_interface.h"

namespace quorril {

struct ScriptContext {
  ScriptState& state;
  FileSystem& files;           // short names, the current directory, isfile, search, locate
  Machine& machine;            // versions, memory, display, registered components
  UserInterface& ui;           // messages, the "checking" banner
  VirtualFileSystem& archive;  // the script is read through it, payload first
};

}  // namespace quorril
