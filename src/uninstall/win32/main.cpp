// The uninstaller's entry point on Windows: builds the Win32 ports, reads
// the command line and runs the uninstaller over the journal.
#include "platform/win32/handles.h"  // <windows.h> without the macros that clash with the ports

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

namespace {

// The command line without the program name (quoted or not).
std::string ArgumentsOf(const char* commandLine) {
  const char* p = commandLine ? commandLine : "";
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  return std::string(p);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Libraries come from the system directory only (see the engine's entry).
  {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC entry = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (entry)
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(entry))(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else
      SetDllDirectoryA("");
  }
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
  if (!quorril::ParseUninstallArguments(ArgumentsOf(GetCommandLineA()), &options, &error)) {
    if (!options.silent)
      MessageBoxA(nullptr, ("unstall.exe [/SILENT | /VERYSILENT] [/LOG=FILE] [JOURNAL]\n\n" + error).c_str(),
                  quorril::kDefaultTitlePrompt, MB_OK | MB_ICONERROR);
    return quorril::kUninstallNoJournal;
  }
  quorril::UninstallPorts ports{files, machine, profile, ui, services};
  return quorril::RunUninstall(ports, options, machine.ExecutablePath());
}
