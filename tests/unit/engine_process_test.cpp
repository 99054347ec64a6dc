// The engine's process with the switches of an unattended installation:
// which tokens are switches, what each mode shows, the answers it takes,
// its log and its exit codes; and that a command line without switches
// runs as it always did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/memory_program_manager.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/scripted_screens.h"
#include "shell/engine_process.h"

namespace quorril {
namespace {

TEST(EngineSwitches, SwitchesAreWholeTokensBeginningWithASlash) {
  struct Case {
    const char* arguments;
    const char* rest;
    bool silent, verySilent;
    const char* dir;
    const char* answers;
    const char* log;
  };
  const std::vector<Case> cases = {
      {"", "", false, false, nullptr, "", ""},
      {"-a MY.CFG -b", "-a MY.CFG -b", false, false, nullptr, "", ""},
      {"/SILENT", "", true, false, nullptr, "", ""},
      {"/verysilent -x  OTHER.CFG", "-x OTHER.CFG", true, true, nullptr, "", ""},
      {"/Dir=D:\\APP /LOADINF=C:\\A.INI /log=C:\\L.TXT", "", false, false, "D:\\APP", "C:\\A.INI", "C:\\L.TXT"},
      {"\"/DIR=C:\\Program Files\\App\" -o", "-o", false, false, "C:\\Program Files\\App", "", ""},
      {"/DIR=\"C:\\Program Files\\App\" SETUP.CFG", "SETUP.CFG", false, false, "C:\\Program Files\\App", "", ""},
      // "-/SILENT" is a start-up option, not a switch.
      {"-/SILENT", "-/SILENT", false, false, nullptr, "", ""},
  };
  for (const Case& c : cases) {
    EngineSwitches switches;
    std::string rest, error;
    ASSERT_TRUE(SplitEngineSwitches(c.arguments, &switches, &rest, &error)) << c.arguments << ": " << error;
    EXPECT_EQ(rest, c.rest) << c.arguments;
    EXPECT_EQ(switches.silent, c.silent) << c.arguments;
    EXPECT_EQ(switches.verySilent, c.verySilent) << c.arguments;
    EXPECT_EQ(switches.dir.has_value(), c.dir != nullptr) << c.arguments;
    if (c.dir && switches.dir) {
      EXPECT_EQ(*switches.dir, c.dir);
    }
    EXPECT_EQ(switches.answersPath, c.answers);
    EXPECT_EQ(switches.logPath, c.log);
  }
  EngineSwitches none;
  std::string rest, error;
  ASSERT_TRUE(SplitEngineSwitches("  -a\tB.CFG ", &none, &rest, &error));
  EXPECT_FALSE(none.any);
  EXPECT_EQ(rest, "  -a\tB.CFG ") << "without switches the arguments stay as they were";
}

TEST(EngineSwitches, WrongSwitchesAreRefusedWithTheReason) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"/QUIET", "unknown switch: /QUIET"},
      {"/SILENTLY", "unknown switch: /SILENTLY"},
      {"/DIR", "unknown switch: /DIR"},
      {"/DIR=", "no value: /DIR="},
      {"/LOG= x", "no value: /LOG="},
      {"/LOADINF=a /LOADINF=b", "given twice: /LOADINF=b"},
      {"/SILENT /VERYSILENT", "given twice: /VERYSILENT"},
  };
  for (const auto& [arguments, message] : cases) {
    EngineSwitches switches;
    std::string rest, error;
    EXPECT_FALSE(SplitEngineSwitches(arguments, &switches, &rest, &error)) << arguments;
    EXPECT_EQ(error, message);
  }
}

const char kScript[] =
    "UNINSTALL: YES\n"
    "ASK1: \"Tools\" prompt=\"Folder for the tools:\"\n"
    "DEFAULTDIR: \"C:\\APP\"\n"
    "BEGINGROUP\n"
    "  Choose:\n"
    "10 [X] Program\n"
    "20 [ ] Documentation\n"
    "ENDGROUP\n"
    "IF GROUP=10\nFILE: \"PROG.TXT\"\nENDIF\n"
    "IF GROUP=20\nFILE: \"$ASK1$\\DOC.TXT\"\nENDIF\n";

class EngineProcessTest : public ::testing::Test {
 protected:
  EngineProcessTest() {
    files.AddDirectory("C:\\SETUP");
    files.AddDirectory("C:\\WINDOWS\\SYSTEM");
    files.AddDirectory("C:\\WINDOWS\\TEMP");
    files.AddFile("C:\\SETUP\\PROG.TXT", "program");
    files.AddFile("C:\\SETUP\\DOC.TXT", "documentation");
    machine.executablePath = "C:\\SETUP\\SETUP.EXE";
    machine.windowsDirectory = "C:\\WINDOWS";
    machine.systemDirectory = "C:\\WINDOWS\\SYSTEM";
  }
  int Run(const std::string& arguments, const std::string& script = kScript) {
    files.AddFile("C:\\SETUP\\SETUP.cfg", script);
    return RunEngineProcess(Ports{&files, &machine, &process, &ui, &screens, &profile, &registry, &programManager},
                            arguments, "C:\\SETUP\\SETUP.EXE");
  }
  std::string Read(const std::string& path) {
    std::string text;
    files.ReadWholeFile(path, &text);
    return text;
  }
  bool Logged(const std::string& line) { return Read("C:\\LOG.TXT").find(line + "\r\n") != std::string::npos; }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  ScriptedScreens screens;
  MemoryProfile profile{files, machine};
  MemoryRegistry registry;
  MemoryProgramManager programManager;
};

TEST_F(EngineProcessTest, WithoutSwitchesThePersonIsAskedAndTheExitCodeIsZero) {
  screens.answers.push_back(ScriptedScreens::Cancel());  // the choice screen cancelled
  EXPECT_EQ(Run("-x"), kExitInstalled);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(ui.log.size() > 0, true);
  EXPECT_EQ(screens.dialogs.size(), 1u);
  EXPECT_FALSE(files.Exists("C:\\APP\\PROG.TXT"));
}

TEST_F(EngineProcessTest, VerySilentShowsNothingAndTakesTheAnswersFile) {
  files.AddFile("C:\\ANSWERS.INI", "[Setup]\nDir=C:\\ELSEWHERE\nAsk1=Kit\nChoices=20\n");
  EXPECT_EQ(Run("/VERYSILENT /LOADINF=C:\\ANSWERS.INI /LOG=C:\\LOG.TXT"), kExitInstalled) << Read("C:\\LOG.TXT");
  EXPECT_FALSE(ui.mainWindowCreated);
  EXPECT_TRUE(ui.log.empty());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(screens.dialogs.empty());
  EXPECT_TRUE(screens.log.empty());
  EXPECT_EQ(Read("C:\\ELSEWHERE\\Kit\\DOC.TXT"), "documentation");
  EXPECT_FALSE(files.Exists("C:\\ELSEWHERE\\PROG.TXT"));
  EXPECT_TRUE(Logged("answer: ASK1 Kit"));
  EXPECT_TRUE(Logged("destination: C:\\ELSEWHERE"));
  EXPECT_TRUE(Logged("journal: FILE: \"C:\\ELSEWHERE\\Kit\\DOC.TXT\""));
  EXPECT_TRUE(Logged("result: installed"));
}

TEST_F(EngineProcessTest, SilentShowsTheMainWindowAndProgressButNoQuestion) {
  EXPECT_EQ(Run("/SILENT /DIR=C:\\CHOSEN"), kExitInstalled);
  EXPECT_TRUE(ui.mainWindowShown);
  EXPECT_EQ(ui.progressItems, 1) << "the progress dialog of the one file chosen";
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(screens.dialogs.empty()) << "the choice screen is answered, not shown";
  EXPECT_FALSE(screens.log.empty()) << "the main window is painted";
  for (const std::string& line : ui.log) EXPECT_NE(line.rfind("ask:", 0), 0u) << line;
  EXPECT_EQ(Read("C:\\CHOSEN\\PROG.TXT"), "program") << "the presets and /DIR";
}

TEST_F(EngineProcessTest, AnAccessListThatCouldNotBeSetIsInTheLogAndTheInstallationGoesOn) {
  files.SetKeepsAccessLists(false);
  EXPECT_EQ(Run("/VERYSILENT /DIR=C:\\NEWAPP /LOG=C:\\LOG.TXT"), kExitInstalled) << Read("C:\\LOG.TXT");
  EXPECT_EQ(Read("C:\\NEWAPP\\PROG.TXT"), "program");
  EXPECT_NE(Read("C:\\LOG.TXT").find("note: The access list of C:\\NEWAPP"), std::string::npos) << Read("C:\\LOG.TXT");
  EXPECT_TRUE(Logged("result: installed"));
}

TEST_F(EngineProcessTest, AnUnattendedInstallationShowsNoReadmeButStartsItsPrograms) {
  const std::string script = std::string(kScript) + "SHOWREADME \"PROG.TXT\"\nRUNATEXIT \"tool.exe\"\n";
  auto commandLines = [&] {
    std::vector<std::string> lines;
    for (const MemoryProcess::Started& s : process.started) lines.push_back(s.commandLine);
    return lines;
  };
  for (const char* arguments : {"/VERYSILENT /LOG=C:\\LOG.TXT", "/SILENT /LOG=C:\\LOG.TXT"}) {
    process.started.clear();
    EXPECT_EQ(Run(arguments, script), kExitInstalled) << arguments;
    EXPECT_EQ(commandLines(), std::vector<std::string>{"tool.exe"}) << arguments;
    EXPECT_TRUE(Logged("readme: not shown (unattended)")) << arguments;
  }
  process.started.clear();
  EXPECT_EQ(Run("", script), kExitInstalled);
  ASSERT_FALSE(commandLines().empty());
  EXPECT_EQ(commandLines().front().rfind("notepad ", 0), 0u) << "a person sees the read-me";
}

TEST_F(EngineProcessTest, DirOnTheCommandLineOverTheAnswersFile) {
  files.AddFile("C:\\ANSWERS.INI", "[Setup]\nDir=C:\\FROMFILE\n");
  EXPECT_EQ(Run("/VERYSILENT /DIR=C:\\FROMLINE /LOADINF=C:\\ANSWERS.INI"), kExitInstalled);
  EXPECT_TRUE(files.Exists("C:\\FROMLINE\\PROG.TXT"));
  EXPECT_FALSE(files.Exists("C:\\FROMFILE"));
}

TEST_F(EngineProcessTest, AMessageThatStopsTheInstallationEndsItWithTwoAndGoesToTheLog) {
  EXPECT_EQ(Run("/VERYSILENT /LOG=C:\\LOG.TXT", "DEFAULTDIR: \"C:\\APP\"\nMINDISKSPACE: 9000M\nFILE: \"PROG.TXT\"\n"),
            kExitFailed);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(Logged("message: Not enough disk space on the destination drive for installation."));
  EXPECT_TRUE(Logged("result: failed: Not enough disk space on the destination drive for installation."));
}

TEST_F(EngineProcessTest, StartUpFailuresEndWithTwo) {
  EXPECT_EQ(Run("/VERYSILENT /LOG=C:\\LOG.TXT", "OVERWRITEFILE: maybe\n"), kExitFailed);
  EXPECT_TRUE(Logged("message: Syntax error, line: 1: OVERWRITEFILE: maybe")) << Read("C:\\LOG.TXT");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Run("/VERYSILENT MISSING.CFG"), kExitFailed);
}

TEST_F(EngineProcessTest, WrongSwitchesAnswersOrLogEndWithTwoBeforeAnythingIsDone) {
  struct Case {
    std::string arguments;
    std::string why;
    bool box;
  };
  files.AddFile("C:\\BAD.INI", "[Setup]\nSilent=Yes\n");
  const std::vector<Case> cases = {
      {"/SILENT /FOO", "unknown switch: /FOO", true},
      {"/VERYSILENT /FOO", "unknown switch: /FOO", false},
      {"/SILENT /LOADINF=C:\\NONE.INI", "cannot open the answers file C:\\NONE.INI", true},
      {"/LOADINF=C:\\BAD.INI", "C:\\BAD.INI: line 2: unknown key: Silent", true},
      {"/VERYSILENT /LOADINF=C:\\BAD.INI", "C:\\BAD.INI: line 2: unknown key: Silent", false},
      {"/VERYSILENT /LOG=Q:\\NO\\LOG.TXT", "cannot create the log Q:\\NO\\LOG.TXT", false},
  };
  for (const Case& c : cases) {
    ui.boxes.clear();
    EXPECT_EQ(Run(c.arguments), kExitFailed) << c.arguments;
    EXPECT_FALSE(ui.mainWindowCreated) << c.arguments;
    EXPECT_FALSE(files.Exists("C:\\APP")) << c.arguments;
    ASSERT_EQ(ui.boxes.size(), c.box ? 1u : 0u) << c.arguments;
    if (c.box) {
      EXPECT_EQ(ui.boxes[0].text.substr(0, c.why.size()), c.why);
    }
  }
  files.AddFile("C:\\BAD.INI", "[Setup]\nSilent=Yes\n");
  EXPECT_EQ(Run("/VERYSILENT /LOADINF=C:\\BAD.INI /LOG=C:\\LOG.TXT"), kExitFailed);
  EXPECT_TRUE(Logged("failed: C:\\BAD.INI: line 2: unknown key: Silent"));
}

TEST_F(EngineProcessTest, WithSwitchesAPackageOnDisksRunsFromWhereItWasStarted) {
  const std::string script = "DEFAULTDIR: \"C:\\APP\"\nINSERTDISK: \"Disk 2\"\nFILE: \"PROG.TXT\"\n";
  files.AddDrive('A', DriveType::kRemovable, "DISK1");
  files.AddFile("A:\\SETUP.cfg", script);
  files.AddFile("A:\\PROG.TXT", "program");
  files.AddFile("A:\\SETUP.EXE", "MZ the engine");
  machine.executablePath = "A:\\SETUP.EXE";
  auto run = [&](const std::string& arguments) {
    return RunEngineProcess(Ports{&files, &machine, &process, &ui, &screens, &profile, &registry, &programManager},
                            arguments, "A:\\SETUP.EXE");
  };
  EXPECT_EQ(run(""), kExitInstalled);
  ASSERT_EQ(process.started.size(), 1u) << "without switches: the relaunch";
  EXPECT_NE(process.started[0].commandLine.find("~0000.exe"), std::string::npos);
  EXPECT_FALSE(files.Exists("C:\\APP\\PROG.TXT"));

  process.started.clear();
  EXPECT_EQ(run("/VERYSILENT"), kExitInstalled);
  EXPECT_TRUE(process.started.empty());
  EXPECT_EQ(Read("C:\\APP\\PROG.TXT"), "program");
}

TEST_F(EngineProcessTest, TheDisksOfAPackageOnSeveralAreFoundWhereTheAnswersSay) {
  const std::string script =
      "UNINSTALL: YES\nDEFAULTDIR: \"C:\\APP\"\nFILE: \"PROG.TXT\"\n"
      "INSERTDISK: \"Disk 2\" \"DISK2\"\nFILE: \"TWO.TXT\"\n"
      "INSERTDISK: \"Disk 3\"\nFILE: \"THREE.TXT\"\n";
  files.AddDrive('D', DriveType::kFixed);
  files.AddFile("D:\\IMAGES\\DISK2\\TWO.TXT", "two");
  files.AddFile("C:\\DISK3\\THREE.TXT", "three");
  files.AddFile("C:\\ANSWERS.INI", "[Setup]\nDisk.2=D:\\IMAGES\\DISK2\\\nDisk.3=C:\\DISK3\n");
  EXPECT_EQ(Run("/VERYSILENT /LOADINF=C:\\ANSWERS.INI /LOG=C:\\LOG.TXT", script), kExitInstalled)
      << Read("C:\\LOG.TXT");
  EXPECT_EQ(Read("C:\\APP\\TWO.TXT"), "two");
  EXPECT_EQ(Read("C:\\APP\\THREE.TXT"), "three");
  EXPECT_EQ(Read("C:\\LOG.TXT").find("Please insert"), std::string::npos) << "no disk is asked for";

  // Without the answer the labelled disk is asked for, is not there, and the
  // run ends as a person who quits.
  files.AddFile("C:\\ANSWERS.INI", "[Setup]\nDisk.3=C:\\DISK3\n");
  files.DeleteFile("C:\\APP\\TWO.TXT");
  EXPECT_EQ(Run("/VERYSILENT /LOADINF=C:\\ANSWERS.INI /LOG=C:\\LOG.TXT", script), kExitCancelled);
  EXPECT_TRUE(Logged("question: Please insert Disk 2 OK"));
  EXPECT_TRUE(Logged("question: Please insert Disk 2 Cancel"));
  EXPECT_TRUE(Logged("question: Do you wish to quit? Yes"));
  EXPECT_FALSE(files.Exists("C:\\APP\\TWO.TXT"));

  // A path where the disk's files are not: the disk is asked for, is not
  // there, and the run ends; it does not go round.
  files.AddFile("C:\\ANSWERS.INI", "[Setup]\nDisk.2=C:\\NOWHERE\nDisk.3=C:\\DISK3\n");
  EXPECT_EQ(Run("/VERYSILENT /LOADINF=C:\\ANSWERS.INI /LOG=C:\\LOG.TXT", script), kExitCancelled);
  EXPECT_TRUE(Logged("question: Please insert Disk 2 Cancel")) << Read("C:\\LOG.TXT");
  EXPECT_FALSE(files.Exists("C:\\APP\\TWO.TXT"));
}

TEST_F(EngineProcessTest, WithALogAloneThePersonAnswersAndTheLogRecordsIt) {
  ui.askAnswers.push_back("Mine");
  screens.answers.push_back(ScriptedScreens::Check({101}));
  EXPECT_EQ(Run("/LOG=C:\\LOG.TXT"), kExitInstalled) << Read("C:\\LOG.TXT");
  EXPECT_EQ(screens.dialogs.size(), 1u);
  EXPECT_TRUE(files.Exists("C:\\APP\\Mine\\DOC.TXT"));
  EXPECT_TRUE(Logged("answer: ASK1 Mine"));
  EXPECT_TRUE(Logged("result: installed"));
}

TEST_F(EngineProcessTest, APersonWhoCancelsEndsItWithOne) {
  ui.askAnswers.push_back(ScriptedUserInterface::kCancelAnswer);
  EXPECT_EQ(Run("/LOG=C:\\LOG.TXT"), kExitCancelled);
  EXPECT_TRUE(Logged("answer: ASK1 Cancel"));
  EXPECT_TRUE(Logged("result: cancelled"));
}

}  // namespace
}  // namespace quorril
