// The install run's file phase and what follows it: files in order with
// their journal lines, the disk questions (INSERTDISK and next disk), the
// progress dialog and its bar, Cancel, the copy code's messages, and the
// system-change steps with and without their plug-in.
#include <algorithm>

#include "run_test_support.h"

namespace quorril::testing {
namespace {

constexpr const char* kNoAsk = "DEFAULTDIR C:\\APP NOASKDRIVE NOASKDIR";
// The journal's first lines when C:\APP is made by the destination step.
const std::string kNewApp = "DEFAULTDIR: \"C:\\APP\"\r\nDIRECTORY: \"C:\\APP\"\r\n\r\n";

// True when `needles` occur in `hay` in this order (not necessarily next to
// each other).
bool InOrder(const std::vector<int32_t>& hay, const std::vector<int32_t>& needles) {
  auto at = hay.begin();
  for (int32_t n : needles) {
    at = std::find(at, hay.end(), n);
    if (at == hay.end()) return false;
    ++at;
  }
  return true;
}

// ---- files, renames, deletions, the journal ---------------------------------------------

TEST_F(RunTest, FilesAreInstalledInScriptOrderAndJournalled) {
  Source("a.txt", "A");
  Source("b.txt", "B");
  Source("old.txt", "O");
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\gone.txt", "x");
  files.AddFile("C:\\APP\\before.txt", "x");
  Script({"UNINSTALL YES", kNoAsk, "FILE b.txt", "FILE sub\\a.txt", "RENAME C:\\APP\\before.txt C:\\APP\\after.txt",
          "DELETE gone.txt", "RUNATEXIT \"$DEFAULTDIR$\\b.txt\""});
  ASSERT_EQ(Install(), 0);
  std::string contents;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\SUB\\a.txt", &contents));
  EXPECT_EQ(contents, "A");
  EXPECT_FALSE(files.Exists("C:\\APP\\gone.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\after.txt"));
  EXPECT_EQ(Journal(), Lines({"DEFAULTDIR: \"C:\\APP\"", ""}) + kHeader +
                           Lines({"RENAME: C:\\APP\\after.txt, C:\\APP\\before.txt", "FILE: \"C:\\APP\\b.txt\"",
                                  "DIRECTORY: \"C:\\APP\\sub\"", "", "FILE: \"C:\\APP\\sub\\a.txt\""}));
  // The programs at exit are expanded for the exit phase.
  EXPECT_EQ(ctx.script.model->exitCommands[0].Text(), "C:\\APP\\b.txt");
  EXPECT_TRUE(ui.quitRequested);
}

TEST_F(RunTest, AMissingSourceBeforeAnyDiskEntryStopsWithTheFilesSoFarJournalled) {
  Source("a.txt");
  Script({"UNINSTALL YES", kNoAsk, "FILE a.txt", "FILE missing.txt", "FILE later.txt", "SHOWREADME a.txt",
          "REBOOTSYSTEM"});
  Source("later.txt");
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{" |File not found on the installation disk: C:\\SETUP\\missing.txt. "}));
  EXPECT_FALSE(files.Exists("C:\\APP\\later.txt"));
  EXPECT_EQ(Journal(), kNewApp + kHeader + Lines({"FILE: \"C:\\APP\\a.txt\""}));
  EXPECT_EQ(run->RebootRequest(), RebootMode::kNone);
  EXPECT_EQ(ctx.script.model->readmeFile, "");
  EXPECT_FALSE(ui.progressDialog) << "the progress dialog ends with the sequence";
}

TEST_F(RunTest, OnlySelectedFilesAreInstalled) {
  RecordingScreens screens(ui);
  for (const char* name : {"all.txt", "ten.txt", "eleven.txt", "both.txt"}) Source(name);
  Script({kNoAsk, "BEGINGROUP", "10 [X] Program", "11 [ ] Samples", "ENDGROUP", "FILE all.txt", "FILE ten.txt GROUP=10",
          "FILE eleven.txt GROUP=11", "FILE both.txt GROUP=10 11"});
  screens.choose = {11};
  ASSERT_EQ(Install(&screens), 0);
  EXPECT_TRUE(files.Exists("C:\\APP\\all.txt"));
  EXPECT_FALSE(files.Exists("C:\\APP\\ten.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\eleven.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\both.txt"));
}

TEST_F(RunTest, WithoutChoiceScreensFilesOfGroupsArePassedOver) {
  Source("all.txt");
  Source("ten.txt");
  Script({kNoAsk, "BEGINGROUP", "10 [X] Program", "ENDGROUP", "FILE all.txt", "FILE ten.txt GROUP=10"});
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(files.Exists("C:\\APP\\all.txt"));
  EXPECT_FALSE(files.Exists("C:\\APP\\ten.txt"));
}

TEST_F(RunTest, ALeadingVariableOfTheFileNameIsExpandedBeforeItIsShown) {
  Source("x.dll");
  Script({kNoAsk, "FILE $WINSYSDIR$\\x.dll"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ctx.script.model->fileEntries[0].name, "C:\\WINDOWS\\SYSTEM\\x.dll");
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\SYSTEM\\x.dll"));
  EXPECT_EQ(ui.progressUpper, "Installing file: ");
}

// ---- the progress dialog -------------------------------------------------------------------

TEST_F(RunTest, TheBarCountsFilesAndEndsTheFilePhase) {
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"}) Source(name);
  Script({kNoAsk, "COPYFILEPROMPT \"Copying: \"", "FILE 1.txt", "FILE 2.txt", "FILE 3.txt", "FILE 4.txt"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(ui.Logged("progress"), (std::vector<std::string>{"progress:4", "progress-end"}));
  EXPECT_TRUE(InOrder(ui.percents, {25, 50, 75, 100})) << ::testing::PrintToString(ui.percents);
  EXPECT_TRUE(std::is_sorted(ui.percents.begin(), ui.percents.end()));
  EXPECT_EQ(ui.progressUpper, "Copying: ");
}

TEST_F(RunTest, InByteModeTheBarShowsAHundredAtTheEnd) {
  Source("a.txt", std::string(300, 'a'));
  Source("b.txt", std::string(300, 'b'));
  Script({kNoAsk, "PROGRESSBAR 1000", "FILE a.txt", "FILE b.txt"});
  ASSERT_EQ(Install(), 0);
  ASSERT_FALSE(ui.percents.empty());
  EXPECT_EQ(ui.percents.back(), 100);
  EXPECT_TRUE(InOrder(ui.percents, {30, 60, 100})) << ::testing::PrintToString(ui.percents);
  EXPECT_EQ(run->Counters().bytesDone, 1000);
}

TEST_F(RunTest, NoProgressDialogWithoutFiles) {
  Script({kNoAsk, "INSERTDISK \"Disk 2\""});
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(ui.Logged("progress").empty());
  EXPECT_TRUE(ui.percents.empty());
}

TEST_F(RunTest, Message1027ShowsThePathInCapitals) {
  Script({kNoAsk});
  run = std::make_unique<InstallRun>(ctx);
  run->ShowFileName("c:\\app\\Mixed_\xe4-9.txt");
  EXPECT_EQ(ui.progressUpper, "Installing file: ");
  EXPECT_EQ(ui.progressLower, "C:\\APP\\MIXED_\xe4-9.TXT");
}

TEST_F(RunTest, CancelDuringTheFileListStopsWithExactlyTheFilesInstalled) {
  for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"}) Source(name);
  Script({"UNINSTALL YES", kNoAsk, "FILE 1.txt", "FILE 2.txt", "FILE 3.txt", "FILE 4.txt", "RUNATEXIT \"x.exe\"",
          "REBOOTWINDOWS"});
  ui.cancelAtPump = 2;
  EXPECT_EQ(Install(), 1);
  EXPECT_TRUE(run->InstallCancelled());
  EXPECT_EQ(Journal(), kNewApp + kHeader +
                           Lines({"FILE: \"C:\\APP\\1.txt\"", "FILE: \"C:\\APP\\2.txt\""}));
  EXPECT_FALSE(files.Exists("C:\\APP\\3.txt"));
  EXPECT_EQ(run->RebootRequest(), RebootMode::kNone);
  EXPECT_TRUE(ctx.script.model->exitCommands[0].Empty());
  // Once quit, it stays quit.
  EXPECT_TRUE(run->PumpMessages());
}

// ---- the disk questions ---------------------------------------------------------------------

TEST_F(RunTest, AnInsertDiskEntryAsksForItsDiskBeforeTheNextSelectedFile) {
  Source("a.txt");
  Source("b.txt");
  Script({kNoAsk, "FILE a.txt", "INSERTDISK \"Disk 2\"", "FILE b.txt"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Please insert Disk 2"}));
  EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOkCancel | kMbIconInformation));
  EXPECT_TRUE(ui.boxes[0].owned);
  EXPECT_EQ(ui.beeps, (std::vector<uint32_t>{kMbIconInformation}));
  EXPECT_TRUE(ctx.archive.ArchiveDisabled());
  EXPECT_TRUE(files.Exists("C:\\APP\\b.txt"));
}

TEST_F(RunTest, AnInsertDiskEntryFollowedOnlyByUnselectedFilesAsksNothing) {
  Source("a.txt");
  Script({kNoAsk, "BEGINGROUP", "10 [ ] Extras", "ENDGROUP", "FILE a.txt", "INSERTDISK \"Disk 2\"",
          "FILE b.txt GROUP=10", "FILE c.txt GROUP=10", "INSERTDISK \"Disk 3\""});
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(ui.beeps.empty());
  EXPECT_FALSE(ctx.archive.ArchiveDisabled());
  EXPECT_EQ(run->DiskEntryIndex(), 4);

  // Passed over up to the next disk, which is asked for.
  Source("d.txt");
  Script({kNoAsk, "BEGINGROUP", "10 [ ] Extras", "ENDGROUP", "INSERTDISK \"Disk 2\"", "FILE b.txt GROUP=10",
          "INSERTDISK \"Disk 3\"", "FILE d.txt"});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Please insert Disk 3"}));
}

TEST_F(RunTest, ALabelledDiskIsAcceptedOnlyWithItsLabel) {
  files.AddDrive('A', DriveType::kRemovable, "DISK1");
  files.AddFile("A:\\a.txt", "A");
  files.AddFile("A:\\b.txt", "B");
  ctx.script.variables.sourceDir = "A:";
  ctx.script.variables.sourceDrive = "X";
  Script({kNoAsk, "FILE a.txt", "INSERTDISK \"Disk 2\" \"DISK2\"", "FILE b.txt"});
  // The right disk goes in while the third question is on screen.
  ui.onBox = [&](const MessageBoxRequest&, int count) {
    if (count == 3) files.SetDriveLabel('A', "disk2");
  };
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Please insert Disk 2", " |Please insert Disk 2",
                                               " |Please insert Disk 2"}));
  EXPECT_EQ(ctx.script.variables.sourceDrive, "A");
  EXPECT_TRUE(files.Exists("C:\\APP\\b.txt"));
  EXPECT_EQ(ui.beeps.size(), 1u) << "one beep per question, not per box";
}

TEST_F(RunTest, CancelThenNoAsksForTheDiskAgainAndCancelThenYesStops) {
  Source("b.txt");
  Script({kNoAsk, "INSERTDISK", "FILE b.txt"});
  ui.answers = {kIdCancel, kIdNo, kIdOk};
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Please insert the next disk", "|Do you wish to quit?",
                                               " |Please insert the next disk"}));
  EXPECT_EQ(ui.boxes[1].style, uint32_t(kMbYesNo | kMbIconWarning));

  ui.boxes.clear();
  ui.answers = {kIdCancel, kIdYes};
  Script({kNoAsk, "INSERTDISK \"Disk 2\"", "FILE b.txt", "RUNATEXIT \"x.exe\""});
  files.DeleteFile("C:\\APP\\b.txt");
  EXPECT_EQ(Install(), 1);
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_FALSE(files.Exists("C:\\APP\\b.txt"));
  EXPECT_TRUE(ctx.script.model->exitCommands[0].Empty());
}

// The copy code's reports are owned by the main window only once it owns
// the message boxes; the directory message never is.
TEST_F(RunTest, ReportsOfTheCopyCodeAreOwnedOnceTheMainWindowOwnsTheBoxes) {
  InstallRun engine(ctx);
  ctx.startup.ownerWindowSet = false;
  engine.ReportFailure(CopyFailure::kWriteDisk, std::string());
  ctx.startup.ownerWindowSet = true;
  engine.ReportFailure(CopyFailure::kWriteDisk, std::string());
  engine.ReportFailure(CopyFailure::kBadDirectory, "C:\\X");
  ui.answers = {kIdNo};
  EXPECT_FALSE(engine.AskOverwrite("C:\\APP\\A.TXT"));
  ASSERT_EQ(ui.boxes.size(), 4u);
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_TRUE(ui.boxes[1].owned);
  EXPECT_FALSE(ui.boxes[2].owned);
  EXPECT_TRUE(ui.boxes[3].owned);
  EXPECT_EQ(ui.boxes[3].text, "File exists.  Overwrite C:\\APP\\A.TXT?");
  EXPECT_EQ(ui.boxes[3].caption, std::optional<std::string>(""));
  EXPECT_EQ(ui.boxes[3].style, uint32_t(kMbYesNo | kMbIconQuestion));
}

TEST_F(RunTest, AMissingFileAfterADiskEntryAsksForThatDiskAgain) {
  Source("b.txt");
  Script({kNoAsk, "INSERTDISK \"Disk 2\"", "FILE b.txt", "FILE c.txt", "INSERTDISK \"Disk 3\""});
  // c.txt is on the disk only when it is asked for a second time.
  ui.onBox = [&](const MessageBoxRequest&, int count) {
    if (count == 2) Source("c.txt");
  };
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{" |Please insert Disk 2", " |Please insert Disk 2"}));
  EXPECT_TRUE(files.Exists("C:\\APP\\c.txt"));
}

TEST_F(RunTest, TheNextDiskQuestionFindsTheNextDiskEntry) {
  Script({kNoAsk, "FILE a.txt", "INSERTDISK \"Disk 2\"", "FILE b.txt", "INSERTDISK \"Disk 3\" \"LABEL3\"",
          "FILE c.txt"});
  files.AddDrive('A', DriveType::kRemovable, "label3");
  ctx.script.variables.sourceDir = "A:\\SETUP";
  run = std::make_unique<InstallRun>(ctx);
  // No disk entry reached yet.
  EXPECT_FALSE(run->DiskEntryReached());

  // A container that goes on: the entry after the current one on.
  EXPECT_EQ(run->AskNextDisk(true, false), 0);
  EXPECT_EQ(run->DiskEntryIndex(), 1);
  EXPECT_EQ(run->FileCursor(), 1);
  EXPECT_TRUE(run->DiskEntryReached());
  // Asked once more for the same volume: the same disk.
  EXPECT_EQ(run->AskNextDisk(false, false), 0);
  EXPECT_EQ(run->DiskEntryIndex(), 1);
  // The next volume: past b.txt to the labelled disk 3.
  EXPECT_EQ(run->AskNextDisk(true, false), 0);
  EXPECT_EQ(run->DiskEntryIndex(), 3);
  EXPECT_EQ(run->FileCursor(), 3);
  EXPECT_EQ(ctx.script.variables.sourceDrive, "A");
  // A missing file: the cursor comes back.
  EXPECT_EQ(run->AskNextDisk(false, true), 0);
  EXPECT_EQ(run->FileCursor(), 3);
  // Nothing after disk 3: stop, without a question.
  size_t shown = ui.boxes.size();
  EXPECT_EQ(run->AskNextDisk(true, false), 1);
  EXPECT_EQ(ui.boxes.size(), shown);
  EXPECT_EQ(Boxes()[0], " |Please insert Disk 2");
  EXPECT_EQ(Boxes().back(), " |Please insert Disk 3");

  // A list without disk entries has no next disk.
  Script({kNoAsk, "FILE a.txt"});
  run = std::make_unique<InstallRun>(ctx);
  EXPECT_EQ(run->AskNextDisk(false, true), 1);
  EXPECT_EQ(run->FileCursor(), 0);
}

// ---- pop-ups, screens and system changes --------------------------------------------------

TEST_F(RunTest, PopupsAreShownForTheirEntriesAndClosedAfterTheFiles) {
  RecordingScreens screens(ui);
  Source("a.txt");
  Source("b.txt");
  Script({kNoAsk, "POPMESSAGE 1", "Copying", "ENDPOP", "FILE a.txt POPID=1", "INSERTDISK \"Disk 2\" POPID=2",
          "FILE b.txt", "FILE c.txt POPID=0"});
  Source("c.txt");
  ASSERT_EQ(Install(&screens), 0);
  EXPECT_EQ(ui.Logged("popup"), (std::vector<std::string>{"popup:1", "popup:2", "popup-closed"}));
  EXPECT_EQ(screens.keptInFront, 3) << "once for each entry after the dialog was made";
}

TEST_F(RunTest, TheSystemChangesComeAfterTheFilesAndTheRegistryOnlyWhenNothingStopped) {
  RecordingScreens screens(ui);
  RecordingSystemChanges changes(ui);
  changes.failing = {"C:\\APP\\bad.dll"};
  Source("a.txt");
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\old.txt", "x");
  Script({"UNINSTALL YES", kNoAsk, "FILE a.txt", "REGSERVER x.dll", "REGSERVER \\abs\\y.dll", "REGSERVER D:z.ocx",
          "REGSERVER $WINSYSDIR$\\w.ocx", "REGSERVER bad.dll", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN",
          "DELETE old.txt", "BEGINREGISTRY", "KEY NEW \"HKEY_CURRENT_USER\\Software\\X\"", "ENDREGISTRY",
          "WINITEM \"Tools\" \"a.exe\" \"A\""});
  ASSERT_EQ(Install(&screens, &changes), 0);
  std::vector<std::string> steps;
  for (const std::string& line : ui.log)
    if (line.rfind("system:", 0) == 0 || line.rfind("screen:last", 0) == 0 || line.rfind("progress-end", 0) == 0)
      steps.push_back(line);
  EXPECT_EQ(steps, (std::vector<std::string>{"progress-end", "system:startup-files", "system:ini",
                                             "system:register:C:\\APP\\x.dll", "system:register:\\abs\\y.dll",
                                             "system:register:D:z.ocx", "system:register:C:\\WINDOWS\\SYSTEM\\w.ocx",
                                             "system:register:C:\\APP\\bad.dll", "system:addtext", "screen:last",
                                             "system:registry:" + std::to_string(1), "system:groups"}));
  EXPECT_TRUE(ctx.script.model->registryBlocks.empty());
  EXPECT_FALSE(files.Exists("C:\\APP\\old.txt"));
  std::string journal = Journal();
  EXPECT_NE(journal.find("FILE: \"C:\\APP\\a.txt\"\r\nRegServer: \"C:\\APP\\x.dll\"\r\nRegServer: \"\\abs\\y.dll\"\r\n"
                         "RegServer: \"D:z.ocx\"\r\nRegServer: \"C:\\WINDOWS\\SYSTEM\\w.ocx\"\r\n"),
            std::string::npos)
      << journal;
  EXPECT_EQ(journal.find("bad.dll"), std::string::npos);
}

TEST_F(RunTest, CancellingTheLastScreenKeepsTheChangesButSkipsTheRest) {
  RecordingScreens screens(ui);
  RecordingSystemChanges changes(ui);
  screens.lastScreenAnswer = kIdCancel;
  Source("a.txt");
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\old.txt", "x");
  Script({kNoAsk, "FILE a.txt", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN", "DELETE old.txt", "BEGINREGISTRY",
          "KEY NEW \"HKEY_CURRENT_USER\\Software\\X\"", "ENDREGISTRY", "WINITEM \"Tools\" \"a.exe\" \"A\"",
          "RUNATEXIT \"a.exe\"", "SHOWREADME a.txt", "REBOOTWINDOWS"});
  EXPECT_EQ(Install(&screens, &changes), 1);
  EXPECT_TRUE(files.Exists("C:\\APP\\a.txt"));
  EXPECT_TRUE(files.Exists("C:\\APP\\old.txt"));
  EXPECT_EQ(ui.Logged("system:"),
            (std::vector<std::string>{"system:startup-files", "system:ini", "system:addtext"}));
  EXPECT_TRUE(ctx.script.model->exitCommands[0].Empty());
  EXPECT_EQ(ctx.script.model->readmeFile, "");
  EXPECT_EQ(run->RebootRequest(), RebootMode::kNone);
}

TEST_F(RunTest, AStopInTheSystemChangesEndsTheSequence) {
  RecordingSystemChanges changes(ui);
  changes.startupFilesResult = 1;
  Script({kNoAsk, "REGSERVER x.dll"});
  EXPECT_EQ(Install(nullptr, &changes), 1);
  EXPECT_EQ(ui.Logged("system:"), (std::vector<std::string>{"system:startup-files"}));
}

TEST_F(RunTest, WithoutTheSystemChangesPlugInNothingPretendsToHaveRun) {
  Source("a.txt");
  Script({"UNINSTALL YES", kNoAsk, "FILE a.txt", "REGSERVER x.dll", "INIFILE \"Sec\" \"Key\" \"Val\" app.ini",
          "BEGINREGISTRY", "KEY NEW \"HKEY_CURRENT_USER\\Software\\X\"", "ENDREGISTRY",
          "WINITEM \"Tools\" \"a.exe\" \"A\""});
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(Journal(), kNewApp + kHeader + Lines({"FILE: \"C:\\APP\\a.txt\""}));
  EXPECT_EQ(ctx.script.model->registryBlocks.size(), 1u) << "kept, not written";
  EXPECT_FALSE(files.Exists("C:\\APP\\app.ini"));
}

TEST_F(RunTest, AComponentPathIsCompletedWithTheDestination) {
  Script({kNoAsk});
  ctx.script.variables.defaultDir = "C:\\APP";
  EXPECT_EQ(ComponentPath(ctx.script.variables, "x.dll"), "C:\\APP\\x.dll");
  EXPECT_EQ(ComponentPath(ctx.script.variables, "sub\\x.dll"), "C:\\APP\\sub\\x.dll");
  EXPECT_EQ(ComponentPath(ctx.script.variables, "\\x.dll"), "\\x.dll");
  EXPECT_EQ(ComponentPath(ctx.script.variables, "D:x.dll"), "D:x.dll");
  EXPECT_EQ(ComponentPath(ctx.script.variables, "$WINDIR$\\x.dll"), "C:\\WINDOWS\\x.dll");
}

}  // namespace
}  // namespace quorril::testing
