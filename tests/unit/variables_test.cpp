// Variable replacement: which names each operation knows, in which order it
// replaces them, and the limits that keep replacement finite.
#include "model/variables.h"

#include <gtest/gtest.h>

#include <string>

namespace quorril {
namespace {

class VariablesTest : public ::testing::Test {
 protected:
  VariablesTest() {
    v.sourceDir = "A:\\SETUP";
    v.sourceDir8 = "A:\\SETUP~1";
    v.sourceDrive = "A";
    v.defaultDir = "D:\\My App";
    v.defaultDir8 = "D:\\MYAPP~1";
    v.defaultDrive = "D";
    v.dir2 = "D:\\DATA";
    v.dir3 = "E:\\LOGS";
    v.winDir = "C:\\WINDOWS";
    v.winSysDir = "C:\\WINDOWS\\SYSTEM";
    v.winHelpDir = "C:\\WINDOWS\\help";
    v.system = "opt1";
    v.sys2 = "";
    v.sys3 = "opt3";
    v.ask = {"one", "two", "three", "four", "five"};
    v.left = "L";
    v.right = "R";
  }

  std::string Leading(std::string text) {
    ExpandLeadingVariable(v, &text);
    return text;
  }
  std::string All(std::string text) {
    ExpandVariables(v, &text);
    return text;
  }
  std::string SearchResult(std::string text) {
    ExpandSearchResult(v, &text);
    return text;
  }

  ScriptVariables v;
};

TEST_F(VariablesTest, InitialValuesOfTheLocateResults) {
  ScriptVariables fresh;
  EXPECT_EQ(fresh.locateDir, "C:\\NEWFILES");
  EXPECT_EQ(fresh.locateDrive, "C");
  EXPECT_EQ(All("$LOCATEDIR$|$LOCATEDRIVE$"), "C:\\NEWFILES|C");
}

TEST_F(VariablesTest, LeadingReplacesOneNameAtTheStartOnly) {
  EXPECT_EQ(Leading("$DEFAULTDIR$\\$ASK1$"), "D:\\My App\\$ASK1$");
  EXPECT_EQ(Leading("x$DEFAULTDIR$"), "x$DEFAULTDIR$");
  EXPECT_EQ(Leading("$defaultdir$\\a"), "D:\\My App\\a");
  // An empty value removes the name.
  EXPECT_EQ(Leading("$SYS2$\\NAME"), "\\NAME");
  EXPECT_EQ(Leading(""), "");
  std::string text = "$NOSUCH$\\x";
  EXPECT_FALSE(ExpandLeadingVariable(v, &text));
  EXPECT_EQ(text, "$NOSUCH$\\x");
}

TEST_F(VariablesTest, LeadingKnowsItsOwnListOfNames) {
  EXPECT_EQ(Leading("$ASK3$!"), "three!");
  EXPECT_EQ(Leading("$LEFT$-"), "L-");
  EXPECT_EQ(Leading("$RIGHT$-"), "R-");
  EXPECT_EQ(Leading("$WINHELPDIR$"), "C:\\WINDOWS\\help");
  EXPECT_EQ(Leading("$SOURCEDRIVE$:"), "A:");
  // The short forms are not in its list, and the long names do not match them.
  EXPECT_EQ(Leading("$DEFAULTDIR8$\\x"), "$DEFAULTDIR8$\\x");
  EXPECT_EQ(Leading("$SOURCEDIR8$\\x"), "$SOURCEDIR8$\\x");
}

TEST_F(VariablesTest, ExpandReplacesEveryOccurrenceKeepingTheRestsCase) {
  EXPECT_EQ(All("$defaultdir$\\File.Txt"), "D:\\My App\\File.Txt");
  EXPECT_EQ(All("x$DEFAULTDIR$"), "xD:\\My App");
  EXPECT_EQ(All("$ASK1$ and $Ask1$"), "one and one");
  EXPECT_EQ(All("$SYSTEM$ is not $WINSYSDIR$"), "opt1 is not C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(All("$DEFAULTDIR8$|$SOURCEDIR8$|$SOURCEDIR$"), "D:\\MYAPP~1|A:\\SETUP~1|A:\\SETUP");
  EXPECT_EQ(All("$UNKNOWN$ $ASK6$"), "$UNKNOWN$ $ASK6$");
  EXPECT_EQ(All(""), "");
}

TEST_F(VariablesTest, ExpandLeavesSearchResultsToTheirOwnOperation) {
  EXPECT_EQ(All("$LEFT$=$RIGHT$"), "$LEFT$=$RIGHT$");
  EXPECT_EQ(SearchResult("$left$=$RIGHT$ $LEFT$ $ASK1$"), "L=R L $ASK1$");
}

TEST_F(VariablesTest, ValuesBringInOnlyLaterNames) {
  v.ask[0] = "$ASK2$+$DEFAULTDIR$";
  // $ASK2$ comes after $ASK1$ in the list and is replaced; $DEFAULTDIR$
  // comes before and stays.
  EXPECT_EQ(All("$ASK1$"), "two+$DEFAULTDIR$");
  v.dir2 = "$winsysdir$";
  EXPECT_EQ(All("$DIR2$"), "C:\\WINDOWS\\SYSTEM");
}

TEST_F(VariablesTest, AValueHoldingItsOwnNameIsReplacedOnce) {
  v.ask[0] = "<$ASK1$>";
  EXPECT_EQ(All("$ASK1$-$ASK1$"), "<$ASK1$>-<$ASK1$>");
  v.left = "$LEFT$$LEFT$";
  EXPECT_EQ(SearchResult("a$LEFT$b"), "a$LEFT$$LEFT$b");
}

TEST_F(VariablesTest, TextsAreCutAtTheirCapacity) {
  v.ask[0] = std::string(400, 'a');
  std::string text = "$ASK1$$ASK1$$ASK1$tail";
  ExpandVariables(v, &text);
  EXPECT_EQ(text.size(), kTextValueCapacity);
  EXPECT_EQ(text, std::string(kTextValueCapacity, 'a'));

  v.defaultDir = std::string(499, 'd');
  std::string leading = "$DEFAULTDIR$" + std::string(800, 'x');
  EXPECT_TRUE(ExpandLeadingVariable(v, &leading));
  EXPECT_EQ(leading.size(), kTextValueCapacity);
  EXPECT_EQ(leading.substr(495, 8), "ddddxxxx");

  // A value holding its own name, many times over, still ends within the limit.
  v.ask[0] = "$ASK1$$ASK1$";
  std::string many;
  for (int i = 0; i < 150; ++i) many += "$ASK1$";
  ExpandVariables(v, &many);
  EXPECT_EQ(many.size(), kTextValueCapacity);
}

TEST_F(VariablesTest, AtEveryDollarTheLeadingListIsTriedAndTheTextScannedAgain) {
  struct Case {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"$DEFAULTDIR$\\$ASK1$", "D:\\My App\\one"},
      {"costs $5, $ASK2$ $", "costs $5, two $"},
      {"$$ASK3$$", "$three$"},
      {"$LEFT$$RIGHT$ $NOSUCH$", "LR $NOSUCH$"},
      {"$DEFAULTDIR8$ $WINHELPDIR$", "$DEFAULTDIR8$ C:\\WINDOWS\\help"},  // its own list, not ExpandVariables'
      {"[$ASK4$]", "[D:\\My App\\four]"},  // a name the value brings in, even one earlier in the list
      {"$SYS2$$ASK1$", "one"},
  };
  v.ask[3] = "$DEFAULTDIR$\\four";
  for (const Case& c : cases) {
    std::string text = c.text;
    ExpandLeadingVariableAtEveryDollar(v, &text, 1023);
    EXPECT_EQ(text, c.expanded) << c.text;
  }

  // A value that brings its own name back ends at the capacity.
  v.ask[0] = "a$ASK1$";
  std::string text = "$ASK1$";
  ExpandLeadingVariableAtEveryDollar(v, &text, 50);
  EXPECT_EQ(text, std::string(45, 'a') + "$ASK1");
  v.ask[0] = "$ASK1$";
  text = "<$ASK1$>";
  ExpandLeadingVariableAtEveryDollar(v, &text, 50);
  EXPECT_EQ(text, "<$ASK1$>");
}

TEST_F(VariablesTest, TextValueUsesTheFullReplacement) {
  TextValue value("notepad $DEFAULTDIR$\\readme.txt $ASK2$");
  ExpandVariables(v, &value);
  EXPECT_EQ(value.Text(), "notepad D:\\My App\\readme.txt two");
}

}  // namespace
}  // namespace quorril
