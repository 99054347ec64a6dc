// The install journal against the in-memory machine: the switch, the
// pending area and its line ends, text-mode CR LF, appending to an earlier
// installation's journal, and MakeDirectoryPath's DIRECTORY lines, their
// order against DEFAULTDIR, and its failure message.
#include <gtest/gtest.h>

#include <string>

#include "journal/journal.h"
#include "package/target_writer.h"
#include "package/virtual_file.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "unit/copy_test_support.h"

namespace quorril {
namespace {

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() { journal.on = true; }

  std::string Log(const std::string& path = "C:\\APP\\install.log") {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }

  MemoryFileSystem files;
  Journal journal;
};

TEST_F(JournalTest, WhenTheJournalIsOffNothingIsWrittenOrKept) {
  journal.on = false;
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "FILE: \"C:\\APP\\A\""), 0);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\APP\\NEW\\SUB"), kMakeDirectoryOk);
  EXPECT_TRUE(files.Exists("C:\\APP\\NEW\\SUB"));
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  EXPECT_EQ(journal.pending, "");
}

TEST_F(JournalTest, EachTextBecomesALineWithCrLf) {
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "FILE: \"C:\\APP\\A.EXE\""), 1);
  EXPECT_EQ(AppendJournal(files, journal, "REGKEY: \"HKEY_LOCAL_MACHINE\", \"Software\\X\""), 1);
  EXPECT_EQ(AppendJournal(files, journal, ""), 1);
  EXPECT_EQ(Log(), "FILE: \"C:\\APP\\A.EXE\"\r\nREGKEY: \"HKEY_LOCAL_MACHINE\", \"Software\\X\"\r\n\r\n");
  // A line feed inside a text is stored as text mode stores it.
  EXPECT_EQ(AppendJournal(files, journal, "A\nB"), 1);
  EXPECT_EQ(Log().substr(Log().size() - 6), "A\r\nB\r\n");
}

TEST_F(JournalTest, InstallingTwiceAppendsToTheFirstInstallationsJournal) {
  files.AddFile("C:\\APP\\install.log", "DEFAULTDIR: \"C:\\APP\"\r\nFILE: \"C:\\APP\\A\"\r\n");
  journal.path = "C:\\APP\\install.log";
  AppendJournal(files, journal, "FILE: \"C:\\APP\\B\"");
  EXPECT_EQ(Log(), "DEFAULTDIR: \"C:\\APP\"\r\nFILE: \"C:\\APP\\A\"\r\nFILE: \"C:\\APP\\B\"\r\n");
}

TEST_F(JournalTest, TextsWaitUntilTheJournalCanBeOpenedEachOnALineOfItsOwn) {
  // No destination yet.
  EXPECT_EQ(AppendJournal(files, journal, "one\n"), 0);
  // A destination whose directory does not exist yet.
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "two"), 0);
  EXPECT_EQ(journal.pending, "one\ntwo\n");
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  files.AddDirectory("C:\\APP");
  EXPECT_EQ(AppendJournal(files, journal, "three"), 1);
  EXPECT_EQ(journal.pending, "");
  // A text without its own line end does not run into the next one: the
  // uninstaller could read neither.
  EXPECT_EQ(Log(), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(JournalTest, ThePendingAreaLosesNothingHoweverMuchWaits) {
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    std::string line = "FILE: \"C:\\APP\\" + std::string(60, char('A' + i % 26)) + std::to_string(i) + "\"\n";
    AppendJournal(files, journal, line);
    expected += line.substr(0, line.size() - 1) + "\r\n";
  }
  EXPECT_GT(journal.pending.size(), 999u);
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  AppendJournal(files, journal, "DEFAULTDIR: \"C:\\APP\"");
  EXPECT_EQ(Log(), expected + "DEFAULTDIR: \"C:\\APP\"\r\n");
}

TEST_F(JournalTest, AJournalThatCannotBeOpenedKeepsTheTextsWaiting) {
  files.AddFile("C:\\APP\\install.log", "", kAttrReadOnly);
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "FILE: \"X\""), 0);
  EXPECT_EQ(journal.pending, "FILE: \"X\"\n");
  files.SetAttributes("C:\\APP\\install.log", kAttrNormal);
  EXPECT_EQ(AppendJournal(files, journal, "FILE: \"Y\""), 1);
  EXPECT_EQ(Log(), "FILE: \"X\"\r\nFILE: \"Y\"\r\n");
}

// ---- MakeDirectoryPath ---------------------------------------------------------------

TEST_F(JournalTest, AShortWriteOnAFullDiskKeepsTheTextForTheNextAttempt) {
  FaultFileSystem disk(files);
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  disk.FillDisk(8);
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\APP\\A\""), 0);
  EXPECT_EQ(journal.pending, "FILE: \"C:\\APP\\A\"\n");
  disk.UnfillDisk();
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\APP\\B\""), 1);
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &log));
  // The half line of the failed write stays in front; both lines follow whole.
  EXPECT_NE(log.find("FILE: \"C:\\APP\\A\"\r\nFILE: \"C:\\APP\\B\"\r\n"), std::string::npos) << log;
  EXPECT_EQ(journal.pending, "");
}

TEST_F(JournalTest, TwoNewLevelsGiveTwoDirectoryLinesParentFirstBeforeDefaultDir) {
  // The destination dialog creates the directories before the journal path
  // is known; the DEFAULTDIR line follows.
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\PROGS\\APP"), kMakeDirectoryOk);
  EXPECT_TRUE(files.Exists("C:\\PROGS\\APP"));
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\PROGS\\APP");
  journal.path = "C:\\PROGS\\APP\\install.log";
  AppendJournal(files, journal, "DEFAULTDIR: \"C:\\PROGS\\APP\"");
  EXPECT_EQ(Log("C:\\PROGS\\APP\\install.log"),
            "DIRECTORY: \"C:\\PROGS\"\r\nDIRECTORY: \"C:\\PROGS\\APP\"\r\nDEFAULTDIR: \"C:\\PROGS\\APP\"\r\n");
}

TEST_F(JournalTest, ExistingLevelsGiveNoDirectoryLine) {
  files.AddDirectory("C:\\APP\\SUB");
  files.AddFile("C:\\APP\\install.log", "");
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\APP\\SUB"), kMakeDirectoryOk);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\"), kMakeDirectoryOk);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:"), kMakeDirectoryOk);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\APP\\SUB");
}

TEST_F(JournalTest, ANewDefaultDirWithoutDialogIsJournalledBeforeItsDirectories) {
  // NOASKDRIVE and NOASKDIR: the DEFAULTDIR line (with its own line end)
  // comes first and waits; the directory is created afterwards.
  journal.path = "C:\\NEW\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "DEFAULTDIR: \"C:\\NEW\"\n"), 0);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\NEW"), kMakeDirectoryOk);
  EXPECT_EQ(Log("C:\\NEW\\install.log"), "DEFAULTDIR: \"C:\\NEW\"\r\nDIRECTORY: \"C:\\NEW\"\r\n\r\n");
}

TEST_F(JournalTest, AnExistingDefaultDirWithoutDialogIsFollowedByAnEmptyLine) {
  files.AddDirectory("C:\\OLD");
  journal.path = "C:\\OLD\\install.log";
  EXPECT_EQ(AppendJournal(files, journal, "DEFAULTDIR: \"C:\\OLD\"\n"), 1);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\OLD"), kMakeDirectoryOk);
  EXPECT_EQ(Log("C:\\OLD\\install.log"), "DEFAULTDIR: \"C:\\OLD\"\r\n\r\n");
}

TEST_F(JournalTest, ATrailingBackslashNamesTheSameDirectory) {
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\APP\\NEW\\"), kMakeDirectoryOk);
  EXPECT_EQ(Log(), "DIRECTORY: \"C:\\APP\\NEW\"\r\n\r\n");
}

TEST_F(JournalTest, ALevelThatCannotBeCreatedShowsInvalidDirectoryAndJournalsTheLevelsMadeBeforeIt) {
  // Reported by the copy code, shown as the run shows it: never owned.
  ScriptedUserInterface ui;
  testing::RecordingCopyHost host(ui);
  VirtualFileSystem archive(&files);
  std::string continuationName;
  const CopyContext copy{files, archive, journal, host, continuationName};
  files.AddFile("C:\\APP\\FILE", "not a directory");
  files.AddFile("C:\\APP\\install.log", "");
  journal.path = "C:\\APP\\install.log";

  // A level that is a file can be neither entered nor created.
  EXPECT_EQ(MakeTargetDirectory(copy, "C:\\APP\\FILE\\BELOW"), kMakeDirectoryFailed);
  // A level created before the one that fails stays, and is journalled.
  host.prompts.Set(PromptId::kBadDir, "That directory will not do.");
  EXPECT_EQ(MakeTargetDirectory(copy, "C:\\APP\\NEW\\BAD|NAME"), kMakeDirectoryFailed);
  EXPECT_TRUE(files.Exists("C:\\APP\\NEW"));

  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "Invalid directory.");
  EXPECT_EQ(ui.boxes[1].text, "That directory will not do.");
  for (const MessageBoxRequest& box : ui.boxes) {
    EXPECT_FALSE(box.caption.has_value());
    EXPECT_EQ(box.style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_FALSE(box.owned);
  }
  EXPECT_EQ(Log(), "DIRECTORY: \"C:\\APP\\NEW\"\r\n\r\n");
  EXPECT_EQ(journal.pending, "");
}

// ---- Access lists and the protected copy ---------------------------------------------

TEST_F(JournalTest, OnlyTheDirectoriesTheInstallationCreatesGetTheProtectedList) {
  files.AddDirectory("C:\\USERS\\SHARED");
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\USERS\\SHARED\\APP\\BIN"), kMakeDirectoryOk);
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\TOOLS"), kMakeDirectoryOk);
  struct Case {
    const char* path;
    bool protectedList;
  } cases[] = {
      {"C:\\USERS", false}, {"C:\\USERS\\SHARED", false}, {"C:\\USERS\\SHARED\\APP", true},
      {"C:\\USERS\\SHARED\\APP\\BIN", true}, {"C:\\TOOLS", true},
  };
  for (const Case& c : cases) EXPECT_EQ(files.IsProtected(c.path), c.protectedList) << c.path;
  EXPECT_TRUE(journal.notes.empty());
}

TEST_F(JournalTest, AListThatCannotBeSetIsNotedAndTheInstallationGoesOn) {
  files.SetKeepsAccessLists(false);
  files.AddDirectory("C:\\APP");
  journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(MakeDirectoryPath(files, journal, "C:\\APP\\NEW"), kMakeDirectoryOk);
  EXPECT_TRUE(files.Exists("C:\\APP\\NEW"));
  EXPECT_EQ(Log(), "DIRECTORY: \"C:\\APP\\NEW\"\r\n\r\n") << "the journal is as without access lists";
  EXPECT_EQ(journal.notes, (std::vector<std::string>{"The access list of C:\\APP\\NEW could not be set (error 50): "
                                                     "users other than administrators may change it."}));
}

TEST_F(JournalTest, TheProtectedCopyGetsEveryByteOfTheJournalOnEveryPath) {
  const std::string copy = ProtectedCopyPath("C:\\WINDOWS", "C:\\PROGS\\APP\\install.log");
  EXPECT_EQ(copy.substr(0, 19), "C:\\WINDOWS\\Quorril\\");
  EXPECT_EQ(copy, ProtectedCopyPath("C:\\WINDOWS", "c:\\progs\\app\\INSTALL.LOG")) << "the same file, the same copy";
  EXPECT_NE(copy, ProtectedCopyPath("C:\\WINDOWS", "C:\\PROGS\\APP2\\install.log"));
  files.AddDirectory("C:\\WINDOWS");
  FaultFileSystem disk(files);
  journal.copyPath = copy;
  auto inStep = [&](const char* step) {
    std::string copyBytes;
    EXPECT_TRUE(files.ReadWholeFile(copy, &copyBytes)) << step;
    // (bytes the copy could not take yet wait for the next text)
    EXPECT_EQ(copyBytes + journal.copyPending, Log("C:\\PROGS\\APP\\install.log")) << step;
  };
  // A DIRECTORY block waits in the pending area before the path is known.
  EXPECT_EQ(MakeDirectoryPath(disk, journal, "C:\\PROGS\\APP"), kMakeDirectoryOk);
  EXPECT_FALSE(files.Exists(copy)) << "nothing reached the journal yet";
  journal.path = "C:\\PROGS\\APP\\install.log";
  EXPECT_EQ(AppendJournal(disk, journal, "DEFAULTDIR: \"C:\\PROGS\\APP\""), 1);
  inStep("pending area");
  EXPECT_TRUE(files.IsProtected("C:\\WINDOWS\\Quorril")) << "the copy's folder is made protected";
  EXPECT_EQ(MakeDirectoryPath(disk, journal, "C:\\PROGS\\APP\\SUB"), kMakeDirectoryOk);
  inStep("DIRECTORY block");
  // A short write on a full disk: the half that reached the journal reaches
  // the copy, and so does the retry.
  disk.FillDisk(8);
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\PROGS\\APP\\A\""), 0);
  disk.UnfillDisk();
  inStep("failed write");
  EXPECT_NE(journal.copyPending, "") << "the full disk refused the copy too";
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\PROGS\\APP\\B\""), 1);
  inStep("after the failed write");
  // A copy that cannot be opened gets its bytes later, in order.
  disk.FailCall(3);  // opening the journal, writing it, opening the copy
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\PROGS\\APP\\C\""), 1);
  EXPECT_TRUE(disk.Failed());
  EXPECT_NE(journal.copyPending, "");
  EXPECT_EQ(AppendJournal(disk, journal, "FILE: \"C:\\PROGS\\APP\\D\""), 1);
  inStep("after the copy could not be opened");
  EXPECT_EQ(journal.copyPending, "");
}

}  // namespace
}  // namespace quorril
