// File-system port contract, open files: what each open mode allows, where
// writes land, and what a handle refuses. Run against the in-memory fake
// natively and against Win32 under Wine.
#include <gtest/gtest.h>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

class FileHandleContract : public ::testing::Test {
 protected:
  void SetUp() override { fx_ = MakePortFixture(); }
  FileSystem& fs() { return fx_->files(); }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }

  // The whole contents of a file read through the port; "<none>" when it
  // cannot be opened.
  std::string Contents(const std::string& path) {
    auto in = fs().Open(path, OpenMode::kRead);
    if (!in) return "<none>";
    std::string out;
    char buffer[64];
    int32_t n;
    while ((n = in->Read(buffer, sizeof buffer)) > 0) out.append(buffer, size_t(n));
    return out;
  }

  std::unique_ptr<PortFixture> fx_;
};

TEST_F(FileHandleContract, CreateTruncatesAndAppendAlwaysWritesAtTheEnd) {
  fx_->PutFile(S("log.txt"), "0123456789");
  auto created = fs().Open(S("log.txt"), OpenMode::kCreate);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->Size(), 0) << "an existing file is truncated";
  EXPECT_EQ(created->Write("ab", 2), 2);
  created.reset();
  EXPECT_EQ(Contents(S("log.txt")), "ab");

  auto appended = fs().Open(S("log.txt"), OpenMode::kAppend);
  ASSERT_TRUE(appended);
  EXPECT_EQ(appended->Size(), 2) << "append keeps what is there";
  EXPECT_EQ(appended->Seek(0, 0), 0);
  EXPECT_EQ(appended->Write("cd", 2), 2);
  EXPECT_EQ(appended->Seek(1, 0), 1);
  EXPECT_EQ(appended->Write("ef", 2), 2);
  EXPECT_EQ(appended->Seek(0, 1), 6) << "the position follows the write at the end";
  appended.reset();
  EXPECT_EQ(Contents(S("log.txt")), "abcdef");

  auto fresh = fs().Open(S("new.txt"), OpenMode::kAppend);
  ASSERT_TRUE(fresh) << "append creates a missing file";
  EXPECT_EQ(fresh->Write("x", 1), 1);
  fresh.reset();
  EXPECT_EQ(Contents(S("new.txt")), "x");
}

TEST_F(FileHandleContract, CreateNewMakesOnlyAFileThatIsNotThereYet) {
  auto made = fs().Open(S("new.bin"), OpenMode::kCreateNew);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->Write("new", 3), 3);
  char byte = 0;
  EXPECT_EQ(made->Read(&byte, 1), -1) << "opened for writing only";
  made.reset();
  EXPECT_EQ(Contents(S("new.bin")), "new");

  // Whatever stands under the name stays as it is.
  fx_->PutFile(S("old.txt"), "old");
  fx_->PutFile(S("ro.txt"), "read-only");
  ASSERT_TRUE(fs().SetAttributes(S("ro.txt"), kAttrReadOnly));
  for (const char* name : {"old.txt", "OLD.TXT", "ro.txt", "new.bin"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(fs().Open(S(name), OpenMode::kCreateNew));
    EXPECT_EQ(fs().LastError(), kErrorFileExists);
  }
  EXPECT_EQ(Contents(S("old.txt")), "old");
  EXPECT_EQ(Contents(S("ro.txt")), "read-only");
  EXPECT_EQ(Contents(S("new.bin")), "new");
  ASSERT_TRUE(fs().CreateDirectory(S("dir")));
  EXPECT_FALSE(fs().Open(S("dir"), OpenMode::kCreateNew));
  EXPECT_EQ(fs().GetAttributes(S("dir")) & kAttrDirectory, kAttrDirectory);
  EXPECT_FALSE(fs().Open(S("nodir\\x.txt"), OpenMode::kCreateNew));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
}

TEST_F(FileHandleContract, ReadWriteChangesBytesInPlaceAndGrowsPastTheEnd) {
  fx_->PutFile(S("data.bin"), "hello world");
  auto file = fs().Open(S("data.bin"), OpenMode::kReadWrite);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Seek(6, 0), 6);
  EXPECT_EQ(file->Write("WORLD", 5), 5);
  EXPECT_EQ(file->Size(), 11);
  EXPECT_EQ(file->Seek(0, 0), 0);
  char buffer[16] = {};
  EXPECT_EQ(file->Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  // Writing past the end fills the gap with zero bytes.
  EXPECT_EQ(file->Seek(14, 0), 14);
  EXPECT_EQ(file->Size(), 11) << "seeking alone does not grow the file";
  EXPECT_EQ(file->Write("!", 1), 1);
  EXPECT_EQ(file->Size(), 15);
  file.reset();
  EXPECT_EQ(Contents(S("data.bin")), std::string("hello WORLD\0\0\0!", 15));
}

TEST_F(FileHandleContract, EachModeRefusesWhatItDoesNotAllow) {
  fx_->PutFile(S("f.txt"), "abc");
  auto reader = fs().Open(S("f.txt"), OpenMode::kRead);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->Write("x", 1), -1) << "a read-only handle does not write";
  EXPECT_EQ(reader->Seek(-1, 0), -1) << "no position before the start";
  EXPECT_EQ(reader->Seek(0, 1), 0) << "a failed seek leaves the position";
  EXPECT_EQ(reader->Seek(0, 3), -1) << "no such origin";
  char c;
  EXPECT_EQ(reader->Read(&c, 0), 0);
  reader.reset();

  auto writer = fs().Open(S("g.txt"), OpenMode::kCreate);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->Write("abc", 3), 3);
  EXPECT_EQ(writer->Seek(0, 0), 0);
  EXPECT_EQ(writer->Read(&c, 1), -1) << "a created file is open for writing only";
  writer.reset();

  EXPECT_FALSE(fs().Open(S("missing.txt"), OpenMode::kReadWrite));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().Open(S("nodir\\x.txt"), OpenMode::kAppend));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs().Open(S("bad?name.txt"), OpenMode::kCreate));
  EXPECT_EQ(fs().LastError(), kErrorInvalidName);
  EXPECT_FALSE(fs().Open(S("*.txt"), OpenMode::kRead)) << "wildcards name no file";
  EXPECT_EQ(fs().LastError(), kErrorInvalidName);
  EXPECT_FALSE(fs().Open(S("f.txt\\inner"), OpenMode::kRead)) << "a file is no directory";
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
}

TEST_F(FileHandleContract, ReadOnlyFilesAndDirectoriesOpenOnlyForReadingOrNotAtAll) {
  fx_->PutFile(S("ro.txt"), "keep");
  ASSERT_TRUE(fs().SetAttributes(S("ro.txt"), kAttrReadOnly));
  EXPECT_TRUE(fs().Open(S("ro.txt"), OpenMode::kRead));
  for (OpenMode mode : {OpenMode::kReadWrite, OpenMode::kCreate, OpenMode::kAppend}) {
    EXPECT_FALSE(fs().Open(S("ro.txt"), mode));
    EXPECT_EQ(fs().LastError(), kErrorAccessDenied);
  }
  EXPECT_EQ(Contents(S("ro.txt")), "keep");
  DosDateTime when{0x5A21, 0x6000};
  EXPECT_FALSE(fs().SetModified(S("ro.txt"), when)) << "the date of a read-only file stays";
  EXPECT_EQ(fs().LastError(), kErrorAccessDenied);

  ASSERT_TRUE(fs().CreateDirectory(S("dir")));
  for (OpenMode mode : {OpenMode::kRead, OpenMode::kReadWrite, OpenMode::kCreate, OpenMode::kAppend}) {
    EXPECT_FALSE(fs().Open(S("dir"), mode));
    EXPECT_EQ(fs().LastError(), kErrorAccessDenied);
  }
  EXPECT_FALSE(fs().GetModified(S("dir"), &when)) << "dates are read from files only";
}

TEST_F(FileHandleContract, HandlesOnTheSameFileShareIt) {
  auto writer = fs().Open(S("shared.txt"), OpenMode::kAppend);
  ASSERT_TRUE(writer);
  EXPECT_EQ(writer->Write("one", 3), 3);
  auto reader = fs().Open(S("shared.txt"), OpenMode::kRead);
  ASSERT_TRUE(reader) << "a reader may open a file that is being written";
  EXPECT_EQ(reader->Size(), 3);
  auto second = fs().Open(S("shared.txt"), OpenMode::kAppend);
  ASSERT_TRUE(second) << "so may a second writer";
  EXPECT_EQ(second->Write("two", 3), 3);
  EXPECT_EQ(writer->Write("three", 5), 5);
  EXPECT_EQ(reader->Size(), 11);
  char buffer[16] = {};
  EXPECT_EQ(reader->Read(buffer, sizeof buffer), 11);
  EXPECT_EQ(std::string(buffer, 11), "onetwothree");
}

TEST_F(FileHandleContract, DosDatesRoundTripAtTheEndsOfTheirRange) {
  fx_->PutFile(S("t.txt"), "x");
  const DosDateTime cases[] = {
      {uint16_t((0 << 9) | (1 << 5) | 1), 0},                                          // 1980-01-01 00:00:00
      {uint16_t((127 << 9) | (12 << 5) | 31), uint16_t((23 << 11) | (59 << 5) | 29)},  // 2107-12-31 23:59:58
      {uint16_t((24 << 9) | (2 << 5) | 29), uint16_t((12 << 11) | (0 << 5) | 1)},      // 2004-02-29 12:00:02
  };
  for (const DosDateTime& when : cases) {
    ASSERT_TRUE(fs().SetModified(S("t.txt"), when));
    DosDateTime back;
    ASSERT_TRUE(fs().GetModified(S("t.txt"), &back));
    EXPECT_EQ(back.date, when.date);
    EXPECT_EQ(back.time, when.time);
    std::vector<FindEntry> entries;
    ASSERT_TRUE(fs().Find(S("t.txt"), &entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].modified.date, when.date) << "Find reports the same date";
    EXPECT_EQ(entries[0].modified.time, when.time);
    EXPECT_EQ(entries[0].size, 1u);
  }
}

// The copy code finishes a file through the handle that wrote it: the date
// must survive the close, the attributes hold for later opens, and a handle
// opened for reading changes nothing.
TEST_F(FileHandleContract, AWritingHandleSetsTheDateAndAttributesThatClosingKeeps) {
  const DosDateTime when{uint16_t((15 << 9) | (6 << 5) | 30), uint16_t((8 << 11) | (45 << 5) | 10)};  // 1995-06-30 08:45:20
  auto writer = fs().Open(S("dated.txt"), OpenMode::kCreate);
  ASSERT_TRUE(writer);
  ASSERT_EQ(writer->Write("contents", 8), 8);
  ASSERT_TRUE(writer->SetModifiedAndAttributes(when, kAttrReadOnly | kAttrHidden));
  writer.reset();
  DosDateTime back;
  ASSERT_TRUE(fs().GetModified(S("dated.txt"), &back));
  EXPECT_EQ(back.date, when.date);
  EXPECT_EQ(back.time, when.time);
  EXPECT_EQ(fs().GetAttributes(S("dated.txt")) & 0x07u, uint32_t(kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(Contents(S("dated.txt")), "contents");
  EXPECT_FALSE(fs().Open(S("dated.txt"), OpenMode::kCreate)) << "read-only now";

  auto reader = fs().Open(S("dated.txt"), OpenMode::kRead);
  ASSERT_TRUE(reader);
  EXPECT_FALSE(reader->SetModifiedAndAttributes(DosDateTime{uint16_t((20 << 9) | (1 << 5) | 1), 0}, kAttrNormal));
  reader.reset();
  ASSERT_TRUE(fs().GetModified(S("dated.txt"), &back));
  EXPECT_EQ(back.date, when.date) << "the refused change left the date";
  EXPECT_EQ(fs().GetAttributes(S("dated.txt")) & 0x07u, uint32_t(kAttrReadOnly | kAttrHidden));

  // Normal attributes (or none at all) clear the bits again.
  ASSERT_TRUE(fs().SetAttributes(S("dated.txt"), kAttrNormal));
  for (uint32_t normal : {uint32_t(kAttrNormal), 0u}) {
    auto again = fs().Open(S("dated.txt"), OpenMode::kCreate);
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->SetModifiedAndAttributes(when, kAttrHidden));
    again.reset();
    again = fs().Open(S("dated.txt"), OpenMode::kReadWrite);
    ASSERT_TRUE(again);
    ASSERT_TRUE(again->SetModifiedAndAttributes(when, normal));
    again.reset();
    EXPECT_EQ(fs().GetAttributes(S("dated.txt")) & 0x07u, 0u) << normal;
  }
}

}  // namespace
}  // namespace quorril::testing
