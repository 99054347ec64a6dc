// Machine-facts port contract: every fact comes back in the shape the
// core expects, whatever the machine. Run against the in-memory fake
// natively and against Win32 under Wine (where the values are the real ones).
#include <gtest/gtest.h>

#include "contract/fixtures.h"
#include "platform/text.h"

namespace quorril::testing {
namespace {

class MachineContract : public ::testing::Test {
 protected:
  void SetUp() override { fx_ = MakePortFixture(); }
  Machine& machine() { return fx_->machine(); }
  FileSystem& fs() { return fx_->files(); }
  std::unique_ptr<PortFixture> fx_;
};

// A directory "exactly as the system gives it": absolute, and without a
// trailing backslash unless it is a root.
void ExpectSystemDirectoryShape(const std::string& directory) {
  ASSERT_GE(directory.size(), 3u) << directory;
  EXPECT_TRUE(IsAsciiAlpha(directory[0]) && directory[1] == ':' && directory[2] == '\\') << directory;
  if (directory.size() > 3) {
    EXPECT_NE(directory.back(), '\\') << directory;
  }
}

TEST_F(MachineContract, VersionMemoryDisplayAndProcessorAreKnown) {
  uint32_t version = machine().Version();
  EXPECT_GE(version & 0xFF, 3u) << "Windows major version in the lowest byte";
  EXPECT_LT((version >> 8) & 0xFF, 100u) << "Windows minor version in the next";
  EXPECT_GT(machine().TotalPhysicalMemory(), 1024u * 1024u);

  DisplayFacts display = machine().Display();
  EXPECT_GT(display.bitsPerPixel, 0);
  EXPECT_GE(display.planes, 1);
  EXPECT_GT(display.width, 0);
  EXPECT_GT(display.height, 0);
  int32_t width = 0, height = 0;
  machine().ScreenSize(&width, &height);
  EXPECT_EQ(width, display.width) << "one screen: the display is the primary screen";
  EXPECT_EQ(height, display.height);
  EXPECT_NE(machine().ProcessorType(), 0u);
}

TEST_F(MachineContract, WindowsAndSystemDirectoriesExistWithoutATrailingBackslash) {
  std::string windows = machine().WindowsDirectory();
  std::string system = machine().SystemDirectory();
  ExpectSystemDirectoryShape(windows);
  ExpectSystemDirectoryShape(system);
  EXPECT_TRUE(StartsWithNoCase(system, windows + "\\")) << system << " lies in " << windows;
  EXPECT_TRUE(fs().GetAttributes(windows) & kAttrDirectory);
  EXPECT_NE(fs().GetAttributes(system), kInvalidAttributes);
}

TEST_F(MachineContract, TheExecutablePathNamesAnExistingProgram) {
  std::string path = machine().ExecutablePath();
  ExpectSystemDirectoryShape(path);
  ASSERT_GT(path.size(), 4u);
  EXPECT_TRUE(EqualsNoCase(path.substr(path.size() - 4), ".exe")) << path;
  uint32_t attributes = fs().GetAttributes(path);
  ASSERT_NE(attributes, kInvalidAttributes) << path;
  EXPECT_FALSE(attributes & kAttrDirectory);
}

TEST_F(MachineContract, MissingVersionTextsAndClassKeysAreNotErrors) {
  std::string text = "unchanged";
  fx_->PutFile(fx_->Scratch() + "\\plain.dll", "no version resource in here");
  EXPECT_FALSE(machine().FileVersionText(fx_->Scratch() + "\\plain.dll", &text));
  EXPECT_FALSE(machine().FileVersionText(fx_->Scratch() + "\\missing.dll", &text));
  EXPECT_FALSE(machine().FileVersionText("", &text));
  EXPECT_FALSE(machine().ClassesRootDefault("CLSID\\{5D1F0C52-3A44-4B1E-9C63-7E0D2B9A0F11}\\InprocServer32", &text));
  EXPECT_FALSE(machine().ClassesRootDefault("No Such Class Key\\Anywhere", &text));
  EXPECT_EQ(text, "unchanged") << "a failed query leaves the caller's text";
}

}  // namespace
}  // namespace quorril::testing
