// The screens' fixed blocks checked while the script is read: a block whose
// dialog template would pass 3072 bytes, or blocks that together no longer
// fit the 4096-byte text area, make the line at fault a syntax error.
#include <string>
#include <vector>

#include "parser_test_support.h"
#include "screens/screen_limits.h"

namespace quorril::testing {
namespace {

const std::string kLong(100, 'x');  // a line that takes 102 bytes of the text area

std::vector<std::string> Screen(size_t lines) {
  std::vector<std::string> script = {"BEGINFIRSTSCREEN"};
  for (size_t i = 0; i < lines; ++i) script.push_back(kLong);
  script.push_back("ENDFIRSTSCREEN");
  return script;
}

// POPMESSAGE n with `lines` long lines: 12 script lines for 10 text lines.
void AddPopup(std::vector<std::string>* script, int id, size_t lines) {
  script->push_back("POPMESSAGE " + std::to_string(id));
  for (size_t i = 0; i < lines; ++i) script->push_back(kLong);
  script->push_back("ENDPOP");
}

TEST_F(ParserTest, AScreenWhoseTemplatePassesItsBlockIsRefusedAtTheLineAtFault) {
  // Header 56 bytes, each line's control 226 bytes (228 with the padding),
  // OK 30 and Cancel 38: twelve lines fit, with thirteen the buttons no
  // longer do, and the fourteenth line's own control passes the block.
  EXPECT_EQ(Parse(Screen(12)), 0);
  ExpectSyntaxError(Parse(Screen(13)), 14, kLong);
  ExpectSyntaxError(Parse(Screen(15)), 15, kLong);
  // The same lines as an exit message (OK only) still refuse the fourteenth.
  std::vector<std::string> exit = {"EXITMESSAGE"};
  for (int i = 0; i < 14; ++i) exit.push_back(kLong);
  exit.push_back("EXIT");
  ExpectSyntaxError(Parse(exit), 15, kLong);
}

TEST_F(ParserTest, TheTextAreaHoldsAllBlocksOfTheScriptInOrder) {
  std::vector<std::string> script;
  for (int id = 1; id <= 4; ++id) AddPopup(&script, id, 10);  // 4 x 1023 = 4092 bytes
  EXPECT_EQ(Parse(script), 0);
  EXPECT_EQ(TextAreaUse(this->script()), 4092u);

  // A fifth block of no line still fits (3 bytes); one of a single empty
  // line (2 more) does not.
  std::vector<std::string> empty = script;
  empty.insert(empty.end(), {"POPMESSAGE 5", "ENDPOP"});
  EXPECT_EQ(Parse(empty), 0);
  EXPECT_EQ(TextAreaUse(this->script()), 4095u);
  std::vector<std::string> blank = script;
  blank.insert(blank.end(), {"POPMESSAGE 5", "", "ENDPOP"});
  ExpectSyntaxError(Parse(blank), 50, "");

  std::vector<std::string> more = script;
  AddPopup(&more, 5, 1);
  ExpectSyntaxError(Parse(more), 50, kLong);
}

TEST_F(ParserTest, BlocksOfTheSecondPassCountAfterThoseOfTheFirst) {
  // The group takes 13 bytes, three pop-ups 3069, a fourth of nine lines
  // 921: 4003 in all.
  std::vector<std::string> script = {"BEGINGROUP", "10 [X] A", "ENDGROUP"};
  for (int id = 1; id <= 3; ++id) AddPopup(&script, id, 10);
  AddPopup(&script, 4, 9);
  std::vector<std::string> fits = script;
  fits.insert(fits.end(), {"IF GROUP=10", "BEGINLASTSCREEN", "Bye", "ENDLASTSCREEN", "ENDIF"});
  ASSERT_EQ(Parse(fits), 0);
  EXPECT_EQ(TextAreaUse(this->script()), 4003u);
  EXPECT_EQ(Replay({10}), 0);
  ASSERT_TRUE(this->script().lastScreen);

  std::vector<std::string> over = script;
  over.insert(over.end(), {"IF GROUP=10", "BEGINLASTSCREEN", kLong, "ENDLASTSCREEN", "ENDIF"});
  ASSERT_EQ(Parse(over), 0);
  EXPECT_EQ(Replay({10}), -1);
  EXPECT_EQ(error().lineNumber, 53);
  EXPECT_EQ(error().lineText, kLong);
  EXPECT_FALSE(this->script().lastScreen);
}

TEST_F(ParserTest, GroupTemplatesAreCheckedWithTheirOwnLayout) {
  // Radio buttons and check boxes take the same bytes as text lines; a
  // group of fourteen long choice lines passes the block.
  std::vector<std::string> group = {"BEGINGROUP EXCLUSIVE"};
  for (int i = 0; i < 14; ++i) group.push_back(std::to_string(10 + i) + " [ ]" + std::string(96, 'c'));
  group.push_back("ENDGROUP");
  ExpectSyntaxError(Parse(group), 15, group[14]);
  group.erase(group.begin() + 13, group.begin() + 15);  // twelve choices
  EXPECT_EQ(Parse(group), 0);
}

}  // namespace
}  // namespace quorril::testing

namespace quorril::testing {
namespace {

TEST_F(ParserTest, AHundredChoicesNeedMoreThanOneScreen) {
  // One screen of a hundred check boxes passes the template block at the
  // 84th (56 bytes of header, 36 a check box).
  std::vector<std::string> one = {"BEGINGROUP"};
  for (int i = 0; i < 100; ++i) one.push_back(std::to_string(i) + " [ ] item");
  one.push_back("ENDGROUP");
  ExpectSyntaxError(Parse(one), 85, "83 [ ] item");

  // Spread over four screens they fit; the 101st choice is refused.
  std::vector<std::string> lines;
  for (int g = 0; g < 4; ++g) {
    lines.push_back(g == 0 ? "BEGINGROUP" : "BEGINGROUP " + std::to_string(g));
    for (int i = 0; i < 25; ++i) lines.push_back(std::to_string(g * 25 + i) + " [ ] item");
    lines.push_back("ENDGROUP");
  }
  EXPECT_EQ(Parse(lines), 0);
  EXPECT_EQ(script().choiceItemCount, 100);
  lines.insert(lines.end() - 1, "5 [X] one too many");
  ExpectSyntaxError(Parse(lines), 108, "5 [X] one too many");
}

}  // namespace
}  // namespace quorril::testing
