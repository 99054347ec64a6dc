// quorril-pack simulate: the engine's own start-up and run sequence on the
// in-memory machine of `check`, answered by an answers file, and a report
// of what the installation would do.
//
// The package (an engine with a payload) is C:\SETUP\<its name>, a script
// C:\SETUP\<its name> started by name from the engine C:\SETUP\SETUP.EXE;
// the files of the input's folder lie beside it. Every question is
// answered as /VERYSILENT answers it (shell/answering_ui.h). The report
// lists the answers and messages, the directories made, the files written
// (with their sizes; new, replaced, kept or deleted) and the system
// changes as the journal records them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "check_machine.h"
#include "shell/answers_file.h"

namespace quorril::pack {

struct SimulateRequest {
  CheckRequest machine;    // machine.script names the input
  std::string answersPath;  // --answers, "" without
  std::string journalPath;  // --journal, "" without
  std::string windowsDirectory = "C:\\WINDOWS";          // --windows-dir
  std::string systemDirectory = "C:\\WINDOWS\\SYSTEM";   // --system-dir
  uint32_t processor = 586;  // --processor 386|486|586 (GetSystemInfo's processor type)
  // --put PATH HOSTFILE: files on the machine before the run (their
  // contents are filled in by the caller: SimulateInput::puts).
  std::vector<std::pair<std::string, std::string>> puts;  // Windows path, host path
};

// Reads the check's options and "--answers FILE --journal OUT
// --windows-dir PATH --system-dir PATH --put PATH HOSTFILE --processor N";
// false with a message on wrong usage.
bool ParseSimulateArguments(const std::vector<std::string>& args, SimulateRequest* request, std::string* error);

struct SimulateInput {
  bool package = false;  // an engine with a payload, else a script
  CheckPackage folder;   // scriptName: the input's name; files: the input first, then its folder
  Answers answers;
  std::vector<CheckFile> puts;  // name: the full Windows path
};

enum : int { kSimulateInstalled = 0, kSimulateStopped = 1, kSimulateUnreadable = 2 };

struct SimulateResult {
  int exitCode = kSimulateInstalled;
  std::string output;      // the report
  bool hasJournal = false;
  std::string journal;     // the bytes of install.log
};

SimulateResult RunSimulation(const SimulateRequest& request, const SimulateInput& input);

}  // namespace quorril::pack
