// Win32Process: the process port over CreateProcessA, WaitForSingleObject
// and WinExec. RunAndWait blocks the calling thread, without a time limit,
// until the started program has ended; Start does not wait.
#pragma once

#include <string>

#include "platform/process.h"

namespace quorril {

class Win32Process : public Process {
 public:
  bool RunAndWait(const std::string& commandLine) override;
  bool Start(const std::string& commandLine, int showState) override;
  bool RestartWindows(bool enablePrivilege) override;
};

}  // namespace quorril
