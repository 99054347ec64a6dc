// Starting programs: CreateProcessA and a wait for RunAndWait, WinExec for
// Start.
#include "platform/win32/win32_process.h"

#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_text.h"

namespace quorril {

bool Win32Process::RunAndWait(const std::string& commandLine) {
  if (win32::HasNul(commandLine)) return false;
  // CreateProcessA may write into the command line, so it gets a copy.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  // Zero-filled with no flags: the program uses its own default window state.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
    return false;
  win32::UniqueKernelHandle process(started.hProcess);
  win32::UniqueKernelHandle thread(started.hThread);
  thread.Reset();
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);  // read and ignored: no caller uses it
  return true;
}

bool Win32Process::Start(const std::string& commandLine, int showState) {
  if (win32::HasNul(commandLine)) return false;
  // WinExec returns a value above 31 when the program was started.
  return WinExec(commandLine.c_str(), UINT(showState)) > 31;
}

bool Win32Process::RestartWindows(bool enablePrivilege) {
  if (enablePrivilege) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return false;
    win32::UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr)) return false;
  }
  return ExitWindowsEx(EWX_REBOOT, 0) != FALSE;
}

}  // namespace quorril
