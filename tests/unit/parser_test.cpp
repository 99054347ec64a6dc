// The first pass over keyword lines: each keyword's effect on the model, the
// errors the language names, the messages, the line reading and the end of
// the pass (per-item disk space, default destination, start command).
#include <string>

#include "parser_test_support.h"
#include "platform/text.h"

namespace quorril::testing {
namespace {

// ---- messages, lines and the end of the pass ---------------------------------

TEST_F(ParserTest, EmptyScriptKeepsEveryDefaultAndChoosesNewfilesOnTheSourceDrive) {
  EXPECT_EQ(ParseText(""), 0);
  EXPECT_EQ(state.parser.failure, ParseFailure::kNone);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(script().titleColour, (Colour{128, 128, 255}));
  EXPECT_EQ(script().screenColour1, (Colour{0, 0, 255}));
  EXPECT_EQ(script().screenColour2, (Colour{0, 0, 0}));
  EXPECT_EQ(state.settings.overwrite, OverwritePolicy::kAsk);
  EXPECT_EQ(state.settings.compressionMethod, CompressionTool::kPkware);
  EXPECT_EQ(state.settings.rebootMode, RebootMode::kNone);
  EXPECT_FALSE(state.settings.uninstall);
  EXPECT_EQ(state.Prompt(PromptId::kCopyFile), "Installing file: ");
  EXPECT_EQ(script().minimumDiskSpace, 1);
  EXPECT_EQ(script().itemDiskSpace[0], 1);  // no items: the first slot takes the minimum
  EXPECT_EQ(state.variables.defaultDir, "C:\\NEWFILES");
  EXPECT_EQ(state.variables.defaultDir8, "C:\\NEWFILES");
  EXPECT_EQ(state.variables.defaultDrive, "C");
}

TEST_F(ParserTest, DefaultDestinationIsTheCurrentDirectoryOffTheSourceDriveAndUsesTheDefaultDriveLetter) {
  files.AddDrive('D', DriveType::kFixed);
  files.AddDirectory("D:\\WORK");
  files.SetCurrentDirectory("D:\\WORK");
  EXPECT_EQ(Parse({"REM nothing"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "D:\\WORK");
  EXPECT_EQ(state.variables.defaultDrive, "D");

  // Drive A: a fixed disk: "C:\NEWFILES" starts with A.
  files.AddDrive('A', DriveType::kFixed);
  files.SetCurrentDirectory("C:\\SETUP");
  CreateInstallScript(state, files, machine);
  state.variables.defaultDir.clear();
  EXPECT_EQ(Parse({"REM nothing"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "A:\\NEWFILES");
  EXPECT_EQ(state.variables.defaultDrive, "A");
}

TEST_F(ParserTest, MissingScriptShowsFileNotFoundWithoutOwnerOrCaption) {
  EXPECT_EQ(ParseScript(ctx, "C:\\SETUP\\NONE.CFG"), 1);
  EXPECT_EQ(state.parser.failure, ParseFailure::kScriptNotFound);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "File not found on the installation disk: C:\\SETUP\\NONE.CFG. ");
  EXPECT_FALSE(ui.boxes[0].caption.has_value());
  EXPECT_FALSE(ui.boxes[0].owned);
  EXPECT_EQ(ui.boxes[0].style, kMbIconWarning);

  // The text is the script's FILENOTFOUNDPROMPT as it stands.
  state.prompts.Set(PromptId::kFileNotFound, "Missing: ");
  ParseScript(ctx, "C:\\X.CFG");
  EXPECT_EQ(ui.boxes.back().text, "Missing: C:\\X.CFG. ");
}

TEST_F(ParserTest, SyntaxErrorShowsTheLineWithItsSubstitutionsAndStopsReading) {
  int result = Parse({"REM first", "", "TITLE \"$SOURCEDIR$\\x\" Wrong", "TITLE \"never read\""});
  ExpectSyntaxError(result, 3, "TITLE \"C:\\SETUP\\x\" Wrong");
  EXPECT_FALSE(ui.boxes.back().owned);
  EXPECT_EQ(ui.boxes.back().style, kMbIconWarning);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(script().title, "C:\\SETUP\\x");
  EXPECT_TRUE(script().error);
}

TEST_F(ParserTest, UnknownWordsBlankLinesAndLinesWithoutKeyword) {
  EXPECT_EQ(Parse({"", "   \t", "Hello", "  Exit  ", ",,,"}), 0);
  ExpectSyntaxError(Parse({"Hello world"}), 1, "Hello world");
  ExpectSyntaxError(Parse({"REM ok", "; a comment"}), 2, "; a comment");
  ExpectSyntaxError(Parse({"123"}), 1, "123");
  ExpectSyntaxError(Parse({"EXIT now"}), 1, "EXIT now");
}

TEST_F(ParserTest, LineEndsAndLongLines) {
  // LF alone, CR LF and stray CRs all read the same; the last line may lack
  // its line end.
  EXPECT_EQ(ParseText("TITLE \"A\"\nTITLE\r: \"B\"\r\nFILE x.exe"), 0);
  EXPECT_EQ(script().title, "B");
  EXPECT_EQ(script().fileCount, 1);

  // A line of exactly 998 characters is one line; the rest of a longer one
  // is read as the next line.
  std::string rem998 = "REM " + std::string(994, 'x');
  ExpectSyntaxError(ParseText(rem998 + "\nbad line\n"), 2, "bad line");
  std::string longLine = "REM " + std::string(994, 'x') + " Wrong here";
  ExpectSyntaxError(ParseText(longLine + "\n"), 2, " Wrong here");
}

TEST_F(ParserTest, IgnoredKeysAndRemSkipTheirWholeLine) {
  EXPECT_EQ(Parse({"REM \"unbalanced", "SCREENFILLCHAR x y z", "windowbackground: 1 2", "WINDOWFOREGROUND",
                   "ScreenBackground a", "SCREENFOREGROUND a", "TITLEBACKGROUND a", "TITLEFOREGROUND a",
                   "BOTTOMBACKGROUND a", "BOTTOMFOREGROUND a", "PROMPTBACKGROUND a", "PROMPTFOREGROUND a",
                   "EnterKeyPrompt \"x\"", "ESCPROMPT x", "F2KeyPrompt x", "PressKeyPrompt x",
                   "PressKeyQuitPrompt x", "ReadmePrompt x", "YesNoPrompt x", "YesNoKey x"}),
            0);
}

TEST_F(ParserTest, QuotedStringsUseDoubledQuotes) {
  EXPECT_EQ(Parse({"TITLE \"Say \"\"hi\"\" now\""}), 0);
  EXPECT_EQ(script().title, "Say \"hi\" now");
}

// ---- the screen --------------------------------------------------------------

TEST_F(ParserTest, TitleAndItsOptions) {
  EXPECT_EQ(Parse({"TITLE: \"My App\" \"Times New Roman\" italic BOLD Underline 24"}), 0);
  EXPECT_EQ(script().title, "My App");
  EXPECT_EQ(state.settings.titleFont.face, "Times New Roman");
  EXPECT_TRUE(state.settings.titleFont.italic);
  EXPECT_TRUE(state.settings.titleFont.bold);
  EXPECT_TRUE(state.settings.titleFont.underline);
  EXPECT_EQ(state.settings.titleFont.size, 24);

  // A sixth option is not looked at; "TITLE," and "TITLE " read as "TITLE:".
  EXPECT_EQ(Parse({"TITLE, \"T\" Bold Bold Bold Bold Bold Nonsense"}), 0);
  EXPECT_EQ(Parse({"TITLE \"T\""}), 0);

  ExpectSyntaxError(Parse({"TITLE"}), 1, "TITLE");
  ExpectSyntaxError(Parse({"TITLE My App"}), 1, "TITLE My App");
  ExpectSyntaxError(Parse({"TITLE \"x\" Heavy"}), 1, "TITLE \"x\" Heavy");
}

TEST_F(ParserTest, TitleLongerThanItsFieldIsCut) {
  EXPECT_EQ(Parse({"TITLE \"" + std::string(600, 'T') + "\""}), 0);
  EXPECT_EQ(script().title.size(), InstallScript::kTitleCapacity);
}

TEST_F(ParserTest, Colours) {
  EXPECT_EQ(Parse({"TITLECOLOR: (300, 0, 0)"}), 0);
  EXPECT_EQ(script().titleColour, (Colour{44, 0, 0}));
  EXPECT_EQ(Parse({"TITLECOLOR: (300, 0, 0)", "TITLECOLOR: Purple"}), 0);
  EXPECT_EQ(script().titleColour, (Colour{44, 0, 0}));
  EXPECT_EQ(Parse({"TitleColor cyan"}), 0);
  EXPECT_EQ(script().titleColour, (Colour{0, 255, 255}));

  EXPECT_EQ(Parse({"SCREENCOLOR: Yellow"}), 0);
  EXPECT_EQ(script().screenColour1, (Colour{255, 255, 0}));
  EXPECT_EQ(script().screenColour2, (Colour{255, 255, 0}));
  EXPECT_EQ(Parse({"SCREENCOLOR: (1,2,3), White"}), 0);
  EXPECT_EQ(script().screenColour1, (Colour{1, 2, 3}));
  EXPECT_EQ(script().screenColour2, (Colour{255, 255, 255}));
  EXPECT_EQ(script().screenColour2.Value(), 0xFFFFFFu);
}

TEST_F(ParserTest, FontNameScreenGraphicAndIntroScreen) {
  EXPECT_EQ(Parse({"FONTNAME \"Arial\"", "SCREENGRAPHIC logo.bmp TILE", "INTROSCREEN \"$WINDIR$\\intro.bmp\" 5"}), 0);
  EXPECT_EQ(state.settings.dialogFontName, "Arial");
  ASSERT_TRUE(script().screenGraphic);
  EXPECT_EQ(script().screenGraphic->file, "C:\\SETUP\\logo.bmp");
  EXPECT_EQ(script().screenGraphic->position, 9);
  ASSERT_TRUE(script().introScreen);
  EXPECT_EQ(script().introScreen->file, "C:\\WINDOWS\\intro.bmp");
  EXPECT_EQ(script().introScreen->seconds, 5);

  EXPECT_EQ(Parse({"FONTNAME Arial", "SCREENGRAPHIC \"a b.bmp\"", "INTROSCREEN pic.bmp", "INTROSCREEN \\p.bmp"}), 0);
  EXPECT_EQ(state.settings.dialogFontName, "");
  EXPECT_EQ(script().screenGraphic->position, 0);
  EXPECT_EQ(script().screenGraphic->file, "C:\\SETUP\\a b.bmp");
  EXPECT_EQ(script().introScreen->file, "\\p.bmp");

  ExpectSyntaxError(Parse({"FONTNAME \"" + std::string(31, 'f') + "\""}), 1,
                    "FONTNAME \"" + std::string(31, 'f') + "\"");
  ExpectSyntaxError(Parse({"SCREENGRAPHIC logo.bmp CENTER"}), 1, "SCREENGRAPHIC logo.bmp CENTER");
}

// ---- directories and questions ---------------------------------------------------

TEST_F(ParserTest, DirectoryPathsAreNormalised) {
  EXPECT_EQ(Parse({"DEFAULTDIR D:"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "D:\\");
  EXPECT_EQ(state.variables.defaultDrive, "D");
  EXPECT_EQ(Parse({"DEFAULTDIR APP"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\APP");
  EXPECT_EQ(Parse({"DEFAULTDIR \\APP"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\APP");
  EXPECT_EQ(Parse({"DEFAULTDIR \"$XYZ$\\X\""}), 0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\$XYZ$\\X");
  EXPECT_EQ(Parse({"DIR2 \"$XYZ$\\X\"", "DIR3 E:\\DATA"}), 0);
  EXPECT_EQ(state.variables.dir2, "$XYZ$\\X");
  EXPECT_EQ(state.variables.dir3, "E:\\DATA");
  EXPECT_EQ(script().dir2->path, "$XYZ$\\X");
  // A leading variable is expanded first.
  EXPECT_EQ(Parse({"DEFAULTDIR $WINDIR$\\APP"}), 0);
  EXPECT_EQ(state.variables.defaultDir, "C:\\WINDOWS\\APP");
}

TEST_F(ParserTest, DirectoryOptionsAndShortForm) {
  files.AddDirectory("C:\\PROGRAM FILES\\MY APPLICATION");
  EXPECT_EQ(Parse({"DEFAULTDIR \"C:\\Program Files\\My Application\" prompt=\"Where?\" NOASKDRIVE"}), 0);
  ASSERT_TRUE(script().defaultDir);
  EXPECT_EQ(script().defaultDir->prompt, "Where?");
  EXPECT_TRUE(script().defaultDir->promptGiven);
  EXPECT_EQ(script().defaultDir->askMode, 1);
  EXPECT_EQ(state.variables.defaultDir, "C:\\Program Files\\My Application");
  std::string shortForm;
  ASSERT_TRUE(files.GetShortPathName(state.variables.defaultDir, &shortForm));
  EXPECT_EQ(state.variables.defaultDir8, shortForm);

  // A later line empties the prompt and keeps the rest.
  EXPECT_EQ(Parse({"DEFAULTDIR A:\\X prompt = \"P\" NOASKDIR", "DEFAULTDIR A:\\Y"}), 0);
  EXPECT_EQ(script().defaultDir->prompt, "");
  EXPECT_EQ(script().defaultDir->askMode, 3);
  EXPECT_EQ(state.variables.defaultDir8, "A:\\Y");  // no short form: the long one
  EXPECT_EQ(Parse({"DIR2 X NOASKDIR noaskdrive"}), 0);
  EXPECT_EQ(script().dir2->askMode, 0);
  EXPECT_EQ(Parse({"DIR3 X NOASKDIR"}), 0);
  EXPECT_EQ(script().dir3->askMode, 2);

  ExpectSyntaxError(Parse({"DEFAULTDIR"}), 1, "DEFAULTDIR");
  ExpectSyntaxError(Parse({"DIR2 X prompt \"P\""}), 1, "DIR2 X prompt \"P\"");
  ExpectSyntaxError(Parse({"DIR3 X NOASK"}), 1, "DIR3 X NOASK");
}

TEST_F(ParserTest, AskLines) {
  EXPECT_EQ(Parse({"ASK1 \"yes\" prompt=\"Install the samples?\"", "Ask5: \"\" PROMPT = \"Name\""}), 0);
  ASSERT_TRUE(script().asks[0]);
  EXPECT_EQ(script().asks[0]->defaultAnswer, "yes");
  EXPECT_EQ(script().asks[0]->prompt, "Install the samples?");
  EXPECT_TRUE(script().asks[0]->promptGiven);
  EXPECT_EQ(state.variables.ask[0], "yes");
  ASSERT_TRUE(script().asks[4]);
  EXPECT_EQ(state.variables.ask[4], "");

  EXPECT_EQ(Parse({"ASK2 \"" + std::string(600, 'a') + "\" prompt=\"p\"",
                   "ASK3 \"\" prompt=\"" + std::string(700, 'p') + "\""}),
            0);
  EXPECT_EQ(script().asks[1]->defaultAnswer.size(), AskSpec::kDefaultCapacity);
  EXPECT_EQ(state.variables.ask[1].size(), AskSpec::kDefaultCapacity);
  EXPECT_EQ(script().asks[2]->prompt.size(), AskSpec::kPromptCapacity);

  ExpectSyntaxError(Parse({"ASK1"}), 1, "ASK1");
  ExpectSyntaxError(Parse({"ASK1 yes prompt=\"x\""}), 1, "ASK1 yes prompt=\"x\"");
  ExpectSyntaxError(Parse({"ASK3 \"yes\""}), 1, "ASK3 \"yes\"");
  ExpectSyntaxError(Parse({"ASK4 \"yes\" prompt \"x\""}), 1, "ASK4 \"yes\" prompt \"x\"");
}

// ---- requirements ------------------------------------------------------------------

TEST_F(ParserTest, MinCpuType) {
  EXPECT_EQ(Parse({"MinCpuType: 80486"}), 0);
  EXPECT_EQ(script().minimumProcessor, 486);
  ExpectSyntaxError(Parse({"MinCpuType: 486"}), 1, "MinCpuType: 486");
  ExpectSyntaxError(Parse({"MINCPUTYPE"}), 1, "MINCPUTYPE");
}

TEST_F(ParserTest, SizesArePowersOfTenAndTruncated) {
  EXPECT_EQ(ParseSize("6M"), 6000000);
  EXPECT_EQ(ParseSize("1.85M"), 1850000);
  EXPECT_EQ(ParseSize("1.85m"), 1850000);
  EXPECT_EQ(ParseSize("0.29M"), 290000);
  EXPECT_EQ(ParseSize("1.0005K"), 1000);
  EXPECT_EQ(ParseSize("512k"), 512000);
  EXPECT_EQ(ParseSize("12345"), 12345);
  EXPECT_EQ(ParseSize("2xK"), 2000);  // the first K anywhere decides
  EXPECT_EQ(ParseSize(""), 0);
  EXPECT_EQ(ParseSize("abc"), 0);
  EXPECT_EQ(ParseSize("5000M"), INT32_MAX);
  EXPECT_EQ(ParseSize("99999999999999999999999M"), INT32_MAX);
  EXPECT_EQ(ParseSize("-3K"), -3000);
}

TEST_F(ParserTest, MinDiskSpaceAndTheItemSlots) {
  EXPECT_EQ(Parse({"MINDISKSPACE: 6M"}), 0);
  EXPECT_EQ(script().minimumDiskSpace, 6000000);
  EXPECT_EQ(script().itemDiskSpace[0], 6000000);

  EXPECT_EQ(Parse({"MINDISKSPACE: 1M", "MINDISKSPACE: 2M, 11", "BEGINGROUP", "10 [X] Program", "11 [ ] Samples",
                   "12 [ ] Help", "ENDGROUP", "MINDISKSPACE 500K 12"}),
            0);
  EXPECT_EQ(script().minimumDiskSpace, 1000000);
  EXPECT_EQ(script().itemDiskSpace[0], 1);        // item 10: nothing given
  EXPECT_EQ(script().itemDiskSpace[1], 2000000);  // item 11
  EXPECT_EQ(script().itemDiskSpace[2], 500000);   // item 12, given after the group
  EXPECT_EQ(state.parser.itemDiskSpace[11], 2000000);

  ExpectSyntaxError(Parse({"MINDISKSPACE: 1K, 100"}), 1, "MINDISKSPACE: 1K, 100");
  ExpectSyntaxError(Parse({"MINDISKSPACE: 1K, -1"}), 1, "MINDISKSPACE: 1K, -1");
}

TEST_F(ParserTest, ProgressBar) {
  EXPECT_EQ(Parse({"PROGRESSBAR 2.5M"}), 0);
  EXPECT_EQ(script().progressTotal, 2500000);
  ExpectSyntaxError(Parse({"PROGRESSBAR"}), 1, "PROGRESSBAR");
}

// ---- files ---------------------------------------------------------------------------

TEST_F(ParserTest, OverwriteFileAndCompression) {
  EXPECT_EQ(Parse({"OverwriteFile: yes"}), 0);
  EXPECT_EQ(state.settings.overwrite, OverwritePolicy::kYes);
  EXPECT_EQ(Parse({"OVERWRITEFILE NEW", "COMPRESSION lha"}), 0);
  EXPECT_EQ(state.settings.overwrite, OverwritePolicy::kNew);
  EXPECT_EQ(state.settings.compressionMethod, CompressionTool::kLha);
  ExpectSyntaxError(Parse({"OVERWRITEFILE: maybe"}), 1, "OVERWRITEFILE: maybe");
  ExpectSyntaxError(Parse({"COMPRESSION"}), 1, "COMPRESSION");
  ExpectSyntaxError(Parse({"COMPRESSION ZIP"}), 1, "COMPRESSION ZIP");
}

TEST_F(ParserTest, FileLinesAndTheirOptions) {
  EXPECT_EQ(Parse({"BEGINGROUP", "11 [X] Program", "12 [ ] Samples", "ENDGROUP", "OVERWRITEFILE NO",
                   "FILE app.exe",
                   "FILE: \"data.dat\" COMPRESSED OVERWRITE=NEW SOURCE=\"D:\\DISK1\\\" POPID = 3 GROUP=11,12 "
                   "ATTRIBUTE=\"rhsa\"",
                   "FILE x SELF-EXTRACT SOURCE=\\SUB SOURCE=SUB", "FILE y SOURCE=$WINDIR$ GROUP=12 GROUP=11"}),
            0);
  ASSERT_EQ(script().fileEntries.size(), 4u);
  EXPECT_EQ(script().fileCount, 4);
  const FileEntry& plain = script().fileEntries[0];
  EXPECT_EQ(plain.name, "app.exe");
  EXPECT_EQ(plain.kind, EntryKind::kFile);
  EXPECT_EQ(plain.compression, Compression::kNone);
  EXPECT_EQ(plain.overwrite, OverwritePolicy::kNo);  // the policy in force
  EXPECT_EQ(plain.attributes, 128u);
  EXPECT_EQ(plain.popupId, -1);
  EXPECT_FALSE(plain.sourceGiven);
  EXPECT_EQ(plain.choiceItems[0], kEmptyChoiceSlot);

  const FileEntry& full = script().fileEntries[1];
  EXPECT_EQ(full.name, "data.dat");
  EXPECT_EQ(full.compression, Compression::kCompressed);
  EXPECT_EQ(full.overwrite, OverwritePolicy::kNew);
  EXPECT_EQ(full.sourceDirectory, "D:\\DISK1");
  EXPECT_EQ(full.sourceKind, SourceKind::kAsGiven);
  EXPECT_TRUE(full.sourceGiven);
  EXPECT_EQ(full.popupId, 3);
  EXPECT_EQ(full.choiceItems[0], 0);
  EXPECT_EQ(full.choiceItems[1], 1);
  EXPECT_EQ(full.choiceItems[2], kEmptyChoiceSlot);
  EXPECT_EQ(full.attributes, 32u + 2u + 1u + 4u);
  EXPECT_TRUE(script().compressedFilesPresent);
  EXPECT_TRUE(script().progressBytesUnknown) << "an external decompressor makes the bar count files";

  const FileEntry& relative = script().fileEntries[2];
  EXPECT_EQ(relative.compression, Compression::kSelfExtract);
  EXPECT_EQ(relative.sourceDirectory, "\\SUB");  // the later SOURCE= wins
  EXPECT_EQ(relative.sourceKind, SourceKind::kBelowSource);
  const FileEntry& variable = script().fileEntries[3];
  EXPECT_EQ(variable.sourceKind, SourceKind::kAsGiven);
  EXPECT_EQ(variable.choiceItems[0], 0);  // the later GROUP= wins
  EXPECT_EQ(variable.choiceItems[1], kEmptyChoiceSlot);

  EXPECT_EQ(Parse({"FILE z SOURCE=\\ROOT\\"}), 0);
  EXPECT_EQ(script().fileEntries.back().sourceKind, SourceKind::kSourceRoot);
  EXPECT_EQ(script().fileEntries.back().sourceDirectory, "\\ROOT");
}

TEST_F(ParserTest, FileLineErrors) {
  ExpectSyntaxError(Parse({"FILE a.exe COMPRESS"}), 1, "FILE a.exe COMPRESS");
  ExpectSyntaxError(Parse({"FILE a.exe OVERWRITE YES"}), 1, "FILE a.exe OVERWRITE YES");
  ExpectSyntaxError(Parse({"FILE a.exe OVERWRITE=ALWAYS"}), 1, "FILE a.exe OVERWRITE=ALWAYS");
  ExpectSyntaxError(Parse({"FILE a.exe SOURCE \"x\""}), 1, "FILE a.exe SOURCE \"x\"");
  ExpectSyntaxError(Parse({"FILE a.exe POPID 3"}), 1, "FILE a.exe POPID 3");
  ExpectSyntaxError(Parse({"FILE a.exe ATTRIBUTE=\"RX\""}), 1, "FILE a.exe ATTRIBUTE=\"RX\"");
  ExpectSyntaxError(Parse({"FILE a.exe ATTRIBUTE \"R\""}), 1, "FILE a.exe ATTRIBUTE \"R\"");
  // GROUP= needs the group block that defines the number earlier.
  ExpectSyntaxError(Parse({"FILE a.exe GROUP=11", "BEGINGROUP", "11 [X] Program", "ENDGROUP"}), 1,
                    "FILE a.exe GROUP=11");
  ExpectSyntaxError(Parse({"BEGINGROUP", "11 [X] Program", "ENDGROUP", "FILE a.exe GROUP=11 100"}), 4,
                    "FILE a.exe GROUP=11 100");
  ExpectSyntaxError(Parse({"FILE a.exe GROUP 11"}), 1, "FILE a.exe GROUP 11");
  std::vector<std::string> lines = {"BEGINGROUP"};
  for (int i = 10; i < 23; ++i) lines.push_back(std::to_string(i) + " [X] Item");
  lines.push_back("ENDGROUP");
  lines.push_back("FILE a.exe GROUP=10 11 12 13 14 15 16 17 18 19 20 21");
  EXPECT_EQ(Parse(lines), 0);
  lines.back() += " 22";
  ExpectSyntaxError(Parse(lines), 16, lines.back());
}

TEST_F(ParserTest, InsertDiskNeverFails) {
  EXPECT_EQ(Parse({"INSERTDISK \"Disk 2\" \"DISK2\" POPID=4", "INSERTDISK", "INSERTDISK: \"\" \"VERYLONGLABEL123\"",
                   "INSERTDISK Disk3 garbage = here"}),
            0);
  ASSERT_EQ(script().fileEntries.size(), 4u);
  EXPECT_EQ(script().fileCount, 0);
  EXPECT_EQ(script().fileEntries[0].kind, EntryKind::kLabelledDisk);
  EXPECT_EQ(script().fileEntries[0].name, "Disk 2");
  EXPECT_EQ(script().fileEntries[0].volumeLabel, "DISK2");
  EXPECT_EQ(script().fileEntries[0].popupId, 4);
  EXPECT_EQ(script().fileEntries[1].kind, EntryKind::kDisk);
  EXPECT_EQ(script().fileEntries[1].name, "the next disk");
  EXPECT_EQ(script().fileEntries[2].volumeLabel, "VERYLONGLABE");  // cut to 12
  EXPECT_EQ(script().fileEntries[3].name, "the next disk");
}

TEST_F(ParserTest, DeleteAndRename) {
  EXPECT_EQ(Parse({"DELETE \"$WINDIR$\\old.ini\"", "DELETE old.dll", "RENAME a.txt \"b c.txt\""}), 0);
  ASSERT_EQ(script().deletes.size(), 2u);
  EXPECT_EQ(script().deletes[0].file, "$WINDIR$\\old.ini");
  EXPECT_EQ(script().deletes[1].file, "old.dll");
  ASSERT_EQ(script().renames.size(), 1u);
  EXPECT_EQ(script().renames[0].oldName, "a.txt");
  EXPECT_EQ(script().renames[0].newName, "b c.txt");
  ExpectSyntaxError(Parse({"DELETE"}), 1, "DELETE");
  ExpectSyntaxError(Parse({"RENAME a.txt"}), 1, "RENAME a.txt");
}

// ---- system changes -----------------------------------------------------------------

TEST_F(ParserTest, WinItemModesWorkingDirectoryAndIcon) {
  EXPECT_EQ(Parse({"WINITEM \"Tools\" \"$DEFAULTDIR$\\app.exe\" \"App\"",
                   "WINITEM \"Tools\", \"app.exe\", \"App\", \"C:\\APP\\\", \"app.ico\", 2, REPLACE",
                   "WINITEM \"Tools\" \"x.exe\" \"X\" \"x.ico\" 1 ,  remove ",
                   "WINITEM \"Tools\" \"x.exe\" \"X, replace\"",
                   "WINITEM \"Tools\" \"y.exe\" \"Y\" \"y.ico\" 02x, Replace"}),
            0);
  ASSERT_EQ(script().winItems.size(), 5u);
  EXPECT_EQ(script().winItems[0].mode, WinItemMode::kAdd);
  EXPECT_EQ(script().winItems[0].command, "$DEFAULTDIR$\\app.exe");
  const WinItemRecord& replaced = script().winItems[1];
  EXPECT_EQ(replaced.mode, WinItemMode::kReplace);
  EXPECT_EQ(replaced.workingDirectory, "C:\\APP\\");
  EXPECT_EQ(replaced.iconFile, "app.ico");
  EXPECT_EQ(replaced.iconIndex, "2");
  const WinItemRecord& removed = script().winItems[2];
  EXPECT_EQ(removed.mode, WinItemMode::kRemove);
  EXPECT_EQ(removed.workingDirectory, "");
  EXPECT_EQ(removed.iconFile, "x.ico");
  EXPECT_EQ(removed.iconIndex, "1");
  EXPECT_EQ(script().winItems[3].mode, WinItemMode::kAdd);
  EXPECT_EQ(script().winItems[3].title, "X, replace");
  EXPECT_EQ(script().winItems[0].iconIndex, "") << "no icon index";
  EXPECT_EQ(script().winItems[4].mode, WinItemMode::kReplace);
  EXPECT_EQ(script().winItems[4].iconFile, "y.ico");
  EXPECT_EQ(script().winItems[4].iconIndex, "02x") << "the icon index is the word as written";
}

TEST_F(ParserTest, IniFileLines) {
  EXPECT_EQ(Parse({"INIFILE: \"windows\", \"load\", \"myapp.exe\", \"WIN.INI\", ADD",
                   "INIFILE \"Sec\" \"Key\" \"Val\" app.ini ASK OVERWRITE", "INIFILE \"Sec\" \"Key\""}),
            0);
  ASSERT_EQ(script().iniFiles.size(), 3u);
  EXPECT_EQ(script().iniFiles[0].section, "windows");
  EXPECT_EQ(script().iniFiles[0].entry, "load");
  EXPECT_EQ(script().iniFiles[0].value, "myapp.exe");
  EXPECT_TRUE(script().iniFiles[0].add);
  EXPECT_EQ(script().iniFiles[0].mode, ChangeMode::kChange);
  EXPECT_EQ(script().iniFiles[1].fileName, "app.ini");
  EXPECT_EQ(script().iniFiles[1].mode, ChangeMode::kAsk);
  EXPECT_EQ(script().iniFiles[2].fileName, "WIN.INI");
  EXPECT_EQ(script().iniFiles[2].value, "");
  ExpectSyntaxError(Parse({"INIFILE \"S\" \"K\" \"V\" \"F\" APPEND"}), 1, "INIFILE \"S\" \"K\" \"V\" \"F\" APPEND");
  ExpectSyntaxError(Parse({"INIFILE \"S\" \"K\" \"V\" \"F\" ="}), 1, "INIFILE \"S\" \"K\" \"V\" \"F\" =");
}

TEST_F(ParserTest, AddTextReplacesSearchResultsAtOnce) {
  state.variables.left = "device=";
  state.variables.right = "vxd.386";
  state.variables.search = "12";
  EXPECT_EQ(Parse({"ADDTEXT: \"$LEFT$new.386 ; was $right$\", \"$WINDIR$\\system.ini\", \"$SEARCH$\", REPLACE",
                   "ADDTEXT \"SET X=1\" c:\\autoexec.bat -1 whatever", "ADDTEXT \"x\" a.bat \"at $search$!\" = junk"}),
            0);
  ASSERT_EQ(script().addTexts.size(), 3u);
  EXPECT_EQ(script().addTexts[0].text, "device=new.386 ; was vxd.386");
  EXPECT_EQ(script().addTexts[0].targetFile, "$WINDIR$\\system.ini");
  EXPECT_EQ(script().addTexts[0].position, "12");
  EXPECT_TRUE(script().addTexts[0].replace);
  EXPECT_EQ(script().addTexts[1].position, "");  // not quoted: stays empty
  EXPECT_FALSE(script().addTexts[1].replace);
  EXPECT_EQ(script().addTexts[2].position, "at 12!");
  ExpectSyntaxError(Parse({"ADDTEXT \"only the text\""}), 1, "ADDTEXT \"only the text\"");
  ExpectSyntaxError(Parse({"ADDTEXT"}), 1, "ADDTEXT");
}

TEST_F(ParserTest, AutoexecAndConfig) {
  EXPECT_EQ(Parse({"AUTOEXEC", "AUTOEXEC ADDPATH ADDPATH=\"$WINDIR$\" SHARE=\"/f: 4096 /L:40\" ADD=\"SET X=1\"",
                   "CONFIG BUFFERMIN=30 FILEMIN = 40 ADD=\"DEVICE=x.sys\""}),
            0);
  const AutoexecSpec& autoexec = script().autoexec;
  EXPECT_EQ(autoexec.mode, ChangeMode::kChange);
  EXPECT_TRUE(autoexec.addPath);
  ASSERT_EQ(autoexec.addPathDirectories.size(), 1u);
  EXPECT_EQ(autoexec.addPathDirectories[0].Text(), "$WINDIR$");
  EXPECT_TRUE(autoexec.share);
  EXPECT_EQ(autoexec.shareNumbers[0], 4096);
  EXPECT_EQ(autoexec.shareNumbers[1], 40);
  ASSERT_EQ(autoexec.addLines.size(), 1u);
  EXPECT_EQ(autoexec.addLines[0].Text(), "SET X=1");
  const ConfigSpec& config = script().config;
  EXPECT_EQ(config.mode, ChangeMode::kChange);
  EXPECT_EQ(config.bufferMin, 30);
  EXPECT_EQ(config.fileMin, 40);
  ASSERT_EQ(config.addLines.size(), 1u);

  EXPECT_EQ(Parse({"AUTOEXEC ASK", "CONFIG ASK FILEMIN 40 Anything Goes"}), 0);
  EXPECT_EQ(script().autoexec.mode, ChangeMode::kAsk);
  EXPECT_EQ(script().config.mode, ChangeMode::kAsk);

  ExpectSyntaxError(Parse({"AUTOEXEC PATH"}), 1, "AUTOEXEC PATH");
  ExpectSyntaxError(Parse({"AUTOEXEC ADD \"x\""}), 1, "AUTOEXEC ADD \"x\"");
  ExpectSyntaxError(Parse({"CONFIG STACKS=9"}), 1, "CONFIG STACKS=9");
  ExpectSyntaxError(Parse({"CONFIG ADD \"x\""}), 1, "CONFIG ADD \"x\"");
}

TEST_F(ParserTest, RegServerReadmeRebootAndUninstall) {
  EXPECT_EQ(Parse({"REGSERVER \"$SYSDIR$\\ctl.ocx\"", "REGSERVER x.dll", "SHOWREADME readme.txt", "REBOOTWINDOWS now",
                   "UNINSTALL yes"}),
            0);
  ASSERT_EQ(state.settings.components.size(), 2u);
  EXPECT_EQ(state.settings.components[0], "$SYSDIR$\\ctl.ocx");
  EXPECT_EQ(script().readmeFile, "readme.txt");
  EXPECT_EQ(state.settings.rebootMode, RebootMode::kWindows);
  EXPECT_TRUE(state.settings.uninstall);
  EXPECT_EQ(Parse({"REBOOTSYSTEM", "UNINSTALL NO"}), 0);
  EXPECT_EQ(state.settings.rebootMode, RebootMode::kSystem);
  EXPECT_FALSE(state.settings.uninstall);
  EXPECT_EQ(Parse({"REBOOT Window"}), 0);
  EXPECT_EQ(state.settings.rebootMode, RebootMode::kWindows);
  EXPECT_EQ(Parse({"REBOOT system"}), 0);
  EXPECT_EQ(state.settings.rebootMode, RebootMode::kSystem);

  ExpectSyntaxError(Parse({"REGSERVER"}), 1, "REGSERVER");
  ExpectSyntaxError(Parse({"REBOOT"}), 1, "REBOOT");
  ExpectSyntaxError(Parse({"REBOOT Now"}), 1, "REBOOT Now");
  ExpectSyntaxError(Parse({"UNINSTALL"}), 1, "UNINSTALL");
  ExpectSyntaxError(Parse({"UNINSTALL maybe"}), 1, "UNINSTALL maybe");
}

TEST_F(ParserTest, RunAtStartIsExpandedAtTheEndOfThePassAndRunAtExitAppends) {
  state.variables.system = "quiet";
  EXPECT_EQ(Parse({"RUNATSTART \"$WINDIR$\\setupx.exe $SYSTEM$ $DEFAULTDIR$\"", "DEFAULTDIR D:\\APP",
                   "RUNATEXIT \"notepad $DEFAULTDIR$\\a.txt\"", "RUNATEXIT \"b.exe\""}),
            0);
  EXPECT_EQ(script().startCommand.Text(), "C:\\WINDOWS\\setupx.exe quiet D:\\APP");
  ASSERT_EQ(script().exitCommands.size(), 2u);
  EXPECT_EQ(script().exitCommands[0].Text(), "notepad $DEFAULTDIR$\\a.txt");  // expanded when run

  ExpectSyntaxError(Parse({"RUNATSTART"}), 1, "RUNATSTART");
  ExpectSyntaxError(Parse({"RUNATSTART \"\""}), 1, "RUNATSTART \"\"");
  ExpectSyntaxError(Parse({"RUNATSTART setup.exe"}), 1, "RUNATSTART setup.exe");
  ExpectSyntaxError(Parse({"RUNATEXIT"}), 1, "RUNATEXIT");
  ExpectSyntaxError(Parse({"RUNATEXIT \"\""}), 1, "RUNATEXIT \"\"");
}

TEST_F(ParserTest, PromptKeys) {
  EXPECT_EQ(Parse({"COPYFILEPROMPT \"Copying: \" + file_name", "quitprompt: \"Really quit?\"", "OKPROMPT Fine",
                   "UNINSTALLBEGINPROMPT \"Remove it?\"", "UninstallTitlePrompt \"Remove\""}),
            0);
  EXPECT_EQ(state.Prompt(PromptId::kCopyFile), "Copying: ");
  EXPECT_EQ(state.Prompt(PromptId::kQuit), "Really quit?");
  EXPECT_EQ(state.Prompt(PromptId::kOk), "");  // an unquoted argument empties the text
  EXPECT_EQ(state.Prompt(PromptId::kUninstallBegin), "Remove it?");
  EXPECT_EQ(state.Prompt(PromptId::kUninstallTitle), "Remove");

  std::string tooLong = "INSERTDISKPROMPT \"" + std::string(499, 'x') + "\"";
  ExpectSyntaxError(Parse({tooLong}), 1, tooLong);
  EXPECT_EQ(Parse({"CPUPROMPT \"" + std::string(998, 'x').substr(0, 980) + "\""}), 0);
  ExpectSyntaxError(Parse({"UNINSTALLENDPROMPT \"\""}), 1, "UNINSTALLENDPROMPT \"\"");
  ExpectSyntaxError(Parse({"UNINSTALLBEGINPROMPT"}), 1, "UNINSTALLBEGINPROMPT");
}

}  // namespace
}  // namespace quorril::testing
