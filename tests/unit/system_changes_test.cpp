// The system changes of the final install phase: AUTOEXEC.BAT, CONFIG.SYS,
// INI files and ADDTEXT, run from parsed scripts through the whole install
// run on the in-memory machine, and driven through every file-system fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/fault_file_system.h"
#include "platform/memory/memory_profile.h"
#include "system/add_text.h"
#include "system/ini_file.h"
#include "system/startup_files.h"
#include "system_changes_test_support.h"

namespace quorril::testing {
namespace {

// Text with "\n" line ends as text mode stores it.
std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// ---- ADDTEXT --------------------------------------------------------------------------

struct AddTextCase {
  const char* what;
  const char* before;  // nullptr: no such file
  const char* line;    // the ADDTEXT line, on C:\APP\A.BAT
  const char* after;   // nullptr: unchanged
  std::vector<std::string> journal;
};

constexpr const char kTenLines[] = "l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nl10\n";

const AddTextCase kAddTextCases[] = {
      {"-1 appends after the last line", kTenLines, R"(ADDTEXT: "SET X=1", A.BAT, "-1")",
       "l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nl10\nSET X=1\n", {R"(ADDTEXT: "", A.BAT, "SET X=1")"}},
      {"-1 with REPLACE replaces the last line", kTenLines, R"(ADDTEXT: "SET X=1", A.BAT, "-1" REPLACE)",
       "l1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\nSET X=1\n", {R"(ADDTEXT: "l10", A.BAT, "SET X=1")"}},
      {"-3 inserts before the second last line", "a\nb\nc\n", R"(ADDTEXT: "new", A.BAT, "-3")", "a\nnew\nb\nc\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"a large negative number inserts first", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "-40")", "new\na\nb\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"1 inserts first, no empty line for a last line without its end", "a\nb", R"(ADDTEXT: "new", A.BAT, "1")",
       "new\na\nb", {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"appending ends a last line that lacked its end", "a\nb", R"(ADDTEXT: "new", A.BAT, "-1")", "a\nb\nnew\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"a number beyond the end appends", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "500")", "a\nb\nnew\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"10000 and above change nothing", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "10000")", nullptr, {}},
      {"0 looks for a line of that text", "a\n0\nb\n", R"(ADDTEXT: "new", A.BAT, "0")", "a\n0\nnew\nb\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"a text is found in any case, the text goes after it", "echo\nwin\nrem\n",
       R"(ADDTEXT: "SET X=1", A.BAT, "WIN")", "echo\nwin\nSET X=1\nrem\n", {R"(ADDTEXT: "", A.BAT, "SET X=1")"}},
      {"a text not found appends", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "zzz")", "a\nb\nnew\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"an empty argument finds the first empty line", "a\n\nb\n\n", R"(ADDTEXT: "new", A.BAT, "")",
       "a\n\nnew\nb\n\n", {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"an empty argument without empty lines appends", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "")", "a\nb\nnew\n",
       {R"(ADDTEXT: "", A.BAT, "new")"}},
      {"PATH* REPLACE replaces the first line beginning with PATH", "echo\npath c:\\dos\nPATH x\n",
       R"(ADDTEXT: "rem x", A.BAT, "PATH*" REPLACE)", "echo\nrem x\nPATH x\n",
       {R"(ADDTEXT: "path c:\dos", A.BAT, "rem x")"}},
      {"a REPLACE text ending in * goes in front of the line", "echo\npath c:\\dos\n",
       R"(ADDTEXT: "rem *", A.BAT, "PATH*" REPLACE)", "echo\nrem path c:\\dos\n",
       {R"(ADDTEXT: "path c:\dos", A.BAT, "rem path c:\dos")"}},
      {"a line already there in any case is not added", "a\nset x=1\n", R"(ADDTEXT: "SET X=1", A.BAT, "-1")",
       nullptr, {}},
      {"with REPLACE a line already there is written anyway", "a\nset x=1\n",
       R"(ADDTEXT: "SET X=1", A.BAT, "1" REPLACE)", "SET X=1\nset x=1\n", {R"(ADDTEXT: "a", A.BAT, "SET X=1")"}},
      {"REPLACE of a line nobody has leaves the file", "a\nb\n", R"(ADDTEXT: "new", A.BAT, "zzz" REPLACE)",
       nullptr, {}},
      {"lines end in CR LF after the change, whatever they were", "a\r\nb\nc\r\n", R"(ADDTEXT: "new", A.BAT, "2")",
       "a\nnew\nb\nc\n", {R"(ADDTEXT: "", A.BAT, "new")"}},
};

class AddTextTable : public SystemChangesRun, public ::testing::WithParamInterface<AddTextCase> {};

TEST_P(AddTextTable, PlacesItsLineByNumberOrByTheLineItLooksFor) {
  const AddTextCase& c = GetParam();
  SCOPED_TRACE(c.what);
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\A.BAT", c.before);
  std::vector<std::string> journal = Install({c.line});
  EXPECT_EQ(File("C:\\APP\\A.BAT"), c.after ? Crlf(c.after) : std::string(c.before));
  EXPECT_EQ(journal, c.journal);
  EXPECT_EQ(File("C:\\APP\\~Zemko.tmp"), "<none>");
}
INSTANTIATE_TEST_SUITE_P(Cases, AddTextTable, ::testing::ValuesIn(kAddTextCases));

TEST_F(SystemChangesRun, AddTextMakesAMissingFileAndJournalsItWithItsFullPath) {
  std::vector<std::string> journal = Install({R"(ADDTEXT: "SET X=1", NEW.BAT, "zzz" REPLACE)"});
  EXPECT_EQ(File("C:\\APP\\NEW.BAT"), "SET X=1\r\n") << "REPLACE adds to a file it had to make";
  EXPECT_EQ(journal, (std::vector<std::string>{R"(FILE: "C:\APP\NEW.BAT")", R"(ADDTEXT: "", NEW.BAT, "SET X=1")"}));
}

TEST_F(SystemChangesRun, AddTextUsesTheResultsOfTheLastSearchAndEveryVariable) {
  files.AddFile("C:\\WINDOWS\\SYSTEM.INI", "[boot]\r\nshell=progman.exe\r\n");
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\A.INI", "one\r\ntwo\r\nthree\r\n");
  std::vector<std::string> journal = Install({
      R"(IF SEARCH "shell=" "$WINDIR$\SYSTEM.INI")",
      R"(ADDTEXT: "[$RIGHT$] in $DEFAULTDIR$", A.INI, "$SEARCH$")",
      "ENDIF",
  });
  EXPECT_EQ(File("C:\\APP\\A.INI"), "one\r\n[progman.exe] in C:\\APP\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(journal, (std::vector<std::string>{R"(ADDTEXT: "", A.INI, "[progman.exe] in C:\APP")"}));
}

// ---- INIFILE ---------------------------------------------------------------------------

TEST_F(SystemChangesRun, IniFileAddsToReplacesOrCreatesAKeyAndJournalsWhatItFound) {
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=clock.exe\r\nrun=\r\n");
  std::vector<std::string> journal = Install({
      R"(INIFILE: "windows", "load", "myapp.exe", "WIN.INI" ADD)",
      R"(INIFILE: "windows", "run", "$DEFAULTDIR$\go.exe")",
      R"(INIFILE: "windows", "Beep", "yes", "win.ini")",
      R"(INIFILE: "Quorril", "Path", "$DEFAULTDIR$")",
  });
  EXPECT_EQ(journal, (std::vector<std::string>{
                         R"(INIFILE: "windows", "load", "myapp.exe", "WIN.INI", "clock.exe myapp.exe")",
                         R"(INIFILE: "windows", "run", "C:\APP\go.exe", "WIN.INI", "")",
                         R"(INIFILE: "windows", "Beep", "yes", "win.ini")",
                         R"(INIFILE: "Quorril", "Path", "C:\APP", "WIN.INI")",
                         R"(INIFILE: "Quorril", "WIN.INI")",
                     }));
  EXPECT_EQ(profile.Value("WIN.INI", "WINDOWS", "LOAD", "?"), "clock.exe myapp.exe");
  EXPECT_EQ(profile.Value("WIN.INI", "windows", "run", "?"), "C:\\APP\\go.exe");
  EXPECT_EQ(profile.Value("WIN.INI", "Quorril", "Path", "?"), "C:\\APP");
}

TEST_F(SystemChangesRun, IniFileChangesNothingWhenTheValueIsThereAlready) {
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=clock.exe myapp.exe\r\nrun=MyApp.exe\r\n");
  std::string before = File("C:\\WINDOWS\\WIN.INI");
  std::vector<std::string> journal = Install({
      R"(INIFILE: "windows", "load", "MYAPP.EXE", "WIN.INI" ADD)",
      R"(INIFILE: "windows", "run", "myapp.exe", "WIN.INI" OVERWRITE)",
  });
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(File("C:\\WINDOWS\\WIN.INI"), before);
}

TEST_F(SystemChangesRun, AnIniFileThatDidNotExistIsJournalledFirstWithItsWindowsDirectoryPath) {
  std::vector<std::string> journal = Install({R"(INIFILE: "Settings", "Dir", "$DEFAULTDIR$", "MYAPP.INI")"});
  EXPECT_EQ(journal, (std::vector<std::string>{
                         R"(FILE: "C:\WINDOWS\MYAPP.INI")",
                         R"(INIFILE: "Settings", "Dir", "C:\APP", "MYAPP.INI")",
                         R"(INIFILE: "Settings", "MYAPP.INI")",
                     }));
  EXPECT_EQ(File("C:\\WINDOWS\\MYAPP.INI"), "[Settings]\r\nDir=C:\\APP\r\n");
}

TEST_F(SystemChangesRun, IniFileAsksFirstWithAsk) {
  ui.answers = {kIdNo, kIdYes};
  std::vector<std::string> journal = Install({
      R"(INIFILE: "A", "k", "1", "ONE.INI" ASK)",
      R"(INIFILE: "B", "k", "2", "TWO.INI" ASK)",
  });
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"|Do you wish this program to modify file ONE.INI?",
                                               "|Do you wish this program to modify file TWO.INI?"}));
  EXPECT_EQ(ui.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(File("C:\\WINDOWS\\ONE.INI"), "<none>");
  EXPECT_EQ(journal, (std::vector<std::string>{R"(FILE: "C:\WINDOWS\TWO.INI")",
                                               R"(INIFILE: "B", "k", "2", "TWO.INI")", R"(INIFILE: "B", "TWO.INI")"}));
}

// ---- AUTOEXEC.BAT and CONFIG.SYS -------------------------------------------------------

struct StartupCase {
  const char* what;
  const char* before;  // nullptr: no such file
  std::vector<std::string> lines;
  const char* after;
  std::vector<std::string> journal;
  const char* configuration = nullptr;  // the CONFIG environment variable
};

const StartupCase kAutoexecCases[] = {
      {"entries in front of the PATH value, later ones first", "@echo off\nPATH C:\\DOS;C:\\WINDOWS\nwin\n",
       {R"(AUTOEXEC: ADDPATH="D:\APP" ADDPATH="D:\TOOLS")"}, "@echo off\nPATH D:\\TOOLS;D:\\APP;C:\\DOS;C:\\WINDOWS\nwin\n",
       {R"(AUTOEXEC: "PATH C:\DOS;C:\WINDOWS", "PATH D:\TOOLS;D:\APP;C:\DOS;C:\WINDOWS")"}},
      {"an entry inside a longer one is added, one before ; or the end is not",
       "set path=d:\\apps;d:\\tools\nwin\n", {R"(AUTOEXEC: ADDPATH="D:\APP" ADDPATH="D:\TOOLS")"},
       "set path=D:\\APP;d:\\apps;d:\\tools\nwin\n", {R"(AUTOEXEC: "set path=d:\apps;d:\tools", "set path=D:\APP;d:\apps;d:\tools")"}},
      {"SET PATH = with a blank is no PATH line", "SET PATH = C:\\DOS\nwin\n", {"AUTOEXEC: ADDPATH"},
       "SET PATH = C:\\DOS\nPATH=C:\\APP;\nwin\n", {R"(AUTOEXEC: "", "PATH=C:\APP;")"}},
      {"additions go before the last line, in their order", "PATH C:\\DOS\nwin",
       {R"(AUTOEXEC: ADD="SET TEMP=C:\TEMP" SHARE="/F:4096 /L:40")", "AUTOEXEC: ADDPATH"},
       "PATH C:\\APP;C:\\DOS\nSET TEMP=C:\\TEMP\nSHARE /F:4096 /L:40\nwin",
       {R"(AUTOEXEC: "PATH C:\DOS", "PATH C:\APP;C:\DOS")", R"(AUTOEXEC: "", "SET TEMP=C:\TEMP")",
        R"(AUTOEXEC: "", "SHARE /F:4096 /L:40")"}},
      {"an ADD line already in a line is not added again", "rem SET TEMP=C:\\TEMP\nwin\n",
       {R"(AUTOEXEC: ADD="SET TEMP=C:\TEMP" ADD="set temp=c:\temp")"}, "rem SET TEMP=C:\\TEMP\nset temp=c:\\temp\nwin\n",
       {R"(AUTOEXEC: "", "set temp=c:\temp")"}},
      {"a SHARE line below the minimum is rebuilt in capitals", "c:\\dos\\share.exe /F:2048\nwin\n",
       {R"(AUTOEXEC: SHARE="/f: 4096")"}, "C:\\DOS\\SHARE /F:4096\nwin\n",
       {R"(AUTOEXEC: "C:\DOS\SHARE.EXE /F:2048", "C:\DOS\SHARE /F:4096")"}},
      {"a SHARE line above the minimum stays, in capitals", "c:\\dos\\share.exe /F:2048 /l:50\nwin\n",
       {R"(AUTOEXEC: SHARE="/F:1024 /L:40")"}, "C:\\DOS\\SHARE.EXE /F:2048 /L:50\nwin\n", {}},
      {"a remark is no SHARE line", "rem share\nwin\n", {"AUTOEXEC: SHARE"}, "rem share\nSHARE\nwin\n",
       {R"(AUTOEXEC: "", "SHARE")"}},
      {"no AUTOEXEC.BAT: the additions alone", nullptr, {"AUTOEXEC: ADDPATH SHARE"}, "PATH=C:\\APP;\nSHARE\n",
       {R"(AUTOEXEC: "", "PATH=C:\APP;")", R"(AUTOEXEC: "", "SHARE")"}},
      {"an entry standing before \";\" is there; one inside a longer name is not", "PATH D:\\APPS;D:\\APP;C:\\DOS\nwin\n",
       {R"(AUTOEXEC: ADDPATH="D:\APP" ADDPATH="D:\APPS\X")"}, "PATH D:\\APPS\\X;D:\\APPS;D:\\APP;C:\\DOS\nwin\n",
       {R"(AUTOEXEC: "PATH D:\APPS;D:\APP;C:\DOS", "PATH D:\APPS\X;D:\APPS;D:\APP;C:\DOS")"}},
      {"PATH=, added lines and SHARE all go before the last line", "@echo off\nwin\n",
       {R"(AUTOEXEC: ADDPATH ADD="SET X=1" SHARE)"}, "@echo off\nPATH=C:\\APP;\nSET X=1\nSHARE\nwin\n",
       {R"(AUTOEXEC: "", "PATH=C:\APP;")", R"(AUTOEXEC: "", "SET X=1")", R"(AUTOEXEC: "", "SHARE")"}},
      {"the text ends at Ctrl-Z, which stays after the last line", "PATH C:\\DOS\nwin\n\x1a",
       {R"(AUTOEXEC: ADD="SET X=1")"}, "PATH C:\\DOS\nSET X=1\nwin\n\x1a", {R"(AUTOEXEC: "", "SET X=1")"}},
      {"a directory whose name begins with SHARE is no SHARE line", "PATH C:\\DOS;C:\\SHAREWARE\nwin\n",
       {R"(AUTOEXEC: SHARE="/F:4096")"}, "PATH C:\\DOS;C:\\SHAREWARE\nSHARE /F:4096\nwin\n",
       {R"(AUTOEXEC: "", "SHARE /F:4096")"}},
      {"a SHARE line with too few locks only", "lh share /l:10\nwin\n", {R"(AUTOEXEC: SHARE="/L:40")"},
       "LH SHARE /L:40\nwin\n", {R"(AUTOEXEC: "LH SHARE /L:10", "LH SHARE /L:40")"}},
      {"PATH; and PATHS.BAT are no PATH lines", "PATH;\nPATHS.BAT\nwin\n", {"AUTOEXEC: ADDPATH"},
       "PATH;\nPATHS.BAT\nPATH=C:\\APP;\nwin\n", {R"(AUTOEXEC: "", "PATH=C:\APP;")"}},
      {"with CONFIG set, only the PATH line of its section", "goto %config%\n:WIN\nPATH C:\\W\n:DOS\nPATH C:\\D\n:END\n",
       {"AUTOEXEC: ADDPATH"}, "goto %config%\n:WIN\nPATH C:\\W\n:DOS\nPATH C:\\APP;C:\\D\n:END\n",
       {R"(AUTOEXEC: "PATH C:\D", "PATH C:\APP;C:\D")"}, "dos"},
      {"with CONFIG set and no PATH line in its section, a new one", ":WIN\nPATH C:\\W\n:DOS\nwin\n",
       {"AUTOEXEC: ADDPATH"}, ":WIN\nPATH C:\\W\n:DOS\nPATH=C:\\APP;\nwin\n", {R"(AUTOEXEC: "", "PATH=C:\APP;")"}, "DOS"},
};

class AutoexecTable : public SystemChangesRun, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(AutoexecTable, PutsPathEntriesInFrontAndAddsItsLinesBeforeTheLastLine) {
  const StartupCase& c = GetParam();
  SCOPED_TRACE(c.what);
  if (c.configuration) machine.environment["CONFIG"] = c.configuration;
  if (c.before) files.AddFile("C:\\AUTOEXEC.BAT", c.before);
  std::vector<std::string> journal = Install(c.lines);
  EXPECT_EQ(File("C:\\AUTOEXEC.BAT"), Crlf(c.after));
  EXPECT_EQ(File("C:\\AUTOEXEC.BAK"), c.before ? std::string(c.before) : "<none>");
  EXPECT_EQ(journal, c.journal);
}
INSTANTIATE_TEST_SUITE_P(Cases, AutoexecTable, ::testing::ValuesIn(kAutoexecCases));

const StartupCase kConfigCases[] = {
      {"FILES below the minimum is raised, BUFFERS above stays", "DEVICE=HIMEM.SYS\nFILES=20\nbuffers = 60\n",
       {"CONFIG: FILEMIN=40 BUFFERMIN=30"}, "DEVICE=HIMEM.SYS\nFILES=40\nbuffers = 60\n",
       {R"(CONFIG: "FILES=20", "FILES=40")"}},
      {"only the first FILES line counts", "files=60\nFILES=10\n", {"CONFIG: FILEMIN=40"}, "files=60\nFILES=10\n", {}},
      {"missing lines are added at the end, after a line end", "DEVICE=HIMEM.SYS",
       {R"(CONFIG: FILEMIN=40 BUFFERMIN=30 ADD="DEVICE=$DEFAULTDIR$\APP.SYS")"},
       "DEVICE=HIMEM.SYS\nFILES = 40\nBUFFERS = 30\nDEVICE=C:\\APP\\APP.SYS\n",
       {R"(CONFIG: "", "FILES = 40")", R"(CONFIG: "", "BUFFERS = 30")", R"(CONFIG: "", "DEVICE=C:\APP\APP.SYS")"}},
      {"FILESHIGH is another setting", "FILESHIGH=30\n", {"CONFIG: FILEMIN=40"}, "FILESHIGH=30\nFILES = 40\n",
       {R"(CONFIG: "", "FILES = 40")"}},
      {"an ADD line present in the same case is not added", "DEVICE=C:\\APP\\APP.SYS /X\n",
       {R"(CONFIG: ADD="DEVICE=C:\APP\APP.SYS")"}, "DEVICE=C:\\APP\\APP.SYS /X\n", {}},
      {"no CONFIG.SYS", nullptr, {"CONFIG: BUFFERMIN=25"}, "BUFFERS = 25\n", {R"(CONFIG: "", "BUFFERS = 25")"}},
      {"BUFFERS below the minimum is raised", "BUFFERS=10,0\n", {"CONFIG: BUFFERMIN=30"}, "BUFFERS=30\n",
       {R"(CONFIG: "BUFFERS=10,0", "BUFFERS=30")"}},
      {"additions go before a Ctrl-Z", "FILES=10\x1a", {R"(CONFIG: ADD="DEVICE=X.SYS")"}, "FILES=10\nDEVICE=X.SYS\n\x1a",
       {R"(CONFIG: "", "DEVICE=X.SYS")"}},
};

class ConfigTable : public SystemChangesRun, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(ConfigTable, RaisesFilesAndBuffersAndAddsItsLinesAtTheEnd) {
  const StartupCase& c = GetParam();
  SCOPED_TRACE(c.what);
  if (c.before) files.AddFile("C:\\CONFIG.SYS", c.before);
  std::vector<std::string> journal = Install(c.lines);
  EXPECT_EQ(File("C:\\CONFIG.SYS"), Crlf(c.after));
  EXPECT_EQ(journal, c.journal);
}
INSTANTIATE_TEST_SUITE_P(Cases, ConfigTable, ::testing::ValuesIn(kConfigCases));

TEST_F(SystemChangesRun, StartupFilesLieOnDriveAWhenItIsAFixedDisk) {
  files.AddDrive('A', DriveType::kFixed);
  Install({"CONFIG: FILEMIN=30"});
  EXPECT_EQ(File("A:\\CONFIG.SYS"), "FILES = 30\r\n");
  EXPECT_EQ(File("C:\\CONFIG.SYS"), "<none>");
}

TEST_F(SystemChangesRun, AStartupLineOfAnyLengthKeepsItsWholeText) {
  std::string path = "PATH C:\\DOS";
  for (int i = 0; i < 60; ++i) path += ";C:\\TOOLS\\DIR" + std::to_string(i);
  files.AddFile("C:\\AUTOEXEC.BAT", path + "\r\nwin\r\n");
  std::vector<std::string> journal = Install({"AUTOEXEC: ADDPATH"});
  std::string changed = "PATH C:\\APP;" + path.substr(5);
  EXPECT_EQ(File("C:\\AUTOEXEC.BAT"), changed + "\r\nwin\r\n");
  EXPECT_EQ(journal, (std::vector<std::string>{"AUTOEXEC: \"" + path + "\", \"" + changed + "\""}));
}

TEST_F(SystemChangesRun, AStartupFileRefusedAtTheQuestionIsPutBackAndNotJournalled) {
  files.AddFile("C:\\AUTOEXEC.BAT", "PATH C:\\DOS\r\nwin\r\n");
  files.AddFile("C:\\CONFIG.SYS", "FILES=10\r\n");
  ui.answers = {kIdNo, kIdYes};
  std::vector<std::string> journal = Install({"AUTOEXEC: ADDPATH ASK", "CONFIG: FILEMIN=30 ASK"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"|Do you wish this program to modify your AUTOEXEC.BAT?",
                                               "|Do you wish this program to modify file CONFIG.SYS?"}));
  EXPECT_EQ(ui.boxes[0].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(ui.boxes[1].style, kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(File("C:\\AUTOEXEC.BAT"), "PATH C:\\DOS\r\nwin\r\n");
  EXPECT_EQ(File("C:\\CONFIG.SYS"), "FILES=30\r\n");
  EXPECT_EQ(journal, (std::vector<std::string>{R"(CONFIG: "FILES=10", "FILES=30")"}));
}

TEST_F(SystemChangesRun, AReadOnlyStartupFileIsChangedAndStaysReadOnlyRunAfterRun) {
  files.AddFile("C:\\CONFIG.SYS", "FILES=10\r\n", kAttrReadOnly | kAttrArchive);
  std::vector<std::string> journal = Install({"CONFIG: FILEMIN=20"});
  EXPECT_EQ(File("C:\\CONFIG.SYS"), "FILES=20\r\n");
  EXPECT_EQ(journal, (std::vector<std::string>{R"(CONFIG: "FILES=10", "FILES=20")"}));
  EXPECT_TRUE(files.GetAttributes("C:\\CONFIG.SYS") & kAttrReadOnly);
  files.DeleteFile("C:\\APP\\install.log");
  journal = Install({"CONFIG: FILEMIN=30"});
  EXPECT_EQ(File("C:\\CONFIG.SYS"), "FILES=30\r\n") << "the read-only backup of the first run is replaced";
  EXPECT_EQ(File("C:\\CONFIG.BAK"), "FILES=20\r\n");
  EXPECT_EQ(journal, (std::vector<std::string>{R"(CONFIG: "FILES=20", "FILES=30")"}));
}

TEST_F(SystemChangesRun, AnIniFileNamedWithAPathBelowTheCurrentDirectoryIsNoNewFile) {
  files.AddFile("C:\\APP\\SUB\\X.INI", "[S]\r\nk=1\r\n");
  files.SetCurrentDirectory("C:\\APP");
  ScriptState state;
  state.variables.winDir = "C:\\WINDOWS";
  IniFileRecord record;
  record.section = "S";
  record.entry = "k";
  record.value = "2";
  record.fileName = "SUB/X.INI";
  quorril::Journal log{true, "C:\\APP\\install.log", "", "", "", {}};
  ApplyIniFile(ChangeContext{files, machine, profile, registry, ui, log, state, true}, record);
  EXPECT_EQ(File("C:\\APP\\install.log"), "INIFILE: \"S\", \"k\", \"2\", \"SUB/X.INI\", \"1\"\r\n");
}

// ---- the order of the final phase -------------------------------------------------------

TEST_F(SystemChangesRun, TheChangesFollowTheFilesInTheirOrderAndStayWhenTheLastScreenIsCancelled) {
  files.AddFile("C:\\AUTOEXEC.BAT", "win\r\n");
  files.AddFile("C:\\CONFIG.SYS", "FILES=10\r\n");
  Source("APP.EXE");
  RecordingScreens screens(ui);
  screens.lastScreenAnswer = kIdCancel;
  files.AddFile(kScriptPath, Lines({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR",
                                    R"(ADDTEXT: "rem $DEFAULTDIR$", "C:\AUTOEXEC.BAT", "1")",
                                    R"(INIFILE: "Quorril", "Dir", "$DEFAULTDIR$", "Q.INI")", "CONFIG: FILEMIN=20",
                                    "AUTOEXEC: ADDPATH", "FILE: \"APP.EXE\"", "BEGINLASTSCREEN", "Done", "ENDLASTSCREEN"}));
  CreateInstallScript(ctx.script, files, machine);
  ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0);
  EXPECT_EQ(RunTest::Install(&screens, &changes), 1);
  std::vector<std::string> journal = SplitLines(Journal());
  std::vector<std::string> tail(journal.end() - 7, journal.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      R"(FILE: "C:\APP\APP.EXE")",
                      R"(AUTOEXEC: "", "PATH=C:\APP;")",
                      R"(CONFIG: "FILES=10", "FILES=20")",
                      R"(FILE: "C:\WINDOWS\Q.INI")",
                      R"(INIFILE: "Quorril", "Dir", "C:\APP", "Q.INI")",
                      R"(INIFILE: "Quorril", "Q.INI")",
                      R"(ADDTEXT: "", C:\AUTOEXEC.BAT, "rem C:\APP")",
                  }))
      << Journal();
  EXPECT_EQ(File("C:\\AUTOEXEC.BAT"), "rem C:\\APP\r\nPATH=C:\\APP;\r\nwin\r\n");
}

// ---- every file-system fault ------------------------------------------------------------

// One change carried out with the n-th file-system call failing (once, or
// from then on): the file is either as it was or wholly changed, no
// temporary file is left, a backup holds the old text whenever the file
// changed, and the journal (with what waits in its pending area) records
// the change exactly when it stands.
class SystemChangeFaults : public ::testing::Test {
 protected:
  // Runs `change` with every call failing in turn and checks the rules on
  // `path`, whose old and new texts are given.
  template <typename Change>
  void Sweep(const std::string& path, const std::string& oldText, const std::string& newText,
             const std::string& journalText, const std::string& backup, Change change, bool profileWrites = false) {
    for (auto persistence : {FaultFileSystem::Persistence::kOnce, FaultFileSystem::Persistence::kFromThenOn}) {
      for (int64_t n = 1;; ++n) {
        SCOPED_TRACE("call " + std::to_string(n) +
                     (persistence == FaultFileSystem::Persistence::kOnce ? " once" : " from then on"));
        MemoryFileSystem memory;
        memory.AddDirectory("C:\\APP");
        memory.AddDirectory("C:\\WINDOWS");
        memory.SetCurrentDirectory("C:\\APP");
        if (oldText != "<none>") memory.AddFile(path, oldText);
        FaultFileSystem files(memory);
        MemoryMachine machine;
        MemoryProfile profile(files, machine);
        MemoryRegistry registry;
        ScriptedUserInterface ui;
        ScriptState state;
        state.variables.defaultDir = "C:\\APP";
        state.variables.winDir = "C:\\WINDOWS";
        Journal journal{true, "C:\\APP\\install.log", "", "", "", {}};

        files.FailCall(n, persistence);
        change(ChangeContext{files, machine, profile, registry, ui, journal, state, true});
        bool failed = files.Failed();
        files.StopFailing();

        auto read = [&memory](const std::string& file) {
          std::string s;
          return memory.ReadWholeFile(file, &s) ? s : "<none>";
        };
        std::string now = read(path);
        // The profile functions write an INI file in place: a write that
        // fails may leave it cut, but then nothing may be journalled.
        if (!profileWrites) {
          EXPECT_TRUE(now == oldText || now == newText) << now;
        }
        if (persistence == FaultFileSystem::Persistence::kOnce) {
          // (when every call fails from then on, not even the clean-up can)
          EXPECT_EQ(read("C:\\APP\\~Zemko.tmp"), "<none>");
          EXPECT_EQ(read("C:\\~Zemko.tmp"), "<none>");
        }
        if (now == newText && oldText != "<none>" && !backup.empty()) {
          EXPECT_EQ(read(backup), oldText);
        }
        std::string logged = read(journal.path);
        // Lines that waited in the pending area run into the next one; the
        // texts and their order are what counts here.
        auto joined = [](std::string text) {
          std::string out;
          for (char c : text)
            if (c != '\r' && c != '\n') out += c;
          return out;
        };
        std::string journalled = joined((logged == "<none>" ? "" : logged) + journal.pending);
        EXPECT_EQ(journalled, now == newText ? joined(journalText) : "");
        if (!failed) {
          EXPECT_EQ(now, newText) << "without a fault the change is made";
          break;
        }
      }
    }
  }
};

TEST_F(SystemChangeFaults, AddTextNeverLosesTheFileNorJournalsAChangeThatDidNotStand) {
  AddTextRecord record;
  record.text = "new";
  record.targetFile = "A.BAT";
  record.position = "2";
  Sweep("C:\\APP\\A.BAT", "one\r\ntwo\r\n", "one\r\nnew\r\ntwo\r\n", "ADDTEXT: \"\", A.BAT, \"new\"\r\n", "",
        [&](const ChangeContext& ctx) { ApplyAddText(ctx, record); });
}

TEST_F(SystemChangeFaults, AddTextOnAMissingFileMakesItWholeOrNotAtAll) {
  AddTextRecord record;
  record.text = "only";
  record.targetFile = "C:\\APP\\NEW.TXT";
  Sweep("C:\\APP\\NEW.TXT", "<none>", "only\r\n",
        "FILE: \"C:\\APP\\NEW.TXT\"\r\nADDTEXT: \"\", C:\\APP\\NEW.TXT, \"only\"\r\n", "",
        [&](const ChangeContext& ctx) { ApplyAddText(ctx, record); });
}

TEST_F(SystemChangeFaults, AutoexecIsNeverLeftMissingNorJournalledWhenItWasNotWritten) {
  AutoexecSpec spec;
  spec.mode = ChangeMode::kChange;
  spec.addPath = true;
  Sweep("C:\\AUTOEXEC.BAT", "PATH C:\\DOS\r\nwin\r\n", "PATH C:\\APP;C:\\DOS\r\nwin\r\n",
        "AUTOEXEC: \"PATH C:\\DOS\", \"PATH C:\\APP;C:\\DOS\"\r\n", "C:\\AUTOEXEC.BAK",
        [&](const ChangeContext& ctx) { ApplyAutoexec(ctx, spec); });
}

TEST_F(SystemChangeFaults, ConfigIsNeverLeftMissingNorJournalledWhenItWasNotWritten) {
  ConfigSpec spec;
  spec.mode = ChangeMode::kChange;
  spec.fileMin = 30;
  Sweep("C:\\CONFIG.SYS", "FILES=10\r\n", "FILES=30\r\n", "CONFIG: \"FILES=10\", \"FILES=30\"\r\n", "C:\\CONFIG.BAK",
        [&](const ChangeContext& ctx) { ApplyConfig(ctx, spec); });
}

TEST_F(SystemChangeFaults, IniFileJournalsOnlyAKeyThatWasWritten) {
  IniFileRecord record;
  record.section = "S";
  record.entry = "k";
  record.value = "v";
  record.fileName = "C:\\APP\\A.INI";
  Sweep("C:\\APP\\A.INI", "[S]\r\nk=old\r\n", "[S]\r\nk=v\r\n",
        "INIFILE: \"S\", \"k\", \"v\", \"C:\\APP\\A.INI\", \"old\"\r\n", "",
        [&](const ChangeContext& ctx) { ApplyIniFile(ctx, record); }, true);
}

}  // namespace
}  // namespace quorril::testing
