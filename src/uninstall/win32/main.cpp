// The uninstaller's entry point on Windows: builds the Win32 ports, reads
// the command line and runs the uninstaller over the journal.
#include "platform/win32/program_start.h"  // <windows.h> without the macros that clash with the ports

#include <string>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_program_manager.h"
#include "platform/win32/win32_registry.h"
#include "ui/win32/win32_user_interface.h"
#include "uninstall/port_services.h"
#include "uninstall/uninstall_run.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  quorril::win32::LimitLibrarySearchToSystem();
  SetErrorMode(SEM_FAILCRITICALERRORS);

  quorril::Win32FileSystem files;
  quorril::Win32Machine machine;
  quorril::Win32Profile profile;
  quorril::Win32UserInterface ui(instance);
  quorril::Win32Registry registry;
  quorril::Win32Process process;
  quorril::Win32ProgramManager shell;
  quorril::PortUndoServices services(registry, process, shell);

  quorril::UninstallOptions options;
  std::string error;
  if (!quorril::ParseUninstallArguments(quorril::win32::CommandLineArguments(), &options, &error)) {
    if (!options.silent)
      MessageBoxA(nullptr, ("unstall.exe [/SILENT | /VERYSILENT] [/LOG=FILE] [JOURNAL]\n\n" + error).c_str(),
                  quorril::kDefaultTitlePrompt, MB_OK | MB_ICONERROR);
    return quorril::kUninstallNoJournal;
  }
  quorril::UninstallPorts ports{files, machine, profile, ui, process, services, registry};
  return quorril::RunUninstall(ports, options, machine.ExecutablePath());
}
