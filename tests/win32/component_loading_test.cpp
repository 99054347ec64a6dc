// Where a component's own needs are looked for: the libraries a component
// imports are found beside the component or in the system directory, never
// beside the program that registers it (a setup program started from a
// downloads folder must not load what lies there).
#include <gtest/gtest.h>

#include <string>

#include "contract/fixtures.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_process.h"

namespace quorril::testing {
namespace {

constexpr const char kComponent[] = "component_with_dependency.dll";
constexpr const char kDependency[] = "quorril_test_dependency.dll";

class ComponentLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fx_ = MakePortFixture();
    std::string program = TestComponentPath("");
    besideProgram_ = program.substr(0, program.rfind("components\\")) + kDependency;
    char current[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof current, current);
    savedDirectory_ = current;
  }
  void TearDown() override {
    SetCurrentDirectoryA(savedDirectory_.c_str());
    DeleteFileA(besideProgram_.c_str());
  }
  // Copies a test library; the path it went to.
  std::string Put(const std::string& name, const std::string& to) {
    fx_->files().CreateDirectory(to.substr(0, to.rfind('\\')));
    EXPECT_TRUE(CopyFileA(TestComponentPath(name).c_str(), to.c_str(), FALSE)) << to << " " << GetLastError();
    return to;
  }
  std::string S(const std::string& rest) { return fx_->Scratch() + "\\" + rest; }

  std::unique_ptr<PortFixture> fx_;
  std::string besideProgram_;
  std::string savedDirectory_;
  Win32Process process_;
};

TEST_F(ComponentLoadingTest, ALibraryTheComponentNeedsIsFoundBesideItAndNotBesideTheProgram) {
  std::string alone = Put(kComponent, S("alone\\control.ocx"));
  Put(kDependency, besideProgram_);
  EXPECT_FALSE(process_.RegisterComponent(alone)) << "what it needs lies only beside " << besideProgram_;
  ASSERT_TRUE(DeleteFileA(besideProgram_.c_str()));

  std::string beside = Put(kComponent, S("beside\\control.ocx"));
  Put(kDependency, S("beside\\") + kDependency);
  EXPECT_TRUE(process_.RegisterComponent(beside));

  // A path from the root of the current drive names the same component.
  ASSERT_TRUE(SetCurrentDirectoryA(fx_->Scratch().c_str()));
  ASSERT_EQ(beside[1], ':');
  EXPECT_TRUE(process_.RegisterComponent(beside.substr(2)));
}

}  // namespace
}  // namespace quorril::testing
