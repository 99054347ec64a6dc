// RecordingCopyHost: the main window as the copy code sees it, for the tests
// of file installation and container extraction. It records what it is
// sent (progress, file names, pumps, disk questions) and shows the
// overwrite question and the reports of failures on a scripted user
// interface exactly as the install run shows them, so that the tests see
// the texts, captions and styles the user would.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "package/copy_host.h"
#include "platform/memory/memory_machine.h"
#include "shell/run_sequence.h"

namespace quorril::testing {

class RecordingCopyHost : public CopyHost {
 public:
  explicit RecordingCopyHost(ScriptedUserInterface& ui) : ui_(ui) {}

  ProgressCounters counters;
  // "progress:0", "file:<path>", "pump" (when recordPumps), "disk:<advance><restore>"
  std::vector<std::string> events;
  std::vector<int32_t> refreshes;  // bytesDone at each redraw
  bool recordPumps = true;
  int pumps = 0;
  int cancelAtPump = 0;  // 0: never; from this pump on the user has quit
  bool diskReached = false;
  // The answer of the next-disk question: nextDisk when set, else nextDiskAnswer.
  std::function<int(bool advance)> nextDisk;
  int nextDiskAnswer = 1;
  std::function<void(const std::string&)> onFileName;
  PromptTexts prompts;
  std::vector<CopyFailure> failures;

  ProgressCounters& Counters() override { return counters; }
  bool PumpMessages() override {
    if (recordPumps) events.push_back("pump");
    ++pumps;
    return cancelAtPump > 0 && pumps >= cancelAtPump;
  }
  void Progress(int code) override {
    events.push_back("progress:" + std::to_string(code));
    if (code == 0) refreshes.push_back(counters.bytesDone);
  }
  void ShowFileName(const std::string& path) override {
    events.push_back("file:" + path);
    if (onFileName) onFileName(path);
  }
  int AskNextDisk(bool advance, bool restore) override {
    events.push_back(std::string("disk:") + (advance ? "1" : "0") + (restore ? "1" : "0"));
    return nextDisk ? nextDisk(advance) : nextDiskAnswer;
  }
  bool DiskEntryReached() override { return diskReached; }
  bool AskOverwrite(const std::string& target) override {
    return ui_.ShowMessageBox(OverwriteQuestion(target, prompts)) == kIdYes;
  }
  void ReportFailure(CopyFailure failure, const std::string& path) override {
    failures.push_back(failure);
    ui_.ShowMessageBox(CopyFailureMessage(failure, path, prompts));
  }

  int Count(const std::string& event) const { return int(std::count(events.begin(), events.end(), event)); }

 private:
  ScriptedUserInterface& ui_;
};

}  // namespace quorril::testing
