// quorril-pack check: its arguments, the machine it checks on, its output
// lines and exit codes, and the example scripts of examples/scripts.
#include "check_machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quorril::pack {
namespace {

CheckPackage PackageOf(const std::string& script, std::vector<CheckFile> more = {}) {
  CheckPackage package;
  package.scriptName = "SETUP.CFG";
  package.files.push_back(CheckFile{"SETUP.CFG", script, ""});
  for (CheckFile& file : more) package.files.push_back(std::move(file));
  return package;
}

CheckResult Check(const std::string& script, std::vector<std::string> options = {}, std::vector<CheckFile> more = {}) {
  CheckRequest request;
  std::string error;
  options.push_back("pkg/setup.cfg");
  EXPECT_TRUE(ParseCheckArguments(options, &request, &error)) << error;
  return RunScriptCheck(request, PackageOf(script, std::move(more)));
}

// ---- arguments ---------------------------------------------------------------------

TEST(CheckArguments, DefaultsAndEveryOption) {
  CheckRequest request;
  std::string error;
  ASSERT_TRUE(ParseCheckArguments({"setup.cfg"}, &request, &error));
  EXPECT_EQ(request.script, "setup.cfg");
  EXPECT_EQ(request.winMajor, 4);
  EXPECT_EQ(request.winMinor, 0);
  EXPECT_EQ(request.dosMajor, 7);
  EXPECT_EQ(request.memoryKb, 16384u);
  EXPECT_EQ(request.bitsPerPixel, 8);
  EXPECT_EQ(request.width, 800);
  EXPECT_EQ(request.height, 600);

  CheckRequest all;
  ASSERT_TRUE(ParseCheckArguments({"--winver", "3.95", "--dosver", "6.22", "--memory", "4096", "--colors", "65536",
                                   "--screen", "1024x768", "--file", "C:\\WINDOWS\\WIN.INI", "--file", "D:\\X\\Y.DAT",
                                   "--option", "quiet", "--option", "b", "--", "--odd name.cfg"},
                                  &all, &error))
      << error;
  EXPECT_EQ(all.winMajor, 3);
  EXPECT_EQ(all.winMinor, 95);
  EXPECT_EQ(all.dosMajor, 6);
  EXPECT_EQ(all.dosMinor, 22);
  EXPECT_EQ(all.memoryKb, 4096u);
  EXPECT_EQ(all.bitsPerPixel, 16);
  EXPECT_EQ(all.width, 1024);
  EXPECT_EQ(all.height, 768);
  EXPECT_EQ(all.files.size(), 2u);
  EXPECT_EQ(all.options, (std::vector<std::string>{"quiet", "b"}));
  EXPECT_EQ(all.script, "--odd name.cfg");
}

TEST(CheckArguments, WrongUsageIsRefusedWithAReason) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"a.cfg", "b.cfg"},
      {"--winver", "four", "a.cfg"},
      {"--winver", "4.256", "a.cfg"},
      {"--colors", "100", "a.cfg"},
      {"--colors", "1", "a.cfg"},
      {"--screen", "800", "a.cfg"},
      {"--memory", "-1", "a.cfg"},
      {"--file", "WIN.INI", "a.cfg"},
      {"--file", "C:\\WINDOWS\\", "a.cfg"},
      {"--option", "a", "--option", "b", "--option", "c", "--option", "d", "a.cfg"},
      {"--verbose", "a.cfg"},
      {"a.cfg", "--memory"},
  };
  for (const auto& args : wrong) {
    CheckRequest request;
    std::string error;
    EXPECT_FALSE(ParseCheckArguments(args, &request, &error)) << ::testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
  }
}

// ---- output lines and exit codes -----------------------------------------------------

TEST(CheckOutput, SyntaxErrorIsOneCompilerStyleLine) {
  CheckResult result = Check("TITLE \"x\"\r\nREM\r\nFILE \"$SOURCEDIR$\\a.exe\" COMPRESS\r\nFILE b.exe\r\n");
  EXPECT_EQ(result.exitCode, kCheckSyntaxError);
  EXPECT_EQ(result.output, "pkg/setup.cfg:3: Syntax error, line: 3: FILE \"C:\\SETUP\\a.exe\" COMPRESS\n");

  result = Check("IF winver < 3\nTITLE \"x\"\n");
  EXPECT_EQ(result.exitCode, kCheckSyntaxError);
  EXPECT_EQ(result.output, "pkg/setup.cfg:2: Syntax error, line: 2: \n");
}

TEST(CheckOutput, UnreadableScriptGivesTheEnginesText) {
  CheckRequest request;
  request.script = "missing/setup.cfg";
  CheckPackage package;
  package.scriptReadable = false;
  CheckResult result = RunScriptCheck(request, package);
  EXPECT_EQ(result.exitCode, kCheckUnreadable);
  EXPECT_EQ(result.output, "File not found on the installation disk: missing/setup.cfg. \n");
}

TEST(CheckOutput, SuccessPrintsASummary) {
  CheckResult result = Check(
      "TITLE \"Demo\"\nDEFAULTDIR \"C:\\DEMO\" NOASKDRIVE\nASK2 \"x\" prompt=\"y\"\nBEGINGROUP\n10 [X] A\n11 [ ] B\n"
      "ENDGROUP\nBEGINGROUP 11\n20 [X] C\nENDGROUP\nFILE a.exe COMPRESSED GROUP=10\nINSERTDISK \"Disk 2\"\n"
      "FILE b.exe\nPOPMESSAGE 1\nx\nENDPOP\nIF GROUP=10\nFILE c.exe\nENDIF\nBEGINREGISTRY\n"
      "KEY NEW \"HKEY_CURRENT_USER\\Software\\Demo\"\nENDREGISTRY\nAUTOEXEC ADDPATH\n");
  EXPECT_EQ(result.exitCode, kCheckOk);
  EXPECT_EQ(result.output,
            "pkg/setup.cfg: OK\n"
            "  title: \"Demo\"\n"
            "  destination: C:\\DEMO (asks the directory)\n"
            "  files: 3 (1 compressed), 1 disk\n"
            "  choices: 3 items (2 preset), main group and 1 conditional group\n"
            "  questions: ASK2\n"
            "  screens: none\n"
            "  pop-ups: 1\n"
            "  system changes: 1 registry block, 0 INI entries, 0 ADDTEXT lines, 0 program items, 0 components, "
            "AUTOEXEC.BAT\n"
            "  AUTOEXEC.BAT: PATH gets C:\\DEMO\n"
            "  registry: NEW HKEY_CURRENT_USER\\Software\\Demo, 0 values\n"
            "  deferred blocks: 1 (replayed with the preset choices and the default answers)\n");
}

TEST(CheckOutput, TheSummaryNamesEveryChangeToStartupIniAndTextFiles) {
  CheckResult result = Check(
      "DEFAULTDIR \"C:\\APP\" NOASKDRIVE NOASKDIR\nAUTOEXEC: ADDPATH=\"D:\\BIN\" ADDPATH SHARE=\"/F:4096\" ASK\n"
      "AUTOEXEC: ADD=\"SET APP=$DEFAULTDIR$\"\nCONFIG: FILEMIN=40 ADD=\"DEVICE=X.SYS\"\n"
      "INIFILE: \"windows\", \"load\", \"app.exe\", \"WIN.INI\" ADD ASK\nINIFILE: \"S\", \"Dir\", \"$DEFAULTDIR$\", APP.INI\n"
      "ADDTEXT: \"rem x\", \"C:\\AUTOEXEC.BAT\", \"-1\"\nADDTEXT: \"new\", A.TXT, \"old*\" REPLACE\n");
  ASSERT_EQ(result.exitCode, kCheckOk) << result.output;
  size_t from = result.output.find("  AUTOEXEC.BAT: ");
  size_t to = result.output.find("  deferred blocks");
  ASSERT_NE(from, std::string::npos) << result.output;
  EXPECT_EQ(result.output.substr(from, to - from),
            "  AUTOEXEC.BAT: PATH gets D:\\BIN C:\\APP (asks first)\n"
            "  AUTOEXEC.BAT: SHARE /F:4096 (asks first)\n"
            "  AUTOEXEC.BAT: adds \"SET APP=C:\\APP\" (asks first)\n"
            "  CONFIG.SYS: FILES at least 40\n"
            "  CONFIG.SYS: adds \"DEVICE=X.SYS\"\n"
            "  INIFILE: WIN.INI [windows] load adds \"app.exe\" (asks first)\n"
            "  INIFILE: APP.INI [S] Dir = \"C:\\APP\"\n"
            "  ADDTEXT: C:\\AUTOEXEC.BAT, line -1: inserts \"rem x\"\n"
            "  ADDTEXT: A.TXT, the line \"old*\": replaced by \"new\"\n");
}

TEST(CheckOutput, TheSummaryNamesRegistryKeysProgramItemsAndComponents) {
  CheckResult result = Check(
      "DEFAULTDIR \"C:\\APP\" NOASKDRIVE NOASKDIR\nREGSERVER: \"CTL.OCX\"\nBEGINREGISTRY\n"
      "KEY NEW \"HKEY_CURRENT_USER\\Software\\App\"\nVALUE STRING NEW \"Dir\" \"$DEFAULTDIR$\"\nENDREGISTRY\n"
      "WINITEM: \"Tools\", \"$DEFAULTDIR$\\APP.EXE\", \"App\"\nWINITEM: \"Old\", remove\n");
  ASSERT_EQ(result.exitCode, kCheckOk) << result.output;
  size_t from = result.output.find("  REGSERVER: ");
  size_t to = result.output.find("  deferred blocks");
  ASSERT_NE(from, std::string::npos) << result.output;
  EXPECT_EQ(result.output.substr(from, to - from),
            "  REGSERVER: CTL.OCX\n"
            "  registry: NEW HKEY_CURRENT_USER\\Software\\App, 1 value\n"
            "  program item: \"Tools\" \"App\" starts C:\\APP\\APP.EXE\n"
            "  program item: \"Old\" removed\n");
}

TEST(CheckOutput, SecondPassUsesThePresetChoicesAndTheDefaultAnswers) {
  // Item 10 is preset, so its block is read and its error found.
  CheckResult result = Check("BEGINGROUP\n10 [X] A\n11 [ ] B\nENDGROUP\nIF GROUP=11\nFILE x WRONG\nENDIF\n"
                             "IF GROUP=10\nFILE y WRONG\nENDIF\n");
  EXPECT_EQ(result.exitCode, kCheckSyntaxError);
  EXPECT_EQ(result.output, "pkg/setup.cfg:9: Syntax error, line: 9: FILE y WRONG\n");

  result = Check("ASK1 \"no\" prompt=\"?\"\nIF $ASK1 = \"yes\"\nFILE x WRONG\nELSE\nFILE y WRONG\nENDIF\n");
  EXPECT_EQ(result.output, "pkg/setup.cfg:5: Syntax error, line: 5: FILE y WRONG\n");
}

// ---- the machine -------------------------------------------------------------------------

TEST(CheckMachine, FactsFollowTheOptions) {
  const std::string script =
      "IF winver < 4.0\nFILE a WRONG\nENDIF\nIF dosver > 6.5\nFILE b WRONG\nENDIF\n"
      "IF memory < 8192\nFILE c WRONG\nENDIF\nIF videocolor > 65536\nFILE d WRONG\nENDIF\n"
      "IF videoresolution > 1024 768\nFILE e WRONG\nENDIF\nIF isfile \"D:\\DATA\\X.DAT\"\nFILE f WRONG\nENDIF\n"
      "IF $SYSTEM$ = \"quiet\"\nFILE g WRONG\nENDIF\n";
  EXPECT_EQ(Check(script).exitCode, kCheckSyntaxError);  // dosver 7.0 > 6.5 on the default machine
  EXPECT_EQ(Check(script).output, "pkg/setup.cfg:5: Syntax error, line: 5: FILE b WRONG\n");
  std::vector<std::string> quiet = {"--dosver", "6.22"};
  EXPECT_EQ(Check(script, quiet).exitCode, kCheckOk);
  auto expectLine = [&](std::vector<std::string> options, int line) {
    options.insert(options.begin(), quiet.begin(), quiet.end());
    CheckResult result = Check(script, options);
    EXPECT_EQ(result.exitCode, kCheckSyntaxError) << ::testing::PrintToString(options);
    std::string prefix = "pkg/setup.cfg:" + std::to_string(line) + ": Syntax error";
    EXPECT_EQ(result.output.compare(0, prefix.size(), prefix), 0)
        << ::testing::PrintToString(options) << result.output;
  };
  expectLine({"--winver", "3.95"}, 2);
  expectLine({"--memory", "4096"}, 8);
  expectLine({"--colors", "16777216"}, 11);
  expectLine({"--screen", "1280x1024"}, 14);
  expectLine({"--file", "D:\\DATA\\X.DAT"}, 17);
  expectLine({"--option", "quiet"}, 20);
}

TEST(CheckMachine, TheScriptsFolderIsTheSourceDirectory) {
  const std::string script = "IF isfile \"$SOURCEDIR$\\DISK2\\DATA.CAB\"\nFILE a WRONG\nENDIF\n"
                             "IF search \"version=2\" \"$SOURCEDIR$\\info.txt\"\nFILE b WRONG\nENDIF\n";
  EXPECT_EQ(Check(script).exitCode, kCheckOk);
  CheckResult result = Check(script, {}, {CheckFile{"DISK2\\DATA.CAB", "", ""}});
  EXPECT_EQ(result.output, "pkg/setup.cfg:2: Syntax error, line: 2: FILE a WRONG\n");
  result = Check(script, {}, {CheckFile{"info.txt", "name=x\nversion=2\n", ""}});
  EXPECT_EQ(result.output, "pkg/setup.cfg:5: Syntax error, line: 5: FILE b WRONG\n");
}

TEST(CheckMachine, ExitMessageIsANoteNotAnError) {
  CheckResult result = Check("IF winver < 4.0\nEXITMESSAGE\nNeeds Windows 95.\nEXIT\nENDIF\nTITLE \"x\"\n",
                             {"--winver", "3.10"});
  EXPECT_EQ(result.exitCode, kCheckOk);
  EXPECT_EQ(result.output.substr(0, result.output.find('\n')),
            "pkg/setup.cfg:2: note: EXITMESSAGE ends the installation on this machine; the lines after it were not "
            "read");
}

// ---- the example scripts ------------------------------------------------------------------

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Every example passes the check, except the bad-*.cfg scripts, whose second
// line "REM expect: N" (or "REM expect: N at the end") names the line
// reported.
TEST(CheckExamples, GoodScriptsPassAndBadScriptsFailWhereTheySay) {
  fs::path folder = fs::path(QUORRIL_SOURCE_DIR) / "examples" / "scripts";
  ASSERT_TRUE(fs::is_directory(folder));
  std::vector<CheckFile> folderFiles;
  std::vector<fs::path> scripts;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    folderFiles.push_back(CheckFile{entry.path().filename().string(), ReadFile(entry.path()), ""});
    if (entry.path().extension() == ".cfg") scripts.push_back(entry.path());
  }
  ASSERT_GE(scripts.size(), 6u);
  int good = 0, bad = 0;
  for (const fs::path& path : scripts) {
    std::string name = path.filename().string();
    SCOPED_TRACE(name);
    CheckRequest request;
    request.script = "examples/scripts/" + name;
    CheckPackage package;
    package.scriptName = name;
    package.files = folderFiles;
    CheckResult result = RunScriptCheck(request, package);
    if (name.compare(0, 4, "bad-") != 0) {
      ++good;
      EXPECT_EQ(result.exitCode, kCheckOk) << result.output;
      EXPECT_EQ(result.output.substr(0, result.output.find('\n')), request.script + ": OK");
      continue;
    }
    ++bad;
    std::vector<std::string> lines = Lines(ReadFile(path));
    ASSERT_GE(lines.size(), 2u);
    ASSERT_EQ(lines[1].compare(0, 12, "REM expect: "), 0);
    int line = std::stoi(lines[1].substr(12));
    bool atEnd = lines[1].find("at the end") != std::string::npos;
    ASSERT_LE(size_t(line), lines.size());
    std::string text = atEnd ? "" : lines[size_t(line) - 1];
    EXPECT_EQ(result.exitCode, kCheckSyntaxError);
    std::string n = std::to_string(line);
    EXPECT_EQ(result.output, request.script + ":" + n + ": Syntax error, line: " + n + ": " + text + "\n");
  }
  EXPECT_GE(good, 3);
  EXPECT_GE(bad, 8);
}

// ---- warnings ----------------------------------------------------------------------

// What the engine reads without an error but not as meant: one warning line
// each, counted in the summary, exit 0 (1 with --strict); line numbers are
// the file's, with the engine's count where it differs.
TEST(CheckWarnings, EachCaseIsWarnedOfOnItsRealLine) {
  std::string utf16;
  for (char c : std::string("TITLE \"x\"\r\nFILE a.txt\r\n")) utf16 += std::string(1, c) + '\0';
  const std::string longRem = "REM " + std::string(3000, 'y');  // the engine counts it as 4 lines
  struct Case {
    const char* what;
    std::string script;
    std::string warning;
    int count;
  } cases[] = {
      {"UTF-16 text", "\xFF\xFE" + utf16, "pkg/setup.cfg:1: warning: the script is UTF-16 text", 1},
      {"UTF-16 text without a mark", utf16, "pkg/setup.cfg:1: warning: the script is UTF-16 text", 1},
      {"a quote left open", "TITLE \"x\nFILE a.txt\n",
       "pkg/setup.cfg:1: warning: a quote is opened and not closed on this line\n", 1},
      {"a NUL byte", std::string("TITLE \"x\"\nFILE a\0.txt junk\n", 26),
       "pkg/setup.cfg:2: warning: a NUL byte at column 7 ends this line for the engine; \".txt junk\"", 1},
      {"BEGINGROUP without its end", "TITLE \"x\"\nBEGINGROUP\n10 [X] A\n",
       "pkg/setup.cfg:2: warning: BEGINGROUP has no ENDGROUP line", 1},
      {"POPMESSAGE without its end", "TITLE \"x\"\nPOPMESSAGE 1\nhello\n",
       "pkg/setup.cfg:2: warning: POPMESSAGE has no ENDPOP line", 1},
      {"a text block without its end", "TITLE \"x\"\nBEGINFIRSTSCREEN\nhello\n",
       "pkg/setup.cfg:2: warning: BEGINFIRSTSCREEN has no ENDFIRSTSCREEN line", 1},
      {"a REM line whose tail is a keyword", "TITLE \"x\"\nREM " + std::string(994, 'y') + "FILE a.txt\n",
       "pkg/setup.cfg:2: warning: a line of 1008 characters: the engine reads only its first 998 as this line and "
       "the rest as a new line beginning \"FILE a.txt\"\n",
       1},
      {"a line after a long one", longRem + "\nTITLE \"x\n",
       "pkg/setup.cfg:2: warning: a quote is opened and not closed on this line (the engine counts line 5)\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CheckResult result = Check(c.script);
    EXPECT_EQ(result.exitCode, kCheckOk) << result.output;
    EXPECT_NE(result.output.find(c.warning), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("  warnings: " + std::to_string(c.count) + "\n"), std::string::npos)
        << result.output;
    EXPECT_EQ(Check(c.script, {"--strict"}).exitCode, kCheckSyntaxError);
  }
  // A sound script has none, strict or not.
  CheckResult clean = Check("TITLE \"x\"\nBEGINGROUP\n10 [X] A\nENDGROUP\nFILE a.txt\n", {"--strict"});
  EXPECT_EQ(clean.exitCode, kCheckOk);
  EXPECT_EQ(clean.output.find("warning"), std::string::npos) << clean.output;

  // A syntax error names the real line, and the engine's count as its message shows it.
  CheckResult error = Check(longRem + "\nFILE b WRONG\n");
  EXPECT_EQ(error.exitCode, kCheckSyntaxError);
  EXPECT_NE(error.output.find("pkg/setup.cfg:2: Syntax error, line: 5: FILE b WRONG\n"), std::string::npos)
      << error.output;
}

}  // namespace
}  // namespace quorril::pack
