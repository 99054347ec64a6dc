// IF tests against the in-memory machine: every test word, its errors, the
// results it leaves behind, and the deferred blocks of the choice tests.
#include "script/conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/virtual_file.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "script/script_context.h"

namespace quorril {
namespace {

// Hands out lines numbered from `first` on.
class VectorLineSource : public LineSource {
 public:
  VectorLineSource(std::vector<std::string> lines = {}, int32_t first = 2) : lines_(std::move(lines)), next_(first) {}
  bool ReadLine(std::string* line, int32_t* lineNumber) override {
    if (at_ >= lines_.size()) return false;
    *line = lines_[at_++];
    *lineNumber = next_++;
    return true;
  }
  size_t consumed() const { return at_; }

 private:
  std::vector<std::string> lines_;
  size_t at_ = 0;
  int32_t next_;
};

class ConditionTest : public ::testing::Test {
 protected:
  ConditionTest() {
    CreateInstallScript(state, files, machine);
    tokenizer.SetVariables(&state.variables);
    state.variables.sourceDir = "A:\\SETUP";
    state.variables.winDir = "C:\\WINDOWS";
    files.AddDirectory("C:\\WINDOWS");
    files.AddDirectory("C:\\SETUP");
    files.SetCurrentDirectory("C:\\SETUP");
  }

  // Evaluates "IF <test>" as the first pass does.
  int If(const std::string& test, LineSource* source = nullptr) {
    VectorLineSource none;
    tokenizer.Reset("IF " + test);
    tokenizer.ReadKeyword();
    return EvaluateCondition(ctx, tokenizer, source ? *source : none, 1);
  }
  // Evaluates the IF line of a deferred block as the second pass does.
  int Replay(const std::string& test) {
    tokenizer.Reset("IF " + test);
    tokenizer.ReadKeyword();
    return EvaluateChoiceCondition(ctx, tokenizer);
  }
  void SetVersions(int winMajor, int winMinor) {
    machine.SetVersions(winMajor, winMinor, 7, 0);
    CreateInstallScript(state, files, machine);
  }

  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  ScriptedUserInterface ui;
  VirtualFileSystem archive{&files};
  ScriptState state;
  ScriptContext ctx{state, files, machine, ui, archive};
  ScriptTokenizer tokenizer;
};

// ---- operators and the generic comparison ----------------------------------

TEST_F(ConditionTest, OperatorReader) {
  struct Case {
    const char* text;
    CompareOp op;
    const char* rest;
  };
  const Case cases[] = {
      {" = x", CompareOp::kEqual, " x"},          {"==x", CompareOp::kEqual, "x"},
      {">x", CompareOp::kGreater, "x"},           {"<x", CompareOp::kLess, "x"},
      {">=x", CompareOp::kGreaterOrEqual, "x"},   {"<=x", CompareOp::kLessOrEqual, "x"},
      {",<>x", CompareOp::kNotEqual, "x"},        {"><x", CompareOp::kGreater, "<x"},
      {"=>x", CompareOp::kNone, ""},              {"=<x", CompareOp::kNone, ""},
      {">>x", CompareOp::kNone, ""},              {"!=x", CompareOp::kNone, ""},
      {"x", CompareOp::kNone, ""},                {"", CompareOp::kNone, ""},
  };
  for (const Case& c : cases) {
    tokenizer.Reset(c.text);
    CompareOp op = ReadCompareOp(tokenizer);
    EXPECT_EQ(op, c.op) << c.text;
    if (op != CompareOp::kNone) {
      EXPECT_EQ(tokenizer.Rest(), c.rest) << c.text;
    }
  }
}

TEST_F(ConditionTest, GenericComparisonIsTextual) {
  // The operator glued to the test word becomes part of the word.
  EXPECT_EQ(If("winver>=4.0"), kConditionFalse);
  EXPECT_EQ(If("anything = ANYTHING"), kConditionTrue);
  EXPECT_EQ(If("abc <> \"abc\""), kConditionFalse);
  EXPECT_EQ(If("10 < 9"), kConditionTrue);
  EXPECT_EQ(If("(b > a)"), kConditionTrue);
  // An early variable at the start of the test word is its value.
  EXPECT_EQ(If("$LOCATEDRIVE$ = \"c\""), kConditionTrue);
  EXPECT_EQ(If("word"), kConditionError);
  EXPECT_EQ(If("word => x"), kConditionError);
}

// ---- versions and memory ---------------------------------------------------

TEST_F(ConditionTest, WindowsAndDosVersions) {
  SetVersions(3, 95);
  EXPECT_EQ(If("winver = range 3.1 3.99"), kConditionTrue);
  EXPECT_EQ(If("winver == RANGE 3.96 4"), kConditionFalse);
  EXPECT_EQ(If("winver < 4"), kConditionTrue);
  // "range" after another operator reads as the number 0.
  EXPECT_EQ(If("winver > range 1 2"), kConditionTrue);
  EXPECT_EQ(If("winver < range"), kConditionFalse);
  EXPECT_EQ(If("dosver >= 7.0"), kConditionTrue);
  EXPECT_EQ(If("dosver <> 7"), kConditionFalse);

  SetVersions(4, 10);
  EXPECT_EQ(If("winver = 4.1"), kConditionTrue);

  EXPECT_EQ(If("winver = range 3.1"), kConditionError);
  EXPECT_EQ(If("winver 4.0"), kConditionError);
  EXPECT_EQ(If("dosver >"), kConditionError);
}

TEST_F(ConditionTest, MemoryInKilobytes) {
  machine.memory = 8388608;
  EXPECT_EQ(If("memory = 8192"), kConditionTrue);
  EXPECT_EQ(If("memory > 8192"), kConditionFalse);
  EXPECT_EQ(If("memory >= 8192"), kConditionTrue);
  EXPECT_EQ(If("memory <> 8192"), kConditionFalse);
  machine.memory = 8388609;
  EXPECT_EQ(If("memory > 8192"), kConditionTrue);
  EXPECT_EQ(If("memory = 8192"), kConditionFalse);
  EXPECT_EQ(If("memory < 8193"), kConditionTrue);
  // 4 GB and more must not wrap round to small sizes.
  machine.memory = 0xFFFFFFFFu;
  EXPECT_EQ(If("memory >= 4194304"), kConditionFalse);
  EXPECT_EQ(If("memory < 4194304"), kConditionTrue);

  EXPECT_EQ(If("memory 8192"), kConditionError);
  EXPECT_EQ(If("memory >"), kConditionError);
}

// ---- display -----------------------------------------------------------------

TEST_F(ConditionTest, DisplayColoursAndResolution) {
  machine.display = {8, 1, 800, 600};  // 256 colours
  EXPECT_EQ(If("videocolor < 256"), kConditionTrue);
  EXPECT_EQ(If("videocolor > 256"), kConditionTrue);
  EXPECT_EQ(If("videocolor < 16"), kConditionFalse);
  EXPECT_EQ(If("videoresolution < 800 600"), kConditionFalse);
  EXPECT_EQ(If("videoresolution > 800 600"), kConditionTrue);
  machine.display = {8, 1, 640, 600};
  EXPECT_EQ(If("videoresolution < 800 600"), kConditionTrue);
  EXPECT_EQ(If("video < 256 800 600"), kConditionFalse);
  EXPECT_EQ(If("video < 256 800 601"), kConditionTrue);
}

TEST_F(ConditionTest, VideoTakesItsKindFromTheCountOfNumbers) {
  const DisplayFacts displays[] = {{4, 1, 640, 480}, {8, 1, 800, 600}, {16, 1, 1024, 768}};
  for (const DisplayFacts& d : displays) {
    machine.display = d;
    EXPECT_EQ(If("video >256"), If("videocolor > 256"));
    EXPECT_EQ(If("video > 256"), If("videocolor > 256"));
    EXPECT_EQ(If("video <256"), If("videocolor < 256"));
    EXPECT_EQ(If("video > 800 600"), If("videoresolution > 800 600"));
    EXPECT_EQ(If("video <800 600"), If("videoresolution < 800 600"));
  }
}

TEST_F(ConditionTest, DisplayOperatorAndNumberErrors) {
  EXPECT_EQ(If("videocolor = 256"), kConditionError);
  EXPECT_EQ(If("videocolor <= 256"), kConditionError);
  EXPECT_EQ(If("videoresolution >= 800 600"), kConditionError);
  EXPECT_EQ(If("video >"), kConditionError);
  EXPECT_EQ(If("video"), kConditionError);
  // videocolor and videoresolution want the operator apart from the numbers.
  EXPECT_EQ(If("videocolor <256"), kConditionError);
  EXPECT_EQ(If("videoresolution < 800"), kConditionError);
}

TEST_F(ConditionTest, DeepDisplaysDoNotOverflowTheColourCount) {
  machine.display = {32, 1, 1920, 1080};  // 2^32 colours
  EXPECT_EQ(If("videocolor > 16777216"), kConditionTrue);
  EXPECT_EQ(If("videocolor < 2147483647"), kConditionFalse);
  EXPECT_EQ(If("video > 65536 1024 768"), kConditionTrue);
  machine.display = {32, 4, 1920, 1080};  // 2^128: saturates
  EXPECT_EQ(If("videocolor > 2147483647"), kConditionTrue);
  machine.display = {0, 0, 640, 480};  // nothing known: one colour
  EXPECT_EQ(If("videocolor < 2"), kConditionTrue);

  EXPECT_EQ(CompareDisplay(">", 0xFFFFFFFFu, 0, 0, 1, uint64_t(1) << 32, 0, 0), 1);
  EXPECT_EQ(CompareDisplay("<", 256, 800, 600, 3, 256, 640, 599), 1);
  EXPECT_EQ(CompareDisplay("<", 256, 800, 600, 3, 256, 640, 600), 0);
  EXPECT_EQ(CompareDisplay("", 256, 0, 0, 1, 256, 0, 0), -1);
  EXPECT_EQ(CompareDisplay("=", 256, 0, 0, 1, 256, 0, 0), -1);
}

// ---- isfile ------------------------------------------------------------------

TEST_F(ConditionTest, IsFileWithWildcardsAndVariables) {
  EXPECT_EQ(If("isfile \"$WINDIR$\\*.ini\""), kConditionFalse);
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\n");
  EXPECT_EQ(If("isfile \"$WINDIR$\\*.ini\""), kConditionTrue);
  EXPECT_EQ(If("isfile \"$windir$\\win.ini\""), kConditionTrue);
  EXPECT_EQ(If("isfile C:\\WINDOWS\\WIN.INI"), kConditionTrue);
  EXPECT_EQ(If("(isfile \"C:\\WINDOWS\\SYSTEM.INI\")"), kConditionFalse);
  // A directory matches too, with or without a trailing backslash.
  EXPECT_EQ(If("isfile \"C:\\WINDOWS\""), kConditionTrue);
  EXPECT_EQ(If("isfile \"C:\\WINDOWS\\\""), kConditionTrue);
  EXPECT_EQ(If("isfile \"C:\\\""), kConditionTrue);
}

TEST_F(ConditionTest, IsFileWithoutAFileNamePart) {
  files.AddFile("C:\\SETUP\\.cfg", "");
  EXPECT_EQ(PathExists(files, state.variables, "C:"), 0);
  EXPECT_EQ(PathExists(files, state.variables, "C:\\SETUP\\.cfg"), 0);
  EXPECT_EQ(PathExists(files, state.variables, ""), 0);
  EXPECT_EQ(If("isfile"), kConditionFalse);
}

TEST_F(ConditionTest, IsFileOfAMissingDirectoryKeepsTheCurrentDirectory) {
  EXPECT_EQ(If("isfile \"C:\\NODIR\\\""), kConditionFalse);
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(If("isfile \"C:\\WINDOWS\\\""), kConditionTrue);
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
}

// ---- ocxfilever --------------------------------------------------------------

TEST_F(ConditionTest, OcxFileVersionBuildsTheKeyWithBraces) {
  const char* key = "CLSID\\{00000000-0000-0000-C000-000000000046}\\INPROCSERVER32";
  machine.classesRootValues[key] = "C:\\WINDOWS\\SYSTEM\\OLE32.DLL";
  machine.fileVersions["C:\\WINDOWS\\SYSTEM\\OLE32.DLL"] = "4.71.1120";
  EXPECT_EQ(If("ocxfilever \"00000000-0000-0000-C000-000000000046\" 32 >= \"4.71\""), kConditionTrue);
  EXPECT_EQ(If("ocxfilever \"{00000000-0000-0000-C000-000000000046}\" 32 = \"4.71.1120\""), kConditionTrue);
  EXPECT_EQ(If("ocxfilever \"{00000000-0000-0000-C000-000000000046\" 32 < \"4.8\""), kConditionTrue);
  // 16 reads the key without "32", which is missing here.
  EXPECT_EQ(If("ocxfilever \"00000000-0000-0000-C000-000000000046\" 16 = \"0.0.0.0\""), kConditionTrue);
  machine.classesRootValues["CLSID\\{1}\\INPROCSERVER"] = "C:\\OLD.DLL";
  machine.fileVersions["C:\\OLD.DLL"] = "2.0";
  EXPECT_EQ(If("ocxfilever \"1\" 16 = \"2.0\""), kConditionTrue);
}

TEST_F(ConditionTest, OcxFileVersionFallsBackToZeroAndComparesAsText) {
  EXPECT_EQ(If("ocxfilever \"{ABC}\" 32 = \"0.0.0.0\""), kConditionTrue);
  EXPECT_EQ(If("ocxfilever \"{ABC}\" 32 >= \"4.71\""), kConditionFalse);
  // A registered server without a version resource compares as 0.0.0.0 too.
  machine.classesRootValues["CLSID\\{ABC}\\INPROCSERVER32"] = "C:\\NOVER.DLL";
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 < \"1\""), kConditionTrue);
  // Textual: "10.0" orders below "9.0".
  machine.fileVersions["C:\\NOVER.DLL"] = "10.0";
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 < \"9.0\""), kConditionTrue);
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 <> \"10.0\""), kConditionFalse);
}

TEST_F(ConditionTest, OcxFileVersionSyntaxErrors) {
  EXPECT_EQ(If("ocxfilever \"\" 32 = \"1\""), kConditionError);
  EXPECT_EQ(If("ocxfilever ABC 32 = \"1\""), kConditionError);
  EXPECT_EQ(If("ocxfilever \"ABC\" 64 = \"1\""), kConditionError);
  EXPECT_EQ(If("ocxfilever \"ABC\" 032 = \"1\""), kConditionError);
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 \"1\""), kConditionError);
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 = \"\""), kConditionError);
  EXPECT_EQ(If("ocxfilever \"ABC\" 32 = 1"), kConditionError);
}

// ---- search ------------------------------------------------------------------

class ConditionSearchTest : public ConditionTest {
 protected:
  ConditionSearchTest() {
    files.AddFile("C:\\WINDOWS\\SYSTEM.INI",
                  "[boot]\r\n"                 // 1
                  "device=boot.drv\r\n"        // 2
                  "[386Enh]\r\n"               // 3
                  ";device=commented.386\r\n"  // 4
                  "DEVICE=*vmm ; Core\r\n"     // 5
                  "[next]\r\n"                 // 6
                  "device=late.386\r\n");      // 7
  }
  void ExpectResults(const char* left, const char* right, const char* line) {
    EXPECT_EQ(state.variables.left, left);
    EXPECT_EQ(state.variables.right, right);
    EXPECT_EQ(state.variables.search, line);
  }
};

TEST_F(ConditionSearchTest, SectionMarkersSkipPrefixAndLineCount) {
  EXPECT_EQ(If("search \"device=\" \"$WINDIR$\\system.ini\" \";\" Begin=\"[386Enh]\" End=\"[\""), kConditionTrue);
  ExpectResults("", "*vmm ; Core", "5");
  EXPECT_EQ(If("search \"vmm\" \"$WINDIR$\\system.ini\" \";\" begin = \"[386Enh]\""), kConditionTrue);
  ExpectResults("DEVICE=*", " ; Core", "5");
  // Without markers the first line of the file matches.
  EXPECT_EQ(If("search \"DEVICE=\" C:\\WINDOWS\\SYSTEM.INI"), kConditionTrue);
  ExpectResults("", "boot.drv", "2");
}

TEST_F(ConditionSearchTest, MarkersAreCaseSensitiveTheTextIsNot) {
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\SYSTEM.INI", "CoRe", "", "", ""), 1);
  ExpectResults("DEVICE=*vmm ; ", "", "5");
  state.variables.search = "untouched";
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\SYSTEM.INI", "device=", "", "[386enh]", ""), 0);
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\SYSTEM.INI", "late", "", "[386Enh]", "[NEXT]"), 1);
  ExpectResults("device=", ".386", "7");
}

TEST_F(ConditionSearchTest, EndMarkerStopsAndFailuresKeepThePreviousResults) {
  state.variables.left = "keep-l";
  state.variables.right = "keep-r";
  state.variables.search = "9";
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\SYSTEM.INI", "late", "", "[386Enh]", "["), 0);
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\SYSTEM.INI", "absent", "", "", ""), 0);
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\WINDOWS\\MISSING.INI", "device", "", "", ""), 0);
  ExpectResults("keep-l", "keep-r", "9");
}

TEST_F(ConditionSearchTest, TextIsExpandedAndLongLinesCountInParts) {
  files.AddFile("C:\\LONG.TXT", std::string(1500, 'x') + "\n" + "path=D:\\APP\\BIN\n");
  state.variables.defaultDir = "D:\\APP";
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\LONG.TXT", "$DEFAULTDIR$\\", "", "", ""), 1);
  ExpectResults("path=", "BIN", "3");
  // A line split into parts: the match lies in the second part.
  files.AddFile("C:\\SPLIT.TXT", std::string(997, 'a') + "needle\n");
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\SPLIT.TXT", "needle", "", "", ""), 1);
  ExpectResults("", "", "2");
}

TEST_F(ConditionSearchTest, TextModeReading) {
  // Ctrl-Z ends a text file; a lone CR stays in the line.
  files.AddFile("C:\\EOF.TXT", "one\r\ntwo\rthree\n\x1A" "four\n");
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\EOF.TXT", "two", "", "", ""), 1);
  ExpectResults("", "\rthree", "2");
  EXPECT_EQ(SearchTextFile(files, state.variables, "C:\\EOF.TXT", "four", "", "", ""), 0);
}

TEST_F(ConditionSearchTest, SyntaxErrors) {
  EXPECT_EQ(If("search"), kConditionError);
  EXPECT_EQ(If("search ()"), kConditionError);
  EXPECT_EQ(If("search \"device=\""), kConditionError);
  EXPECT_EQ(If("search device C:\\WINDOWS\\SYSTEM.INI"), kConditionError);
}

// ---- locate ------------------------------------------------------------------

class ConditionLocateTest : public ConditionTest {
 protected:
  ConditionLocateTest() {
    files.AddDrive('A', DriveType::kRemovable);
    files.AddDrive('D', DriveType::kFixed);
    files.AddDrive('E', DriveType::kRemote);
    files.AddDrive('F', DriveType::kCdRom);
    state.variables.sourceDir = "d:\\SETUP";
    files.AddDirectory("D:\\SETUP");
    files.AddDirectory("E:\\Net\\Bin");
  }
};

TEST_F(ConditionLocateTest, SkipsTheSourceDriveAndVisitsDrivesInOrder) {
  files.AddFile("A:\\WIN.COM", "");
  files.AddFile("D:\\SETUP\\WIN.COM", "");
  files.AddFile("E:\\Net\\Bin\\WIN.COM", "");
  files.AddFile("F:\\WIN.COM", "");
  EXPECT_EQ(If("locate \"win.com\""), kConditionTrue);
  EXPECT_EQ(state.variables.locateDir, "E:\\Net\\Bin");
  EXPECT_EQ(state.variables.locateDrive, "E");
  EXPECT_EQ(ui.log.back(), "banner:Checking system, please wait...");

  files.AddFile("C:\\WINDOWS\\WIN.COM", "");
  EXPECT_EQ(If("locate win.com"), kConditionTrue);
  EXPECT_EQ(state.variables.locateDir, "C:\\WINDOWS");
  // A later line sees the result at the start of a token.
  EXPECT_EQ(If("$LOCATEDIR$ = \"c:\\windows\""), kConditionTrue);
}

TEST_F(ConditionLocateTest, DriveSelectors) {
  files.AddFile("D:\\SETUP\\WIN.COM", "");
  files.AddFile("E:\\Net\\Bin\\WIN.COM", "");
  EXPECT_EQ(If("locate \"win.com\" local"), kConditionFalse);
  EXPECT_EQ(state.variables.locateDir, "C:\\NEWFILES");
  EXPECT_EQ(If("locate \"win.com\" NETWORK"), kConditionTrue);
  EXPECT_EQ(state.variables.locateDir, "E:\\Net\\Bin");
  // A named drive is searched even when it holds the source.
  EXPECT_EQ(If("locate \"win.com\" d"), kConditionTrue);
  EXPECT_EQ(state.variables.locateDir, "D:\\SETUP");
  // The selector may come from a variable.
  EXPECT_EQ(If("locate \"win.com\" $LOCATEDRIVE$"), kConditionTrue);
  EXPECT_EQ(If("locate \"win.com\" C"), kConditionFalse);
  EXPECT_EQ(If("locate \"win.com\" Z"), kConditionFalse);
}

TEST_F(ConditionLocateTest, DepthFirstAndRootResults) {
  files.AddFile("C:\\A\\DEEP\\TARGET.DLL", "");
  files.AddFile("C:\\B\\TARGET.DLL", "");
  EXPECT_EQ(LocateFile(files, state.variables, "target.dll", 3), 1);
  EXPECT_EQ(state.variables.locateDir, "C:\\A\\DEEP");
  files.AddFile("C:\\TARGET.DLL", "");
  EXPECT_EQ(LocateFile(files, state.variables, "TARGET.*", 0), 1);
  EXPECT_EQ(state.variables.locateDir, "C:\\");
  EXPECT_EQ(state.variables.locateDrive, "C");
}

TEST_F(ConditionLocateTest, RestoresTheCurrentDirectory) {
  files.AddFile("C:\\A\\DEEP\\TARGET.DLL", "");
  EXPECT_EQ(LocateFile(files, state.variables, "TARGET.DLL", -1), 1);
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(LocateFile(files, state.variables, "NOWHERE.DLL", 0), 0);
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(LocateFile(files, state.variables, "NOWHERE.DLL", 7), 0);  // G: does not exist
  EXPECT_EQ(files.GetCurrentDirectory(), "C:\\SETUP");
  EXPECT_EQ(state.variables.locateDir, "C:\\A\\DEEP");
}

TEST_F(ConditionLocateTest, SyntaxErrors) {
  EXPECT_EQ(If("locate \"win.com\" fixed"), kConditionError);
  EXPECT_EQ(If("locate \"win.com\" 1"), kConditionError);
  EXPECT_EQ(If("locate"), kConditionError);
}

// ---- deferred blocks (first pass) -------------------------------------------

TEST_F(ConditionTest, ChoiceTestsCaptureTheBlock) {
  VectorLineSource source({"  FILE \"a.exe\"\r", "Rem IF inside", "\tEndIf: done", "FILE \"after\""}, 5);
  EXPECT_EQ(If("GROUP=11 12", &source), kConditionStored);
  ASSERT_EQ(state.model->deferredBlocks.size(), 1u);
  EXPECT_EQ(state.model->deferredBlockCount, 1);
  EXPECT_EQ(state.parser.deferredState, 1);
  const DeferredBlock& block = state.model->deferredBlocks[0];
  EXPECT_EQ(block.lines, (std::vector<std::string>{"IF GROUP=11 12", "  FILE \"a.exe\"", "Rem IF inside",
                                                    "\tEndIf: done"}));
  EXPECT_EQ(block.firstLineNumber, 1);
  EXPECT_EQ(block.lastLineNumber, 7);
  EXPECT_EQ(state.model->lineNumber, 7);
  EXPECT_EQ(source.consumed(), 3u);

  // $ASKn tests are captured too; the rest of the line is not checked now.
  VectorLineSource second({"ENDIFX", "endif"}, 9);
  EXPECT_EQ(If("$ask9 ?? garbage", &second), kConditionStored);
  EXPECT_EQ(state.model->deferredBlockCount, 2);
  EXPECT_EQ(state.model->deferredBlocks[1].lines.size(), 3u);
}

TEST_F(ConditionTest, DeferredBlockEndsAtTheEndOfTheSource) {
  VectorLineSource source({"FILE \"a\""}, 2);
  EXPECT_EQ(If("GROUP 3", &source), kConditionStored);
  EXPECT_EQ(state.model->deferredBlocks[0].lines.size(), 2u);
  EXPECT_EQ(state.model->deferredBlocks[0].lastLineNumber, 2);
}

TEST_F(ConditionTest, DeferredBlockHoldsAtMostSixtyLines) {
  std::vector<std::string> lines(58, "REM body");
  lines.push_back("ENDIF");
  VectorLineSource fits(lines, 2);
  EXPECT_EQ(If("GROUP=1", &fits), kConditionStored);
  EXPECT_EQ(state.model->deferredBlocks[0].lines.size(), DeferredBlock::kMaxLines);

  lines.insert(lines.begin(), "REM one more");
  VectorLineSource tooLong(lines, 100);
  EXPECT_EQ(If("GROUP=1", &tooLong), kConditionError);
  EXPECT_EQ(state.model->lineNumber, 100 + 59);  // the 61st line was read and counted
  EXPECT_EQ(state.model->deferredBlocks.size(), 1u);
  EXPECT_EQ(state.model->deferredBlockCount, 1);
}

// ---- choice tests (second pass) ----------------------------------------------

class ConditionChoiceTest : public ConditionTest {
 protected:
  ConditionChoiceTest() {
    state.settings.itemNumberMap[11] = 0;
    state.settings.itemNumberMap[12] = 1;
    state.settings.itemNumberMap[5] = 2;
  }
};

TEST_F(ConditionChoiceTest, GroupTestsTheChosenItems) {
  EXPECT_EQ(Replay("GROUP=11 12"), kConditionFalse);
  state.settings.itemChosen[1] = 1;
  EXPECT_EQ(Replay("GROUP=11 12"), kConditionTrue);
  EXPECT_EQ(Replay("group = 11, 12"), kConditionTrue);
  EXPECT_EQ(Replay("GROUP=11"), kConditionFalse);
  EXPECT_EQ(Replay("GROUP=40 12"), kConditionTrue);  // an undefined number is not chosen
  state.settings.itemChosen[2] = 1;
  EXPECT_EQ(Replay("GROUP=05"), kConditionTrue);
  EXPECT_EQ(Replay("GROUP="), kConditionFalse);
}

TEST_F(ConditionChoiceTest, GroupSyntaxErrors) {
  EXPECT_EQ(Replay("GROUP 11"), kConditionError);
  EXPECT_EQ(Replay("GROUP=123"), kConditionError);
  EXPECT_EQ(Replay("GROUP=11 x1"), kConditionError);
  EXPECT_EQ(Replay("GROUP==11"), kConditionError);
  EXPECT_EQ(Replay("isfile \"C:\\WINDOWS\""), kConditionError);
  EXPECT_EQ(Replay(""), kConditionError);
}

TEST_F(ConditionChoiceTest, AnswerComparisons) {
  state.variables.ask[0] = "YES";
  EXPECT_EQ(Replay("$ASK1 = \"yes\""), kConditionFalse);
  EXPECT_EQ(Replay("$ASK1 == \"YES\""), kConditionTrue);
  EXPECT_EQ(Replay("$ASK1 <> \"yes\""), kConditionTrue);
  EXPECT_EQ(Replay("$ASK1 >= \"yes\""), kConditionTrue);
  EXPECT_EQ(Replay("$ASK1 <= \"yes\""), kConditionTrue);
  EXPECT_EQ(Replay("$ask1$ > \"yes\""), kConditionFalse);
  EXPECT_EQ(Replay("$ASK1 < \"z\""), kConditionTrue);
  state.variables.ask[4] = "";
  EXPECT_EQ(Replay("$ASK5 = \"\""), kConditionTrue);
}

TEST_F(ConditionChoiceTest, AnswerAgainstSearchResults) {
  state.variables.left = "C:\\OLD";
  state.variables.right = "App";
  state.variables.ask[1] = "C:\\OLD\\App";
  EXPECT_EQ(Replay("$ASK2 = \"$left$\\$RIGHT$\""), kConditionTrue);
}

TEST_F(ConditionChoiceTest, AnswerRanges) {
  state.variables.ask[2] = "5.5";
  EXPECT_EQ(Replay("$ASK3 = range 1 10"), kConditionTrue);
  EXPECT_EQ(Replay("$ASK3 > RANGE 5.5 5.5"), kConditionTrue);
  EXPECT_EQ(Replay("$ASK3 = range 6 10"), kConditionFalse);
  EXPECT_EQ(Replay("$ASK3 = range 1"), kConditionError);
  EXPECT_EQ(Replay("$ASK3 = yes"), kConditionError);
}

TEST_F(ConditionChoiceTest, AnswerSyntaxErrors) {
  EXPECT_EQ(Replay("$ASK6 = \"x\""), kConditionError);
  EXPECT_EQ(Replay("$ASK = \"x\""), kConditionError);
  EXPECT_EQ(Replay("$ASK1 \"x\""), kConditionError);
  EXPECT_EQ(Replay("$ASK1 => \"x\""), kConditionError);
}

}  // namespace
}  // namespace quorril
