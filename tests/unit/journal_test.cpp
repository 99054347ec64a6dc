// The install journal against the in-memory machine: the switch, the
// pending area and its line ends, text-mode CR LF, appending to an earlier
// installation's journal, and MakeDirectoryPath's DIRECTORY lines, their
// order against DEFAULTDIR, and its failure message.
#include <gtest/gtest.h>

#include <string>

#include "journal/journal.h"
#include "forwarding_handle.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "shell/setup_context.h"

namespace quorril {
namespace {

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() : ctx(Ports{&files, &machine, &process, &ui}) { ctx.settings.uninstall = true; }

  std::string Log(const std::string& path = "C:\\APP\\install.log") {
    std::string s;
    return files.ReadWholeFile(path, &s) ? s : "<none>";
  }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  SetupContext ctx;
};

TEST_F(JournalTest, WhenTheJournalIsOffNothingIsWrittenOrKept) {
  ctx.settings.uninstall = false;
  files.AddDirectory("C:\\APP");
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"C:\\APP\\A\""), 0);
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\APP\\NEW\\SUB"), kMakeDirectoryOk);
  EXPECT_TRUE(files.Exists("C:\\APP\\NEW\\SUB"));
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  EXPECT_EQ(ctx.journal.pending, "");
}

TEST_F(JournalTest, EachTextBecomesALineWithCrLf) {
  files.AddDirectory("C:\\APP");
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"C:\\APP\\A.EXE\""), 1);
  EXPECT_EQ(AppendJournal(ctx, "REGKEY: \"HKEY_LOCAL_MACHINE\", \"Software\\X\""), 1);
  EXPECT_EQ(AppendJournal(ctx, ""), 1);
  EXPECT_EQ(Log(), "FILE: \"C:\\APP\\A.EXE\"\r\nREGKEY: \"HKEY_LOCAL_MACHINE\", \"Software\\X\"\r\n\r\n");
  // A line feed inside a text is stored as text mode stores it.
  EXPECT_EQ(AppendJournal(ctx, "A\nB"), 1);
  EXPECT_EQ(Log().substr(Log().size() - 6), "A\r\nB\r\n");
}

TEST_F(JournalTest, InstallingTwiceAppendsToTheFirstInstallationsJournal) {
  files.AddFile("C:\\APP\\install.log", "DEFAULTDIR: \"C:\\APP\"\r\nFILE: \"C:\\APP\\A\"\r\n");
  ctx.journal.path = "C:\\APP\\install.log";
  AppendJournal(ctx, "FILE: \"C:\\APP\\B\"");
  EXPECT_EQ(Log(), "DEFAULTDIR: \"C:\\APP\"\r\nFILE: \"C:\\APP\\A\"\r\nFILE: \"C:\\APP\\B\"\r\n");
}

TEST_F(JournalTest, TextsWaitUnchangedUntilTheJournalCanBeOpened) {
  // No destination yet.
  EXPECT_EQ(AppendJournal(ctx, "one\n"), 0);
  // A destination whose directory does not exist yet.
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "two"), 0);
  EXPECT_EQ(ctx.journal.pending, "one\ntwo");
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  files.AddDirectory("C:\\APP");
  EXPECT_EQ(AppendJournal(ctx, "three"), 1);
  EXPECT_EQ(ctx.journal.pending, "");
  // Texts without their own line end run into the next one.
  EXPECT_EQ(Log(), "one\r\ntwothree\r\n");
}

TEST_F(JournalTest, ThePendingAreaLosesNothingHoweverMuchWaits) {
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    std::string line = "FILE: \"C:\\APP\\" + std::string(60, char('A' + i % 26)) + std::to_string(i) + "\"\n";
    AppendJournal(ctx, line);
    expected += line.substr(0, line.size() - 1) + "\r\n";
  }
  EXPECT_GT(ctx.journal.pending.size(), 999u);
  files.AddDirectory("C:\\APP");
  ctx.journal.path = "C:\\APP\\install.log";
  AppendJournal(ctx, "DEFAULTDIR: \"C:\\APP\"");
  EXPECT_EQ(Log(), expected + "DEFAULTDIR: \"C:\\APP\"\r\n");
}

TEST_F(JournalTest, AJournalThatCannotBeOpenedKeepsTheTextsWaiting) {
  files.AddFile("C:\\APP\\install.log", "", kAttrReadOnly);
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"X\""), 0);
  EXPECT_EQ(ctx.journal.pending, "FILE: \"X\"");
  files.SetAttributes("C:\\APP\\install.log", kAttrNormal);
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"Y\""), 1);
  EXPECT_EQ(Log(), "FILE: \"X\"FILE: \"Y\"\r\n");
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- MakeDirectoryPath ---------------------------------------------------------------

// A disk that fills up: while `full`, a write stores only its first half.
class FillingFileSystem : public MemoryFileSystem {
 public:
  bool full = false;
  std::unique_ptr<FileHandle> Open(const std::string& path, OpenMode mode) override {
    auto inner = MemoryFileSystem::Open(path, mode);
    return inner ? std::make_unique<Handle>(std::move(inner), this) : nullptr;
  }

 private:
  class Handle : public ForwardingHandle {
   public:
    Handle(std::unique_ptr<FileHandle> inner, FillingFileSystem* owner)
        : ForwardingHandle(std::move(inner)), owner_(owner) {}
    int32_t Write(const void* b, uint32_t n) override { return Inner().Write(b, owner_->full ? n / 2 : n); }

   private:
    FillingFileSystem* owner_;
  };
};

TEST(JournalOnAFullDisk, AShortWriteKeepsTheTextForTheNextAttempt) {
  FillingFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  SetupContext ctx(Ports{&files, &machine, &process, &ui});
  ctx.settings.uninstall = true;
  files.AddDirectory("C:\\APP");
  ctx.journal.path = "C:\\APP\\install.log";
  files.full = true;
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"C:\\APP\\A\""), 0);
  EXPECT_EQ(ctx.journal.pending, "FILE: \"C:\\APP\\A\"\n");
  files.full = false;
  EXPECT_EQ(AppendJournal(ctx, "FILE: \"C:\\APP\\B\""), 1);
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &log));
  // The half line of the failed write stays in front; both lines follow whole.
  EXPECT_NE(log.find("FILE: \"C:\\APP\\A\"\r\nFILE: \"C:\\APP\\B\"\r\n"), std::string::npos) << log;
  EXPECT_EQ(ctx.journal.pending, "");
}

TEST_F(JournalTest, TwoNewLevelsGiveTwoDirectoryLinesParentFirstBeforeDefaultDir) {
  // The destination dialog creates the directories before the journal path
  // is known; the DEFAULTDIR line follows.
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\PROGS\\APP"), kMakeDirectoryOk);
  EXPECT_TRUE(files.Exists("C:\\PROGS\\APP"));
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\PROGS\\APP");
  ctx.journal.path = "C:\\PROGS\\APP\\install.log";
  AppendJournal(ctx, "DEFAULTDIR: \"C:\\PROGS\\APP\"");
  EXPECT_EQ(Log("C:\\PROGS\\APP\\install.log"),
            "DIRECTORY: \"C:\\PROGS\"\r\nDIRECTORY: \"C:\\PROGS\\APP\"\r\nDEFAULTDIR: \"C:\\PROGS\\APP\"\r\n");
}

TEST_F(JournalTest, ExistingLevelsGiveNoDirectoryLine) {
  files.AddDirectory("C:\\APP\\SUB");
  files.AddFile("C:\\APP\\install.log", "");
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\APP\\SUB"), kMakeDirectoryOk);
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\"), kMakeDirectoryOk);
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:"), kMakeDirectoryOk);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\APP\\SUB");
}

TEST_F(JournalTest, ANewDefaultDirWithoutDialogIsJournalledBeforeItsDirectories) {
  // NOASKDRIVE and NOASKDIR: the DEFAULTDIR line (with its own line end)
  // comes first and waits; the directory is created afterwards.
  ctx.journal.path = "C:\\NEW\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "DEFAULTDIR: \"C:\\NEW\"\n"), 0);
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\NEW"), kMakeDirectoryOk);
  EXPECT_EQ(Log("C:\\NEW\\install.log"), "DEFAULTDIR: \"C:\\NEW\"\r\nDIRECTORY: \"C:\\NEW\"\r\n\r\n");
}

TEST_F(JournalTest, AnExistingDefaultDirWithoutDialogIsFollowedByAnEmptyLine) {
  files.AddDirectory("C:\\OLD");
  ctx.journal.path = "C:\\OLD\\install.log";
  EXPECT_EQ(AppendJournal(ctx, "DEFAULTDIR: \"C:\\OLD\"\n"), 1);
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\OLD"), kMakeDirectoryOk);
  EXPECT_EQ(Log("C:\\OLD\\install.log"), "DEFAULTDIR: \"C:\\OLD\"\r\n\r\n");
}

TEST_F(JournalTest, ATrailingBackslashNamesTheSameDirectory) {
  files.AddDirectory("C:\\APP");
  ctx.journal.path = "C:\\APP\\install.log";
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\APP\\NEW\\"), kMakeDirectoryOk);
  EXPECT_EQ(Log(), "DIRECTORY: \"C:\\APP\\NEW\"\r\n\r\n");
}

TEST_F(JournalTest, ALevelThatCannotBeCreatedShowsInvalidDirectoryAndJournalsNothing) {
  ctx.startup.ownerWindowSet = true;  // the message has no owner even then
  files.AddFile("C:\\APP\\FILE", "not a directory");
  files.AddFile("C:\\APP\\install.log", "");
  ctx.journal.path = "C:\\APP\\install.log";

  // A level that is a file can be neither entered nor created.
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\APP\\FILE\\BELOW"), kMakeDirectoryFailed);
  // A level created before the one that fails stays, but is not journalled.
  ctx.prompts.Set(PromptId::kBadDir, "That directory will not do.");
  EXPECT_EQ(MakeDirectoryPath(ctx, "C:\\APP\\NEW\\BAD|NAME"), kMakeDirectoryFailed);
  EXPECT_TRUE(files.Exists("C:\\APP\\NEW"));

  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[0].text, "Invalid directory.");
  EXPECT_EQ(ui.boxes[1].text, "That directory will not do.");
  for (const MessageBoxRequest& box : ui.boxes) {
    EXPECT_FALSE(box.caption.has_value());
    EXPECT_EQ(box.style, uint32_t(kMbOk | kMbIconWarning));
    EXPECT_FALSE(box.owned);
  }
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(ctx.journal.pending, "");
}

}  // namespace
}  // namespace quorril
