// The machine-facts port: what the script's tests and start-up learn about
// the computer, and the version texts of files.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - Every call asks afresh (nothing is cached by the port) and never fails:
//    a fact the system cannot give comes back as 0 or empty.
//  - Version() is the GetVersion value: Windows major in the lowest byte,
//    minor in the next, DOS major in the highest byte, minor below it.
//  - TotalPhysicalMemory() is the 32-bit byte count of GlobalMemoryStatus,
//    saturated at 0xFFFFFFFF on larger machines.
//  - Display() measures the "DISPLAY" device: bits per pixel, planes and the
//    resolution in pixels. ScreenSize() is the primary screen's size.
//  - Directories come without a trailing backslash unless they are a root
//    ("C:\"), exactly as the system gives them.
//  - FileVersionText() reads the FileVersion string of a file's version
//    resource (US English, code page 1252, then Unicode); false when the file
//    has none or it is empty.
//  - ClassesRootDefault() reads the default value of a key below
//    HKEY_CLASSES_ROOT as text; false when the key or value is missing.
//  - EnvironmentVariable() reads a variable of the process environment
//    (COMSPEC); false when it is not set or empty.
#pragma once

#include <cstdint>
#include <string>

namespace quorril {

struct DisplayFacts {
  int32_t bitsPerPixel = 0;
  int32_t planes = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// GetSystemInfo's dwProcessorType values.
enum : uint32_t {
  kProcessorIntel386 = 386,
  kProcessorIntel486 = 486,
  kProcessorIntelPentium = 586,
};

class Machine {
 public:
  virtual ~Machine() = default;
  virtual uint32_t Version() = 0;
  virtual uint32_t TotalPhysicalMemory() = 0;
  virtual DisplayFacts Display() = 0;
  virtual void ScreenSize(int32_t* width, int32_t* height) = 0;
  virtual uint32_t ProcessorType() = 0;
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  virtual std::string ExecutablePath() = 0;
  virtual bool FileVersionText(const std::string& path, std::string* version) = 0;
  virtual bool ClassesRootDefault(const std::string& key, std::string* value) = 0;
  virtual bool EnvironmentVariable(const std::string& name, std::string* value) = 0;
};

}  // namespace quorril
