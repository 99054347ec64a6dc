// Starting programs: CreateProcessA and a wait for RunAndWait, WinExec for
// Start; the self-registration of components.
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
  CloseHandle(started.hThread);
  win32::UniqueKernelHandle process(started.hProcess);
  // The exit code is not asked for: no caller examines it.
  WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

bool Win32Process::Start(const std::string& commandLine, int showState) {
  if (win32::HasNul(commandLine)) return false;
  // WinExec returns a value above 31 when the program was started.
  return WinExec(commandLine.c_str(), UINT(showState)) > 31;
}

bool Win32Process::RestartWindows(bool enablePrivilege) {
  if (enablePrivilege) {
    win32::UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive())) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    // Success with ERROR_NOT_ALL_ASSIGNED means the account lacks it.
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) ||
        GetLastError() != ERROR_SUCCESS)
      return false;
  }
  return ExitWindowsEx(EWX_REBOOT, 0) != FALSE;
}

namespace {

// Loads a component by its full path. What it imports is looked for beside
// it and in the system directory only, where the system can limit the
// search that way (it has AddDllDirectory, and with it the
// LOAD_LIBRARY_SEARCH_ flags); elsewhere the search begins beside the
// component instead of beside the program. Never beside the program: a
// setup program runs from wherever it was downloaded to.
HMODULE LoadComponent(const std::string& path) {
  std::string full;
  if (!win32::ReadSystemText(
          [&path](char* buffer, DWORD size) { return GetFullPathNameA(path.c_str(), size, buffer, nullptr); }, &full))
    return nullptr;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  bool searchFlags = kernel && GetProcAddress(kernel, "AddDllDirectory");
  DWORD flags =
      searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
  return LoadLibraryExA(full.c_str(), nullptr, flags);
}

}  // namespace

namespace {

// Loads a component and calls one of its self-registration entries.
bool CallServerEntry(const std::string& path, const char* name) {
  if (win32::HasNul(path)) return false;
  win32::UniqueModule module(LoadComponent(path));
  if (!module) return false;
  // STDAPI: on i686 a wrong calling convention would corrupt the stack.
  using ServerFunction = HRESULT(STDAPICALLTYPE*)();
  FARPROC entry = GetProcAddress(module.Get(), name);
  if (!entry) return false;
  return reinterpret_cast<ServerFunction>(reinterpret_cast<void*>(entry))() == 0;
}

}  // namespace

bool Win32Process::RegisterComponent(const std::string& path) { return CallServerEntry(path, "DllRegisterServer"); }

bool Win32Process::UnregisterComponent(const std::string& path) {
  return CallServerEntry(path, "DllUnregisterServer");
}

}  // namespace quorril
