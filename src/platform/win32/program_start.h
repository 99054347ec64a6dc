// What the engine and the uninstaller do first when they start on Windows.
#pragma once

#include "platform/win32/handles.h"  // <windows.h> without the macros that clash with the ports

#include <string>

namespace quorril::win32 {

// Libraries are looked for in the system directory only, so that a DLL
// placed beside a downloaded program (or in the current directory) is
// never loaded into it. Systems without SetDefaultDllDirectories at least
// take the current directory out of the search.
inline void LimitLibrarySearchToSystem() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC entry = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
  if (entry)
    reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(entry))(LOAD_LIBRARY_SEARCH_SYSTEM32);
  else
    SetDllDirectoryA("");
}

// The command line without the program name (quoted or not) and the blanks
// after it.
inline std::string CommandLineArguments() {
  const char* p = GetCommandLineA();
  if (!p) p = "";
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return std::string(p);
}

}  // namespace quorril::win32
