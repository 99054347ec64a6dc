// File-system port contract: the rules the core relies on, checked against
// the in-memory fake natively and against Win32 under Wine.
#include <gtest/gtest.h>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

class FileSystemContract : public ::testing::Test {
 protected:
  void SetUp() override { fx_ = MakePortFixture(); }
  FileSystem& fs() { return fx_->files(); }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }
  std::unique_ptr<PortFixture> fx_;
};

TEST_F(FileSystemContract, WrittenBytesReadBackAndSeekFromEveryOrigin) {
  auto out = fs().Open(S("a.bin"), OpenMode::kCreate);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Write("hello world", 11), 11);
  out.reset();
  auto in = fs().Open(S("A.BIN"), OpenMode::kRead);
  ASSERT_TRUE(in) << "names compare without regard to case";
  EXPECT_EQ(in->Size(), 11);
  char buf[32] = {};
  EXPECT_EQ(in->Seek(-5, 2), 6);
  EXPECT_EQ(in->Read(buf, sizeof buf), 5);
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(in->Read(buf, sizeof buf), 0);
  EXPECT_EQ(in->Seek(0, 0), 0);
  EXPECT_EQ(in->Seek(2, 1), 2);
  EXPECT_EQ(in->Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf, 3), "llo");
}

TEST_F(FileSystemContract, MissingFilesAndDirectoriesFailWithTheirErrors) {
  EXPECT_FALSE(fs().Open(S("none.txt"), OpenMode::kRead));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().Open(S("nodir\\x.txt"), OpenMode::kRead));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs().Open(S("nodir\\x.txt"), OpenMode::kCreate));
  EXPECT_EQ(fs().GetAttributes(S("none.txt")), kInvalidAttributes);
}

TEST_F(FileSystemContract, FindListsMatchesWithDotEntriesAndStarDotStarMatchesNamesWithoutDot) {
  fx_->PutFile(S("one.ini"), "1");
  fx_->PutFile(S("two.ini"), "22");
  fx_->PutFile(S("README"), "r");
  ASSERT_TRUE(fs().CreateDirectory(S("sub")));
  std::vector<FindEntry> entries;
  ASSERT_TRUE(fs().Find(S("*.ini"), &entries));
  EXPECT_EQ(entries.size(), 2u);
  ASSERT_TRUE(fs().Find(S("*.*"), &entries));
  std::vector<std::string> names;
  for (auto& e : entries) names.push_back(e.name);
  EXPECT_EQ(names.size(), 6u);  // . .. one.ini two.ini README sub
  EXPECT_NE(std::find(names.begin(), names.end(), "."), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "README"), names.end());
  for (auto& e : entries) {
    if (e.name == "sub") {
      EXPECT_TRUE(e.attributes & kAttrDirectory);
    }
  }
  EXPECT_FALSE(fs().Find(S("*.xyz"), &entries));
  EXPECT_FALSE(fs().Find(S("nodir\\*.*"), &entries));
  ASSERT_TRUE(fs().Find(S("sub"), &entries)) << "a directory matches its own name";
  EXPECT_EQ(entries.size(), 1u);
}

TEST_F(FileSystemContract, CurrentDirectoryFollowsSetAndRelativePathsResolveAgainstIt) {
  std::string before = fs().GetCurrentDirectory();
  ASSERT_TRUE(fs().CreateDirectory(S("work")));
  ASSERT_TRUE(fs().SetCurrentDirectory(S("work")));
  EXPECT_EQ(fs().GetCurrentDirectory(), S("work"));
  auto out = fs().Open("rel.txt", OpenMode::kCreate);
  ASSERT_TRUE(out);
  out.reset();
  EXPECT_NE(fs().GetAttributes(S("work\\rel.txt")), kInvalidAttributes);
  EXPECT_FALSE(fs().SetCurrentDirectory(S("nowhere")));
  EXPECT_EQ(fs().GetCurrentDirectory(), S("work"));
  ASSERT_TRUE(fs().SetCurrentDirectory(before));
}

TEST_F(FileSystemContract, AttributesAndDosDatesRoundTripAndReadOnlyRefusesWrites) {
  fx_->PutFile(S("f.txt"), "x");
  DosDateTime when{uint16_t((20 << 9) | (7 << 5) | 14), uint16_t((13 << 11) | (45 << 5) | 10)};
  ASSERT_TRUE(fs().SetModified(S("f.txt"), when));
  DosDateTime back;
  ASSERT_TRUE(fs().GetModified(S("f.txt"), &back));
  EXPECT_EQ(back.date, when.date);
  EXPECT_EQ(back.time, when.time);
  ASSERT_TRUE(fs().SetAttributes(S("f.txt"), kAttrReadOnly | kAttrHidden));
  // (Wine reports the archive bit on every file, so only these three count.)
  EXPECT_EQ(fs().GetAttributes(S("f.txt")) & 0x07u, uint32_t(kAttrReadOnly | kAttrHidden));
  EXPECT_FALSE(fs().Open(S("f.txt"), OpenMode::kCreate));
  EXPECT_FALSE(fs().DeleteFile(S("f.txt")));
  ASSERT_TRUE(fs().SetAttributes(S("f.txt"), kAttrNormal));
  EXPECT_TRUE(fs().DeleteFile(S("f.txt")));
}

TEST_F(FileSystemContract, ShortPathOfALongNameIsEightDotThree) {
  ASSERT_TRUE(fs().CreateDirectory(S("Long Directory Name")));
  fx_->PutFile(S("Long Directory Name\\readme.text"), "x");
  std::string shortPath;
  ASSERT_TRUE(fs().GetShortPathName(S("Long Directory Name\\readme.text"), &shortPath));
  std::string tail = shortPath.substr(shortPath.find_last_of('\\', shortPath.size() - 1));
  std::string dir = shortPath.substr(0, shortPath.find_last_of('\\'));
  dir = dir.substr(dir.find_last_of('\\') + 1);
  // The system numbers aliases ("LONGDI~1"); Wine hashes them ("LONG~F30"),
  // so the exact names are the fake's only (the shape is checked for both in
  // the path contract).
  if (!fx_->IsWin32()) {
    EXPECT_EQ(dir, "LONGDI~1");
    EXPECT_EQ(tail, "\\README~1.TEX");
  }
  EXPECT_FALSE(fs().GetShortPathName(S("missing.txt"), &shortPath));
}

TEST_F(FileSystemContract, MoveCopyAndDeleteFiles) {
  fx_->PutFile(S("a.txt"), "abc");
  ASSERT_TRUE(fs().CopyFile(S("a.txt"), S("b.txt"), true));
  EXPECT_FALSE(fs().CopyFile(S("a.txt"), S("b.txt"), true));
  ASSERT_TRUE(fs().MoveFile(S("b.txt"), S("c.txt")));
  EXPECT_EQ(fs().GetAttributes(S("b.txt")), kInvalidAttributes);
  auto in = fs().Open(S("c.txt"), OpenMode::kRead);
  ASSERT_TRUE(in);
  char buf[8];
  EXPECT_EQ(in->Read(buf, 8), 3);
  in.reset();
  EXPECT_FALSE(fs().MoveFile(S("a.txt"), S("c.txt"))) << "the target exists";
  EXPECT_TRUE(fs().DeleteFile(S("c.txt")));
  EXPECT_FALSE(fs().DeleteFile(S("c.txt")));
}

TEST_F(FileSystemContract, ReplaceFileTakesThePlaceOfAFileButNotOfAReadOnlyFileOrADirectory) {
  fx_->PutFile(S("new.tmp"), "new text");
  fx_->PutFile(S("old.txt"), "old");
  ASSERT_TRUE(fs().ReplaceFile(S("new.tmp"), S("old.txt")));
  EXPECT_EQ(fs().GetAttributes(S("new.tmp")), kInvalidAttributes);
  auto in = fs().Open(S("old.txt"), OpenMode::kRead);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 8);
  in.reset();
  fx_->PutFile(S("second.tmp"), "x");
  ASSERT_TRUE(fs().ReplaceFile(S("second.tmp"), S("fresh.txt"))) << "no file stands there yet";
  EXPECT_NE(fs().GetAttributes(S("fresh.txt")), kInvalidAttributes);

  fx_->PutFile(S("third.tmp"), "y");
  ASSERT_TRUE(fs().SetAttributes(S("old.txt"), kAttrReadOnly));
  EXPECT_FALSE(fs().ReplaceFile(S("third.tmp"), S("old.txt")));
  ASSERT_TRUE(fs().SetAttributes(S("old.txt"), kAttrNormal));
  in = fs().Open(S("old.txt"), OpenMode::kRead);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 8) << "a refused replacement changes nothing";
  in.reset();
  ASSERT_TRUE(fs().CreateDirectory(S("dir")));
  EXPECT_FALSE(fs().ReplaceFile(S("third.tmp"), S("dir")));
  EXPECT_NE(fs().GetAttributes(S("third.tmp")), kInvalidAttributes);
  EXPECT_FALSE(fs().ReplaceFile(S("none.tmp"), S("old.txt")));
}

TEST_F(FileSystemContract, AFileToDeleteAtRestartStaysUntilThen) {
  fx_->PutFile(S("busy.dll"), "x");
  EXPECT_TRUE(fs().DeleteFileAtRestart(S("busy.dll")));
  EXPECT_NE(fs().GetAttributes(S("busy.dll")), kInvalidAttributes);
  EXPECT_FALSE(fs().DeleteFileAtRestart(S("none.dll")));
}

TEST_F(FileSystemContract, AProtectedDirectoryStillServesTheInstallerAndOnlyDirectoriesTakeTheList) {
  ASSERT_TRUE(fs().CreateDirectory(S("app")));
  ASSERT_TRUE(fs().ProtectDirectory(S("app"))) << fs().LastError();
  EXPECT_TRUE(fs().ProtectDirectory(S("APP"))) << "a second time changes nothing";
  // The installer runs as an administrator: it fills, empties and removes it.
  ASSERT_TRUE(fs().CreateDirectory(S("app\\sub")));
  auto out = fs().Open(S("app\\sub\\prog.exe"), OpenMode::kCreate);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Write("MZ", 2), 2);
  out.reset();
  auto in = fs().Open(S("app\\sub\\prog.exe"), OpenMode::kRead);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->Size(), 2);
  in.reset();
  EXPECT_TRUE(fs().DeleteFile(S("app\\sub\\prog.exe")));
  EXPECT_TRUE(fs().RemoveDirectory(S("app\\sub")));
  EXPECT_TRUE(fs().RemoveDirectory(S("app")));

  fx_->PutFile(S("file.txt"), "x");
  struct Case {
    const char* path;
    uint32_t error;
  } refused[] = {
      {"file.txt", kErrorDirectory},
      {"none", kErrorFileNotFound},
      {"none\\deeper", kErrorPathNotFound},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(fs().ProtectDirectory(S(c.path))) << c.path;
    EXPECT_EQ(fs().LastError(), c.error) << c.path;
  }
}

TEST_F(FileSystemContract, DriveFactsOfTheSystemDrive) {
  EXPECT_EQ(fs().GetDriveType("C:\\"), DriveType::kFixed);
  DiskSpace space;
  ASSERT_TRUE(fs().GetDiskFreeSpace("C:\\", &space));
  EXPECT_GT(uint64_t(space.sectorsPerCluster) * space.bytesPerSector, 0u);
  std::string label;
  EXPECT_TRUE(fs().GetVolumeLabel("C:\\", &label));
  std::string temp;
  ASSERT_TRUE(fs().GetTempDirectory(&temp));
  EXPECT_EQ(temp.back(), '\\');
}

}  // namespace
}  // namespace quorril::testing
