// Ports: the narrow interfaces through which the engine reaches the
// machine, gathered for the shell and the tools that assemble a run.
//
// Every port is a header of its own with its contract (file_system.h,
// machine.h, process.h, user_interface.h, screen_surface.h, profile.h,
// registry.h, program_manager.h, worker.h), a Win32 adapter in win32/ and an
// in-memory fake in memory/. Lower layers never take this struct: each
// function takes the ports it uses.
#pragma once

#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/program_manager.h"
#include "platform/screen_surface.h"
#include "platform/user_interface.h"
#include "platform/worker.h"

namespace quorril {

struct Ports {
  FileSystem* files = nullptr;
  Machine* machine = nullptr;
  Process* process = nullptr;
  UserInterface* ui = nullptr;
  // The screens the script describes; null where none can be shown (the
  // publisher's checker), and then start-up shows no intro screen and no
  // exit message.
  ScreenSurface* screens = nullptr;
  // The INI files of the system changes and the uninstaller.
  Profile* profile = nullptr;
  // The keys and values of the registry blocks and the uninstaller.
  Registry* registry = nullptr;
  // The shell's program groups and items.
  ProgramManager* programManager = nullptr;
  // A second thread for decoding; null where none is wanted (the dry run,
  // the checker): everything then runs on the calling thread.
  Worker* worker = nullptr;
};

}  // namespace quorril
