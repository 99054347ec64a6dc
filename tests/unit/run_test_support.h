// The fixture of the install run tests: a script parsed on the in-memory
// machine, the installation phase run against the scripted user interface,
// and recording stand-ins for the screens and the system changes.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_program_manager.h"
#include "script/parser.h"
#include "shell/exit_phase.h"
#include "shell/run_sequence.h"
#include "shell/setup_context.h"

namespace quorril::testing {

// The scripted user interface, with a hook on every message box (a test
// puts the right disk into the drive while the question is on screen) and
// the prompts of the destination dialogs.
class RunUserInterface : public ScriptedUserInterface {
 public:
  std::function<void(const MessageBoxRequest&, int count)> onBox;
  std::vector<DialogPrompt> destinationPrompts;

  int ShowMessageBox(const MessageBoxRequest& request) override {
    int count = int(boxes.size()) + 1;
    if (onBox) onBox(request, count);
    return ScriptedUserInterface::ShowMessageBox(request);
  }
  int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                           const std::string& readOnly, const DialogTexts& texts,
                           DestinationChecker* checker) override {
    destinationPrompts.push_back(prompt);
    return ScriptedUserInterface::RunDestinationDialog(prompt, askMode, input, readOnly, texts, checker);
  }
  // The entries of the log that begin with `prefix`.
  std::vector<std::string> Logged(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : log)
      if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
  }
};

// Screens that answer from fields and log what they were asked into the
// user interface's log, so the order against the dialogs shows.
class RecordingScreens : public Screens {
 public:
  explicit RecordingScreens(ScriptedUserInterface& ui) : ui_(ui) {}
  int firstScreenAnswer = kIdOk;
  int groupAnswer = kIdOk;
  int lastScreenAnswer = kIdOk;
  // Choice numbers that the choice screens leave checked.
  std::vector<int> choose;

  int ShowFirstScreen(SetupContext&) override {
    ui_.log.push_back("screen:first");
    return firstScreenAnswer;
  }
  int RunGroupScreens(SetupContext& ctx) override {
    ui_.log.push_back("screen:groups");
    for (int number : choose) {
      int32_t index = ctx.script.settings.itemNumberMap[size_t(number)];
      if (index >= 0) ctx.script.settings.itemChosen[size_t(index)] = 1;
    }
    return groupAnswer;
  }
  void ShowPopup(SetupContext&, int32_t id) override { ui_.log.push_back("popup:" + std::to_string(id)); }
  void KeepProgressInFront(SetupContext&) override { ++keptInFront; }
  void ClosePopup(SetupContext&) override { ui_.log.push_back("popup-closed"); }
  int ShowLastScreen(SetupContext&) override {
    ui_.log.push_back("screen:last");
    return lastScreenAnswer;
  }
  int keptInFront = 0;

 private:
  ScriptedUserInterface& ui_;
};

class RecordingSystemChanges : public SystemChanges {
 public:
  explicit RecordingSystemChanges(ScriptedUserInterface& ui) : ui_(ui) {}
  // Paths whose registration fails.
  std::vector<std::string> failing;
  int startupFilesResult = 0;

  int ChangeStartupFiles(SetupContext&) override {
    ui_.log.push_back("system:startup-files");
    return startupFilesResult;
  }
  int ChangeIniFiles(SetupContext&) override {
    ui_.log.push_back("system:ini");
    return 0;
  }
  bool RegisterComponent(SetupContext&, const std::string& path) override {
    ui_.log.push_back("system:register:" + path);
    for (const std::string& f : failing)
      if (f == path) return false;
    return true;
  }
  int AddTexts(SetupContext&) override {
    ui_.log.push_back("system:addtext");
    return 0;
  }
  void WriteRegistryBlocks(SetupContext& ctx) override {
    ui_.log.push_back("system:registry:" + std::to_string(ctx.script.model->registryBlocks.size()));
  }
  void MakeProgramGroups(SetupContext&) override { ui_.log.push_back("system:groups"); }
  // Not logged: the runs' expected logs end with the registry and groups.
  void ListInstallation(SetupContext&, int64_t installedBytes) override { listedBytes.push_back(installedBytes); }
  std::vector<int64_t> listedBytes;

 private:
  ScriptedUserInterface& ui_;
};

// The machine every run test starts from: the setup folder C:\SETUP (also
// the current directory), the Windows folders, and the variables that
// start-up would set for them.
inline void PrepareSetupMachine(MemoryFileSystem& files, SetupContext& ctx) {
  files.AddDirectory("C:\\SETUP");
  files.AddDirectory("C:\\WINDOWS\\SYSTEM");
  files.AddDirectory("C:\\WINDOWS\\TEMP");
  files.SetTempDirectory("C:\\WINDOWS\\TEMP\\");
  files.SetCurrentDirectory("C:\\SETUP");
  ctx.startup.ownerWindowSet = true;
  ScriptVariables& vars = ctx.script.variables;
  vars.sourceDir = vars.sourceDir8 = "C:\\SETUP";
  vars.sourceDrive = "C";
  vars.winDir = "C:\\WINDOWS";
  vars.winSysDir = "C:\\WINDOWS\\SYSTEM";
  vars.winHelpDir = "C:\\WINDOWS\\help";
}

class RunTest : public ::testing::Test {
 protected:
  static constexpr const char* kScriptPath = "C:\\SETUP\\SETUP.CFG";

  RunTest() : ctx(Ports{&files, &machine, &process, &ui, nullptr, &profile, &registry, &programManager}) {
    PrepareSetupMachine(files, ctx);
  }

  // Parses a script of these lines (CR LF line ends); the test fails when
  // the parser refuses it.
  void Script(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    files.AddFile(kScriptPath, text);
    CreateInstallScript(ctx.script, files, machine);
    ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0) << ctx.script.parser.lastError.lineText;
  }
  // A source file in the setup directory.
  void Source(const std::string& name, const std::string& contents = "data") {
    files.AddFile("C:\\SETUP\\" + name, contents);
  }
  // Message 1025 with the given plug-ins; the sequence's result.
  int Install(Screens* screens = nullptr, SystemChanges* changes = nullptr) {
    run = std::make_unique<InstallRun>(ctx, screens, changes);
    run->OnInstallPhase();
    return run->Result();
  }
  std::string Journal(const std::string& path = "C:\\APP\\install.log") const {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }
  // The texts of the message boxes shown, "caption|text".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const MessageBoxRequest& box : ui.boxes)
      out.push_back((box.caption ? *box.caption : "<default>") + "|" + box.text);
    return out;
  }
  static std::string Lines(std::initializer_list<std::string> lines) {
    std::string s;
    for (const std::string& line : lines) s += line + "\r\n";
    return s;
  }

  static constexpr const char* kHeader =
      "UNINSTALLBEGINPROMPT: \"Do you want this application removed from your system?\"\r\n"
      "UNINSTALLENDPROMPT: \"This application has been successfully removed from your system.\"\r\n"
      "UNINSTALLTITLEPROMPT: \"UnInstall\"\r\n";

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  RunUserInterface ui;
  MemoryProfile profile{files, machine};
  MemoryRegistry registry;
  MemoryProgramManager programManager;
  SetupContext ctx;
  std::unique_ptr<InstallRun> run;
};

}  // namespace quorril::testing
