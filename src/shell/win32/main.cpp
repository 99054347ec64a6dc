// The engine's entry point on Windows: builds the Win32 ports and one
// SetupContext over them, runs start-up, the message loop while the main
// window lives (the install run answers its messages), the exit phase with
// the uninstaller hand-over, and the clean-up at exit.
#include "platform/win32/program_start.h"  // <windows.h> without the macros that clash with the ports

#include <string>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_program_manager.h"
#include "shell/exit_phase.h"
#include "shell/run_sequence.h"
#include "shell/script_screens.h"
#include "shell/setup_context.h"
#include "shell/startup.h"
#include "shell/system_changes.h"
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
  quorril::SetupContext ctx(
      quorril::Ports{&files, &machine, &process, &ui, &ui, &profile, &registry, &programManager});

  // The screens are shown on the adapter's screen surface; the system
  // changes go through the same ports. The run outlives the main window's
  // message loop.
  quorril::ScriptScreens screens(ui);
  quorril::EngineSystemChanges changes;
  quorril::InstallRun run(ctx, &screens, &changes);
  if (quorril::Startup(ctx, quorril::win32::CommandLineArguments(), machine.ExecutablePath())) {
    ui.RunMessageLoop(&run);
    if (run.PhaseRan()) {
      quorril::RunExitPhase(ctx, run.RebootRequest());
      quorril::HandOverUninstaller(ctx);
    }
  }
  quorril::ExitCleanup(ctx);
  return 0;
}
