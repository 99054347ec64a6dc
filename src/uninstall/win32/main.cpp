// The uninstaller's entry point on Windows: builds the Win32 ports, reads
// the command line and runs the uninstaller over the journal.
#include "platform/win32/handles.h"  // <windows.h> without the macros that clash with the ports

#include <string>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_profile.h"
#include "ui/win32/win32_user_interface.h"
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

// Registry keys, components and program items are not taken back yet.
class KeepingServices : public quorril::UndoServices {
 public:
  bool AskDeleteSharedFile(const std::string&) override { return false; }
  quorril::UndoResult UnregisterComponent(const std::string&, std::string* why) override { return Keep(why); }
  quorril::UndoResult DeleteRegistryKey(const std::string&, const std::string&, std::string* why) override {
    return Keep(why);
  }
  quorril::UndoResult DeleteProgramItem(const std::string&, const std::string&, std::string* why) override {
    return Keep(why);
  }

 private:
  static quorril::UndoResult Keep(std::string* why) {
    *why = "this uninstaller does not take it back";
    return quorril::UndoResult::kKept;
  }
};

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
  KeepingServices services;

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
