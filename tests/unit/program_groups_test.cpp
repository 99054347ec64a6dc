// Program Manager groups: WINITEM lines run from parsed scripts through the
// whole install run, with the commands the fake shell received, the groups
// and items it keeps, and the journal.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "system_changes_test_support.h"

namespace quorril::testing {
namespace {

using Texts = std::vector<std::string>;

// Journal lines that begin with `prefix`.
Texts Only(const Texts& lines, const std::string& prefix) {
  Texts out;
  for (const std::string& line : lines)
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  return out;
}

struct WinItemCase {
  const char* what;
  Texts lines;
  Texts commands;
  Texts journal;
};

const WinItemCase kWinItemCases[] = {
    {"two items of one group create it once",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App")", R"(WINITEM: "tools", "$DEFAULTDIR$\help.exe", "Help")"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe, App)])", R"([AddItem(C:\APP\help.exe, Help)])"},
     {R"(WINITEM: "Tools", "App")", R"(WINITEM: "tools", "Help")"}},
    {"replace sends ReplaceItem first, then the item with the expanded icon",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App", "$DEFAULTDIR$\app.ico", replace)"},
     {"[CreateGroup(Tools)]", "[ReplaceItem(App)]", R"([AddItem(C:\APP\app.exe, App, C:\APP\app.ico)])"},
     {R"(WINITEM: "Tools", "App")"}},
    {"working directory after icon file and index",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App", "$DEFAULTDIR$\", "$DEFAULTDIR$\app.ico", 2)"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe, App, C:\APP\app.ico, 2, -1, -1,C:\APP\)])"},
     {R"(WINITEM: "Tools", "App")"}},
    {"working directory after the icon file alone",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App", "$DEFAULTDIR$\", "$DEFAULTDIR$\app.ico")"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe, App, C:\APP\app.ico, , -1, -1,C:\APP\)])"},
     {R"(WINITEM: "Tools", "App")"}},
    {"working directory after the caption alone",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App", "$DEFAULTDIR$\")"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe, App, , , -1, -1,C:\APP\)])"},
     {R"(WINITEM: "Tools", "App")"}},
    {"the icon index goes as written",
     {R"(WINITEM: "Tools", "app.exe", "App", "app.ico" 007)"},
     {"[CreateGroup(Tools)]", "[AddItem(app.exe, App, app.ico, 007)]"},
     {R"(WINITEM: "Tools", "App")"}},
    {"without a caption nothing follows the command line",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe")"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe)])"},
     {R"(WINITEM: "Tools", "")"}},
    {"an icon index without an icon file is left out",
     {R"(WINITEM: "Tools", "app.exe", "App", 3)"},
     {"[CreateGroup(Tools)]", "[AddItem(app.exe, App)]"},
     {R"(WINITEM: "Tools", "App")"}},
    {"remove with a command line deletes the item, journalling nothing",
     {R"(WINITEM: "Tools", "x", "App", remove)"},
     {"[CreateGroup(Tools)]", "[DeleteItem(App)]"},
     {}},
    {"remove without a command line deletes the group",
     {R"(WINITEM: "Tools", remove)"},
     {"[DeleteGroup(Tools)]"},
     {}},
    {"a group-only line creates the group and journals an empty caption",
     {R"(WINITEM: "Tools")"},
     {"[CreateGroup(Tools)]"},
     {R"(WINITEM: "Tools", "")"}},
    {"the caption is sent expanded and journalled as written",
     {R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App in $DEFAULTDIR$")"},
     {"[CreateGroup(Tools)]", R"([AddItem(C:\APP\app.exe, App in C:\APP)])"},
     {R"(WINITEM: "Tools", "App in $DEFAULTDIR$")"}},
    {"only a variable at the start of the group is replaced",
     {R"(WINITEM: "$WINDIR$ Tools", "a.exe", "A")", R"(WINITEM: "Tools $WINDIR$", "b.exe", "B")"},
     {R"([CreateGroup(C:\WINDOWS Tools)])", "[AddItem(a.exe, A)]", "[CreateGroup(Tools $WINDIR$)]",
      "[AddItem(b.exe, B)]"},
     {R"(WINITEM: "C:\WINDOWS Tools", "A")", R"(WINITEM: "Tools $WINDIR$", "B")"}},
    {"another group is created, and an earlier one again after it",
     {R"(WINITEM: "One", "a.exe", "A")", R"(WINITEM: "Two", "b.exe", "B")", R"(WINITEM: "One", "c.exe", "C")"},
     {"[CreateGroup(One)]", "[AddItem(a.exe, A)]", "[CreateGroup(Two)]", "[AddItem(b.exe, B)]", "[CreateGroup(One)]",
      "[AddItem(c.exe, C)]"},
     {R"(WINITEM: "One", "A")", R"(WINITEM: "Two", "B")", R"(WINITEM: "One", "C")"}},
    // A comma or a parenthesis would split the shell's argument list: such
    // an argument goes between double quotes, any other as it is.
    {"a caption with a comma or a parenthesis is quoted",
     {R"*(WINITEM: "Tools", "app.exe", "App, (beta)")*"},
     {"[CreateGroup(Tools)]", R"*([AddItem(app.exe, "App, (beta)")])*"},
     {R"*(WINITEM: "Tools", "App, (beta)")*"}},
    {"a command line, icon file and working directory with them are quoted",
     {R"*(WINITEM: "Tools", "C:\Program Files (x86)\app.exe", "App", "C:\A,B\", "C:\I(1)\app.ico", 1)*"},
     {"[CreateGroup(Tools)]",
      R"*([AddItem("C:\Program Files (x86)\app.exe", App, "C:\I(1)\app.ico", 1, -1, -1,"C:\A,B\")])*"},
     {R"(WINITEM: "Tools", "App")"}},
    {"groups and the captions to replace or delete are quoted alike",
     {R"*(WINITEM: "Tools (new)", "a.exe", "A (1)", replace)*", R"*(WINITEM: "Tools (new)", "x", "B,2", remove)*",
      R"*(WINITEM: "Old (1)", remove)*"},
     {R"*([CreateGroup("Tools (new)")])*", R"*([ReplaceItem("A (1)")])*", R"*([AddItem(a.exe, "A (1)")])*",
      R"*([DeleteItem("B,2")])*", R"*([DeleteGroup("Old (1)")])*"},
     {R"*(WINITEM: "Tools (new)", "A (1)")*"}},
    {"a text with a double quote cannot be quoted and goes as it is; the shell refuses it, so no line",
     {R"*(WINITEM: "Tools", "a.exe", "Say ""hi"", (x)")*"},
     {"[CreateGroup(Tools)]", R"*([AddItem(a.exe, Say "hi", (x))])*"},
     {}},
};

void PrintTo(const WinItemCase& c, std::ostream* os) { *os << c.what; }

class WinItemTable : public SystemChangesRun, public ::testing::WithParamInterface<WinItemCase> {};

TEST_P(WinItemTable, SendsTheCommandsInScriptOrderAndJournalsTheItems) {
  const WinItemCase& c = GetParam();
  SCOPED_TRACE(c.what);
  Texts journal = Install(c.lines);
  EXPECT_EQ(programManager.commands, c.commands);
  EXPECT_EQ(Only(journal, "WINITEM: "), c.journal);
  EXPECT_EQ(programManager.begins, 1);
  EXPECT_EQ(programManager.ends, 1);
}
INSTANTIATE_TEST_SUITE_P(Cases, WinItemTable, ::testing::ValuesIn(kWinItemCases));

TEST_F(SystemChangesRun, TheShellKeepsTheGroupsAndItemsOfTheScript) {
  Texts journal = Install({
      R"(WINITEM: "Tools", "$DEFAULTDIR$\app.exe", "App")",
      R"(WINITEM: "Tools", "$DEFAULTDIR$\old.exe", "Old")",
      R"(WINITEM: "Tools", "$DEFAULTDIR$\gone.exe", "Gone")",
      R"(WINITEM: "Old Tools", "$DEFAULTDIR$\x.exe", "X")",
      R"(WINITEM: "Tools", "$DEFAULTDIR$\new.exe", "Old", replace)",
      R"(WINITEM: "Tools", "x", "Gone", remove)",
      R"(WINITEM: "Old Tools", remove)",
  });
  EXPECT_EQ(programManager.Captions("Tools"), (Texts{"App", "Old"}));
  const MemoryProgramManager::Group* tools = programManager.FindGroup("Tools");
  ASSERT_TRUE(tools);
  EXPECT_EQ(tools->items[1].commandLine, "C:\\APP\\new.exe") << "the replaced item keeps its place";
  EXPECT_FALSE(programManager.FindGroup("Old Tools"));
  EXPECT_EQ(journal, (Texts{R"(WINITEM: "Tools", "App")", R"(WINITEM: "Tools", "Old")", R"(WINITEM: "Tools", "Gone")",
                            R"(WINITEM: "Old Tools", "X")", R"(WINITEM: "Tools", "Old")"}));
}

TEST_F(SystemChangesRun, ACaptionWithACommaAndParenthesesMakesOneItemOfThatCaption) {
  Install({R"*(WINITEM: "Tools (2)", "$DEFAULTDIR$\tool.exe", "Tool, (beta)")*"});
  EXPECT_EQ(programManager.Captions("Tools (2)"), (Texts{"Tool, (beta)"}));
}

TEST_F(SystemChangesRun, AnItemTheShellDidNotMakeIsNotJournalled) {
  // The uninstaller would delete whatever item of that caption it found.
  programManager.answering = false;
  Texts journal = Install({R"(WINITEM: "Tools", "app.exe", "App")"});
  EXPECT_EQ(programManager.commands, (Texts{"[CreateGroup(Tools)]", "[AddItem(app.exe, App)]"}));
  EXPECT_TRUE(programManager.Groups().empty());
  EXPECT_EQ(journal, Texts{});
}

TEST_F(SystemChangesRun, WithoutAClientSideNothingIsSentNorJournalled) {
  programManager.canBegin = false;
  Texts journal = Install({R"(WINITEM: "Tools", "app.exe", "App")", R"(INIFILE: "S", "k", "v", "A.INI")"});
  EXPECT_TRUE(programManager.commands.empty());
  EXPECT_EQ(Only(journal, "WINITEM: "), Texts{});
  EXPECT_EQ(Only(journal, "INIFILE: ").size(), 2u) << "the rest of the installation is made";
}

TEST_F(SystemChangesRun, AScriptWithoutItemsLeavesTheShellAlone) {
  Install({R"(INIFILE: "S", "k", "v", "A.INI")"});
  EXPECT_EQ(programManager.begins, 0);
  EXPECT_TRUE(programManager.commands.empty());
}

TEST_F(SystemChangesRun, CancellingTheLastScreenMakesNoGroups) {
  RecordingScreens screens(ui);
  screens.lastScreenAnswer = kIdCancel;
  Script({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", R"(WINITEM: "Tools", "app.exe", "App")",
          "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN"});
  EXPECT_EQ(RunTest::Install(&screens, &changes), 1);
  EXPECT_EQ(programManager.begins, 0);
  EXPECT_TRUE(programManager.commands.empty());
  EXPECT_EQ(Only(SplitLines(Journal()), "WINITEM: "), Texts{});
}

TEST_F(SystemChangesRun, TheItemsComeLastAfterEveryOtherChange) {
  Source("CTL.OCX");
  Texts journal = Install({R"(WINITEM: "Tools", "app.exe", "App")", R"(ADDTEXT: "x", "A.TXT", "1")",
                           R"(REGSERVER: "CTL.OCX")", R"(INIFILE: "S", "k", "v", "A.INI")", R"(FILE: "CTL.OCX")"});
  EXPECT_EQ(journal, (Texts{
                         R"(FILE: "C:\APP\CTL.OCX")",
                         R"(FILE: "C:\WINDOWS\A.INI")",
                         R"(INIFILE: "S", "k", "v", "A.INI")",
                         R"(INIFILE: "S", "A.INI")",
                         R"(RegServer: "C:\APP\CTL.OCX")",
                         R"(FILE: "C:\APP\A.TXT")",
                         R"(ADDTEXT: "", A.TXT, "x")",
                         R"(WINITEM: "Tools", "App")",
                     }));
}

}  // namespace
}  // namespace quorril::testing
