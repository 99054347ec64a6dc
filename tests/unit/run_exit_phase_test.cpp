// The exit phase after the message loop: the read-me's command line, the
// programs at exit, the reboot question and the restart, and the
// uninstaller hand-over; and the whole engine run in miniature, from
// start-up through the message loop to the clean-up.
#include "run_test_support.h"
#include "shell/startup.h"

namespace quorril::testing {
namespace {

constexpr const char* kNoAsk = "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR";

std::vector<std::string> CommandLines(const MemoryProcess& process) {
  std::vector<std::string> out;
  for (const MemoryProcess::Started& s : process.started) {
    EXPECT_FALSE(s.waited);
    EXPECT_EQ(s.showState, kShowShow);
    out.push_back(s.commandLine);
  }
  return out;
}

TEST_F(RunTest, TheReadmeOpensInNotepadInsideTheDestinationUnlessItNamesItsPlace) {
  struct Case {
    const char* name;
    const char* commandLine;
  } cases[] = {
      {"readme.txt", "notepad C:\\APP\\readme.txt"},
      {"doc\\readme.txt", "notepad C:\\APP\\doc\\readme.txt"},
      {"\\doc\\readme.txt", "notepad \\doc\\readme.txt"},
      {"D:readme.txt", "notepad D:readme.txt"},
      {"$WINDIR$\\readme.txt", "notepad C:\\WINDOWS\\readme.txt"},
      {"\"\\my docs\\read me.txt\"", "notepad \"\\my docs\\read me.txt\""},
      {"\"D:\\read me.txt\"", "notepad \"D:\\read me.txt\""},
      {"\"read me.txt\"", "notepad C:\\APP\\\"read me.txt\""},
  };
  ctx.script.variables.defaultDir = "C:\\APP";
  CreateInstallScript(ctx.script, files, machine);
  for (const Case& c : cases) {
    ctx.script.model->readmeFile = c.name;
    EXPECT_EQ(ReadmeCommandLine(ctx), c.commandLine) << c.name;
  }
  ctx.script.model->readmeFile.clear();
  EXPECT_EQ(ReadmeCommandLine(ctx), "");
}

TEST_F(RunTest, AfterAnInstallationTheReadmeAndTheProgramsAtExitAreStartedInOrder) {
  Script({kNoAsk, "SHOWREADME \"readme.txt\"", "RUNATEXIT \"$DEFAULTDIR$\\app.exe -first\"",
          "RUNATEXIT \"notepad $SYSTEM$\""});
  ctx.script.variables.system = "opt";
  ASSERT_EQ(Install(), 0);
  RunExitPhase(ctx, run->RebootRequest());
  EXPECT_EQ(CommandLines(process),
            (std::vector<std::string>{"notepad C:\\APP\\readme.txt", "C:\\APP\\app.exe -first", "notepad opt"}));
  EXPECT_TRUE(Boxes().empty()) << "no restart was requested";
  EXPECT_TRUE(process.restarts.empty());
}

TEST_F(RunTest, AfterAStopTheExitPhaseStartsNothingAndAsksNothing) {
  machine.processor = kProcessorIntel386;
  Script({"MINCPUTYPE 80486", kNoAsk, "SHOWREADME readme.txt", "RUNATEXIT \"app.exe\"", "REBOOTSYSTEM"});
  ASSERT_EQ(Install(), 1);
  ui.boxes.clear();
  RunExitPhase(ctx, run->RebootRequest());
  EXPECT_TRUE(process.started.empty());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(process.restarts.empty());
}

TEST_F(RunTest, ARequestedRestartIsAskedForAndMade) {
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.bat", "del");
  files.AddFile("C:\\WINDOWS\\TEMP\\~0000.pif", "pif");
  Script({kNoAsk, "REBOOT Window", "REBOOTPROMPT \"Restart now?\""});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(run->RebootRequest(), RebootMode::kWindows);
  ui.answers = {kIdNo};
  RunExitPhase(ctx, run->RebootRequest());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Restart now?"}));
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbYesNo | kMbIconQuestion));
  EXPECT_TRUE(process.restarts.empty());
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.bat")) << "No keeps everything";

  ui.answers = {kIdYes};
  RunExitPhase(ctx, RebootMode::kSystem);
  EXPECT_EQ(process.restarts.size(), 1u);
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.bat"));
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~0000.pif"));
  // Without the relaunch's files the restart is made all the same.
  ui.answers = {kIdYes};
  RunExitPhase(ctx, RebootMode::kWindows);
  EXPECT_EQ(process.restarts.size(), 2u);
}

TEST_F(RunTest, TheShutdownPrivilegeIsEnabledFromWindows35On) {
  struct Case {
    int major, minor;
    bool privilege;
  } cases[] = {{3, 10, false}, {3, 50, true}, {3, 51, true}, {4, 0, true}, {5, 1, true}, {6, 2, true}, {10, 0, true}};
  Script({kNoAsk});
  for (const Case& c : cases) {
    machine.SetVersions(c.major, c.minor, 7, 0);
    EXPECT_EQ(RestartNeedsPrivilege(machine.Version()), c.privilege) << c.major << "." << c.minor;
    process.restarts.clear();
    RestartWindows(ctx);
    ASSERT_EQ(process.restarts.size(), 1u);
    EXPECT_EQ(process.restarts[0], c.privilege);
  }
}

TEST_F(RunTest, TheUninstallerIsLeftInTheWindowsDirectoryWhenTheJournalIsOn) {
  Source("unstall.exe", "uninstaller 2");
  files.AddFile("C:\\WINDOWS\\unstall.exe", "uninstaller 1");
  Script({"UNINSTALL YES", kNoAsk, "FILE unstall.exe"});
  ASSERT_EQ(Install(), 0);
  HandOverUninstaller(ctx);
  std::string contents;
  ASSERT_TRUE(files.ReadWholeFile("C:\\WINDOWS\\unstall.exe", &contents));
  EXPECT_EQ(contents, "uninstaller 2") << "a later installation replaces it";
}

TEST_F(RunTest, NoUninstallerIsLeftWithoutJournalOrWithoutUninstaller) {
  Source("unstall.exe", "uninstaller");
  Script({kNoAsk, "FILE unstall.exe"});
  ASSERT_EQ(Install(), 0);
  HandOverUninstaller(ctx);
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\unstall.exe"));

  Script({"UNINSTALL YES", "DEFAULTDIR C:\\OTHER NOASKDRIVE NOASKDIR"});
  ASSERT_EQ(Install(), 0);
  HandOverUninstaller(ctx);
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\unstall.exe"));
  EXPECT_TRUE(Boxes().empty());
}

// The engine's main, in miniature: start-up, the message loop answered by
// the install run, the exit phase, the hand-over and the clean-up.
TEST_F(RunTest, AWholeRunFromStartUpToTheCleanUp) {
  machine.executablePath = "C:\\SETUP\\SETUP.EXE";
  Source("app.exe", "program");
  Source("unstall.exe", "uninstaller");
  files.AddFile("C:\\SETUP\\SETUP.cfg", Lines({"UNINSTALL YES", "DEFAULTDIR C:\\APP", "FILE app.exe",
                                               "FILE unstall.exe", "RUNATEXIT \"$DEFAULTDIR$\\app.exe\""}));
  ui.destinationAnswers = {{"C:\\Program Files\\App"}};
  InstallRun engine(ctx);
  ASSERT_TRUE(Startup(ctx, "", "C:\\SETUP\\SETUP.EXE"));
  ui.RunMessageLoop(&engine);
  ASSERT_TRUE(engine.PhaseRan());
  EXPECT_EQ(engine.Result(), 0);
  RunExitPhase(ctx, engine.RebootRequest());
  HandOverUninstaller(ctx);
  ExitCleanup(ctx);

  EXPECT_TRUE(files.Exists("C:\\Program Files\\App\\app.exe"));
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\unstall.exe"));
  EXPECT_EQ(CommandLines(process), (std::vector<std::string>{"C:\\Program Files\\App\\app.exe"}));
  EXPECT_EQ(Journal("C:\\Program Files\\App\\install.log"),
            Lines({"DIRECTORY: \"C:\\Program Files\"", "DIRECTORY: \"C:\\Program Files\\App\"",
                   "DEFAULTDIR: \"C:\\Program Files\\App\""}) +
                kHeader +
                Lines({"FILE: \"C:\\Program Files\\App\\app.exe\"", "FILE: \"C:\\Program Files\\App\\unstall.exe\""}));
  EXPECT_EQ(ui.Logged("progress"), (std::vector<std::string>{"progress:2", "progress-end"}));
  EXPECT_TRUE(ui.quitRequested);
}

}  // namespace
}  // namespace quorril::testing
