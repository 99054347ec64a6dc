// Win32ProgramManager: the Program Manager port over the DDE management
// library (DDEML), as a client only.
//
// Begin() sets up one DDEML instance (DdeInitializeA, APPCMD_CLIENTONLY)
// whose callback answers 0 to every transaction; End() and the destructor
// release it (DdeUninitialize). Execute() makes a string handle for
// "PROGMAN" (code page CP_WINANSI), connects with it as both service and
// topic, sends the text with its terminating zero as one XTYP_EXECUTE
// transaction in the CF_TEXT format with a time-out of 10 seconds, and
// disconnects; the string handle is freed on every path. Request() connects
// the same way and sends one XTYP_REQUEST transaction for the item in the
// CF_TEXT format, and takes the text up to its first zero. The instance
// belongs to the thread that called Begin(), which must also send the
// commands; DDEML pumps that thread's messages while it waits.
#pragma once

#include <string>

#include "platform/program_manager.h"

namespace quorril {

class Win32ProgramManager : public ProgramManager {
 public:
  Win32ProgramManager() = default;
  ~Win32ProgramManager() override { End(); }
  Win32ProgramManager(const Win32ProgramManager&) = delete;
  Win32ProgramManager& operator=(const Win32ProgramManager&) = delete;

  bool Begin() override;
  bool Execute(const std::string& command) override;
  bool Request(const std::string& item, std::string* text) override;
  void End() override;

 private:
  // The DDEML instance identifier; 0 while none is set up.
  unsigned long instance_ = 0;
};

}  // namespace quorril
