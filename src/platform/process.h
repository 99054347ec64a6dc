// The process port: starting other programs, and calling the
// self-registration of component libraries.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - RunAndWait() starts a command line (CreateProcessA, no application
//    name, the caller's environment and current directory, the program's own
//    default window state) and blocks until the program has ended. It returns
//    false when the program could not be started; the caller reports nothing.
//  - Start() starts a command line the way WinExec does, with the given show
//    state (SW_HIDE 0, SW_SHOW 5), and does not wait. It returns false when
//    the program could not be started.
//  - RestartWindows() restarts the computer (ExitWindowsEx with EWX_REBOOT);
//    with `enablePrivilege` it first enables the shutdown privilege of the
//    process and does not restart when that fails. False when no restart
//    was started.
//  - RegisterComponent() loads a component library (an in-process server
//    or control) from its full path, calls its exported DllRegisterServer
//    entry without arguments, and unloads it. True when the entry returned
//    0; false when the library cannot be loaded (no such file, no library,
//    a library it needs is missing), has no such entry, or the entry
//    returned anything else. The caller reports the failure.
//  - UnregisterComponent() does the same with DllUnregisterServer.
#pragma once

#include <string>

namespace quorril {

enum : int { kShowHide = 0, kShowNormal = 1, kShowMaximized = 3, kShowShow = 5 };

class Process {
 public:
  virtual ~Process() = default;
  virtual bool RunAndWait(const std::string& commandLine) = 0;
  virtual bool Start(const std::string& commandLine, int showState) = 0;
  virtual bool RestartWindows(bool enablePrivilege) = 0;
  virtual bool RegisterComponent(const std::string& path) = 0;
  virtual bool UnregisterComponent(const std::string& path) = 0;
};

}  // namespace quorril
