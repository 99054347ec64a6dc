// The helpers every quorril-pack command shares, checked on their own: the
// numbers of the command line and the reading of host files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

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

}  // namespace
}  // namespace quorril::pack
