// What the Win32 adapters add to the system calls they wrap: paths with a
// zero byte refused, texts of any length read whole, errors kept.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process.h"

namespace quorril {
namespace {

class Win32AdaptersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(files_.GetTempDirectory(&temp_));
    scratch_ = temp_ + "qwa" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(files_.CreateDirectory(scratch_) || files_.LastError() == kErrorAlreadyExists);
    saved_ = files_.GetCurrentDirectory();
  }
  void TearDown() override {
    files_.SetCurrentDirectory(saved_);
    files_.DeleteFile(scratch_ + "\\a.txt");
    files_.RemoveDirectory(scratch_);
  }
  Win32FileSystem files_;
  std::string temp_, scratch_, saved_;
};

TEST_F(Win32AdaptersTest, PathsWithAZeroByteNameNothing) {
  auto out = files_.Open(scratch_ + "\\a.txt", OpenMode::kCreate);
  ASSERT_TRUE(out);
  out.reset();
  const std::string cut = scratch_ + "\\a.txt" + std::string(1, '\0') + "hidden";
  EXPECT_FALSE(files_.Open(cut, OpenMode::kRead)) << "not a.txt, which the system would see";
  EXPECT_EQ(files_.LastError(), uint32_t(kErrorInvalidName));
  EXPECT_EQ(files_.GetAttributes(cut), kInvalidAttributes);
  EXPECT_FALSE(files_.DeleteFile(cut));
  EXPECT_FALSE(files_.MoveFile(scratch_ + "\\a.txt", cut));
  std::vector<FindEntry> entries;
  EXPECT_FALSE(files_.Find(cut, &entries));
  EXPECT_NE(files_.GetAttributes(scratch_ + "\\a.txt"), kInvalidAttributes) << "a.txt is untouched";
  Win32Process process;
  EXPECT_FALSE(process.RunAndWait(std::string("cmd /c exit") + std::string(1, '\0') + " 1"));
}

TEST_F(Win32AdaptersTest, TheTemporaryAndCurrentDirectoriesComeAsTheSystemGivesThem) {
  char buffer[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(temp_, buffer);
  ASSERT_TRUE(files_.SetCurrentDirectory(scratch_));
  ASSERT_GT(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
  EXPECT_EQ(files_.GetCurrentDirectory(), buffer);
}

TEST_F(Win32AdaptersTest, FailuresKeepTheSystemsErrorNumber) {
  EXPECT_FALSE(files_.RemoveDirectory(temp_));  // holds our scratch directory at least
  EXPECT_EQ(files_.LastError(), uint32_t(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(files_.SetCurrentDirectory(scratch_ + "\\missing"));
  EXPECT_EQ(files_.LastError(), uint32_t(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace quorril
