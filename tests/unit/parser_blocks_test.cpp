// The blocks of the first pass: text blocks of the screens, choice groups,
// registry blocks, the line numbers across them and the limits of the
// tables and of the measured text.
#include <string>
#include <vector>

#include "parser_test_support.h"
#include "script/registry_block_reader.h"

namespace quorril::testing {
namespace {

// ---- text blocks -----------------------------------------------------------------

TEST_F(ParserTest, TextBlocksKeepRawLinesUpToTheirEndKeyword) {
  EXPECT_EQ(Parse({"BEGINFIRSTSCREEN \"Courier New\" 12", "  Welcome to $SOURCEDIR$!", "", "TITLE \"not a keyword\"",
                   "  EndFirstScreen now", "BEGINLASTSCREEN", "Done.", "ENDLASTSCREEN:", "TITLE \"after\""}),
            0);
  ASSERT_TRUE(script().firstScreen);
  EXPECT_EQ(script().firstScreen->lines,
            (std::vector<std::string>{"  Welcome to $SOURCEDIR$!", "", "TITLE \"not a keyword\""}));
  EXPECT_EQ(script().firstScreen->fontFace, "Courier New");
  EXPECT_EQ(script().firstScreen->fontSize, 12);
  EXPECT_EQ(script().firstScreen->firstLine, 2);
  ASSERT_TRUE(script().lastScreen);
  EXPECT_EQ(script().lastScreen->lines, (std::vector<std::string>{"Done."}));
  EXPECT_EQ(script().lastScreen->fontFace, "");
  EXPECT_EQ(script().title, "after");
  // The screen-block font is in force only while the block is read.
  EXPECT_EQ(state.settings.screenBlockFontFace, "");
  EXPECT_EQ(state.settings.screenBlockFontSize, 0);
}

TEST_F(ParserTest, EndOfScriptEndsATextBlockWithoutError) {
  EXPECT_EQ(Parse({"BEGINLASTSCREEN", "Thank you"}), 0);
  EXPECT_EQ(script().lastScreen->lines, (std::vector<std::string>{"Thank you"}));
}

TEST_F(ParserTest, PopMessagesTakeTheDialogFontAsItStandsAtTheirLine) {
  EXPECT_EQ(Parse({"POPMESSAGE 1", "Copying the program", "EndPop", "FONTNAME \"Arial\"", "POPMESSAGE: 2 12",
                   "ENDPOP: x", "POPMESSAGE 3 \"Courier\" 0", "Line", "ENDPOP and more", "POPMESSAGE 4x \"Times\" 9",
                   "ENDPOPUP is text", "ENDPOP"}),
            0);
  ASSERT_EQ(script().popupCount, 4);
  const PopupMessage* p = script().popups.data();
  EXPECT_EQ(p[0].id, 1);
  EXPECT_EQ(p[0].fontName, "MS Sans Serif");
  EXPECT_EQ(p[0].fontSize, 10);
  EXPECT_EQ(p[0].text->lines, (std::vector<std::string>{"Copying the program"}));
  EXPECT_EQ(p[1].fontName, "Arial");
  EXPECT_EQ(p[1].fontSize, 12);
  EXPECT_TRUE(p[1].text->lines.empty());
  EXPECT_EQ(p[2].fontName, "Courier");
  EXPECT_EQ(p[2].fontSize, 10);  // 0 means the default
  EXPECT_EQ(p[3].id, 4);
  EXPECT_EQ(p[3].fontSize, 9);
  EXPECT_EQ(p[3].text->lines, (std::vector<std::string>{"ENDPOPUP is text"}));

  ExpectSyntaxError(Parse({"POPMESSAGE"}), 1, "POPMESSAGE");
  ExpectSyntaxError(Parse({"POPMESSAGE one"}), 1, "POPMESSAGE one");
  std::string longFace = "POPMESSAGE 1 \"" + std::string(31, 'f') + "\"";
  ExpectSyntaxError(Parse({longFace, "x", "ENDPOP"}), 1, longFace);
}

TEST_F(ParserTest, ExitMessageStoresItsBlockAndEndsThePassWithoutMessage) {
  EXPECT_EQ(Parse({"TITLE \"x\"", "EXITMESSAGE", "This program needs Windows 95.", "Exiting is not the end", "EXIT",
                   "TITLE \"never\""}),
            1);
  EXPECT_EQ(state.parser.failure, ParseFailure::kExitMessage);
  EXPECT_EQ(state.parser.lastError.lineNumber, 2);
  EXPECT_TRUE(ui.boxes.empty());
  ASSERT_TRUE(script().exitMessage);
  EXPECT_EQ(script().exitMessage->lines,
            (std::vector<std::string>{"This program needs Windows 95.", "Exiting is not the end"}));
  EXPECT_EQ(script().title, "x");
}

TEST_F(ParserTest, LineNumbersCountTheLinesOfBlocks) {
  ExpectSyntaxError(Parse({"BEGINFIRSTSCREEN", "a", "b", "ENDFIRSTSCREEN", "BEGINREGISTRY",
                           "KEY NEW \"HKEY_CURRENT_USER\\Software\\X\"", "ENDREGISTRY", "bad line"}),
                    8, "bad line");
}

// ---- choice groups --------------------------------------------------------------

TEST_F(ParserTest, GroupsNumberTheirChoicesAcrossTheScript) {
  EXPECT_EQ(Parse({"BEGINGROUP", "Choose what to install:", "10 [X] Program files", "11 [ ] Samples", "7 [X] Help",
                   "ENDGROUP", "BEGINGROUP EXCLUSIVE 11", "  Which samples?", "20 [X] Small", "21 [ ] Large",
                   "ENDGROUP", "BEGINGROUP 10", "30 [ ] Extra [X] not a preset", "ENDGROUP"}),
            0);
  EXPECT_EQ(script().choiceItemCount, 6);
  EXPECT_EQ(state.settings.itemNumberMap[10], 0);
  EXPECT_EQ(state.settings.itemNumberMap[11], 1);
  EXPECT_EQ(state.settings.itemNumberMap[7], 2);
  EXPECT_EQ(state.settings.itemNumberMap[20], 3);
  EXPECT_EQ(state.settings.itemNumberMap[21], 4);
  EXPECT_EQ(state.settings.itemNumberMap[30], 5);
  EXPECT_EQ(state.settings.itemNumberMap[12], -1);
  EXPECT_EQ(state.settings.itemPreset[0], 1);
  EXPECT_EQ(state.settings.itemPreset[1], 0);
  EXPECT_EQ(state.settings.itemPreset[2], 1);
  EXPECT_EQ(state.settings.itemPreset[5], 0);  // "[ ]" is looked for first

  ASSERT_TRUE(script().mainGroup);
  EXPECT_EQ(script().mainGroup->lines.size(), 4u);
  EXPECT_FALSE(script().mainGroupExclusive);
  EXPECT_EQ(script().mainGroupEndItem, 3);

  ASSERT_EQ(script().conditionalGroupCount, 2);
  const ChoiceGroup& samples = script().conditionalGroups[0];
  EXPECT_EQ(samples.conditionNumber, 11);
  EXPECT_TRUE(samples.exclusive);
  EXPECT_EQ(samples.firstItem, 3);
  EXPECT_EQ(samples.endItem, 5);
  EXPECT_EQ(samples.mask, 1u << 3);
  EXPECT_EQ(samples.text->lines[0], "  Which samples?");
  const ChoiceGroup& extra = script().conditionalGroups[1];
  EXPECT_EQ(extra.conditionNumber, 10);
  EXPECT_FALSE(extra.exclusive);
  EXPECT_EQ(extra.firstItem, 5);
  EXPECT_EQ(extra.endItem, 6);
  EXPECT_EQ(extra.mask, 1u << 5);
  EXPECT_EQ(script().conditionalGroups[2].conditionNumber, -1);
}

TEST_F(ParserTest, GroupHeaderWordsAndRepeatedNumbers) {
  // EXCLUSIVE without a number is the main group; a later main group
  // replaces it; a repeated choice number refers to the later line.
  EXPECT_EQ(Parse({"BEGINGROUP EXCLUSIVE", "10 [X] One", "ENDGROUP", "BEGINGROUP", "10 [ ] Again", "11 [X] Two",
                   "ENDGROUP", "BEGINGROUP 5 EXCLUSIVE", "12 [X] x", "ENDGROUP"}),
            0);
  EXPECT_FALSE(script().mainGroupExclusive);
  EXPECT_EQ(script().mainGroupEndItem, 3);
  EXPECT_EQ(state.settings.itemNumberMap[10], 1);
  EXPECT_EQ(script().conditionalGroups[0].conditionNumber, 5);
  EXPECT_FALSE(script().conditionalGroups[0].exclusive);  // EXCLUSIVE must come first
}

TEST_F(ParserTest, ChoiceLinesNeedAMarker) {
  ExpectSyntaxError(Parse({"BEGINGROUP", "10 [X] fine", "11 (x) no marker", "ENDGROUP"}), 3, "11 (x) no marker");
  ExpectSyntaxError(Parse({"BEGINGROUP", "10 [x] small x", "ENDGROUP"}), 2, "10 [x] small x");
  // Only the first column counts: an indented number is text.
  EXPECT_EQ(Parse({"BEGINGROUP", " 10 text", "ENDGROUP"}), 0);
  EXPECT_EQ(script().choiceItemCount, 0);
}

// ---- limits of the tables and of the measured text ----------------------------------

TEST_F(ParserTest, SeventeenthPopupIsRefused) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 16; ++i) {
    lines.push_back("POPMESSAGE " + std::to_string(i));
    lines.push_back("ENDPOP");
  }
  EXPECT_EQ(Parse(lines), 0);
  EXPECT_EQ(script().popupCount, 16);
  lines.push_back("POPMESSAGE 17");
  lines.push_back("ENDPOP");
  ExpectSyntaxError(Parse(lines), 33, "POPMESSAGE 17");
}

TEST_F(ParserTest, SeventeenthConditionalGroupIsRefused) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 16; ++i) {
    lines.push_back("BEGINGROUP " + std::to_string(i));
    lines.push_back("ENDGROUP");
  }
  lines.push_back("BEGINGROUP");  // the main group does not count
  lines.push_back("ENDGROUP");
  EXPECT_EQ(Parse(lines), 0);
  lines.push_back("BEGINGROUP EXCLUSIVE 17");
  ExpectSyntaxError(Parse(lines), 35, "BEGINGROUP EXCLUSIVE 17");
}

TEST_F(ParserTest, AChoiceScreenTooLargeForItsDialogTemplateIsRefusedWhereItOverflows) {
  // A hundred check boxes do not fit one 3072-byte dialog template; the
  // 101st choice item across several screens is refused in the limit tests.
  std::vector<std::string> lines = {"BEGINGROUP"};
  for (int i = 0; i < 100; ++i) lines.push_back(std::to_string(i % 100) + " [ ] item");
  lines.push_back("ENDGROUP");
  ExpectSyntaxError(Parse(lines), 85, "83 [ ] item");
}

TEST_F(ParserTest, TextBlockLinesOf128CharactersAndBlocksOf128LinesAreRefused) {
  std::string line127(127, 'w');
  std::string line128(128, 'w');
  EXPECT_EQ(Parse({"BEGINLASTSCREEN", line127, std::string(300, ' ') + ",,", "ENDLASTSCREEN"}), 0);
  ExpectSyntaxError(Parse({"BEGINLASTSCREEN", "ok", line128, "ENDLASTSCREEN"}), 3, line128);
  ExpectSyntaxError(Parse({"POPMESSAGE 1", line128, "ENDPOP"}), 2, line128);

  std::vector<std::string> lines = {"BEGINGROUP"};
  for (int i = 0; i < 127; ++i) lines.push_back(i % 2 ? "" : "text");
  lines.push_back("ENDGROUP");
  EXPECT_EQ(Parse(lines), 0);
  lines.insert(lines.end() - 1, "line 128");
  ExpectSyntaxError(Parse(lines), 129, "line 128");
}

// ---- registry blocks -------------------------------------------------------------

TEST_F(ParserTest, RegistryBlocksAreRead) {
  EXPECT_EQ(
      Parse({"BEGINREGISTRY", "REM the application's key", "", "KEY NEW \"HKEY_LOCAL_MACHINE\\Software\\Vendor\\App\"",
             "  VALUE STRING NEW \"Path\" \"$DEFAULTDIR$\"", "VALUE: dword, max, \"Count\", \"10\"",
             "VALUE BINARY NEW \"Flags\" \"0000000100000010\"", "VALUE REG_SZ DELETE \"Old\"",
             "VALUE STRING RENAME \"Old\" \"DEFAULT\"", "VALUE REG_EXPAND_SZ REPLACE \"default\" \"%PATH%\"",
             "= not a letter", "EndRegistry", "BEGINREGISTRY", "KEY rename \"hkey_classes_root\\.abc\" \"abcfile\"",
             "ENDREGISTRY", "BEGINREGISTRY", "ENDREGISTRY"}),
      0);
  ASSERT_EQ(script().registryBlocks.size(), 2u);  // a block without KEY adds nothing
  const RegistryBlock& block = script().registryBlocks[0];
  EXPECT_EQ(block.root, RegistryRoot::kLocalMachine);
  EXPECT_EQ(block.rootName, "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(block.keyPath, "Software\\Vendor\\App");
  EXPECT_EQ(block.action, RegistryKeyAction::kNew);
  ASSERT_EQ(block.values.size(), 6u);
  EXPECT_EQ(block.values[0].type, 1u);
  EXPECT_EQ(block.values[0].action, RegistryValueAction::kNew);
  EXPECT_EQ(block.values[0].name, "Path");
  EXPECT_EQ(block.values[0].data, "$DEFAULTDIR$");
  EXPECT_EQ(block.values[1].type, 4u);
  EXPECT_EQ(block.values[1].action, RegistryValueAction::kMax);
  EXPECT_EQ(block.values[2].type, 3u);
  EXPECT_EQ(block.values[2].bytes, (std::vector<uint8_t>{0x01, 0x02}));
  EXPECT_EQ(block.values[3].action, RegistryValueAction::kDelete);
  EXPECT_EQ(block.values[4].action, RegistryValueAction::kRename);
  EXPECT_TRUE(block.values[4].newIsDefault);
  EXPECT_TRUE(block.values[5].isDefault);
  EXPECT_EQ(block.values[5].type, 2u);
  const RegistryBlock& renamed = script().registryBlocks[1];
  EXPECT_EQ(renamed.root, RegistryRoot::kClassesRoot);
  EXPECT_EQ(renamed.action, RegistryKeyAction::kRename);
  EXPECT_EQ(renamed.newKeyName, "abcfile");
}

TEST_F(ParserTest, RegistryBlockErrorsAreSyntaxErrorsOfTheirLine) {
  struct Case {
    std::vector<std::string> block;  // the lines after BEGINREGISTRY
    const char* bad;                 // the line reported
  } cases[] = {
      {{"VALUE STRING NEW \"a\" \"b\"", "ENDREGISTRY"}, "VALUE STRING NEW \"a\" \"b\""},
      {{"KEY NEW \"HKLM\\Software\"", "ENDREGISTRY"}, "KEY NEW \"HKLM\\Software\""},
      {{"KEY NEW \"HKEY_LOCAL_MACHINE\"", "ENDREGISTRY"}, "KEY NEW \"HKEY_LOCAL_MACHINE\""},
      {{"KEY NEW HKEY_LOCAL_MACHINE\\Software", "ENDREGISTRY"}, "KEY NEW HKEY_LOCAL_MACHINE\\Software"},
      {{"KEY CREATE \"HKEY_USERS\\x\"", "ENDREGISTRY"}, "KEY CREATE \"HKEY_USERS\\x\""},
      {{"KEY RENAME \"HKEY_USERS\\x\"", "ENDREGISTRY"}, "KEY RENAME \"HKEY_USERS\\x\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "KEY NEW \"HKEY_USERS\\y\""}, "KEY NEW \"HKEY_USERS\\y\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE TEXT NEW \"a\" \"b\""}, "VALUE TEXT NEW \"a\" \"b\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE STRING ADD \"a\" \"b\""}, "VALUE STRING ADD \"a\" \"b\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE STRING NEW"}, "VALUE STRING NEW"},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE STRING NEW \"a\""}, "VALUE STRING NEW \"a\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE STRING NEW a b"}, "VALUE STRING NEW a b"},
      {{"KEY NEW \"HKEY_USERS\\x\"", "VALUE BINARY NEW \"a\" \"0102\""}, "VALUE BINARY NEW \"a\" \"0102\""},
      {{"KEY NEW \"HKEY_USERS\\x\"", "TITLE \"x\""}, "TITLE \"x\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"REM", "BEGINREGISTRY"};
    lines.insert(lines.end(), c.block.begin(), c.block.end());
    int bad = 0;
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == c.bad) bad = int(i) + 1;
    SCOPED_TRACE(c.bad);
    ExpectSyntaxError(Parse(lines), bad, c.bad);
  }
  // The end of the script before ENDREGISTRY: the last line, empty text.
  ExpectSyntaxError(Parse({"BEGINREGISTRY", "KEY NEW \"HKEY_USERS\\x\"", "REM"}), 3, "");
  // DELETE takes no data; the line may end after the name.
  EXPECT_EQ(Parse({"BEGINREGISTRY", "KEY QUERY \"HKEY_USERS\\x\"", "VALUE DWORD DELETE \"a\"", "ENDREGISTRY"}), 0);
}

TEST_F(ParserTest, FiftyFirstValueIsRefused) {
  std::vector<std::string> lines = {"BEGINREGISTRY", "KEY NEW \"HKEY_CURRENT_USER\\Software\\X\""};
  for (int i = 0; i < 50; ++i) lines.push_back("VALUE DWORD NEW \"v" + std::to_string(i) + "\" \"1\"");
  lines.push_back("ENDREGISTRY");
  EXPECT_EQ(Parse(lines), 0);
  EXPECT_EQ(script().registryBlocks[0].values.size(), 50u);
  lines.insert(lines.end() - 1, "VALUE DWORD NEW \"v50\" \"1\"");
  ExpectSyntaxError(Parse(lines), 53, "VALUE DWORD NEW \"v50\" \"1\"");
}

TEST_F(ParserTest, AKeyPathOfMoreThanFiftyNamesIsRefused) {
  auto path = [](int names, const char* separator) {
    std::string text = "K0";
    for (int i = 1; i < names; ++i) text += separator + ("K" + std::to_string(i));
    return text;
  };
  struct Case {
    std::string path;
    bool refused;
  } cases[] = {
      {path(50, "\\"), false},
      {path(50, "\\") + "\\", false},         // an empty name adds no key
      {path(50, "\\\\"), false},
      {path(51, "\\"), true},
      {path(200, "\\"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string key = "KEY NEW \"HKEY_CURRENT_USER\\" + c.path + "\"";
    int result = Parse({"BEGINREGISTRY", key, "VALUE DWORD NEW \"v\" \"1\"", "ENDREGISTRY"});
    if (c.refused) {
      ExpectSyntaxError(result, 2, key);
    } else {
      EXPECT_EQ(result, 0);
      ASSERT_EQ(script().registryBlocks.size(), 1u);
      EXPECT_EQ(script().registryBlocks[0].keyPath, c.path);
    }
  }
}

TEST(RegistryBlockReader, BinaryDigitsAndRootNames) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(ConvertBinaryDigits("0100000101000010", &bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0x41, 0x42}));
  EXPECT_TRUE(ConvertBinaryDigits("11111111101", &bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{0xFF, 0x05}));
  EXPECT_TRUE(ConvertBinaryDigits("", &bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ConvertBinaryDigits("0120", &bytes));
  RegistryRoot root;
  EXPECT_TRUE(FindRegistryRoot("hkey_dyn_data", &root));
  EXPECT_EQ(root, RegistryRoot::kDynData);
  EXPECT_TRUE(FindRegistryRoot("HKEY_CURRENT_CONFIG", &root));
  EXPECT_EQ(root, RegistryRoot::kCurrentConfig);
  EXPECT_FALSE(FindRegistryRoot("HKCU", &root));
}

}  // namespace
}  // namespace quorril::testing
