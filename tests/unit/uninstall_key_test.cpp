// The installation's entry among the installed programs: written by the
// engine at the end of an installation that keeps a journal and ships its
// uninstaller, written again by a later installation into the same place,
// and removed by the uninstaller, which touches no other key beside it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "run_test_support.h"
#include "shell/system_changes.h"
#include "system/uninstall_key.h"
#include "uninstall/port_services.h"
#include "uninstall/uninstall_run.h"

namespace quorril::testing {
namespace {

constexpr RegistryRootKey kHklm = RegistryRootKey::kLocalMachine;
constexpr char kAppKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorril C:_APP";

TEST(UninstallKeyName, IsTheDestinationWithUnderscoresOrAStableHashWhenTooLong) {
  // "Quorril C:_", 240 letters and "_APP" make 255 characters, the most a key name holds.
  std::string longest = "C:\\" + std::string(240, 'D') + "\\APP";
  std::string longestKey = UninstallKeyPath(longest + "\\install.log");
  EXPECT_EQ(longestKey.size() - longestKey.rfind('\\') - 1, 255u) << "kept as it is: " << longestKey;
  std::string deep = "C:\\" + std::string(241, 'D') + "\\APP";
  std::string key = UninstallKeyPath(deep + "\\install.log");
  std::string name = key.substr(key.rfind('\\') + 1);
  EXPECT_EQ(name.size(), 8u + 16u) << "\"Quorril \" and 16 hexadecimal digits: " << name;
  EXPECT_EQ(name.rfind("Quorril ", 0), 0u) << name;
  EXPECT_EQ(key.find('\\', std::string(kUninstallKeysPath).size() + 1), std::string::npos) << "one key name: " << key;

  struct Case {
    std::string journal, key;
  } cases[] = {
      {"C:\\APP\\install.log", kAppKey},
      {"D:\\Program Files\\My App\\install.log",
       std::string(kUninstallKeysPath) + "\\Quorril D:_Program Files_My App"},
      {"C:\\install.log", std::string(kUninstallKeysPath) + "\\Quorril C:"},
      // The same destination in other letters names the same key, also hashed.
      {AsciiLowerCopy(deep) + "\\install.log", key},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.journal);
    EXPECT_TRUE(EqualsNoCase(UninstallKeyPath(c.journal), c.key)) << UninstallKeyPath(c.journal);
  }
  EXPECT_NE(UninstallKeyPath("C:\\" + std::string(241, 'D') + "\\APQ\\install.log"), key);
}

TEST(UninstallKeyName, TheJournalOfACommandIsItsLastQuotedArgument) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"C:\\WINDOWS\\unstall.exe\" \"C:\\APP\\install.log\"", "C:\\APP\\install.log"},
      {"\"C:\\WINDOWS\\unstall.exe\" /VERYSILENT \"C:\\My App\\install.log\"", "C:\\My App\\install.log"},
      {"C:\\WINDOWS\\unstall.exe C:\\APP\\install.log", ""},
      {"\"C:\\APP\\install.log", ""},
      {"\"\"", ""},
      {"", ""},
  };
  for (const auto& [command, journal] : cases) EXPECT_EQ(JournalOfUninstallCommand(command), journal) << command;
}

class UninstallKeyRun : public RunTest {
 protected:
  // Installs with the engine's system changes; the run's result.
  int InstallLines(std::initializer_list<std::string> lines) {
    Script(lines);
    EngineSystemChanges changes;
    return Install(nullptr, &changes);
  }
  // The key's values, REG_SZ as their text, REG_DWORD as "#<number>".
  std::map<std::string, std::string> Values(const std::string& key = kAppKey) {
    static const char* kNames[] = {"DisplayName",     "UninstallString", "QuietUninstallString",
                                   "InstallLocation", "DisplayIcon",     "EstimatedSize",
                                   "NoModify",        "NoRepair"};
    std::map<std::string, std::string> out;
    for (const char* name : kNames) {
      RegistryValue value;
      if (!registry.QueryValue(kHklm, key, name, &value)) continue;
      if (value.type == kRegDword && value.data.size() == 4)
        out[name] = "#" + std::to_string(ReadLe32(value.data, 0));
      else if (value.type == kRegSz && !value.data.empty() && value.data.back() == '\0')
        out[name] = value.data.substr(0, value.data.size() - 1);
      else
        out[name] = "<type " + std::to_string(value.type) + ">";
    }
    EXPECT_EQ(registry.ValueCount(kHklm, key), int32_t(out.size())) << "no other value";
    return out;
  }
  int Uninstall(UninstallOptions options, const std::string& executable = "C:\\WINDOWS\\unstall.exe") {
    PortUndoServices services(registry, process, programManager);
    UninstallPorts ports{files, machine, profile, ui, process, services, registry};
    return RunUninstall(ports, options, executable);
  }
  static UninstallOptions Silently(const std::string& journal = "C:\\APP\\install.log") {
    UninstallOptions options;
    options.silent = options.verySilent = true;
    options.journalPath = journal;
    return options;
  }
};

TEST_F(UninstallKeyRun, AnInstallationWithItsUninstallerIsListedWithEveryValue) {
  Source("unstall.exe", "MZ");
  Source("APP.EXE", std::string(3000, 'x'));
  InstallLines({"TITLE: \"Example 2.0\"", "UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR",
                "FILE: \"unstall.exe\"", "FILE: \"APP.EXE\"",
                "WINITEM: \"Example\", \"$DEFAULTDIR$\\APP.EXE\", \"Example\", \"$DEFAULTDIR$\\\", "
                "\"$DEFAULTDIR$\\APP.EXE\", 2"});
  EXPECT_EQ(Values(), (std::map<std::string, std::string>{
                          {"DisplayName", "Example 2.0"},
                          {"UninstallString", "\"C:\\WINDOWS\\unstall.exe\" \"C:\\APP\\install.log\""},
                          {"QuietUninstallString", "\"C:\\WINDOWS\\unstall.exe\" /VERYSILENT \"C:\\APP\\install.log\""},
                          {"InstallLocation", "C:\\APP"},
                          {"DisplayIcon", "C:\\APP\\APP.EXE,2"},
                          {"EstimatedSize", "#3"},  // 3002 bytes written, in kilobytes rounded up
                          {"NoModify", "#1"},
                          {"NoRepair", "#1"},
                      }));
  EXPECT_EQ(Journal().find("Uninstall"), std::string::npos) << "the entry is not journalled: " << Journal();
}

TEST_F(UninstallKeyRun, WithoutTitleOrIconTheFolderNamesItAndNoIconIsGiven) {
  Source("unstall.exe", "MZ");
  InstallLines({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\Program Files\\My App\" NOASKDRIVE NOASKDIR",
                "FILE: \"unstall.exe\"", "WINITEM: \"My App\", \"$DEFAULTDIR$\\unstall.exe\", \"Remove\""});
  std::map<std::string, std::string> values =
      Values(std::string(kUninstallKeysPath) + "\\Quorril C:_Program Files_My App");
  EXPECT_EQ(values["DisplayName"], "My App");
  EXPECT_EQ(values["InstallLocation"], "C:\\Program Files\\My App");
  EXPECT_EQ(values.count("DisplayIcon"), 0u);
  EXPECT_EQ(values["EstimatedSize"], "#1");
}

TEST_F(UninstallKeyRun, NoEntryWithoutTheJournalWithoutTheUninstallerOrWhenTheInstallationStopped) {
  struct Case {
    const char* why;
    std::vector<std::string> lines;
    bool cancel;
  } cases[] = {
      {"the journal is off", {"UNINSTALL: NO", "FILE: \"unstall.exe\""}, false},
      {"no UNINSTALL line", {"FILE: \"unstall.exe\""}, false},
      {"no uninstaller in the destination", {"UNINSTALL: YES", "FILE: \"A.TXT\""}, false},
      {"the uninstaller went elsewhere", {"UNINSTALL: YES", "FILE: \"$WINDIR$\\unstall.exe\""}, false},
      {"the user quit on the last screen",
       {"UNINSTALL: YES", "FILE: \"unstall.exe\"", "BEGINLASTSCREEN", "Done.", "ENDLASTSCREEN"},
       true},
  };
  Source("unstall.exe", "MZ");
  Source("A.TXT", "a");
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::string text = "DEFAULTDIR: \"C:\\APP" + std::to_string(++n) + "\" NOASKDRIVE NOASKDIR\r\n";
    for (const std::string& line : c.lines) text += line + "\r\n";
    files.AddFile(kScriptPath, text);
    CreateInstallScript(ctx.script, files, machine);
    ASSERT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0);
    RecordingScreens screens(ui);
    screens.lastScreenAnswer = c.cancel ? kIdCancel : kIdOk;
    ui.answers = {kIdYes};  // "Do you wish to quit?"
    EngineSystemChanges changes;
    Install(&screens, &changes);
    EXPECT_EQ(registry.SubkeyCount(kHklm, kUninstallKeysPath), -1) << "not even the Uninstall key was made";
  }
}

TEST_F(UninstallKeyRun, ASecondInstallationIntoTheSameDestinationUpdatesTheSameKey) {
  Source("unstall.exe", "MZ");
  Source("A.TXT", std::string(5000, 'a'));
  InstallLines({"TITLE: \"App 1\"", "UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR",
                "FILE: \"unstall.exe\"", "FILE: \"A.TXT\"", "WINITEM: \"App\", \"x\", \"App\", \"\\\", \"APP.ICO\""});
  ASSERT_EQ(Values()["DisplayIcon"], "C:\\APP\\APP.ICO") << "a relative icon lies in the destination";
  // The second time in other letters, with another title, no icon, fewer bytes.
  InstallLines({"TITLE: \"App 2\"", "UNINSTALL: YES", "DEFAULTDIR: \"c:\\app\" NOASKDRIVE NOASKDIR",
                "OVERWRITEFILE: YES", "FILE: \"unstall.exe\""});
  EXPECT_EQ(registry.SubkeyCount(kHklm, kUninstallKeysPath), 1) << "one key for the one destination";
  std::map<std::string, std::string> values = Values();
  EXPECT_EQ(values["DisplayName"], "App 2");
  EXPECT_EQ(values.count("DisplayIcon"), 0u) << "the first installation's icon is gone";
  EXPECT_EQ(values["EstimatedSize"], "#1");
}

TEST_F(UninstallKeyRun, ItsSizeCountsTheBytesWrittenNotTheFilesKeptNorTheProgressBarsTotal) {
  files.AddFile("C:\\APP\\OLD.TXT", "the user's");
  Source("OLD.TXT", std::string(2000, 'o'));
  Source("NEW.TXT", std::string(700, 'n'));
  Source("BIG.TXT", std::string(3000, 'b'));
  Script({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "PROGRESSBAR: 1000000",
          "OVERWRITEFILE: NO", "FILE: \"OLD.TXT\"", "FILE: \"NEW.TXT\"", "FILE: \"BIG.TXT\""});
  RecordingSystemChanges changes(ui);
  Install(nullptr, &changes);
  EXPECT_EQ(changes.listedBytes, (std::vector<int64_t>{3700}));
}

// Another program's entry, and another installation's, beside this one.
void AddNeighbours(MemoryRegistry& registry) {
  bool created;
  std::string other = std::string(kUninstallKeysPath) + "\\Other Program";
  registry.CreateKey(kHklm, other, &created);
  registry.SetValue(kHklm, other, "UninstallString", kRegSz, std::string("C:\\OTHER\\REMOVE.EXE\0", 21));
  std::string elsewhere = std::string(kUninstallKeysPath) + "\\Quorril C:_ELSEWHERE";
  registry.CreateKey(kHklm, elsewhere, &created);
  registry.SetValue(kHklm, elsewhere, "UninstallString", kRegSz,
                    std::string("\"C:\\WINDOWS\\unstall.exe\" \"C:\\ELSEWHERE\\install.log\"\0", 52));
}

TEST_F(UninstallKeyRun, TheUninstallerRemovesExactlyThatKeyOnceTheJournalHasGone) {
  AddNeighbours(registry);
  Source("unstall.exe", "MZ");
  Source("A.TXT", "a");
  InstallLines({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"unstall.exe\"",
                "FILE: \"A.TXT\""});
  ASSERT_TRUE(registry.KeyExists(kHklm, kAppKey));
  files.AddFile("C:\\WINDOWS\\unstall.exe", "MZ");
  UninstallOptions options = Silently();
  options.logPath = "C:\\un.log";

  EXPECT_EQ(Uninstall(options), kUninstallDone);
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  EXPECT_FALSE(registry.KeyExists(kHklm, kAppKey));
  EXPECT_EQ(registry.SubkeyCount(kHklm, kUninstallKeysPath), 2) << "the other entries stay";
  EXPECT_EQ(registry.ValueCount(kHklm, std::string(kUninstallKeysPath) + "\\Other Program"), 1);
  EXPECT_EQ(registry.ValueCount(kHklm, std::string(kUninstallKeysPath) + "\\Quorril C:_ELSEWHERE"), 1);
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\un.log", &log));
  EXPECT_NE(log.find("journal: undone: HKEY_LOCAL_MACHINE\\" + std::string(kAppKey) + "\r\n"), std::string::npos)
      << log;
}

TEST_F(UninstallKeyRun, TheKeyStaysWhileItsJournalStaysOrWhenItNamesAnotherJournal) {
  Source("unstall.exe", "MZ");
  Source("A.TXT", "a");
  auto install = [&] {
    InstallLines({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"unstall.exe\"",
                  "FILE: \"A.TXT\""});
    ASSERT_TRUE(registry.KeyExists(kHklm, kAppKey));
  };

  // Declined: nothing is removed, the entry neither.
  install();
  ui.answers = {kIdNo};
  EXPECT_EQ(Uninstall(UninstallOptions{false, false, "", "C:\\APP\\install.log"}), kUninstallIncomplete);
  EXPECT_TRUE(registry.KeyExists(kHklm, kAppKey));

  // Stopped in the middle: the journal stays for another run, and so does the entry that starts it.
  ui.answers = {kIdYes, kIdOk};
  ui.cancelAtPump = 1;
  EXPECT_EQ(Uninstall(UninstallOptions{false, false, "", "C:\\APP\\install.log"}), kUninstallIncomplete);
  EXPECT_TRUE(files.Exists("C:\\APP\\install.log"));
  EXPECT_TRUE(registry.KeyExists(kHklm, kAppKey));
  ui.cancelAtPump = 0;

  // The key names another journal (edited, or another engine's): it stays, and the log says why.
  registry.SetValue(kHklm, kAppKey, "UninstallString", kRegSz,
                    std::string("\"C:\\WINDOWS\\unstall.exe\" \"D:\\APP\\install.log\"") + '\0');
  UninstallOptions options = Silently();
  options.logPath = "C:\\un.log";
  EXPECT_EQ(Uninstall(options), kUninstallDone);
  EXPECT_FALSE(files.Exists("C:\\APP\\install.log"));
  EXPECT_TRUE(registry.KeyExists(kHklm, kAppKey));
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\un.log", &log));
  EXPECT_NE(log.find("skipped: HKEY_LOCAL_MACHINE\\" + std::string(kAppKey) +
                     " (it names another installation's journal)"),
            std::string::npos)
      << log;
}

}  // namespace
}  // namespace quorril::testing
