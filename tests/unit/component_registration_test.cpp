// REGSERVER components run from parsed scripts through the whole install
// run: the paths the fake process is asked to register, the journal, and
// the message for a component that does not register.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "system_changes_test_support.h"

namespace quorril::testing {
namespace {

using Texts = std::vector<std::string>;

struct ComponentCase {
  const char* what;
  const char* line;
  const char* path;  // the full path registered and journalled
};

const ComponentCase kComponentCases[] = {
    {"a path in the destination", R"(REGSERVER: "$DEFAULTDIR$\ctl.ocx")", R"(C:\APP\ctl.ocx)"},
    {"a bare name lies in the destination", R"(REGSERVER: "ctl.ocx")", R"(C:\APP\ctl.ocx)"},
    {"a relative path hangs below the destination", R"(REGSERVER: "bin\ctl.ocx")", R"(C:\APP\bin\ctl.ocx)"},
    {"a word without quotes", R"(REGSERVER: ctl.dll)", R"(C:\APP\ctl.dll)"},
    {"a drive and colon is used as it is", R"(REGSERVER: "D:\LIB\x.dll")", R"(D:\LIB\x.dll)"},
    {"a path from the root is used as it is", R"(REGSERVER: "\LIB\x.dll")", R"(\LIB\x.dll)"},
    {"a leading variable other than the destination", R"(REGSERVER: "$WINSYSDIR$\x.dll")",
     R"(C:\WINDOWS\SYSTEM\x.dll)"},
};

void PrintTo(const ComponentCase& c, std::ostream* os) { *os << c.what; }

class ComponentTable : public SystemChangesRun, public ::testing::WithParamInterface<ComponentCase> {};

TEST_P(ComponentTable, RegistersTheFullPathAndJournalsIt) {
  const ComponentCase& c = GetParam();
  SCOPED_TRACE(c.what);
  Texts journal = Install({c.line});
  EXPECT_EQ(process.components, Texts{c.path});
  EXPECT_EQ(journal, Texts{std::string("RegServer: \"") + c.path + "\""});
  EXPECT_TRUE(ui.boxes.empty());
}
INSTANTIATE_TEST_SUITE_P(Cases, ComponentTable, ::testing::ValuesIn(kComponentCases));

TEST_F(SystemChangesRun, AComponentThatDoesNotRegisterIsReportedWithItsPathAsCaptionAndNotJournalled) {
  process.componentHook = [](const std::string& path) { return path != "C:\\APP\\BAD.DLL"; };
  Texts journal = Install({R"(REGSERVER: "GOOD.DLL")", R"(REGSERVER: "BAD.DLL")", R"(REGSERVER: "LAST.OCX")"});
  EXPECT_EQ(process.components, (Texts{R"(C:\APP\GOOD.DLL)", R"(C:\APP\BAD.DLL)", R"(C:\APP\LAST.OCX)"}))
      << "a failure does not stop the next";
  EXPECT_EQ(journal, (Texts{R"(RegServer: "C:\APP\GOOD.DLL")", R"(RegServer: "C:\APP\LAST.OCX")"}));
  ASSERT_EQ(ui.boxes.size(), 1u);
  const MessageBoxRequest& box = ui.boxes[0];
  EXPECT_EQ(box.text, R"(C:\APP\BAD.DLL has not been successfully registered.)");
  EXPECT_EQ(box.caption, std::optional<std::string>(R"(C:\APP\BAD.DLL)"));
  EXPECT_EQ(box.style, uint32_t(kMbOk)) << "an OK button, no icon";
  EXPECT_FALSE(box.owned) << "no owner window";
  EXPECT_EQ(run->Result(), 0) << "the installation goes on";
}

}  // namespace
}  // namespace quorril::testing
