// Process port contract: a program that cannot be started is reported as
// false; RunAndWait returns only after the program has ended; a component
// registers only when its DllRegisterServer reports success. Run against
// the in-memory fake natively (its fixture acts the programs and components
// out) and against Win32 under Wine (with the real command interpreter and
// component libraries built with the tests).
#include <gtest/gtest.h>

#include "contract/fixtures.h"

namespace quorril::testing {
namespace {

class ProcessContract : public ::testing::Test {
 protected:
  void SetUp() override { fx_ = MakePortFixture(); }
  Process& process() { return fx_->process(); }
  FileSystem& fs() { return fx_->files(); }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }
  std::unique_ptr<PortFixture> fx_;
};

TEST_F(ProcessContract, AProgramThatDoesNotExistIsNotStarted) {
  EXPECT_FALSE(process().RunAndWait(S("no-such-program.exe")));
  EXPECT_FALSE(process().RunAndWait("\"" + S("no such program.exe") + "\" -x"));
  EXPECT_FALSE(process().Start(S("no-such-program.exe"), kShowHide));
  fx_->PutFile(S("not-a-program.txt"), "text");
  ASSERT_TRUE(fs().CreateDirectory(S("dir.exe")));
  EXPECT_FALSE(process().RunAndWait(S("dir.exe"))) << "a directory is no program";
}

TEST_F(ProcessContract, RunAndWaitReturnsAfterTheProgramHasEnded) {
  std::string target = S("out.txt");
  ASSERT_TRUE(process().RunAndWait("cmd /c echo x > \"" + target + "\""));
  // No polling: the file must be there the moment RunAndWait returns.
  ASSERT_NE(fs().GetAttributes(target), kInvalidAttributes);
  auto in = fs().Open(target, OpenMode::kRead);
  ASSERT_TRUE(in);
  char first = 0;
  EXPECT_EQ(in->Read(&first, 1), 1);
  EXPECT_EQ(first, 'x');
}

TEST_F(ProcessContract, StartStartsAProgramWithoutWaiting) {
  EXPECT_TRUE(process().Start("cmd /c exit", kShowHide));
}

TEST_F(ProcessContract, AComponentRegistersOnlyWhenItsEntryReportsSuccess) {
  struct Case {
    const char* what;
    const char* name;
    int kind;  // a TestComponent, or -1 for a text file, -2 for no file
    bool registered;
  };
  const Case cases[] = {
      {"the entry returns 0", "ok.dll", int(TestComponent::kRegisters), true},
      {"the entry returns an error status", "fails.ocx", int(TestComponent::kFails), false},
      {"the library has no DllRegisterServer", "none.dll", int(TestComponent::kWithoutEntry), false},
      {"the file is no library", "text.dll", -1, false},
      {"there is no such file", "missing.dll", -2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string path = S(c.name);
    if (c.kind >= 0) fx_->PutComponent(path, TestComponent(c.kind));
    if (c.kind == -1) fx_->PutFile(path, "not a library");
    EXPECT_EQ(process().RegisterComponent(path), c.registered);
    EXPECT_EQ(process().RegisterComponent(path), c.registered) << "a second time alike";
  }
}

}  // namespace
}  // namespace quorril::testing
