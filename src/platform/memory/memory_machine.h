// MemoryMachine, MemoryProcess and ScriptedUserInterface: in-memory fakes of
// the machine-facts, process and user-interface ports.
//
// MemoryMachine answers with the facts a test sets (by default Windows 4.0
// on DOS 7.0, 16384 KB, 256 colours at 800x600, a 486, C:\WINDOWS).
// MemoryProcess records the command lines it is asked to start and can run
// a test's hook in their place. ScriptedUserInterface records every message
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
  void CreateMainWindow() override { mainWindowCreated = true; }
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
