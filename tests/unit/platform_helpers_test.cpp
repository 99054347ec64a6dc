// The helpers every layer shares: Windows path texts, little-endian
// integers, and the fault-injecting file system that the failure tests of
// the other layers stand on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_file_system.h"
#include "platform/windows_path.h"

namespace quorril {
namespace {

// ---- Windows paths -----------------------------------------------------------------

TEST(WindowsPath, ThePartsOfAPath) {
  struct Case {
    const char* path;
    const char* fileName;
    const char* fileTitle;
    const char* directoryPart;
    const char* beforeLastBackslash;
  };
  for (const Case& c : {
           Case{"C:\\APP\\READ.ME.TXT", "READ.ME.TXT", "READ.ME", "C:\\APP\\", "C:\\APP"},
           Case{"C:SETUP.EXE", "SETUP.EXE", "SETUP", "", ""},
           Case{"\\ROOT.TXT", "ROOT.TXT", "ROOT", "\\", ""},
           Case{"C:\\", "", "", "C:\\", "C:"},
           Case{"MAKEFILE", "MAKEFILE", "MAKEFILE", "", ""},
           Case{"A:\\DIR.EXT\\NAME", "NAME", "NAME", "A:\\DIR.EXT\\", "A:\\DIR.EXT"},
           Case{"C:\\TEMP\\~0000.exe", "~0000.exe", "~0000", "C:\\TEMP\\", "C:\\TEMP"},
           Case{"D:/UNIX/STYLE.TXT", "/UNIX/STYLE.TXT", "STYLE", "", ""},
       }) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileName(c.path), c.fileName);
    EXPECT_EQ(FileTitle(c.path), c.fileTitle) << "as the C runtime's _splitpath, which also splits at \"/\"";
    EXPECT_EQ(DirectoryPart(c.path), c.directoryPart);
    EXPECT_EQ(CutAtLastBackslash(c.path), c.beforeLastBackslash);
  }
  EXPECT_EQ(WithoutExtension("READ.ME.TXT"), "READ.ME");
  EXPECT_EQ(Extension("READ.ME.TXT"), ".TXT");
  EXPECT_EQ(WithoutExtension("MAKEFILE"), "MAKEFILE");
  EXPECT_EQ(Extension("MAKEFILE"), "");
}

TEST(WindowsPath, AbsolutePathsJoinsAndTheSameFile) {
  for (const char* absolute : {"\\X", "C:X", "C:\\X", "c:"}) EXPECT_TRUE(IsAbsolutePath(absolute)) << absolute;
  for (const char* relative : {"", "X", "SUB\\X", "$WINDIR$\\X", "\"C:\\X\""})
    EXPECT_FALSE(IsAbsolutePath(relative)) << relative;
  EXPECT_EQ(JoinPath("C:\\", "A"), "C:\\A");
  EXPECT_EQ(JoinPath("C:\\APP", "A"), "C:\\APP\\A");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\APP"), "C:\\APP");
  EXPECT_TRUE(SamePath("c:\\app\\\\x.dll", "C:\\APP\\X.DLL"));
  EXPECT_FALSE(SamePath("C:\\APP\\X.DLL", "C:\\APP\\X.DL"));
}

TEST(WindowsPath, PathsResolveAgainstTheCurrentDirectory) {
  struct Case {
    const char* current;
    const char* path;
    const char* resolved;
  };
  for (const Case& c : {
           Case{"C:\\WORK", "a.ini", "C:\\WORK\\a.ini"},
           Case{"C:\\WORK", "sub/b.ini", "C:\\WORK\\sub\\b.ini"},
           Case{"C:\\WORK", "sub\\..\\.\\c.ini. ", "C:\\WORK\\c.ini"},
           Case{"C:\\WORK", "..\\..\\..", "C:\\"},
           Case{"C:\\WORK", "\\root.ini", "C:\\root.ini"},
           Case{"C:\\WORK", "/root.ini", "C:\\root.ini"},
           Case{"C:\\WORK", "c:x.ini", "C:\\WORK\\x.ini"},
           Case{"C:\\WORK", "d:x.ini", "D:\\x.ini"},
           Case{"C:\\WORK", "D:\\A\\\\B\\", "D:\\A\\B"},
           Case{"C:\\", "a.ini", "C:\\a.ini"},
           Case{"c:\\Mixed", "x", "c:\\Mixed\\x"},
           Case{"C:\\WORK", "", ""},
           Case{"", "x", ""},
           Case{"", "E:\\x", "E:\\x"},
       }) {
    SCOPED_TRACE(std::string(c.current) + " + " + c.path);
    EXPECT_EQ(ResolvePath(c.current, c.path), c.resolved);
  }
  EXPECT_EQ(PathComponents("C:\\\\A/B\\"), (std::vector<std::string>{"C:", "A", "B"}));
}

TEST(LittleEndian, IntegersRoundTripWhateverTheHost) {
  uint8_t bytes[4];
  WriteLe32(bytes, 0x11223344u);
  EXPECT_EQ(bytes[0], 0x44);
  EXPECT_EQ(bytes[3], 0x11);
  EXPECT_EQ(ReadLe32(bytes), 0x11223344u);
  WriteLe16(bytes, 0xFFFE);
  EXPECT_EQ(ReadLe16(bytes), 0xFFFE);
  std::string s(8, '\0');
  WriteLe32(s, 4, 0x80000001u);
  EXPECT_EQ(ReadLe32(s, 4), 0x80000001u);
}

// ---- the fault-injecting file system ---------------------------------------------------

class FaultFileSystemTest : public ::testing::Test {
 protected:
  FaultFileSystemTest() {
    files.AddDirectory("C:\\DIR");
    files.AddFile("C:\\DIR\\A.TXT", "abcdef");
  }
  MemoryFileSystem files;
  FaultFileSystem faults{files};
};

TEST_F(FaultFileSystemTest, TheNthCallFailsOnceOrFromThenOnHandlesIncluded) {
  faults.FailCall(3);
  std::unique_ptr<FileHandle> file = faults.Open("C:\\DIR\\A.TXT", OpenMode::kRead);  // call 1
  ASSERT_NE(file, nullptr);
  char buffer[4];
  EXPECT_EQ(file->Read(buffer, 2), 2);  // call 2
  EXPECT_EQ(file->Read(buffer, 2), -1);  // call 3 fails
  EXPECT_EQ(faults.LastError(), uint32_t(kErrorAccessDenied));
  EXPECT_EQ(file->Read(buffer, 2), 2);  // call 4: once only
  EXPECT_TRUE(faults.Failed());
  EXPECT_EQ(faults.Calls(), 4);

  faults.FailCall(2, FaultFileSystem::Persistence::kFromThenOn);
  EXPECT_NE(faults.GetAttributes("C:\\DIR\\A.TXT"), kInvalidAttributes);
  EXPECT_EQ(faults.GetAttributes("C:\\DIR\\A.TXT"), kInvalidAttributes);
  EXPECT_FALSE(faults.CreateDirectory("C:\\NEW"));
  EXPECT_EQ(faults.GetDriveType("C:\\"), DriveType::kNoRootDir);
  EXPECT_EQ(faults.Open("C:\\DIR\\A.TXT", OpenMode::kRead), nullptr);
  EXPECT_FALSE(files.Exists("C:\\NEW")) << "a failing call changes nothing";
  faults.StopFailing();
  EXPECT_TRUE(faults.CreateDirectory("C:\\NEW"));
  // The current directory cannot fail and is not counted.
  faults.FailCall(1);
  EXPECT_EQ(faults.GetCurrentDirectory(), files.GetCurrentDirectory());
  EXPECT_EQ(faults.Calls(), 0);
}

TEST_F(FaultFileSystemTest, AFullDiskWritesWhatIsLeftThenNothing) {
  faults.FillDisk(5, "C:\\DIR\\OUT.BIN", -1);
  std::unique_ptr<FileHandle> out = faults.Open("c:\\dir\\out.bin", OpenMode::kCreate);
  std::unique_ptr<FileHandle> other = faults.Open("C:\\DIR\\OTHER.BIN", OpenMode::kCreate);
  ASSERT_TRUE(out && other);
  EXPECT_EQ(out->Write("abc", 3), 3);
  EXPECT_EQ(out->Write("defg", 4), 2) << "a short write";
  EXPECT_EQ(out->Write("h", 1), -1) << "the disk is full";
  EXPECT_EQ(faults.LastError(), uint32_t(kErrorDiskFull));
  EXPECT_EQ(other->Write("1234567", 7), 7) << "other files are not limited";
  out.reset();
  std::string data;
  ASSERT_TRUE(files.ReadWholeFile("C:\\DIR\\OUT.BIN", &data));
  EXPECT_EQ(data, "abcde");

  faults.FillDisk(0);  // every file, a full disk returns 0
  out = faults.Open("C:\\DIR\\OUT.BIN", OpenMode::kAppend);
  EXPECT_EQ(out->Write("x", 1), 0);
  faults.UnfillDisk();
  EXPECT_EQ(out->Write("x", 1), 1);
}

TEST_F(FaultFileSystemTest, ReadsOfOneFileFail) {
  files.AddFile("C:\\DIR\\B.TXT", "b");
  faults.FailReadsOf("C:\\DIR\\A.TXT");
  char c;
  EXPECT_EQ(faults.Open("C:\\DIR\\A.TXT", OpenMode::kRead)->Read(&c, 1), -1);
  EXPECT_EQ(faults.Open("C:\\DIR\\B.TXT", OpenMode::kRead)->Read(&c, 1), 1);
}

}  // namespace
}  // namespace quorril
