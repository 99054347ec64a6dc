// Win32Process: the process port over CreateProcessA, WaitForSingleObject
// and WinExec. RunAndWait blocks the calling thread, without a time limit,
// until the started program has ended; Start does not wait.
// RegisterComponent loads the library by its full path (GetFullPathNameA,
// LoadLibraryExA) with the libraries it imports looked for beside it and in
// the system directory, not beside the program; finds DllRegisterServer
// with GetProcAddress, calls it on the calling thread and frees the library
// with FreeLibrary.
#pragma once

#include <string>

#include "platform/process.h"

namespace quorril {

class Win32Process : public Process {
 public:
  bool RunAndWait(const std::string& commandLine) override;
  bool Start(const std::string& commandLine, int showState) override;
  bool RestartWindows(bool enablePrivilege) override;
  bool RegisterComponent(const std::string& path) override;
  bool UnregisterComponent(const std::string& path) override;
};

}  // namespace quorril
