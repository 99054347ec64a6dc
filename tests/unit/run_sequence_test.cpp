// The install run sequence before the files: the processor check, the
// questions, the destination step with its journal lines, the disk-space
// check and the progress total, and what a stop leaves for the exit phase.
#include <algorithm>

#include "run_test_support.h"

namespace quorril::testing {
namespace {

// ---- the processor ------------------------------------------------------------------

TEST_F(RunTest, AProcessorBelowMinCpuTypeStopsBeforeAnythingIsAsked) {
  struct Case {
    const char* line;
    uint32_t processor;
    bool fails;
  } cases[] = {
      {"MINCPUTYPE 80486", kProcessorIntel386, true},      {"MINCPUTYPE 80486", kProcessorIntel486, false},
      {"MINCPUTYPE 80586", kProcessorIntel486, true},      {"MINCPUTYPE 80586", kProcessorIntel386, true},
      {"MINCPUTYPE 80586", kProcessorIntelPentium, false}, {"MINCPUTYPE 80386", kProcessorIntel386, false},
      {"MINCPUTYPE 80686", kProcessorIntelPentium, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line) + " on " + std::to_string(c.processor));
    ui.boxes.clear();
    ui.log.clear();
    machine.processor = c.processor;
    Script({c.line, "ASK1 \"a\" prompt=\"Name?\""});
    EXPECT_EQ(Install(), c.fails ? 1 : 0);
    if (c.fails) {
      std::string number = std::string(c.line).substr(13);
      ASSERT_EQ(Boxes().size(), 1u);
      EXPECT_EQ(Boxes()[0],
                " |This application requires a computer with a processor no less than: " + number);
      EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
      EXPECT_TRUE(ui.boxes[0].owned);
      EXPECT_TRUE(ui.Logged("ask:").empty());
    } else {
      EXPECT_EQ(ui.Logged("ask:").size(), 1u);
    }
  }
}

// ---- the questions ----------------------------------------------------------------

TEST_F(RunTest, EachAnswerIsCleanedAndBecomesItsAskVariable) {
  Script({"ASK3 \"three\" prompt=\"Third?\"", "ASK1 \"one\" prompt=\"First?\"",
          "ASK2 \"two\" prompt=\"" + std::string(60, 'p') + "\""});
  ui.askAnswers = {" (,)Ann", "   ", "\tC:\\DATA"};
  ASSERT_EQ(Install(), 0);
  // ASK1 to ASK5 in this order, whatever the order of the script.
  EXPECT_EQ(ui.Logged("ask:"),
            (std::vector<std::string>{"ask:First?", "ask:" + std::string(44, 'p') + "|" + std::string(16, 'p'),
                                      "ask:Third?"}));
  EXPECT_EQ(ctx.script.variables.ask[0], "Ann");
  EXPECT_EQ(ctx.script.variables.ask[1], "");
  EXPECT_EQ(ctx.script.variables.ask[2], "C:\\DATA");
  // The destination is asked after the questions.
  ASSERT_FALSE(ui.log.empty());
  EXPECT_LT(std::find(ui.log.begin(), ui.log.end(), "ask:Third?") - ui.log.begin(),
            std::find_if(ui.log.begin(), ui.log.end(),
                         [](const std::string& l) { return l.rfind("destination:", 0) == 0; }) -
                ui.log.begin());
}

TEST_F(RunTest, QuittingAQuestionStopsTheInstallation) {
  Script({"ASK1 \"one\" prompt=\"First?\"", "ASK2 \"two\" prompt=\"Second?\"", "UNINSTALL YES",
          "SHOWREADME readme.txt", "RUNATEXIT \"app.exe\"", "REBOOTWINDOWS"});
  ui.askAnswers = {"fine", ScriptedUserInterface::kCancelAnswer};
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(ui.Logged("ask:").size(), 2u);
  EXPECT_TRUE(ui.Logged("destination:").empty());
  EXPECT_TRUE(ui.quitRequested);
  // A stop leaves nothing for the exit phase.
  EXPECT_EQ(run->RebootRequest(), RebootMode::kNone);
  EXPECT_EQ(ctx.script.model->readmeFile, "");
  EXPECT_TRUE(ctx.script.model->exitCommands[0].Empty());
  EXPECT_EQ(ctx.journal.path, "");
}

// ---- the destination ------------------------------------------------------------------

TEST_F(RunTest, WithoutDefaultDirTheDestinationIsNewFilesOnTheDefaultDriveWithASplitPrompt) {
  Script({"REM nothing"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ui.Logged("destination:"), (std::vector<std::string>{"destination:3:C:\\NEWFILES|"}));
  ASSERT_EQ(ui.destinationPrompts.size(), 1u);
  EXPECT_EQ(ui.destinationPrompts[0].state, 2);
  EXPECT_EQ(ui.destinationPrompts[0].line1, "Please enter the destination drive and");
  EXPECT_EQ(ui.destinationPrompts[0].line2, "directory:");
  EXPECT_EQ(ctx.script.variables.defaultDir, "C:\\NEWFILES");
  EXPECT_EQ(ctx.script.variables.defaultDrive, "C");
  EXPECT_TRUE(files.Exists("C:\\NEWFILES"));
  EXPECT_EQ(ctx.journal.path, "C:\\NEWFILES\\install.log");
}

TEST_F(RunTest, WhenDriveAIsAFixedDiskTheDefaultDestinationIsOnA) {
  files.AddDrive('A', DriveType::kFixed);
  Script({"REM nothing"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ui.Logged("destination:"), (std::vector<std::string>{"destination:3:A:\\NEWFILES|"}));
  EXPECT_EQ(ctx.script.variables.defaultDrive, "A");
}

TEST_F(RunTest, ADefaultDirWithoutPromptShowsItsModesDefaultWhole) {
  files.AddDrive('D', DriveType::kFixed);
  Script({"DEFAULTDIR D:\\APP"});
  ASSERT_EQ(Install(), 0);
  ASSERT_EQ(ui.destinationPrompts.size(), 1u);
  EXPECT_EQ(ui.destinationPrompts[0].state, 1);
  EXPECT_EQ(ui.destinationPrompts[0].text, "Please enter the destination drive and directory:");
  EXPECT_EQ(ctx.script.variables.defaultDir, "D:\\APP");
}

TEST_F(RunTest, TheDestinationDialogsFieldsFollowTheAskMode) {
  files.AddDrive('D', DriveType::kFixed);
  files.AddDrive('E', DriveType::kFixed);
  Script({"DEFAULTDIR D:\\APP NOASKDRIVE", "DIR2 D:\\DATA NOASKDIR", "DIR3 D:\\LOGS prompt=\"Logs?\""});
  ui.destinationAnswers = {{"PROG"}, {"e"}, {"D:\\LOGS, and more"}};
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ui.Logged("destination:"),
            (std::vector<std::string>{"destination:1:APP|D:\\", "destination:2:D|:\\DATA", "destination:3:D:\\LOGS|"}));
  EXPECT_EQ(ctx.script.variables.defaultDir, "D:\\PROG");
  EXPECT_EQ(ctx.script.variables.dir2, "e:\\DATA");
  EXPECT_EQ(ctx.script.variables.dir3, "D:\\LOGS");
  EXPECT_TRUE(files.Exists("D:\\PROG"));
  EXPECT_TRUE(files.Exists("E:\\DATA"));
  EXPECT_TRUE(files.Exists("D:\\LOGS"));
  EXPECT_EQ(ui.destinationPrompts[2].text, "Logs?");
}

TEST_F(RunTest, TheShortFormOfTheDestinationBecomesDefaultDir8) {
  Script({"DEFAULTDIR \"C:\\Program Files\\My Application\""});
  ASSERT_EQ(Install(), 0);
  std::string shortPath;
  ASSERT_TRUE(files.GetShortPathName("C:\\Program Files\\My Application", &shortPath));
  EXPECT_NE(shortPath, "C:\\Program Files\\My Application");
  EXPECT_EQ(ctx.script.variables.defaultDir8, shortPath);
}

TEST_F(RunTest, WithAskModeZeroNoDialogIsShownAndTheJournalStartsWithDefaultDir) {
  Script({"UNINSTALL YES", "DEFAULTDIR C:\\APP\\SUB NOASKDRIVE NOASKDIR"});
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(ui.Logged("destination:").empty());
  EXPECT_TRUE(files.Exists("C:\\APP\\SUB"));
  // The directory did not exist when $DEFAULTDIR8$ was formed.
  EXPECT_EQ(ctx.script.variables.defaultDir8, "C:\\APP\\SUB");
  EXPECT_EQ(Journal("C:\\APP\\SUB\\install.log"),
            Lines({"DEFAULTDIR: \"C:\\APP\\SUB\"", "DIRECTORY: \"C:\\APP\"", "DIRECTORY: \"C:\\APP\\SUB\"", ""}) +
                kHeader);
}

TEST_F(RunTest, WithAskModeZeroAndAnExistingDirectoryTheDefaultDirLineIsFollowedByAnEmptyLine) {
  files.AddDirectory("C:\\APP");
  Script({"UNINSTALL YES", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Journal(), Lines({"DEFAULTDIR: \"C:\\APP\"", ""}) + kHeader);
}

TEST_F(RunTest, DirectoriesMadeFromTheDialogComeBeforeTheDefaultDirLine) {
  Script({"UNINSTALL YES", "DEFAULTDIR C:\\APP\\SUB"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Journal("C:\\APP\\SUB\\install.log"),
            Lines({"DIRECTORY: \"C:\\APP\"", "DIRECTORY: \"C:\\APP\\SUB\"", "DEFAULTDIR: \"C:\\APP\\SUB\""}) +
                kHeader);
}

TEST_F(RunTest, WithoutUninstallNoJournalIsWritten) {
  Script({"DEFAULTDIR C:\\APP\\SUB NOASKDRIVE NOASKDIR"});
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(files.Exists("C:\\APP\\SUB"));
  EXPECT_EQ(Journal("C:\\APP\\SUB\\install.log"), "<none>");
}

TEST_F(RunTest, TheDialogRefusesABadDriveABadDirectoryAndATooLongPath) {
  Script({"DEFAULTDIR C:\\APP"});
  std::string tooLong = "C:\\" + std::string(125, 'x');  // 128 characters
  ui.destinationAnswers = {{"1:\\APP", "C;\\APP", "Q:\\APP", tooLong, "C:\\GOOD"}};
  ASSERT_EQ(Install(), 0);
  // The bad-drive warning is the prompt table's default text.
  const std::string badDrive = " |" + PromptTexts().Get(PromptId::kBadDrive);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{badDrive, badDrive, "<default>|Invalid directory.",
                                               "<default>|Invalid directory."}));
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
  EXPECT_EQ(ctx.script.variables.defaultDir, "C:\\GOOD");
  EXPECT_FALSE(files.Exists(tooLong));
  // 127 characters still fit.
  ui.boxes.clear();
  std::string longest = "C:\\" + std::string(124, 'y');
  ui.destinationAnswers = {{longest}};
  Script({"DEFAULTDIR C:\\APP"});
  run = std::make_unique<InstallRun>(ctx);
  EXPECT_EQ(run->AskDestinations(), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(ctx.script.variables.defaultDir, longest);
}

TEST_F(RunTest, QuittingTheDestinationDialogStops) {
  Script({"DEFAULTDIR C:\\APP", "UNINSTALL YES"});
  ui.destinationAnswers = {{ScriptedUserInterface::kCancelAnswer}};
  EXPECT_EQ(Install(), 1);
  EXPECT_FALSE(files.Exists("C:\\APP"));
  EXPECT_EQ(Journal(), "<none>");
}

TEST_F(RunTest, AQuitDir2DialogStopsAfterTheDestination) {
  Script({"DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR", "DIR2 C:\\DATA"});
  ui.destinationAnswers = {{ScriptedUserInterface::kCancelAnswer}};
  EXPECT_EQ(Install(), 1);
  EXPECT_TRUE(files.Exists("C:\\APP"));
  EXPECT_EQ(ctx.script.variables.dir2, "C:\\DATA") << "left as the script set it";
}

TEST_F(RunTest, ADestinationDriveWithoutFreeSpaceAnswerStops) {
  Script({"DEFAULTDIR Q:\\APP NOASKDRIVE NOASKDIR"});
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |" + PromptTexts().Get(PromptId::kBadDrive)}));
  EXPECT_TRUE(ui.boxes[0].owned);
}

TEST_F(RunTest, ADirectoryThatCannotBeMadeStopsInAskModeZero) {
  files.AddFile("C:\\APP", "a file where the directory should go");
  Script({"DEFAULTDIR C:\\APP\\SUB NOASKDRIVE NOASKDIR"});
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"<default>|Invalid directory."}));
}

TEST_F(RunTest, ARootDestinationHasItsJournalInTheRoot) {
  files.AddDrive('D', DriveType::kFixed);
  Script({"UNINSTALL YES", "DEFAULTDIR D: NOASKDRIVE NOASKDIR"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ctx.journal.path, "D:\\install.log");
  EXPECT_EQ(Journal("D:\\install.log"), Lines({"DEFAULTDIR: \"D:\\\"", ""}) + kHeader);
}

// ---- disk space and the progress total ----------------------------------------------------

// Free bytes of drive C: in whole clusters of 4096 bytes, as the fake
// measures them.
void SetFreeClusters(MemoryFileSystem& files, uint64_t clusters) { files.SetDriveFreeSpace('C', clusters * 4096); }

TEST_F(RunTest, MinDiskSpaceIsComparedWithTheFreeBytesOfTheDestinationDrive) {
  Script({"MINDISKSPACE 6M", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  SetFreeClusters(files, 1465);  // 6,000,640 bytes
  EXPECT_EQ(Install(), 0);
  EXPECT_EQ(run->FreeDestinationBytes(), 6000640u);

  SetFreeClusters(files, 1464);  // 5,996,544 bytes
  ui.boxes.clear();
  Script({"MINDISKSPACE 6M", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR", "UNINSTALL YES"});
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Not enough disk space on the destination drive for installation."}));
  // The destination was made; nothing else was.
  EXPECT_EQ(Journal(), Lines({"DEFAULTDIR: \"C:\\APP\"", ""}));
}

TEST_F(RunTest, SelectedGroupsAddTheirOwnSizeOrOneByte) {
  const std::initializer_list<std::string> script = {
      "MINDISKSPACE 6M", "MINDISKSPACE 2M 11", "BEGINGROUP", "10 [X] Program", "11 [X] Samples", "12 [ ] Help",
      "ENDGROUP", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"};
  RecordingScreens screens(ui);
  screens.choose = {11};
  Script(script);
  SetFreeClusters(files, 1954);  // 8,003,584 bytes
  EXPECT_EQ(Install(&screens), 0);
  EXPECT_EQ(run->RequiredBytes(), 8000000);

  Script(script);
  SetFreeClusters(files, 1953);  // 7,999,488 bytes
  EXPECT_EQ(Install(&screens), 1);

  // Groups without a size of their own count one byte each.
  screens.choose = {10, 11, 12};
  Script(script);
  SetFreeClusters(files, 1954);
  EXPECT_EQ(Install(&screens), 0);
  EXPECT_EQ(run->RequiredBytes(), 8000002);

  // Not chosen: not counted. Nothing said: one byte.
  screens.choose = {};
  Script(script);
  EXPECT_EQ(Install(&screens), 0);
  EXPECT_EQ(run->RequiredBytes(), 6000000);
  Script({"DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  run = std::make_unique<InstallRun>(ctx);
  EXPECT_EQ(run->RequiredBytes(), 1);
}

TEST_F(RunTest, MinDiskSpaceZeroChecksNothing) {
  Script({"MINDISKSPACE 0", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  files.SetDriveFreeSpace('C', 0);
  EXPECT_EQ(Install(), 0);
}

TEST_F(RunTest, FreeSpaceBeyondFourGigabytesIsNotCutTo32Bits) {
  // 8 GiB: a 32-bit product of the cluster counts would be 0.
  files.SetDriveFreeSpace('C', uint64_t(8) << 30);
  Script({"MINDISKSPACE 6M", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  EXPECT_EQ(Install(), 0);
  EXPECT_EQ(run->FreeDestinationBytes(), uint64_t(8) << 30);
}

TEST_F(RunTest, TheProgressTotalIsTheRequiredSpaceOrProgressBar) {
  struct Case {
    std::vector<std::string> lines;
    int32_t total;
  } cases[] = {
      {{"MINDISKSPACE 6M", "PROGRESSBAR 1.85M"}, 1850000},
      {{"PROGRESSBAR 1.85M"}, 1850000},
      {{"MINDISKSPACE 6M", "PROGRESSBAR 50"}, 6000000},
      {{"MINDISKSPACE 100"}, -1},
      {{"MINDISKSPACE 101"}, 101},
      {{"REM"}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    std::string text;
    for (const std::string& line : c.lines) text += line + "\r\n";
    text += "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR\r\n";
    files.AddFile(kScriptPath, text);
    CreateInstallScript(ctx.script, files, machine);
    ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0);
    EXPECT_EQ(Install(), 0);
    EXPECT_EQ(run->Counters().totalBytes, c.total);
  }
}

// ---- the order of the steps -------------------------------------------------------------

TEST_F(RunTest, TheScreensComeInTheirPlacesAndTheirCancelStops) {
  RecordingScreens screens(ui);
  Script({"BEGINFIRSTSCREEN", "Welcome", "ENDFIRSTSCREEN", "ASK1 \"a\" prompt=\"Name?\"", "BEGINGROUP",
          "10 [X] Program", "ENDGROUP", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN", "DEFAULTDIR C:\\APP"});
  ASSERT_EQ(Install(&screens), 0);
  std::vector<std::string> order;
  for (const std::string& line : ui.log)
    if (line.rfind("screen:", 0) == 0 || line.rfind("ask:", 0) == 0 || line.rfind("destination:", 0) == 0)
      order.push_back(line);
  EXPECT_EQ(order, (std::vector<std::string>{"screen:first", "ask:Name?", "screen:groups", "destination:3:C:\\APP|",
                                             "screen:last"}));

  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which);
    ui.log.clear();
    RecordingScreens quitting(ui);
    (which == 0 ? quitting.firstScreenAnswer : which == 1 ? quitting.groupAnswer : quitting.lastScreenAnswer) =
        kIdCancel;
    Script({"BEGINFIRSTSCREEN", "Welcome", "ENDFIRSTSCREEN", "ASK1 \"a\" prompt=\"Name?\"", "BEGINGROUP",
            "10 [X] Program", "ENDGROUP", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN", "DEFAULTDIR C:\\APP"});
    EXPECT_EQ(Install(&quitting), 1);
    EXPECT_EQ(ui.Logged("ask:").size(), which == 0 ? 0u : 1u);
    EXPECT_EQ(ui.Logged("destination:").size(), which == 2 ? 1u : 0u);
  }
}

TEST_F(RunTest, WithoutScreensTheScreenStepsAreSkipped) {
  Script({"BEGINFIRSTSCREEN", "Welcome", "ENDFIRSTSCREEN", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN",
          "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  EXPECT_EQ(Install(), 0);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(ui.quitRequested);
}

TEST_F(RunTest, StoredBlocksAreReadAfterTheChoices) {
  RecordingScreens screens(ui);
  Source("sample.txt");
  Source("nosample.txt");
  Script({"BEGINGROUP", "11 [ ] Samples", "ENDGROUP", "IF GROUP=11", "FILE sample.txt", "ELSE", "FILE nosample.txt",
          "ENDIF", "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR"});
  EXPECT_TRUE(ctx.script.model->fileEntries.empty());
  screens.choose = {11};
  ASSERT_EQ(Install(&screens), 0);
  EXPECT_TRUE(files.Exists("C:\\APP\\sample.txt"));
  EXPECT_FALSE(files.Exists("C:\\APP\\nosample.txt"));
}

TEST_F(RunTest, TheInstallationPhaseRunsOnce) {
  Script({"DEFAULTDIR C:\\APP"});
  run = std::make_unique<InstallRun>(ctx);
  EXPECT_FALSE(run->PhaseRan());
  run->OnInstallPhase();
  EXPECT_TRUE(run->PhaseRan());
  run->OnInstallPhase();
  EXPECT_EQ(ui.Logged("destination:").size(), 1u);
}

}  // namespace
}  // namespace quorril::testing
