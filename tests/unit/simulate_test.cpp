// quorril-pack simulate: the engine's run on the in-memory machine,
// answered from an answers file: the answers reach the questions, the
// choices and the destination; stops are reported with their message; the
// report lists files with sizes and outcomes, directories and changes.
#include "simulate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorril::pack {
namespace {

struct Simulated {
  SimulateResult result;
  bool Has(const std::string& line) const { return result.output.find("\n  " + line + "\n") != std::string::npos; }
};

Simulated Simulate(const std::string& script, const std::string& answers, std::vector<CheckFile> files = {},
                   std::vector<std::string> options = {}) {
  SimulateRequest request;
  std::string error;
  options.push_back("SETUP.CFG");
  EXPECT_TRUE(ParseSimulateArguments(options, &request, &error)) << error;
  SimulateInput input;
  input.folder.scriptName = "SETUP.CFG";
  input.folder.files.push_back(CheckFile{"SETUP.CFG", script, ""});
  for (CheckFile& f : files) input.folder.files.push_back(std::move(f));
  AnswersResult read = ReadAnswers(answers, &input.answers);
  EXPECT_EQ(read.status, AnswersStatus::kOk) << read.Message();
  Simulated s{RunSimulation(request, input)};
  return s;
}

const char kAskScript[] =
    "UNINSTALL: YES\n"
    "ASK1: \"Tools\" prompt=\"Folder for the tools:\"\n"
    "ASK2: \"C:\\SHARED\" prompt=\"Shared folder:\"\n"
    "ASK3: \"no\" prompt=\"Extras?\"\n"
    "DEFAULTDIR: \"C:\\ASKAPP\" NOASKDRIVE NOASKDIR\n"
    "FILE: \"$ASK1$\\TOOL.TXT\"\n"
    "FILE: \"$ASK2$\\SHARED.TXT\"\n"
    "IF $ASK3 = \"yes\"\n"
    "FILE: \"EXTRA.TXT\"\n"
    "ELSE\n"
    "FILE: \"PLAIN.TXT\"\n"
    "ENDIF\n";

std::vector<CheckFile> AskFiles() {
  return {{"TOOL.TXT", "tool", ""}, {"SHARED.TXT", "shared!", ""}, {"EXTRA.TXT", "extra", ""}, {"PLAIN.TXT", "plain", ""}};
}

TEST(Simulate, QuestionsTakeTheirAnswersOrTheirDefaults) {
  Simulated given = Simulate(kAskScript, "[Setup]\nAsk1=Kit\nAsk2=C:\\ELSE\nAsk3=yes\n", AskFiles());
  EXPECT_EQ(given.result.exitCode, kSimulateInstalled) << given.result.output;
  EXPECT_TRUE(given.Has("answer: ASK1 Kit")) << given.result.output;
  EXPECT_TRUE(given.Has("answer: ASK3 yes"));
  EXPECT_TRUE(given.Has("file C:\\ASKAPP\\Kit\\TOOL.TXT 4 bytes new")) << given.result.output;
  EXPECT_TRUE(given.Has("file C:\\ELSE\\SHARED.TXT 7 bytes new"));
  EXPECT_TRUE(given.Has("file C:\\ASKAPP\\EXTRA.TXT 5 bytes new"));
  EXPECT_TRUE(given.Has("directory C:\\ELSE"));
  ASSERT_TRUE(given.result.hasJournal);
  EXPECT_NE(given.result.journal.find("FILE: \"C:\\ASKAPP\\EXTRA.TXT\"\r\n"), std::string::npos);
  EXPECT_EQ(given.result.journal.find("PLAIN.TXT"), std::string::npos);

  Simulated defaults = Simulate(kAskScript, "", AskFiles());
  EXPECT_EQ(defaults.result.exitCode, kSimulateInstalled);
  EXPECT_TRUE(defaults.Has("file C:\\ASKAPP\\Tools\\TOOL.TXT 4 bytes new")) << defaults.result.output;
  EXPECT_TRUE(defaults.Has("file C:\\SHARED\\SHARED.TXT 7 bytes new"));
  EXPECT_TRUE(defaults.Has("file C:\\ASKAPP\\PLAIN.TXT 5 bytes new"));
}

const char kChoiceScript[] =
    "UNINSTALL: YES\n"
    "DEFAULTDIR: \"C:\\CHOICE\"\n"
    "BEGINGROUP\n"
    "  Choose the parts:\n"
    "10 [X] Program\n"
    "20 [ ] Documentation\n"
    "30 [X] Extras\n"
    "ENDGROUP\n"
    "BEGINGROUP 30\n"
    "  Extras:\n"
    "31 [X] Sounds\n"
    "32 [ ] Pictures\n"
    "ENDGROUP\n"
    "IF GROUP=10\nFILE: \"PROG.TXT\"\nENDIF\n"
    "IF GROUP=20\nFILE: \"DOC.TXT\"\nENDIF\n"
    "IF GROUP=31\nFILE: \"SOUND.TXT\"\nENDIF\n"
    "IF GROUP=32\nFILE: \"PIC.TXT\"\nENDIF\n";

std::vector<CheckFile> ChoiceFiles() {
  return {{"PROG.TXT", "p", ""}, {"DOC.TXT", "d", ""}, {"SOUND.TXT", "s", ""}, {"PIC.TXT", "i", ""}};
}

TEST(Simulate, ChoicesSelectTheFilesAndAbsentChoicesKeepThePresets) {
  struct Case {
    const char* answers;
    std::vector<std::string> installed;
  };
  const std::vector<Case> cases = {
      {"", {"PROG.TXT", "SOUND.TXT"}},
      {"[Setup]\nChoices=20 30 32\n", {"DOC.TXT", "PIC.TXT"}},
      {"[Setup]\nChoices=10,20\n", {"PROG.TXT", "DOC.TXT"}},
  };
  for (const Case& c : cases) {
    Simulated s = Simulate(kChoiceScript, c.answers, ChoiceFiles());
    EXPECT_EQ(s.result.exitCode, kSimulateInstalled) << c.answers << s.result.output;
    for (const char* name : {"PROG.TXT", "DOC.TXT", "SOUND.TXT", "PIC.TXT"}) {
      bool wanted = std::find(c.installed.begin(), c.installed.end(), name) != c.installed.end();
      EXPECT_EQ(s.Has(std::string("file C:\\CHOICE\\") + name + " 1 bytes new"), wanted)
          << c.answers << " " << name << "\n" << s.result.output;
    }
  }
}

TEST(Simulate, AStopIsReportedWithItsMessage) {
  struct Case {
    std::string script, answers, option, message;
  };
  const std::vector<Case> cases = {
      // No choice selected: the choice screen refuses OK.
      {kChoiceScript, "[Setup]\nChoices=\n", "", "No group is selected."},
      {"DEFAULTDIR: \"C:\\BIG\"\nMINDISKSPACE: 9000M\nFILE: \"PROG.TXT\"\n", "", "",
       "Not enough disk space on the destination drive for installation."},
      {"MINCPUTYPE: 80486\nFILE: \"PROG.TXT\"\n", "", "--processor 386",
       "This application requires a computer with a processor no less than: 486"},
      {"DEFAULTDIR: \"C:\\MISS\"\nFILE: \"NOWHERE.TXT\"\n", "", "",
       "File not found on the installation disk: C:\\SETUP\\NOWHERE.TXT. "},
      // A destination on a drive that does not exist is refused.
      {"DEFAULTDIR: \"C:\\APP\"\nFILE: \"PROG.TXT\"\n", "[Setup]\nDir=Q:\\APP\n", "", "Invalid directory."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> options;
    if (!c.option.empty()) options = {c.option.substr(0, c.option.find(' ')), c.option.substr(c.option.find(' ') + 1)};
    Simulated s = Simulate(c.script, c.answers, ChoiceFiles(), options);
    EXPECT_EQ(s.result.exitCode, kSimulateStopped) << s.result.output;
    EXPECT_EQ(s.result.output.rfind("SIMULATE: stopped\n", 0), 0u) << s.result.output;
    EXPECT_TRUE(s.Has("stopped by: " + c.message)) << s.result.output;
  }
}

TEST(Simulate, TheDestinationComesFromTheAnswers) {
  Simulated s = Simulate("UNINSTALL: YES\nDEFAULTDIR: \"C:\\APP\"\nFILE: \"PROG.TXT\"\n",
                         "[Setup]\nDir=C:\\Program Files\\App\n", ChoiceFiles());
  EXPECT_EQ(s.result.exitCode, kSimulateInstalled) << s.result.output;
  EXPECT_TRUE(s.Has("file C:\\Program Files\\App\\PROG.TXT 1 bytes new")) << s.result.output;
  EXPECT_NE(s.result.journal.find("DEFAULTDIR: \"C:\\Program Files\\App\"\r\n"), std::string::npos) << s.result.journal;
}

TEST(Simulate, OverwriteModifyAndRestartFollowTheAnswers) {
  const std::string script =
      "UNINSTALL: YES\n"
      "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR\n"
      "OVERWRITEFILE: ASK\n"
      "REBOOT WINDOWS\n"
      "FILE: \"PROG.TXT\"\n"
      "INIFILE: \"Settings\", \"Path\", \"$DEFAULTDIR$\", \"APP.INI\" ASK\n";
  const std::vector<std::string> existing = {"--file", "C:\\APP\\PROG.TXT"};
  Simulated defaults = Simulate(script, "", ChoiceFiles(), existing);
  EXPECT_EQ(defaults.result.exitCode, kSimulateInstalled) << defaults.result.output;
  EXPECT_TRUE(defaults.Has("file C:\\APP\\PROG.TXT kept")) << defaults.result.output;
  EXPECT_FALSE(defaults.Has("restart Windows"));

  Simulated yes = Simulate(script, "[Setup]\nOverwrite=Yes\nModify=No\nRestart=Yes\n", ChoiceFiles(), existing);
  EXPECT_EQ(yes.result.exitCode, kSimulateInstalled) << yes.result.output;
  EXPECT_TRUE(yes.Has("file C:\\APP\\PROG.TXT 1 bytes replaced")) << yes.result.output;
  EXPECT_TRUE(yes.Has("restart Windows")) << yes.result.output;
}

TEST(SimulateArguments, TheSimulationsOwnOptionsBesideThoseOfCheck) {
  SimulateRequest request;
  std::string error;
  ASSERT_TRUE(ParseSimulateArguments({"--answers", "a.ini", "--winver", "3.95", "--journal", "out.log",
                                      "--windows-dir", "C:\\windows", "--system-dir", "C:\\windows\\system32",
                                      "--put", "C:\\AUTOEXEC.BAT", "old/autoexec.bat", "pkg.exe"},
                                     &request, &error))
      << error;
  EXPECT_EQ(request.answersPath, "a.ini");
  EXPECT_EQ(request.journalPath, "out.log");
  EXPECT_EQ(request.windowsDirectory, "C:\\windows");
  EXPECT_EQ(request.systemDirectory, "C:\\windows\\system32");
  EXPECT_EQ(request.machine.winMinor, 95);
  EXPECT_EQ(request.machine.script, "pkg.exe");
  ASSERT_EQ(request.puts.size(), 1u);
  EXPECT_EQ(request.puts[0].first, "C:\\AUTOEXEC.BAT");
  EXPECT_EQ(request.puts[0].second, "old/autoexec.bat");
  for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
           {"--answers"}, {"pkg.exe", "--journal"}, {"--windows-dir", "windows", "pkg.exe"}, {"--bogus", "pkg.exe"},
           {"--put", "AUTOEXEC.BAT", "a", "pkg.exe"}, {"pkg.exe", "--put", "C:\\A.TXT"}}) {
    SimulateRequest r;
    EXPECT_FALSE(ParseSimulateArguments(bad, &r, &error)) << bad[0];
  }
}

}  // namespace
}  // namespace quorril::pack
