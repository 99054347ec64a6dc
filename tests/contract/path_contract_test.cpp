// File-system port contract, names and paths: relative, drive-relative and
// root-relative paths, "." and "..", trailing dots, wildcards, the order of
// Find, short names and the drive calls. Run against the in-memory fake
// natively and against Win32 under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/fixtures.h"
#include "platform/text.h"

namespace quorril::testing {
namespace {

class PathContract : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    saved_ = fs().GetCurrentDirectory();
  }
  void TearDown() override { fs().SetCurrentDirectory(saved_); }
  FileSystem& fs() { return fx_->files(); }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }
  bool Exists(const std::string& path) { return fs().GetAttributes(path) != kInvalidAttributes; }

  // The names Find reports for a pattern in the scratch directory, in order.
  std::vector<std::string> Listed(const std::string& pattern) {
    std::vector<FindEntry> entries;
    std::vector<std::string> names;
    if (fs().Find(S(pattern), &entries))
      for (const FindEntry& e : entries) names.push_back(e.name);
    return names;
  }

  std::unique_ptr<PortFixture> fx_;
  std::string saved_;
};

using Names = std::vector<std::string>;

TEST_F(PathContract, DotsAndTrailingDotsResolve) {
  fx_->PutFile(S("a.txt"), "a");
  ASSERT_TRUE(fs().CreateDirectory(S("sub")));
  EXPECT_TRUE(Exists(S(".\\a.txt")));
  EXPECT_TRUE(Exists(S("sub\\..\\a.txt")));
  EXPECT_TRUE(Exists(S("sub\\.\\..\\sub\\..\\a.txt")));
  EXPECT_TRUE(Exists(S("a.txt.")) && Exists(S("a.txt ")))
      << "trailing dots and blanks are dropped from a name";
  EXPECT_TRUE(fs().GetAttributes(S(".")) & kAttrDirectory);
  EXPECT_TRUE(fs().GetAttributes(S("sub\\..")) & kAttrDirectory);
  EXPECT_TRUE(fs().GetAttributes(S("sub\\")) & kAttrDirectory) << "a directory may end in \\";
  EXPECT_FALSE(Exists(S("a.txt\\"))) << "a file may not";
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(Exists(S("nodir\\a.txt")));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(Exists(S("sub\\a.txt")));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
}

TEST_F(PathContract, RelativeDriveRelativeAndRootRelativePathsUseTheCurrentDirectory) {
  ASSERT_TRUE(fs().CreateDirectory(S("work")));
  ASSERT_TRUE(fs().SetCurrentDirectory(S("work")));
  std::string drive = fx_->Scratch().substr(0, 2);  // "C:"

  auto out = fs().Open(drive + "rel.txt", OpenMode::kCreate);
  ASSERT_TRUE(out) << "\"C:name\" names a file in the current directory of drive C";
  out.reset();
  EXPECT_TRUE(Exists(S("work\\rel.txt")));

  out = fs().Open("..\\up.txt", OpenMode::kCreate);
  ASSERT_TRUE(out);
  out.reset();
  EXPECT_TRUE(Exists(S("up.txt")));

  std::string rooted = S("work\\rel.txt").substr(2);  // "\...\work\rel.txt"
  EXPECT_TRUE(Exists(rooted)) << "a path from the root stays on the current drive";
  EXPECT_TRUE(fs().CopyFile("rel.txt", ".\\copy.txt", true));
  EXPECT_TRUE(fs().MoveFile(drive + "copy.txt", "..\\moved.txt"));
  EXPECT_TRUE(Exists(S("moved.txt")));
  EXPECT_TRUE(fs().DeleteFile("..\\moved.txt"));
}

TEST_F(PathContract, TheCurrentDirectoryReadsBackAsItWasSet) {
  ASSERT_TRUE(fs().CreateDirectory(S("Mixed")));
  ASSERT_TRUE(fs().SetCurrentDirectory(S("MIXED\\")));
  EXPECT_EQ(fs().GetCurrentDirectory(), S("MIXED")) << "no trailing \\, the case as given";
  ASSERT_TRUE(fs().SetCurrentDirectory(S("mixed\\..\\Mixed\\.")));
  EXPECT_EQ(fs().GetCurrentDirectory(), S("Mixed"));
  ASSERT_TRUE(fs().SetCurrentDirectory(".."));
  EXPECT_EQ(fs().GetCurrentDirectory(), fx_->Scratch());
  std::string root = fx_->Scratch().substr(0, 3);
  ASSERT_TRUE(fs().SetCurrentDirectory(root));
  EXPECT_EQ(fs().GetCurrentDirectory(), root) << "a root keeps its \\";

  fx_->PutFile(S("file.txt"), "x");
  EXPECT_FALSE(fs().SetCurrentDirectory(S("file.txt")));
  EXPECT_FALSE(fs().SetCurrentDirectory(S("missing")));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().SetCurrentDirectory(S("missing\\deeper")));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_EQ(fs().GetCurrentDirectory(), root) << "a failed change leaves the current directory";
}

TEST_F(PathContract, WildcardsMatchWithoutRegardToCase) {
  for (const char* name : {"a.txt", "ab.txt", "abc.txt", "b.TXT", "README", "x.y.z", "data.text"})
    fx_->PutFile(S(name), "x");
  EXPECT_EQ(Listed("?.txt"), (Names{"a.txt", "b.TXT"}));
  EXPECT_EQ(Listed("a?c.txt"), (Names{"abc.txt"}));
  EXPECT_EQ(Listed("*.t?t"), (Names{"a.txt", "ab.txt", "abc.txt", "b.TXT"}));
  EXPECT_EQ(Listed("A*.TXT"), (Names{"a.txt", "ab.txt", "abc.txt"}));
  EXPECT_EQ(Listed("*.z"), (Names{"x.y.z"}));
  EXPECT_EQ(Listed("x.*"), (Names{"x.y.z"}));
  EXPECT_EQ(Listed("readme"), (Names{"README"}));
  EXPECT_EQ(Listed("README.*"), (Names{"README"})) << "\".*\" also matches no extension";
  EXPECT_EQ(Listed("*t"), (Names{"a.txt", "ab.txt", "abc.txt", "b.TXT", "data.text"}));
  EXPECT_TRUE(Listed("x.y").empty()) << "a name matches whole, never a prefix";
  EXPECT_TRUE(Listed("*.tx").empty());
  EXPECT_TRUE(Listed("ab?").empty());
  std::vector<FindEntry> entries;
  EXPECT_FALSE(fs().Find(S("*.qqq"), &entries));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().Find(S("nodir\\*.*"), &entries));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  EXPECT_FALSE(fs().Find(S(""), &entries)) << "a pattern ending in \\ matches nothing";
}

TEST_F(PathContract, FindListsDotEntriesFirstThenNamesInUpperCaseOrder) {
  // Created out of order; the listing does not depend on creation.
  for (const char* name : {"zeta", "Alpha", "b_c", "beta", "B2", "a b", "a-b", "_x", "~t"}) fx_->PutFile(S(name), "");
  ASSERT_TRUE(fs().CreateDirectory(S("Mid")));
  // Upper-case bytes: " " < "-" < letters < "_" < "~".
  EXPECT_EQ(Listed("*"), (Names{".", "..", "a b", "a-b", "Alpha", "B2", "beta", "b_c", "Mid", "zeta", "_x", "~t"}));
  EXPECT_EQ(Listed("*.*"), Listed("*"));
  EXPECT_EQ(Listed("b*"), (Names{"B2", "beta", "b_c"})) << "no dot entries when the pattern excludes them";
  std::string root = fx_->Scratch().substr(0, 3);
  std::vector<FindEntry> entries;
  ASSERT_TRUE(fs().Find(root + "*", &entries));
  for (const FindEntry& e : entries) EXPECT_TRUE(e.name != "." && e.name != "..") << "a root has no dot entries";
}

TEST_F(PathContract, ShortNamesOfLongNamesAndOfNamesThatAreShortAlready) {
  ASSERT_TRUE(fs().CreateDirectory(S("Long Directory Name")));
  fx_->PutFile(S("Long Directory Name\\readme.text"), "x");
  fx_->PutFile(S("short.txt"), "x");
  fx_->PutFile(S("UPPER.TXT"), "x");

  std::string shortPath;
  ASSERT_TRUE(fs().GetShortPathName(S("short.txt"), &shortPath));
  EXPECT_EQ(shortPath.substr(shortPath.size() - 10), "\\short.txt") << "an 8.3 name stays, case and all";
  ASSERT_TRUE(fs().GetShortPathName(S("UPPER.TXT"), &shortPath));
  EXPECT_EQ(shortPath.substr(shortPath.size() - 10), "\\UPPER.TXT");

  ASSERT_TRUE(fs().GetShortPathName(S("Long Directory Name\\readme.text"), &shortPath));
  size_t cut = shortPath.find_last_of('\\');
  std::string file = shortPath.substr(cut + 1);
  std::string dir = shortPath.substr(0, cut);
  dir = dir.substr(dir.find_last_of('\\') + 1);
  // Each alias is an upper-case 8.3 name with a "~"; the system's numbering
  // ("LONGDI~1") and Wine's hashing ("LONG~F30") differ in the tail.
  for (const std::string& alias : {dir, file}) {
    SCOPED_TRACE(alias);
    size_t dot = alias.find('.');
    EXPECT_LE(dot == std::string::npos ? alias.size() : dot, 8u);
    EXPECT_LE(dot == std::string::npos ? 0 : alias.size() - dot - 1, 3u);
    EXPECT_NE(alias.find('~'), std::string::npos);
    EXPECT_EQ(alias, AsciiUpperCopy(alias));
  }
  EXPECT_TRUE(StartsWithNoCase(dir, "LONG"));
  EXPECT_TRUE(StartsWithNoCase(file, "READ"));
  EXPECT_EQ(file.substr(file.size() - 4), ".TEX");
  if (!fx_->IsWin32()) {
    EXPECT_EQ(dir, "LONGDI~1");
    EXPECT_EQ(file, "README~1.TEX");
  }
  EXPECT_TRUE(Exists(shortPath)) << "the short path names the same file";

  std::vector<FindEntry> entries;
  ASSERT_TRUE(fs().Find(S("*"), &entries));
  for (const FindEntry& e : entries) {
    if (e.name == "Long Directory Name") {
      EXPECT_EQ(e.shortName, dir) << "Find reports the alias";
    }
    if (e.name == "short.txt" || e.name == "UPPER.TXT") {
      EXPECT_EQ(e.shortName, "") << "no alias for 8.3 names";
    }
  }
  EXPECT_FALSE(fs().GetShortPathName(S("missing.txt"), &shortPath));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
}

TEST_F(PathContract, DriveCallsTakeARootOrTheCurrentDrive) {
  std::string root = fx_->Scratch().substr(0, 3);
  ASSERT_TRUE(fs().SetCurrentDirectory(fx_->Scratch()));
  EXPECT_EQ(fs().GetDriveType(""), fs().GetDriveType(root));
  EXPECT_EQ(fs().GetDriveType(root), DriveType::kFixed);
  std::string label, emptyRootLabel;
  ASSERT_TRUE(fs().GetVolumeLabel(root, &label));
  ASSERT_TRUE(fs().GetVolumeLabel("", &emptyRootLabel));
  EXPECT_EQ(label, emptyRootLabel);
  DiskSpace space, emptyRootSpace;
  ASSERT_TRUE(fs().GetDiskFreeSpace(root, &space));
  ASSERT_TRUE(fs().GetDiskFreeSpace("", &emptyRootSpace));
  EXPECT_EQ(space.bytesPerSector, emptyRootSpace.bytesPerSector);
  EXPECT_GT(space.bytesPerSector, 0u);
  EXPECT_LE(space.freeClusters, space.totalClusters);

  // A drive letter that names no drive (the fixtures have none at Q:).
  EXPECT_EQ(fs().GetDriveType("Q:\\"), DriveType::kNoRootDir);
  EXPECT_FALSE(fs().GetVolumeLabel("Q:\\", &label));
  EXPECT_FALSE(fs().GetDiskFreeSpace("Q:\\", &space));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
}

TEST_F(PathContract, DirectoriesAreMadeAndRemovedOneLevelAtATime) {
  EXPECT_FALSE(fs().CreateDirectory(S("a\\b"))) << "the parent must exist";
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
  ASSERT_TRUE(fs().CreateDirectory(S("a")));
  ASSERT_TRUE(fs().CreateDirectory(S("a\\b")));
  EXPECT_FALSE(fs().CreateDirectory(S("A")));
  EXPECT_EQ(fs().LastError(), kErrorAlreadyExists);
  fx_->PutFile(S("f"), "");
  EXPECT_FALSE(fs().CreateDirectory(S("f")));
  EXPECT_EQ(fs().LastError(), kErrorAlreadyExists);
  EXPECT_FALSE(fs().CreateDirectory(fx_->Scratch().substr(0, 3))) << "a root exists";
  EXPECT_EQ(fs().LastError(), kErrorAlreadyExists);

  EXPECT_FALSE(fs().RemoveDirectory(S("a"))) << "not while it holds anything";
  EXPECT_FALSE(fs().RemoveDirectory(S("f"))) << "a file is no directory";
  EXPECT_FALSE(fs().DeleteFile(S("a"))) << "a directory is no file";
  EXPECT_EQ(fs().LastError(), kErrorAccessDenied);
  ASSERT_TRUE(fs().SetCurrentDirectory(S("a\\b")));
  EXPECT_FALSE(fs().RemoveDirectory(S("a\\b"))) << "not while it is current";
  ASSERT_TRUE(fs().SetCurrentDirectory(fx_->Scratch()));
  EXPECT_TRUE(fs().RemoveDirectory(S("a\\b")));
  EXPECT_TRUE(fs().RemoveDirectory(S("a")));
  EXPECT_FALSE(fs().RemoveDirectory(S("a")));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);

  ASSERT_TRUE(fs().CreateDirectory(S("from")));
  fx_->PutFile(S("from\\inside.txt"), "in");
  ASSERT_TRUE(fs().MoveFile(S("from"), S("to"))) << "MoveFile renames a directory with what it holds";
  EXPECT_TRUE(Exists(S("to\\inside.txt")));
  EXPECT_FALSE(fs().CopyFile(S("to"), S("copy"), false)) << "CopyFile copies files only";
  EXPECT_FALSE(fs().MoveFile(S("nothing"), S("x")));
  EXPECT_EQ(fs().LastError(), kErrorFileNotFound);
  EXPECT_FALSE(fs().MoveFile(S("f"), S("nodir\\f")));
  EXPECT_EQ(fs().LastError(), kErrorPathNotFound);
}

}  // namespace
}  // namespace quorril::testing
