// The engine's entry point on Windows: builds the Win32 ports and runs the
// engine's process over them; its exit code is the process's.
#include "platform/win32/program_start.h"  // <windows.h> without the macros that clash with the ports

#include <string>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_worker.h"
#include "platform/win32/win32_program_manager.h"
#include "shell/engine_process.h"
#include "ui/win32/win32_user_interface.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else: libraries come from the system directory only.
  quorril::win32::LimitLibrarySearchToSystem();

  // A drive without a disk answers with an error instead of a system dialog,
  // from the first look at the script on.
  SetErrorMode(SEM_FAILCRITICALERRORS);

  quorril::Win32FileSystem files;
  quorril::Win32Machine machine;
  quorril::Win32Process process;
  quorril::Win32UserInterface ui(instance);
  quorril::Win32Profile profile;
  quorril::Win32Registry registry;
  quorril::Win32ProgramManager programManager;
  quorril::Win32Worker worker;
  // The engine's process: start-up, the message loop while the main window
  // lives, the exit phase with the uninstaller hand-over and the clean-up;
  // with the switches of an unattended installation, their answers, log and
  // exit code (shell/engine_process.h).
  return quorril::RunEngineProcess(
      quorril::Ports{&files, &machine, &process, &ui, &ui, &profile, &registry, &programManager, &worker},
      quorril::win32::CommandLineArguments(), machine.ExecutablePath());
}
