// MemoryMachine, MemoryProcess and ScriptedUserInterface: in-memory fakes of
// the machine-facts, process and user-interface ports.
//
// MemoryMachine answers with the facts a test sets (by default Windows 4.0
// on DOS 7.0, 16384 KB, 256 colours at 800x600, a 486, C:\WINDOWS, COMSPEC
// C:\WINDOWS\COMMAND.COM).
// MemoryProcess records the command lines it is asked to start and the
// components it is asked to register, and can run a test's hook in their
// place. ScriptedUserInterface records every message
// box, window and banner, and answers message boxes from a queue (OK, or
// the first button, when the queue is empty).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/user_interface.h"

namespace quorril {

class MemoryMachine : public Machine {
 public:
  uint32_t version = 0x07000004;  // Windows 4.0, DOS 7.0
  uint32_t memory = 16384u * 1024u;
  DisplayFacts display{8, 1, 800, 600};
  uint32_t processor = kProcessorIntel486;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\SYSTEM";
  std::string executablePath = "C:\\SETUP\\SETUP.EXE";
  std::map<std::string, std::string> fileVersions;       // upper-case path -> FileVersion
  std::map<std::string, std::string> classesRootValues;  // upper-case key -> default value
  // upper-case name -> value
  std::map<std::string, std::string> environment{{"COMSPEC", "C:\\WINDOWS\\COMMAND.COM"}};

  // Windows and DOS versions as major.minor numbers.
  void SetVersions(int winMajor, int winMinor, int dosMajor, int dosMinor) {
    version = uint32_t(winMajor & 0xFF) | uint32_t(winMinor & 0xFF) << 8 | uint32_t(dosMinor & 0xFF) << 16 |
              uint32_t(dosMajor & 0xFF) << 24;
  }

  uint32_t Version() override { return version; }
  uint32_t TotalPhysicalMemory() override { return memory; }
  DisplayFacts Display() override { return display; }
  void ScreenSize(int32_t* width, int32_t* height) override {
    *width = display.width;
    *height = display.height;
  }
  uint32_t ProcessorType() override { return processor; }
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string SystemDirectory() override { return systemDirectory; }
  std::string ExecutablePath() override { return executablePath; }
  bool FileVersionText(const std::string& path, std::string* out) override {
    auto it = fileVersions.find(AsciiUpperCopy(path));
    if (it == fileVersions.end() || it->second.empty()) return false;
    *out = it->second;
    return true;
  }
  bool ClassesRootDefault(const std::string& key, std::string* value) override {
    auto it = classesRootValues.find(AsciiUpperCopy(key));
    if (it == classesRootValues.end()) return false;
    *value = it->second;
    return true;
  }
  bool EnvironmentVariable(const std::string& name, std::string* value) override {
    auto it = environment.find(AsciiUpperCopy(name));
    if (it == environment.end() || it->second.empty()) return false;
    *value = it->second;
    return true;
  }
};

class MemoryProcess : public Process {
 public:
  struct Started {
    std::string commandLine;
    bool waited;
    int showState;
  };
  std::vector<Started> started;
  // When set, decides whether a command line can be started (and may act
  // out what the program would do).
  std::function<bool(const std::string&)> hook;

  bool RunAndWait(const std::string& commandLine) override {
    started.push_back({commandLine, true, kShowNormal});
    return hook ? hook(commandLine) : true;
  }
  bool Start(const std::string& commandLine, int showState) override {
    started.push_back({commandLine, false, showState});
    return hook ? hook(commandLine) : true;
  }
  // Restarts asked for, with whether the privilege was to be enabled.
  std::vector<bool> restarts;
  bool RestartWindows(bool enablePrivilege) override {
    restarts.push_back(enablePrivilege);
    return true;
  }
  // The paths of the components asked to register, in order.
  std::vector<std::string> components;
  // When set, decides whether a component registers; without it every one does.
  std::function<bool(const std::string&)> componentHook;
  bool RegisterComponent(const std::string& path) override {
    components.push_back(path);
    return componentHook ? componentHook(path) : true;
  }
  // The paths of the components asked to unregister, in order; the hook
  // decides as for registering.
  std::vector<std::string> unregistered;
  bool UnregisterComponent(const std::string& path) override {
    unregistered.push_back(path);
    return componentHook ? componentHook(path) : true;
  }
};

class ScriptedUserInterface : public UserInterface {
 public:
  // What was shown, in order: "box:<caption>|<text>", "window:<title>",
  // "banner:<text>", "install-phase".
  std::vector<std::string> log;
  std::vector<MessageBoxRequest> boxes;
  std::deque<int> answers;
  bool mainWindowCreated = false;
  bool mainWindowShown = false;
  std::string mainWindowTitle;
  bool installPhasePosted = false;
  bool quitRequested = false;

  int ShowMessageBox(const MessageBoxRequest& request) override {
    boxes.push_back(request);
    log.push_back("box:" + (request.caption ? *request.caption : std::string("<default>")) + "|" + request.text);
    if (!answers.empty()) {
      int a = answers.front();
      answers.pop_front();
      return a;
    }
    uint32_t buttons = request.style & 0x0F;
    return buttons == kMbYesNo ? kIdYes : kIdOk;
  }
  // Answers of the modal dialogs, in order. An ask answer is the text typed,
  // or kCancelAnswer; a destination answer is a list of texts typed into
  // the input field, one per OK press, ending in kCancelAnswer or accepted.
  static constexpr const char* kCancelAnswer = "\x1b<cancel>";
  std::deque<std::string> askAnswers;
  std::deque<std::vector<std::string>> destinationAnswers;
  // Progress dialog state.
  bool progressDialog = false;
  int32_t progressItems = 0;
  std::vector<int32_t> percents;
  std::string progressUpper, progressLower;
  // PumpMessages() answers true (cancelled) from this call on (1-based);
  // 0 never.
  int cancelAtPump = 0;
  int pumps = 0;
  std::vector<uint32_t> beeps;

  void CreateMainWindow() override { mainWindowCreated = true; }
  void Beep(uint32_t type) override { beeps.push_back(type); }
  bool PumpMessages() override {
    ++pumps;
    return cancelAtPump > 0 && pumps >= cancelAtPump;
  }
  void CreateProgressDialog(int32_t totalItems, const DialogTexts&) override {
    if (totalItems == 0) return;
    progressDialog = true;
    progressItems = totalItems;
    log.push_back("progress:" + std::to_string(totalItems));
  }
  bool HasProgressDialog() override { return progressDialog; }
  void SetProgressTexts(const std::string& upper, const std::string& lower) override {
    progressUpper = upper;
    progressLower = lower;
  }
  void ShowProgress(int32_t percent) override { percents.push_back(percent); }
  void DestroyProgressDialog() override {
    if (progressDialog) log.push_back("progress-end");
    progressDialog = false;
  }
  int RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer, const DialogTexts&,
                   std::string* typed) override {
    log.push_back("ask:" + (prompt.state == 2 ? prompt.line1 + "|" + prompt.line2 : prompt.text));
    if (askAnswers.empty()) {
      *typed = defaultAnswer;
      return kIdOk;
    }
    std::string answer = askAnswers.front();
    askAnswers.pop_front();
    if (answer == kCancelAnswer) return kIdCancel;
    *typed = answer;
    return kIdOk;
  }
  int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                           const std::string& readOnly, const DialogTexts&, DestinationChecker* checker) override {
    log.push_back("destination:" + std::to_string(askMode) + ":" + input + "|" + readOnly);
    std::vector<std::string> typed;
    if (!destinationAnswers.empty()) {
      typed = destinationAnswers.front();
      destinationAnswers.pop_front();
    } else {
      typed.push_back(input);
    }
    for (const std::string& t : typed) {
      if (t == kCancelAnswer) return kIdCancel;
      if (checker->Accept(t)) return kIdOk;
    }
    // Nothing more to type: the person gives up.
    return kIdCancel;
  }
  void ShowMainWindow(const std::string& title) override {
    mainWindowShown = true;
    mainWindowTitle = title;
    log.push_back("window:" + title);
  }
  void ShowCheckingBanner(const std::string& text) override { log.push_back("banner:" + text); }
  void PostInstallPhase() override { installPhasePosted = true; }
  void RunMessageLoop(MainWindowEvents* events) override {
    if (installPhasePosted && events) {
      installPhasePosted = false;
      log.push_back("install-phase");
      events->OnInstallPhase();
    }
  }
  void QuitMessageLoop() override { quitRequested = true; }
};

}  // namespace quorril
