// Version services: which names are components, how version texts order
// (as texts, by the system's case-insensitive ordering), and reading a
// file's version text through the machine port.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/memory_machine.h"
#include "system/component_versions.h"

namespace quorril {
namespace {

TEST(ComponentVersionsTest, TheFirstThreeCharactersAfterTheFirstDotDecide) {
  struct Case {
    const char* name;
    int component;
  };
  for (const Case& c : {Case{"COMCTL32.DLL", 1}, Case{"x.Ocx", 1}, Case{"GRID.vbx", 1}, Case{"a.dllx", 1},
                        Case{".dll", 1}, Case{"my.app.dll", 0}, Case{"SETUP.EXE", 0}, Case{"DLL", 0},
                        Case{"x.dl", 0}, Case{"x.", 0}, Case{"", 0}, Case{"C:\\MY.DIR\\X.DLL", 0},
                        Case{"C:\\DIR\\X.DLL", 1}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsComponentFile(c.name), c.component);
  }
}

TEST(ComponentVersionsTest, VersionsCompareAsTextsWithoutRegardToCase) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  };
  for (const Case& c : {Case{"4.71", "4.700", 1}, Case{"10.0", "9.0", -1}, Case{"4.00.950", "4.00.1111", 1},
                        Case{"1.0a", "1.0A", 0}, Case{"2.0", "2.0", 0}, Case{"2.0", "2.0.1", -1},
                        Case{"", "1", -1}}) {
    SCOPED_TRACE(std::string(c.a) + " against " + c.b);
    EXPECT_EQ(CompareVersions(c.a, c.b), c.order);
    EXPECT_EQ(CompareVersions(c.b, c.a), -c.order);
  }
}

TEST(QueryFileVersionTest, AVersionTextIsReadAndCutTo99Characters) {
  MemoryMachine machine;
  machine.fileVersions["C:\\APP\\CTL.OCX"] = "4.71.1712.5";
  machine.fileVersions["C:\\APP\\LONG.DLL"] = std::string(150, '7');
  machine.fileVersions["C:\\APP\\EMPTY.DLL"] = "";
  std::string version = "unchanged";
  EXPECT_EQ(QueryFileVersion(machine, "c:\\app\\ctl.ocx", &version), 1);
  EXPECT_EQ(version, "4.71.1712.5");
  EXPECT_EQ(QueryFileVersion(machine, "C:\\APP\\LONG.DLL", &version), 1);
  EXPECT_EQ(version, std::string(99, '7'));

  version = "unchanged";
  EXPECT_EQ(QueryFileVersion(machine, "C:\\APP\\EMPTY.DLL", &version), 0);
  EXPECT_EQ(QueryFileVersion(machine, "C:\\APP\\MISSING.DLL", &version), 0);
  EXPECT_EQ(version, "unchanged");
}

}  // namespace
}  // namespace quorril
