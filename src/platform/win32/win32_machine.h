// Win32Machine: the machine-facts port over KERNEL32, GDI32, ADVAPI32 and
// VERSION.
//
// Each method asks the system afresh: GetVersion, GlobalMemoryStatusEx,
// an information context on "DISPLAY" with GetDeviceCaps, GetSystemMetrics,
// GetSystemInfo, GetWindowsDirectoryA and GetSystemDirectoryA,
// GetModuleFileNameA, the version resource calls, the registry below
// HKEY_CLASSES_ROOT, and GetEnvironmentVariableA. A fact the system cannot
// give comes back as 0 or empty; nothing is cached and nothing is shown.
//
// VERSION.DLL is not one of the system's known DLLs: imported statically,
// it would be looked for beside the executable before start-up can narrow
// the search, so a DLL of that name placed beside a downloaded setup
// program would run inside it. It is therefore loaded on first use, by its
// full path in the system directory, and kept until the object goes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/machine.h"

namespace quorril {

class Win32Machine : public Machine {
 public:
  uint32_t Version() override;
  uint32_t TotalPhysicalMemory() override;
  DisplayFacts Display() override;
  void ScreenSize(int32_t* width, int32_t* height) override;
  uint32_t ProcessorType() override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::string ExecutablePath() override;
  bool FileVersionText(const std::string& path, std::string* version) override;
  bool ClassesRootDefault(const std::string& key, std::string* value) override;
  bool EnvironmentVariable(const std::string& name, std::string* value) override;

  Win32Machine();
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;
  ~Win32Machine() override;

 private:
  struct VersionLibrary;
  // Null until the first version query; empty when the library is missing.
  std::unique_ptr<VersionLibrary> version_;
};

}  // namespace quorril
