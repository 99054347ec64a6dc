// IF / ELSE / ENDIF in both passes, the blocks stored for the user's choices
// and their replay: the skip set with its colon rule, the refused keywords,
// text mode, the missing ENDFIRSTSCREEN, line numbers and end checks.
#include <string>
#include <vector>

#include "parser_test_support.h"

namespace quorril::testing {
namespace {

// ---- IF, ELSE, ENDIF in the first pass ---------------------------------------------

TEST_F(ParserTest, TakenAndSkippedBranches) {
  EXPECT_EQ(Parse({"IF winver = 4.0", "TITLE \"four\"", "ELSE", "TITLE \"other\"", "ENDIF", "IF memory < 1024",
                   "FILE small.exe", "ELSE", "FILE big.exe", "ENDIF"}),
            0);
  EXPECT_EQ(script().title, "four");
  ASSERT_EQ(script().fileEntries.size(), 1u);
  EXPECT_EQ(script().fileEntries[0].name, "big.exe");
  EXPECT_FALSE(state.parser.ifState.skipping);
  EXPECT_FALSE(state.parser.ifState.endifAllowed);
}

TEST_F(ParserTest, SkippedBranchesLookOnlyAtTheIfStructure) {
  // Lines of any kind, even broken ones and block headers, are passed over.
  EXPECT_EQ(Parse({"IF winver < 3.0", "TITLE broken", "BEGINREGISTRY", "garbage line here", "BEGINGROUP", "ENDIF",
                   "TITLE \"after\""}),
            0);
  EXPECT_EQ(script().title, "after");
  EXPECT_TRUE(script().registryBlocks.empty());
  EXPECT_FALSE(script().mainGroup);
}

TEST_F(ParserTest, IfStructureErrors) {
  ExpectSyntaxError(Parse({"ENDIF"}), 1, "ENDIF");
  ExpectSyntaxError(Parse({"ELSE"}), 1, "ELSE");
  ExpectSyntaxError(Parse({"IF winver > 3", "ELSE", "ELSE"}), 3, "ELSE");
  ExpectSyntaxError(Parse({"IF"}), 1, "IF");
  ExpectSyntaxError(Parse({"IF winver >"}), 1, "IF winver >");
  // No nesting: an IF inside a skipped branch is an error; inside a taken
  // branch it replaces the state, so the outer ENDIF is an error.
  ExpectSyntaxError(Parse({"IF winver < 3", "IF dosver > 1", "ENDIF", "ENDIF"}), 2, "IF dosver > 1");
  ExpectSyntaxError(Parse({"IF winver > 3", "IF dosver > 1", "ENDIF", "ENDIF"}), 4, "ENDIF");
  // A group text line that begins with the word IF, inside a skipped branch.
  ExpectSyntaxError(Parse({"IF winver < 3", "BEGINGROUP", "IF YOU AGREE, CHOOSE BELOW", "ENDGROUP", "ENDIF"}), 3,
                    "IF YOU AGREE, CHOOSE BELOW");
}

TEST_F(ParserTest, BranchesThatReachTheEndOfTheScript) {
  // A taken branch may run to the end; a skipped one is an error of the
  // last line, with an empty text.
  EXPECT_EQ(Parse({"IF winver > 3", "TITLE \"x\""}), 0);
  ExpectSyntaxError(Parse({"IF winver < 3", "TITLE \"x\"", "REM last"}), 3, "");
  ExpectSyntaxError(Parse({"IF winver > 3", "ELSE", "TITLE \"x\""}), 3, "");
}

TEST_F(ParserTest, ExitMessageInsideASkippedBranchIsPassedOverWhole) {
  EXPECT_EQ(Parse({"IF winver < 4.0", "EXITMESSAGE", "This needs Windows 95.", "Else you can upgrade", "ENDIF in text",
                   "EXIT", "ENDIF", "TITLE \"ok\""}),
            0);
  EXPECT_EQ(script().title, "ok");
  EXPECT_FALSE(script().exitMessage);
  EXPECT_FALSE(state.parser.inExitMessage);

  machine.SetVersions(3, 95, 7, 0);
  CreateInstallScript(state, files, machine);
  state.settings = ScriptSettings();
  EXPECT_EQ(Parse({"IF winver < 4.0", "EXITMESSAGE", "This needs Windows 95.", "EXIT", "ENDIF"}), 1);
  EXPECT_EQ(state.parser.failure, ParseFailure::kExitMessage);
  ASSERT_TRUE(script().exitMessage);
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- blocks stored for the second pass --------------------------------------------

TEST_F(ParserTest, ChoiceTestsStoreTheirBlockAndTheFirstPassGoesOn) {
  EXPECT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "12 [ ] Tools", "ENDGROUP", "IF GROUP=11", "FILE sample.txt",
                   "ENDIF", "IF $ASK1 = \"yes\"", "ELSE", "ENDIF", "bad line"}),
            1);
  // The stored lines still count: the error is on line 11.
  EXPECT_EQ(error().lineNumber, 11);
  EXPECT_EQ(script().deferredBlockCount, 2);
  ASSERT_EQ(script().deferredBlocks.size(), 2u);
  EXPECT_EQ(script().deferredBlocks[0].firstLineNumber, 5);
  EXPECT_EQ(script().deferredBlocks[0].lines,
            (std::vector<std::string>{"IF GROUP=11", "FILE sample.txt", "ENDIF"}));
  EXPECT_EQ(script().deferredBlocks[1].firstLineNumber, 8);
  EXPECT_TRUE(script().fileEntries.empty());
  EXPECT_EQ(state.parser.deferredState, 1);
}

TEST_F(ParserTest, StoredBlockClosesAnOpenIf) {
  ExpectSyntaxError(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF winver > 3", "IF GROUP=11", "ENDIF",
                           "ENDIF"}),
                    7, "ENDIF");
}

TEST_F(ParserTest, StoredBlockOfMoreThanSixtyLinesIsAnErrorOfItsIfLine) {
  std::vector<std::string> lines = {"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11"};
  for (int i = 0; i < 58; ++i) lines.push_back("REM " + std::to_string(i));
  lines.push_back("ENDIF");  // 60 lines with the IF line
  lines.push_back("TITLE \"after\"");
  EXPECT_EQ(Parse(lines), 0);
  EXPECT_EQ(script().title, "after");
  EXPECT_EQ(script().deferredBlocks[0].lines.size(), 60u);
  lines.insert(lines.begin() + 5, "REM one more");
  ExpectSyntaxError(Parse(lines), 4, "IF GROUP=11");
}

TEST_F(ParserTest, ReplayReadsTheBlocksWithTheChoicesAndAnswers) {
  ASSERT_EQ(Parse({"ASK1 \"yes\" prompt=\"Samples?\"", "BEGINGROUP", "11 [X] Samples", "12 [ ] Tools", "ENDGROUP",
                   "IF GROUP=11", "FILE sample.txt", "ELSE", "FILE nosample.txt", "ENDIF", "IF group=12",
                   "FILE tools.exe", "ENDIF", "IF $ASK1 = \"yes\"", "INIFILE \"a\" \"b\" \"c\"", "ENDIF"}),
            0);
  EXPECT_TRUE(script().fileEntries.empty());
  EXPECT_EQ(Replay({11}), 0);
  EXPECT_EQ(state.parser.pass, 1);
  ASSERT_EQ(script().fileEntries.size(), 1u);
  EXPECT_EQ(script().fileEntries[0].name, "sample.txt");
  EXPECT_EQ(script().iniFiles.size(), 1u);
}

TEST_F(ParserTest, ReplayWithOtherChoicesTakesTheOtherBranches) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "12 [ ] Tools", "ENDGROUP", "IF GROUP=11", "FILE sample.txt",
                   "ELSE", "FILE nosample.txt", "ENDIF", "IF GROUP=11 12", "FILE either.txt", "ENDIF"}),
            0);
  EXPECT_EQ(Replay({12}), 0);
  ASSERT_EQ(script().fileEntries.size(), 2u);
  EXPECT_EQ(script().fileEntries[0].name, "nosample.txt");
  EXPECT_EQ(script().fileEntries[1].name, "either.txt");
}

TEST_F(ParserTest, ReplaySkipsTheSkipSetButNotKeywordsWithAnAttachedColon) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "DEFAULTDIR D:\\SKIPPED",
                   "DefaultDir: D:\\READ", "  title \"skipped\"", "TITLE: \"read\"", "MINDISKSPACE 9M",
                   "rem: this is read and ignored", "RUNATSTART \"x.exe\"", "ENDIF"}),
            0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\NEWFILES");
  EXPECT_EQ(Replay({11}), 0);
  EXPECT_EQ(state.variables.defaultDir, "D:\\READ");
  EXPECT_EQ(script().title, "read");
  EXPECT_EQ(script().minimumDiskSpace, 1);
  EXPECT_TRUE(script().startCommand.Empty());
}

TEST_F(ParserTest, ReplaySkipsFirstScreensAndReportsAMissingEnd) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "BEGINFIRSTSCREEN",
                   "TITLE: \"in screen\"", "ENDFIRSTSCREEN", "TITLE: \"after\"", "ENDIF"}),
            0);
  EXPECT_EQ(Replay({11}), 0);
  EXPECT_EQ(script().title, "after");
  EXPECT_FALSE(script().firstScreen);

  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "BEGINFIRSTSCREEN \"Arial\"", "Hello",
                   "ENDFIRSTSCREEN: with a colon", "ENDIF"}),
            0);
  size_t shown = ui.boxes.size();
  EXPECT_EQ(Replay({11}), -1);
  ASSERT_EQ(ui.boxes.size(), shown + 2);
  EXPECT_EQ(ui.boxes[shown].text, "Missing EndFirstScreen ");
  EXPECT_FALSE(ui.boxes[shown].caption.has_value());
  EXPECT_FALSE(ui.boxes[shown].owned);
  EXPECT_EQ(ui.boxes[shown].style, kMbIconWarning);
  EXPECT_EQ(ui.boxes[shown + 1].caption, std::optional<std::string>("Syntax error, line: 5"));
  EXPECT_EQ(ui.boxes[shown + 1].text, "BEGINFIRSTSCREEN \"Arial\"");
  EXPECT_EQ(state.parser.failure, ParseFailure::kSyntaxError);
}

TEST_F(ParserTest, ReplayRefusesQuestionsGroupsFirstScreensAndTheStartCommand) {
  const char* refused[] = {"ASK1 \"x\" prompt=\"y\"", "BEGINGROUP:", "BeginFirstScreen:", "RUNATSTART: \"x.exe\""};
  for (const char* line : refused) {
    SCOPED_TRACE(line);
    ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "REM", "IF GROUP=11", line, "ENDIF"}), 0);
    EXPECT_EQ(Replay({11}), -1);
    EXPECT_EQ(error().lineNumber, 6);
    EXPECT_EQ(error().lineText, line);
    EXPECT_EQ(LastCaption(), "Syntax error, line: 6");
  }
}

TEST_F(ParserTest, ReplayReadsTextBlocksRaw) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "POPMESSAGE 1", "TITLE is text here",
                   "REM also text", "ENDPOP", "BEGINLASTSCREEN", "DEFAULTDIR is text", "ENDLASTSCREEN", "ENDIF"}),
            0);
  EXPECT_EQ(Replay({11}), 0);
  ASSERT_EQ(script().popupCount, 1);
  EXPECT_EQ(script().popups[0].text->lines, (std::vector<std::string>{"TITLE is text here", "REM also text"}));
  ASSERT_TRUE(script().lastScreen);
  EXPECT_EQ(script().lastScreen->lines, (std::vector<std::string>{"DEFAULTDIR is text"}));
  EXPECT_EQ(state.parser.deferredState, 1);
}

TEST_F(ParserTest, ReplayErrorsCarryTheScriptLineNumbers) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "REM", "", "FILE a.exe WRONG",
                   "ENDIF"}),
            0);
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_EQ(error().lineNumber, 7);
  EXPECT_EQ(error().lineText, "FILE a.exe WRONG");

  // A test other than GROUP or $ASKn inside a stored block, a bad choice
  // number on the IF line, and an unterminated skipped branch.
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP 11", "ENDIF"}), 0);
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_EQ(error().lineNumber, 4);
  EXPECT_EQ(error().lineText, "IF GROUP 11");
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "IF winver > 3", "ENDIF"}), 0);
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_EQ(error().lineNumber, 5);
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=12", "FILE a", "REM end of file"}), 0);
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_EQ(error().lineNumber, 6);
  EXPECT_EQ(error().lineText, "");
}

TEST_F(ParserTest, ReplayStopsAtTheFirstFailingBlockAndChecksTheCount) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "FILE bad WRONG", "ENDIF", "IF GROUP=11",
                   "FILE never.txt", "ENDIF"}),
            0);
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_TRUE(script().fileEntries.empty());

  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "ENDIF"}), 0);
  script().deferredBlockCount = 2;
  size_t shown = ui.boxes.size();
  EXPECT_EQ(Replay({11}), -1);
  EXPECT_EQ(state.parser.failure, ParseFailure::kBlockCountMismatch);
  EXPECT_EQ(ui.boxes.size(), shown);
}

TEST_F(ParserTest, ReplaySetsTheDefaultDestinationWhenNoneIsSet) {
  ASSERT_EQ(Parse({"BEGINGROUP", "11 [X] Samples", "ENDGROUP", "IF GROUP=11", "ENDIF"}), 0);
  state.variables.defaultDir.clear();
  EXPECT_EQ(Replay({11}), 0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\NEWFILES");
}

}  // namespace
}  // namespace quorril::testing
