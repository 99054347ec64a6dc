// The helpers every quorril-pack command shares, checked on their own: the
// numbers of the command line, the reading of host files, and the output
// set that writes beside the final names and moves into place at once.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "commands.h"
#include "host_files.h"

namespace quorril::pack {
namespace {

TEST(PackNumbers, OnlyPlainDecimalDigitsWithinTheLimitAreNumbers) {
  uint64_t value = 0;
  EXPECT_TRUE(ParseDecimal("0", 9, &value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(ParseDecimal("4096", 4096, &value));
  EXPECT_EQ(value, 4096u);
  EXPECT_TRUE(ParseDecimal("007", 9, &value));
  EXPECT_EQ(value, 7u);
  EXPECT_TRUE(ParseDecimal("18446744073709551615", UINT64_MAX, &value));
  EXPECT_EQ(value, UINT64_MAX);

  // Whatever is refused leaves the value as it was.
  value = 42;
  for (const char* text : {"", "+4", "-4", " 4", "4 ", "4\t", "\n4", "4.0", "0x4", "1e3", "4k", "１"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParseDecimal(text, UINT64_MAX, &value));
  }
  EXPECT_FALSE(ParseDecimal(std::string("4\0", 2), 9, &value));
  EXPECT_EQ(value, 42u);
}

TEST(PackNumbers, TheLimitAndTheDigitCountBoundEveryNumber) {
  uint64_t value = 42;
  EXPECT_FALSE(ParseDecimal("4097", 4096, &value));
  EXPECT_FALSE(ParseDecimal("10", 9, &value));
  EXPECT_FALSE(ParseDecimal("1", 0, &value));
  EXPECT_FALSE(ParseDecimal("4294967296", 0xFFFFFFFFu, &value));
  // Past 2^64 a careless parser wraps around into the range.
  EXPECT_FALSE(ParseDecimal("18446744073709551616", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal("18446744073709552616", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal("99999999999999999999", UINT64_MAX, &value));
  EXPECT_FALSE(ParseDecimal(std::string(200, '9'), UINT64_MAX, &value));
  // Leading zeros count as digits.
  EXPECT_FALSE(ParseDecimal("0000000004", 9, &value, 9));
  EXPECT_FALSE(ParseDecimal(std::string(21, '0') + "1", UINT64_MAX, &value));
  EXPECT_EQ(value, 42u);
  EXPECT_TRUE(ParseDecimal("000000004", 9, &value, 9));
  EXPECT_EQ(value, 4u);
}

class PackHostFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorril-pack-helpers-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    dir = pattern;
  }
  void TearDown() override {
    if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
  }
  std::string Path(const std::string& name) const { return dir + "/" + name; }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) const {
    struct stat st;
    return lstat(Path(name).c_str(), &st) == 0;
  }
  // The names in a directory below `dir`, sorted.
  std::vector<std::string> Listing(const std::string& name = ".") const {
    std::vector<std::string> names;
    if (DIR* d = opendir(Path(name).c_str())) {
      while (dirent* e = readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
      closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir;
};

std::string Bytes(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = char(i * 7 + i / 251);
  return s;
}

TEST_F(PackHostFiles, AWholeFileIsReadUpToItsLimit) {
  const std::string data = Bytes(200000);  // several blocks, NUL bytes included
  Write("f", data);
  std::string got = "old";
  ASSERT_TRUE(ReadHostFile("test", Path("f"), &got));
  EXPECT_EQ(got, data);
  ASSERT_TRUE(ReadHostFile(nullptr, Path("f"), &got, data.size()));
  EXPECT_EQ(got, data);
  Write("empty", "");
  ASSERT_TRUE(ReadHostFile("test", Path("empty"), &got, 0));
  EXPECT_EQ(got, "");

  // One byte over the limit, in the first block or a later one.
  got = "old";
  EXPECT_FALSE(ReadHostFile(nullptr, Path("f"), &got, data.size() - 1));
  EXPECT_FALSE(ReadHostFile(nullptr, Path("f"), &got, 10));
  EXPECT_EQ(got, "old");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadHostFile("test", Path("f"), &got, 65536));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorril-pack test: '" + Path("f") + "' is larger than 65536 bytes\n");
  EXPECT_EQ(got, "old");
}

TEST_F(PackHostFiles, WhatCannotBeReadIsToldUnlessTheReadIsQuiet) {
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
  std::string got = "old";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadHostFile("shrink", Path("missing"), &got));
  EXPECT_FALSE(ReadHostFile("append", Path("sub"), &got));
  EXPECT_EQ(OpenHostFile("explode", Path("sub")), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quorril-pack shrink: cannot open '" + Path("missing") + "': No such file or directory\n"
            "quorril-pack append: '" + Path("sub") + "' is a directory\n"
            "quorril-pack explode: '" + Path("sub") + "' is a directory\n");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadHostFile(nullptr, Path("missing"), &got));
  EXPECT_FALSE(ReadHostFile(nullptr, Path("sub"), &got));
  EXPECT_EQ(OpenHostFile(nullptr, Path("missing")), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(got, "old");
}

using Names = std::vector<std::string>;

TEST_F(PackHostFiles, OutputsAppearTogetherOnlyWhenCommitted) {
  Write("old", "old");
  {
    OutputSet set("test");
    ASSERT_TRUE(set.Add(Path("whole"), "given whole"));
    ASSERT_TRUE(set.Open(Path("old")));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(set.Write("part ", 5));
    ASSERT_TRUE(set.Write("", 0));
    // Nothing is in place yet: only temporaries beside the final names.
    EXPECT_EQ(Read("old"), "old");
    EXPECT_FALSE(Exists("whole"));
    EXPECT_EQ(Listing(), (Names{"old", "old.quorril-tmp", "whole.quorril-tmp"}));
    ASSERT_TRUE(set.Commit());  // closes the file being written
  }
  EXPECT_EQ(Listing(), (Names{"old", "whole"}));
  EXPECT_EQ(Read("whole"), "given whole");
  EXPECT_EQ(Read("old"), "part part part ");
}

TEST_F(PackHostFiles, AnUncommittedSetLeavesNothingBehind) {
  Write("old", "old");
  for (int stop = 0; stop < 3; ++stop) {
    SCOPED_TRACE(stop);
    {
      OutputSet set("test");
      ASSERT_TRUE(set.MakeDirectories(Path("new/deeper")));
      ASSERT_TRUE(set.MakeDirectories(Path(".")));
      ASSERT_TRUE(set.Add(Path("new/deeper/file"), "file"));
      ASSERT_TRUE(set.Open(Path("old")));
      ASSERT_TRUE(set.Write("new", 3));
      if (stop >= 1) {
        ASSERT_TRUE(set.Close());
      }
      if (stop >= 2) {
        ASSERT_TRUE(set.Add(Path("another"), "another"));
      }
    }
    EXPECT_EQ(Listing(), Names{"old"});
    EXPECT_EQ(Read("old"), "old");
  }
  // A directory that was there already stays, with what it held.
  ASSERT_EQ(mkdir(Path("kept").c_str(), 0755), 0);
  Write("kept/mine", "mine");
  {
    OutputSet set("test");
    ASSERT_TRUE(set.MakeDirectories(Path("kept/sub")));
    ASSERT_TRUE(set.Add(Path("kept/sub/file"), "file"));
  }
  EXPECT_EQ(Listing("kept"), Names{"mine"});
}

TEST_F(PackHostFiles, ATakenTemporaryNameIsPassedOverAndLeftAlone) {
  // The first name tried is taken by a link to another file, then by a
  // directory; the file goes in under another name all the same.
  Write("victim", "victim");
  ASSERT_EQ(symlink(Path("victim").c_str(), Path("out.quorril-tmp").c_str()), 0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    OutputSet set("test");
    ASSERT_TRUE(set.Open(Path("out")));
    ASSERT_TRUE(set.Write("out", 3));
    ASSERT_TRUE(set.Close());
    // Sorted: out.XXXXXXXX.quorril-tmp, out.quorril-tmp, victim.
    Names names = Listing();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].substr(0, 4), "out.");
    EXPECT_EQ(names[0].size(), std::string("out.12345678.quorril-tmp").size()) << names[0];
    EXPECT_EQ(names[1], "out.quorril-tmp");
    ASSERT_TRUE(set.Commit());
    EXPECT_EQ(Read("out"), "out");
    EXPECT_EQ(Read("victim"), "victim");
    EXPECT_TRUE(Exists("out.quorril-tmp"));
    std::remove(Path("out").c_str());
    std::remove(Path("out.quorril-tmp").c_str());
    ASSERT_EQ(mkdir(Path("out.quorril-tmp").c_str(), 0755), 0);
  }
  EXPECT_EQ(Listing(), (Names{"out.quorril-tmp", "victim"}));
}

TEST_F(PackHostFiles, WhatCannotBeCreatedIsToldAndNothingIsCommitted) {
  ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
  {
    OutputSet set("test");
    ASSERT_TRUE(set.Add(Path("first"), "first"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(set.Open(Path("sub")));
    // The set is spoilt: the rest is refused without more messages.
    EXPECT_FALSE(set.Write("x", 1));
    EXPECT_FALSE(set.Add(Path("second"), "second"));
    EXPECT_FALSE(set.Commit());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "quorril-pack test: '" + Path("sub") + "' is a directory\n");
    EXPECT_FALSE(Exists("first"));
  }
  EXPECT_EQ(Listing(), Names{"sub"});
  {
    OutputSet set("test");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(set.Open(Path("missing/file")));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorril-pack test: cannot create '" + Path("missing/file") + "': No such file or directory\n");
  }
  EXPECT_EQ(Listing(), Names{"sub"});
}

// Links below the root are refused wherever they are met: in a directory
// to make, in a file to start, and in a path that became one while the set
// was written; the root itself may be a link.
TEST_F(PackHostFiles, ASetKeptWithinADirectoryWritesThroughNoLinkBelowIt) {
  ASSERT_EQ(mkdir(Path("elsewhere").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("real").c_str(), 0755), 0);
  ASSERT_EQ(symlink(Path("real").c_str(), Path("root").c_str()), 0);
  ASSERT_EQ(mkdir(Path("real/sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink(Path("elsewhere").c_str(), Path("real/away").c_str()), 0);
  ASSERT_EQ(symlink(Path("elsewhere/file").c_str(), Path("real/file").c_str()), 0);
  const std::string root = Path("root") + "/";
  struct Case {
    bool directory;    // made, or started as a file
    std::string path;  // below the root
    std::string link;  // the link named, below the root
  };
  const std::vector<Case> cases = {
      {true, "away/deeper", "away"},
      {true, "away", "away"},
      {false, "away/file", "away"},
      {false, "sub//away/../file", "sub//away"},
      {false, "file", "file"},
  };
  ASSERT_EQ(symlink(Path("elsewhere").c_str(), Path("real/sub/away").c_str()), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    OutputSet set("test");
    set.KeepWithin(root);
    ASSERT_TRUE(set.MakeDirectories(root));
    ASSERT_TRUE(set.Add(root + "first", "first"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(c.directory ? set.MakeDirectories(root + c.path) : set.Open(root + c.path));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorril-pack test: '" + root + c.link + "' is a symbolic link; nothing is written through it\n");
    EXPECT_TRUE(set.RefusedLink());
    EXPECT_FALSE(set.Commit());
  }
  EXPECT_EQ(Listing("elsewhere"), Names{});
  EXPECT_EQ(Listing("real"), (Names{"away", "file", "sub"}));

  // A directory turned into a link after its file was started.
  {
    OutputSet set("test");
    set.KeepWithin(root);
    ASSERT_TRUE(set.MakeDirectories(root + "made"));
    ASSERT_TRUE(set.Add(root + "made/file", "file"));
    ASSERT_EQ(rename(Path("real/made").c_str(), Path("elsewhere/made").c_str()), 0);
    ASSERT_EQ(symlink(Path("elsewhere/made").c_str(), Path("real/made").c_str()), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(set.Commit());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorril-pack test: '" + root + "made' is a symbolic link; nothing is written through it\n");
  }
  EXPECT_FALSE(Exists("elsewhere/made/file"));

  // Without links below it, the root's own link is followed.
  {
    OutputSet set("test");
    set.KeepWithin(root);
    ASSERT_TRUE(set.MakeDirectories(root + "sub/new"));
    ASSERT_TRUE(set.Add(root + "sub/new/file", "file"));
    EXPECT_FALSE(set.RefusedLink());
    ASSERT_TRUE(set.Commit());
  }
  EXPECT_EQ(Read("real/sub/new/file"), "file");
}

}  // namespace
}  // namespace quorril::pack
