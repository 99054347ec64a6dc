// The uninstaller's core: the journal read back line by line, and every
// kind of line undone on the in-memory machine, checked by installing with
// the engine and uninstalling until the machine is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "journal/journal.h"
#include "run_test_support.h"
#include "shell/system_changes.h"
#include "uninstall/journal_reader.h"
#include "uninstall/port_services.h"
#include "uninstall/undo.h"
#include "uninstall/uninstall_run.h"

namespace quorril::testing {
namespace {

// ---- reading ----------------------------------------------------------------------------

struct ReadCase {
  const char* line;
  JournalKind kind;
  std::vector<std::string> fields;
};

TEST(JournalReader, TakesEveryLineKindAsTheEngineWritesIt) {
  const ReadCase cases[] = {
      {R"(DEFAULTDIR: "C:\APP")", JournalKind::kDefaultDir, {"C:\\APP"}},
      {R"(DIRECTORY: "C:\APP\SUB")", JournalKind::kDirectory, {"C:\\APP\\SUB"}},
      {R"(UNINSTALLBEGINPROMPT: "Remove "App", really?")", JournalKind::kBeginPrompt, {"Remove \"App\", really?"}},
      {R"(UNINSTALLTITLEPROMPT: "")", JournalKind::kTitlePrompt, {""}},
      {R"(RENAME: C:\APP\NEW, NAME.TXT, C:\APP\OLD.TXT)", JournalKind::kRename, {"C:\\APP\\NEW, NAME.TXT", "C:\\APP\\OLD.TXT"}},
      {R"(FILE: "C:\APP\A.TXT")", JournalKind::kFile, {"C:\\APP\\A.TXT"}},
      {R"(AUTOEXEC: "", "PATH=C:\APP;")", JournalKind::kAutoexec, {"", "PATH=C:\\APP;"}},
      {R"(CONFIG: "FILES=10", "FILES=30")", JournalKind::kConfig, {"FILES=10", "FILES=30"}},
      {R"(INIFILE: "s", "k", "v", "WIN.INI")", JournalKind::kIniFile, {"s", "k", "v", "WIN.INI"}},
      {R"(INIFILE: "s", "k", "v", "WIN.INI", "old")", JournalKind::kIniFile, {"s", "k", "v", "WIN.INI", "old"}},
      {R"(INIFILE: "s", "WIN.INI")", JournalKind::kIniFile, {"s", "WIN.INI"}},
      {R"(ADDTEXT: "", A.BAT, "SET X=1")", JournalKind::kAddText, {"", "A.BAT", "SET X=1"}},
      {R"(ADDTEXT: "echo "a", b", C:\A.BAT, "x, "y"")", JournalKind::kAddText, {"echo \"a\", b", "C:\\A.BAT", "x, \"y\""}},
      {R"(RegServer: "C:\APP\X.OCX")", JournalKind::kRegServer, {"C:\\APP\\X.OCX"}},
      {R"(REGKEY: "HKEY_CURRENT_USER", "Software\App")", JournalKind::kRegKey, {"HKEY_CURRENT_USER", "Software\\App"}},
      {R"(WINITEM: "Group", "Item")", JournalKind::kWinItem, {"Group", "Item"}},
      {"", JournalKind::kEmpty, {}},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.line);
    JournalEntry entry = ParseJournalLine(c.line, 1);
    EXPECT_EQ(entry.kind, c.kind) << entry.problem;
    EXPECT_EQ(entry.fields, c.fields);
  }
}

TEST(JournalReader, LinesNotInTheEnginesFormAreDamagedNeverGuessedAt) {
  const char* damaged[] = {
      R"(FILE: "C:\APP\A.TX)",                        // cut in the middle
      R"(FILE: "C:\APP\A"FILE: "C:\APP\B")",           // two lines run together
      R"(file: "C:\APP\A")",                          // keywords are written in one case
      R"(FILE:"C:\APP\A")",                           // the blank after the colon
      R"(RENAME: C:\A, C:\B, C:\C)",                  // which comma splits?
      R"(RENAME: A.TXT, B.TXT)",                      // no full paths
      R"(INIFILE: "s", "k", "v")",                    // three fields
      R"(REGKEY: "HKEY_CURRENT_USER")",               // one field
      R"(ADDTEXT: "x", "A.BAT", "y")",                // the file stands unquoted
      R"(WINITEM: Group, Item)",                      // unquoted
      "GARBAGE",
  };
  for (const char* line : damaged) {
    SCOPED_TRACE(line);
    JournalEntry entry = ParseJournalLine(line, 7);
    EXPECT_EQ(entry.kind, JournalKind::kDamaged);
    EXPECT_FALSE(entry.problem.empty());
    EXPECT_TRUE(entry.fields.empty());
  }
}

TEST(JournalReader, NumbersLinesOfEitherLineEnd) {
  std::vector<JournalEntry> entries = ParseJournal("DEFAULTDIR: \"C:\\A\"\r\n\r\nFILE: \"C:\\A\\B\"\nFILE: \"C:\\A\\C\"");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].kind, JournalKind::kEmpty);
  EXPECT_EQ(entries[3].lineNumber, 4);
  EXPECT_EQ(entries[3].fields[0], "C:\\A\\C");
}

// ---- undoing --------------------------------------------------------------------------

class RecordingServices : public UndoServices {
 public:
  bool deleteShared = false;
  std::vector<std::string> calls;
  bool AskDeleteSharedFile(const std::string& path) override {
    calls.push_back("ask " + path);
    return deleteShared;
  }
  UndoResult UnregisterComponent(const std::string& path, std::string*) override {
    calls.push_back("unregister " + path);
    return UndoResult::kUndone;
  }
  UndoResult DeleteRegistryKey(const std::string& root, const std::string& subkey, std::string*) override {
    calls.push_back("regkey " + root + "\\" + subkey);
    return UndoResult::kUndone;
  }
  UndoResult DeleteProgramItem(const std::string& group, const std::string& caption, std::string*) override {
    calls.push_back("item " + group + "/" + caption);
    return UndoResult::kUndone;
  }
};

class UninstallRun : public RunTest {
 protected:
  // Every file with its bytes, every directory.
  std::map<std::string, std::string> Machine() const {
    std::map<std::string, std::string> state;
    for (const std::string& path : files.List()) {
      std::string bytes;
      state[AsciiUpperCopy(path)] = files.ReadWholeFile(path, &bytes) ? bytes : "<dir>";
    }
    return state;
  }
  void InstallScript(std::initializer_list<std::string> lines) {
    Script(lines);
    EngineSystemChanges changes;
    ASSERT_EQ(Install(nullptr, &changes), 0);
  }
  std::vector<UndoRecord> Uninstall(const std::string& journalPath = "C:\\APP\\install.log") {
    std::string journal;
    EXPECT_TRUE(files.ReadWholeFile(journalPath, &journal));
    UndoContext undo{files, machine, profile, services, journalPath};
    return UndoJournal(undo, ParseJournal(journal));
  }
  // Undoing the lines leaves the engine's protected copy of the journal:
  // a whole run of the uninstaller removes it (UninstallerRun below).
  static void EraseProtectedCopies(std::map<std::string, std::string>* state) {
    for (auto it = state->begin(); it != state->end();)
      it = StartsWithNoCase(it->first, "C:\\WINDOWS\\QUORRIL\\") ? state->erase(it) : std::next(it);
  }
  static std::string Results(const std::vector<UndoRecord>& records, bool all = false) {
    std::string out;
    for (const UndoRecord& r : records)
      if (all || (r.result != UndoResult::kUndone && r.result != UndoResult::kSkipped)) out += std::to_string(r.lineNumber) + " " + UndoResultName(r.result) + ": " + r.why + "\n";
    return out;
  }
  RecordingServices services;
};

TEST_F(UninstallRun, AnInstallationOfFilesAndTextChangesIsTakenBackToTheLastByte) {
  // (a SHARE line is written back in capitals, and CONFIG.SYS's last line
  // keeps the line end its additions gave it)
  files.AddFile("C:\\AUTOEXEC.BAT", "@echo off\r\nPATH C:\\DOS\r\nC:\\DOS\\SHARE.EXE /F:2048\r\nwin\r\n");
  files.AddFile("C:\\CONFIG.SYS", "FILES=10\r\nDEVICE=HIMEM.SYS\r\n");
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=clock.exe\r\nrun=old.exe\r\n[other]\r\nx=1\r\n");
  files.AddFile("C:\\NOTES.TXT", "one\r\ntwo\r\n");
  files.AddFile("C:\\OLD.DAT", "old");
  Source("A.TXT", "a");
  Source("B.TXT", "b");
  files.AddFile("C:\\AUTOEXEC.BAK", "an older backup");
  files.AddFile("C:\\CONFIG.BAK", "an older backup");
  std::map<std::string, std::string> before = Machine();
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR",
                 "RENAME: \"C:\\OLD.DAT\" \"C:\\APP\\NEW.DAT\"",
                 "FILE: \"A.TXT\"", "FILE: \"DEEP\\B.TXT\"",
                 "AUTOEXEC: ADDPATH SHARE=\"/F:4096\" ADD=\"SET APP=$DEFAULTDIR$\"",
                 "CONFIG: FILEMIN=30 BUFFERMIN=20",
                 R"(INIFILE: "windows", "load", "app.exe", "WIN.INI" ADD)",
                 R"(INIFILE: "windows", "run", "app.exe")", R"(INIFILE: "App", "Dir", "$DEFAULTDIR$")",
                 R"(INIFILE: "Settings", "Mode", "full", "APP.INI")",
                 R"(ADDTEXT: "rem app", "C:\NOTES.TXT", "1")", R"(ADDTEXT: "TWO", "C:\NOTES.TXT", "two" REPLACE)",
                 R"(ADDTEXT: "made", "MADE.TXT", "1")"});
  ASSERT_NE(Machine(), before);
  std::vector<UndoRecord> records = Uninstall();
  EXPECT_EQ(Results(records), "");
  std::map<std::string, std::string> after = Machine();
  // The backups of the start-up files are the installation's too; they stay
  // (the old ones were replaced when the files changed).
  after.erase("C:\\SETUP\\SETUP.CFG");
  after.erase("C:\\AUTOEXEC.BAK");
  after.erase("C:\\CONFIG.BAK");
  before.erase("C:\\AUTOEXEC.BAK");
  before.erase("C:\\CONFIG.BAK");
  EraseProtectedCopies(&after);
  EXPECT_EQ(after, before);
}

TEST_F(UninstallRun, WhatTheUserChangedSinceIsKept) {
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nrun=old.exe\r\n");
  Source("A.TXT", "a");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"A.TXT\"",
                 R"(INIFILE: "windows", "run", "app.exe")", R"(INIFILE: "App", "Dir", "x")",
                 R"(ADDTEXT: "added", "C:\APP\A.TXT", "-1")"});
  profile.WriteValue("WIN.INI", "windows", "run", "mine.exe");
  profile.WriteValue("WIN.INI", "App", "Mine", "1");
  files.AddFile("C:\\APP\\A.TXT", "a\r\nadded by me\r\n");
  files.AddFile("C:\\APP\\MINE.TXT", "the user's own file");
  std::vector<UndoRecord> records = Uninstall();
  std::string results = Results(records);
  EXPECT_NE(results.find("kept: its value was changed since"), std::string::npos) << results;
  EXPECT_NE(results.find("kept: the section is not empty"), std::string::npos) << results;
  EXPECT_NE(results.find("kept: the line is no longer there as written"), std::string::npos) << results;
  EXPECT_NE(results.find("kept: it is not empty"), std::string::npos) << results;
  EXPECT_EQ(profile.Value("WIN.INI", "windows", "run", "?"), "mine.exe");
  EXPECT_EQ(profile.Value("WIN.INI", "App", "Mine", "?"), "1");
  EXPECT_EQ(profile.Value("WIN.INI", "App", "Dir", "?"), "?");
  EXPECT_TRUE(files.Exists("C:\\APP\\MINE.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT")) << "an installed file goes even when it was edited";
}

TEST_F(UninstallRun, ASharedComponentIsDeletedOnlyWhenTheUserSaysSo) {
  Source("CTL.DLL", "dll");
  Source("OWN.DLL", "dll");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"$WINSYSDIR$\\CTL.DLL\"",
                 "FILE: \"OWN.DLL\""});
  std::vector<UndoRecord> records = Uninstall();
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\SYSTEM\\CTL.DLL"));
  EXPECT_FALSE(files.Exists("C:\\APP\\OWN.DLL"));
  EXPECT_EQ(services.calls, (std::vector<std::string>{"ask C:\\WINDOWS\\SYSTEM\\CTL.DLL"}));
  services.deleteShared = true;
  files.AddFile("C:\\APP\\install.log", "FILE: \"C:\\WINDOWS\\SYSTEM\\CTL.DLL\"\r\n");
  Uninstall();
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\SYSTEM\\CTL.DLL"));
}

struct RefusalCase {
  const char* line;
  const char* why;
};

TEST_F(UninstallRun, AnEditedJournalCannotTurnTheUninstallerAgainstTheMachine) {
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\WINDOWS\\SYSTEM\\KEEP.DLL", "x");
  files.AddFile("C:\\KEEP.TXT", "x");
  files.AddDirectory("C:\\EMPTY");
  const RefusalCase cases[] = {
      {R"(FILE: "KEEP.TXT")", "it is not a full path on a drive"},
      {R"(FILE: "\KEEP.TXT")", "it is not a full path on a drive"},
      {R"(FILE: "C:\APP\..\KEEP.TXT")", "it holds a \".\" or \"..\" component"},
      {R"(FILE: "C:\APP\.\..\KEEP.TXT")", "it holds a \".\" or \"..\" component"},
      {R"(FILE: "C:\APP\NUL")", "it names a device"},
      {R"(FILE: "C:\APP\com1.txt")", "it names a device"},
      {R"(FILE: "\\server\share\x")", "it is not a full path on a drive"},
      {R"(FILE: "C:\WINDOWS")", "it is a directory"},
      {R"(DIRECTORY: "C:\")", "it is a drive root"},
      {R"(DEFAULTDIR: "C:\WINDOWS")", "it is a directory of the system"},
      {R"(DIRECTORY: "c:\windows\system\")", "it is a directory of the system"},
      {R"(DIRECTORY: "C:\APP\..")", "it holds a \".\" or \"..\" component"},
      {R"(ADDTEXT: "", ..\..\KEEP.TXT, "x")", "it holds a \".\" or \"..\" component"},
      {R"(RENAME: C:\KEEP.TXT, C:\APP\..\X)", "it holds a \".\" or \"..\" component"},
      {R"(INIFILE: "s", "k", "v", "C:\APP\..\X.INI")", "it holds a \".\" or \"..\" component"},
      {R"(RegServer: "C:\APP\..\X.OCX")", "it holds a \".\" or \"..\" component"},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.line);
    files.AddFile("C:\\APP\\install.log", std::string("DEFAULTDIR: \"C:\\APP\"\r\n") + c.line + "\r\n");
    std::vector<UndoRecord> records = Uninstall();
    auto line2 = std::find_if(records.begin(), records.end(), [](const UndoRecord& r) { return r.lineNumber == 2; });
    ASSERT_NE(line2, records.end());
    const UndoRecord& record = *line2;
    EXPECT_EQ(record.result, UndoResult::kRefused);
    EXPECT_EQ(record.why, c.why);
  }
  EXPECT_TRUE(files.Exists("C:\\KEEP.TXT"));
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\SYSTEM\\KEEP.DLL"));
  EXPECT_TRUE(services.calls.empty());
}

TEST_F(UninstallRun, ADirectoryAboveTheJournalsOwnGoesOnlyOnceTheJournalsOwnHasGone) {
  const std::string journal =
      "DIRECTORY: \"C:\\TOP\"\r\nDIRECTORY: \"C:\\TOP\\APP\"\r\nDEFAULTDIR: \"C:\\TOP\\APP\"\r\n";
  // The user's own file keeps the destination, so the folder above stays
  // even where it would be empty without it.
  files.AddFile("C:\\TOP\\APP\\MINE.TXT", "mine");
  files.AddFile("C:\\TOP\\APP\\install.log", journal);
  std::vector<UndoRecord> records = Uninstall("C:\\TOP\\APP\\install.log");
  EXPECT_TRUE(files.Exists("C:\\TOP\\APP\\MINE.TXT"));
  EXPECT_NE(Results(records).find("1 refused: it holds the journal's own directory"), std::string::npos)
      << Results(records);
  // Without it, the destination and the folder made for it both go.
  files.DeleteFile("C:\\TOP\\APP\\MINE.TXT");
  files.AddFile("C:\\TOP\\APP\\install.log", journal);
  records = Uninstall("C:\\TOP\\APP\\install.log");
  EXPECT_FALSE(files.Exists("C:\\TOP")) << Results(records, true);
  EXPECT_EQ(Results(records), "");
}

TEST_F(UninstallRun, TwoInstallationsInOneJournalAreBothUndoneLastFirst) {
  Source("A.TXT", "a");
  std::map<std::string, std::string> before = Machine();
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"A.TXT\"",
                 R"(ADDTEXT: "first", "C:\APP\LIST.TXT", "-1")"});
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"TWO\\A.TXT\"",
                 R"(ADDTEXT: "second", "LIST.TXT", "-1")"});
  std::string list;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\LIST.TXT", &list));
  EXPECT_EQ(list, "first\r\nsecond\r\n");
  std::vector<UndoRecord> records = Uninstall();
  std::map<std::string, std::string> after = Machine();
  after.erase("C:\\SETUP\\SETUP.CFG");
  EraseProtectedCopies(&after);
  EXPECT_EQ(after, before) << Results(records, true);
}

TEST_F(UninstallRun, AJournalCutInTheMiddleOfALineUndoesTheRestAndSaysWhatItLeft) {
  Source("A.TXT", "a");
  Source("B.TXT", "b");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"A.TXT\"", "FILE: \"B.TXT\""});
  std::string journal;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &journal));
  journal.resize(journal.size() - 8);  // "FILE: "C:\APP\B.T"
  files.AddFile("C:\\APP\\install.log", journal);
  std::vector<UndoRecord> records = Uninstall();
  EXPECT_EQ(Results(records).substr(0, 41), "8 kept: a damaged line: its field is not ") << Results(records);
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_TRUE(files.Exists("C:\\APP\\B.TXT")) << "never guessed at";
}

TEST_F(UninstallRun, ProgramItemsRegistryKeysAndComponentsGoLastFirstTheKeysDeepestFirst) {
  files.AddDirectory("C:\\APP");
  files.AddFile("C:\\APP\\install.log",
                "DEFAULTDIR: \"C:\\APP\"\r\nRegServer: \"C:\\APP\\X.OCX\"\r\nREGKEY: \"HKEY_CURRENT_USER\", \"Software\\A\\B\"\r\n"
                "REGKEY: \"HKEY_CURRENT_USER\", \"Software\\A\"\r\nWINITEM: \"Group\", \"Item\"\r\n");
  Uninstall();
  EXPECT_EQ(services.calls, (std::vector<std::string>{"item Group/Item", "regkey HKEY_CURRENT_USER\\Software\\A\\B",
                                                      "regkey HKEY_CURRENT_USER\\Software\\A",
                                                      "unregister C:\\APP\\X.OCX"}));
}

TEST_F(UninstallRun, RegistryKeysTheInstallationMadeGoDeepestFirstAndNoOtherKey) {
  bool created;
  ASSERT_TRUE(registry.CreateKey(RegistryRootKey::kLocalMachine, "Software\\Vendor", &created));
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "BEGINREGISTRY",
                 R"(KEY NEW "HKEY_LOCAL_MACHINE\Software\Vendor\App\Settings")", R"(VALUE STRING NEW "Dir" "C:\APP")",
                 "ENDREGISTRY"});
  ASSERT_TRUE(registry.KeyExists(RegistryRootKey::kLocalMachine, "Software\\Vendor\\App\\Settings"));
  // The user's own key below the installation's keeps App.
  ASSERT_TRUE(registry.CreateKey(RegistryRootKey::kCurrentUser, "Software\\Mine\\Own", &created));
  files.AddFile("C:\\EXTRA\\extra.log", "REGKEY: \"HKEY_CURRENT_USER\", \"Software\\Mine\"\r\nREGKEY: \"HKEY_CURRENT_USER\", \"Software\"\r\n"
                "REGKEY: \"HKEY_NOWHERE\", \"A\\B\"\r\n");
  PortUndoServices ports(registry, process, programManager);
  std::string journal;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &journal));
  UndoContext undo{files, machine, profile, ports, "C:\\APP\\install.log"};
  EXPECT_EQ(Results(UndoJournal(undo, ParseJournal(journal))), "");
  EXPECT_FALSE(registry.KeyExists(RegistryRootKey::kLocalMachine, "Software\\Vendor\\App"));
  EXPECT_TRUE(registry.KeyExists(RegistryRootKey::kLocalMachine, "Software\\Vendor"));
  std::string extra;
  ASSERT_TRUE(files.ReadWholeFile("C:\\EXTRA\\extra.log", &extra));
  UndoContext other{files, machine, profile, ports, "C:\\EXTRA\\extra.log"};
  EXPECT_EQ(Results(UndoJournal(other, ParseJournal(extra))),
            "1 kept: it still has subkeys\n2 refused: it is a root or first-level key\n3 refused: it names no root key\n");
  EXPECT_TRUE(registry.KeyExists(RegistryRootKey::kCurrentUser, "Software\\Mine\\Own"));
}

TEST_F(UninstallRun, ProgramItemsAndComponentsAreTakenBackThroughTheShellAndTheComponent) {
  Source("APP.EXE", "MZ");
  Source("CTL.OCX", "MZ");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"APP.EXE\"", "FILE: \"CTL.OCX\"",
                 "REGSERVER: \"CTL.OCX\"", R"x(WINITEM: "Tools", "$DEFAULTDIR$\APP.EXE", "App, (beta)")x"});
  ASSERT_EQ(programManager.Captions("Tools"), (std::vector<std::string>{"App, (beta)"}));
  PortUndoServices ports(registry, process, programManager);
  std::string journal;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &journal));
  UndoContext undo{files, machine, profile, ports, "C:\\APP\\install.log"};
  EXPECT_EQ(Results(UndoJournal(undo, ParseJournal(journal))), "");
  EXPECT_TRUE(programManager.Captions("Tools").empty());
  EXPECT_NE(programManager.FindGroup("Tools"), nullptr) << "a group is never deleted";
  EXPECT_EQ(process.unregistered, (std::vector<std::string>{"C:\\APP\\CTL.OCX"}));
  EXPECT_FALSE(files.Exists("C:\\APP"));
}

TEST_F(UninstallRun, AGroupOnlyLineDeletesTheGroupOnlyWhenTheShellSaysItIsEmpty) {
  PortUndoServices ports(registry, process, programManager);
  ASSERT_TRUE(programManager.Begin());
  ASSERT_TRUE(programManager.Execute("[CreateGroup(Empty)][CreateGroup(Shared)][AddItem(OTHER.EXE, Other)]"));
  programManager.End();
  files.AddDirectory("C:\\APP");
  const std::string journal =
      "WINITEM: \"Empty\", \"\"\r\nWINITEM: \"Shared\", \"\"\r\nWINITEM: \"Gone\", \"\"\r\n";
  files.AddFile("C:\\APP\\install.log", journal);
  UndoContext undo{files, machine, profile, ports, "C:\\APP\\install.log"};
  // A shell that cannot describe a group (Wine's) keeps every group.
  programManager.describesGroups = false;
  EXPECT_EQ(Results(UndoJournal(undo, ParseJournal(journal))),
            "2 kept: the shell cannot tell whether the group is empty\n"
            "1 kept: the shell cannot tell whether the group is empty\n");
  EXPECT_NE(programManager.FindGroup("Empty"), nullptr);
  programManager.describesGroups = true;
  files.AddFile("C:\\APP\\install.log", journal);
  EXPECT_EQ(Results(UndoJournal(undo, ParseJournal(journal)), true),
            "3 skipped: its group is not there\n2 kept: the group holds items\n1 undone: \n0 undone: \n");
  EXPECT_EQ(programManager.FindGroup("Empty"), nullptr);
  EXPECT_EQ(programManager.Captions("Shared"), (std::vector<std::string>{"Other"}));
  // An item line of a group that has gone does not make the group anew.
  files.AddFile("C:\\APP\\install.log", "WINITEM: \"Empty\", \"App\"\r\n");
  EXPECT_EQ(Results(UndoJournal(undo, ParseJournal("WINITEM: \"Empty\", \"App\"\r\n")), true),
            "1 skipped: its group is not there\n0 undone: \n");
  EXPECT_EQ(programManager.FindGroup("Empty"), nullptr);
}

// ---- the uninstaller's run --------------------------------------------------------------

TEST(UninstallArguments, SwitchesInAnyCaseAndOneJournal) {
  struct Case {
    const char* arguments;
    bool ok, silent, verySilent;
    const char* log;
    const char* journal;
  } cases[] = {
      {"", true, false, false, "", ""},
      {"/silent C:\\APP\\install.log", true, true, false, "", "C:\\APP\\install.log"},
      {"/VERYSILENT /LOG=\"C:\\My Logs\\u.txt\" \"C:\\My App\\install.log\"", true, true, true,
       "C:\\My Logs\\u.txt", "C:\\My App\\install.log"},
      {"/QUIET", false, false, false, "", ""},
      {"/LOG=", false, false, false, "", ""},
      {"a.log b.log", false, false, false, "", "a.log"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    UninstallOptions options;
    std::string error;
    EXPECT_EQ(ParseUninstallArguments(c.arguments, &options, &error), c.ok) << error;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(options.silent, c.silent);
    EXPECT_EQ(options.verySilent, c.verySilent);
    EXPECT_EQ(options.logPath, c.log);
    EXPECT_EQ(options.journalPath, c.journal);
  }
}

class UninstallerRun : public UninstallRun {
 protected:
  int Run(UninstallOptions options, const std::string& executable = "C:\\APP\\unstall.exe") {
    UninstallPorts ports{files, machine, profile, ui, process, services, registry};
    return RunUninstall(ports, options, executable);
  }
  // Runs the batch files the uninstaller starts, as the command interpreter
  // would once the uninstaller has ended: each DEL and RMDIR line in turn.
  void ActOutStartedBatchFiles() {
    process.hook = [this](const std::string& command) {
      size_t at = command.find(" /C \"");
      if (at == std::string::npos) return false;
      std::string bytes;
      if (!files.ReadWholeFile(command.substr(at + 5, command.size() - at - 6), &bytes)) return false;
      batches.push_back(bytes);
      for (size_t start = 0, end; start < bytes.size(); start = end + 2) {
        end = bytes.find("\r\n", start);
        std::string line = bytes.substr(start, end - start);
        if (line.compare(0, 5, "DEL \"") == 0) files.DeleteFile(line.substr(5, line.size() - 6));
        if (line.compare(0, 7, "RMDIR \"") == 0) files.RemoveDirectory(line.substr(7, line.size() - 8));
      }
      return true;
    };
  }
  std::vector<std::string> batches;
  void Installed() {
    Source("A.TXT", "a");
    Source("CTL.DLL", "dll");
    InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR",
                   "UNINSTALLTITLEPROMPT: \"Remove App\"", "FILE: \"A.TXT\"", "FILE: \"$WINSYSDIR$\\CTL.DLL\""});
    ui.boxes.clear();
    ui.log.clear();
  }
};

TEST_F(UninstallerRun, AsksUnderTheJournalsTitleUndoesAndSaysWhatWasLeft) {
  Installed();
  ui.answers = {kIdYes, kIdNo, kIdOk};
  EXPECT_EQ(Run({}), kUninstallIncomplete) << "the shared component was kept";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Remove App|Do you want this application removed from your system?",
                         "Remove App|The file C:\\WINDOWS\\SYSTEM\\CTL.DLL may be used by other programs as well.\n\n"
                         "Do you want to remove it?",
                         "Remove App|This application has been successfully removed from your system.\n\n1 item was left "
                         "in place: they were changed since, are shared, or could not be removed.",
                     }));
  EXPECT_FALSE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP")) << "the journal and its directory went last";
  EXPECT_TRUE(files.Exists("C:\\WINDOWS\\SYSTEM\\CTL.DLL"));
}

TEST_F(UninstallerRun, AFileInUseGoesAtTheNextStartAndTheEndMessageSaysSo) {
  Installed();
  files.SetInUse("C:\\APP\\A.TXT", true);
  ui.answers = {kIdYes, kIdYes, kIdOk};
  EXPECT_EQ(Run({}), kUninstallIncomplete) << "its directory cannot go yet";
  EXPECT_EQ(files.DeletedAtRestart(), (std::vector<std::string>{"C:\\APP\\A.TXT"}));
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_NE(ui.boxes[2].text.find("1 file is in use: Windows removes them when it starts again."), std::string::npos)
      << ui.boxes[2].text;
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\SYSTEM\\CTL.DLL")) << "the user let the shared component go";
}

TEST_F(UninstallerRun, ADeclinedQuestionRemovesNothing) {
  Installed();
  ui.answers = {kIdNo};
  EXPECT_EQ(Run({}), kUninstallIncomplete);
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_TRUE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_TRUE(files.Exists("C:\\APP\\install.log"));
}

TEST_F(UninstallerRun, SilentlyItAsksNothingKeepsSharedFilesAndLogsEveryLine) {
  Installed();
  UninstallOptions options;
  options.silent = options.verySilent = true;
  options.logPath = "C:\\un.log";
  EXPECT_EQ(Run(options), kUninstallIncomplete);
  EXPECT_TRUE(ui.boxes.empty());
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\un.log", &log));
  EXPECT_NE(log.find(": undone: FILE: \"C:\\APP\\A.TXT\"\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": kept: FILE: \"C:\\WINDOWS\\SYSTEM\\CTL.DLL\" (a component other programs may share)\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("journal: undone: C:\\APP\\install.log"), std::string::npos) << log;
}

TEST_F(UninstallerRun, RunFromTheDestinationItLeavesItselfToABatchFileThatFinishesTheJob) {
  Source("A.TXT", "a");
  Source("unstall.exe", "MZ");
  std::map<std::string, std::string> before = Machine();
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APPS\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"A.TXT\"",
                 "FILE: \"unstall.exe\""});
  ActOutStartedBatchFiles();
  UninstallOptions options;
  options.silent = true;
  options.logPath = "C:\\un.log";
  EXPECT_EQ(Run(options, "C:\\APPS\\APP\\unstall.exe"), kUninstallDone);
  ASSERT_EQ(process.started.size(), 1u);
  EXPECT_EQ(process.started[0].commandLine, "\"C:\\WINDOWS\\COMMAND.COM\" /C \"C:\\WINDOWS\\TEMP\\~unst000.bat\"");
  EXPECT_EQ(process.started[0].showState, kShowHide);
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\un.log", &log));
  EXPECT_NE(log.find("after the uninstaller: FILE: \"C:\\APPS\\APP\\unstall.exe\""), std::string::npos) << log;
  std::map<std::string, std::string> after = Machine();
  for (const char* expected : {"C:\\SETUP\\SETUP.CFG", "C:\\UN.LOG"})
    EXPECT_EQ(after.erase(expected), 1u) << expected;
  EXPECT_EQ(after, before) << "nothing is left, the batch file included";
}

TEST_F(UninstallerRun, WhenNoBatchFileCanTakeOverItsFileStaysAndTheRunSaysSo) {
  Source("unstall.exe", "MZ");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"unstall.exe\""});
  process.hook = [](const std::string&) { return false; };
  ui.boxes.clear();
  ui.answers = {kIdYes, kIdOk};
  EXPECT_EQ(Run({}), kUninstallIncomplete);
  EXPECT_TRUE(files.Exists("C:\\APP\\unstall.exe"));
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\TEMP\\~unst000.bat")) << "the batch file that could not start is gone";
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_NE(ui.boxes[1].text.find("items were left in place"), std::string::npos) << ui.boxes[1].text;
}

TEST_F(UninstallerRun, TheProgressWindowsCancelStopsTheWorkAndKeepsTheJournal) {
  Source("A.TXT", "a");
  Source("B.TXT", "b");
  InstallScript({"UNINSTALL: YES", "DEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR", "FILE: \"A.TXT\"",
                 "FILE: \"B.TXT\""});
  ui.log.clear();
  ui.pumps = 0;
  ui.answers = {kIdYes, kIdOk};
  ui.cancelAtPump = 2;
  EXPECT_EQ(Run({}), kUninstallIncomplete);
  EXPECT_FALSE(files.Exists("C:\\APP\\B.TXT")) << "the last file went before the Cancel";
  EXPECT_TRUE(files.Exists("C:\\APP\\A.TXT"));
  EXPECT_TRUE(files.Exists("C:\\APP\\install.log")) << "another run can finish the job";
  EXPECT_EQ(ui.Logged("progress"), (std::vector<std::string>{"progress:1", "progress-end"}));
  ASSERT_EQ(ui.log.size(), 4u);
  EXPECT_EQ(ui.log[2], "progress-end") << "the window has gone before the end message";
  UninstallOptions verySilent;
  verySilent.silent = verySilent.verySilent = true;
  ui.log.clear();
  ui.cancelAtPump = 1;
  EXPECT_EQ(Run(verySilent), kUninstallDone) << "no window, nothing to cancel";
  EXPECT_TRUE(ui.log.empty());
}

TEST_F(UninstallerRun, AMissingJournalIsToldAndEndsWithTwo) {
  EXPECT_EQ(Run({}), kUninstallNoJournal);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "UnInstall|The installation log C:\\APP\\install.log cannot be read, so nothing can be removed."}));
  UninstallOptions silent;
  silent.silent = true;
  silent.journalPath = "C:\\NONE\\install.log";
  ui.boxes.clear();
  EXPECT_EQ(Run(silent), kUninstallNoJournal);
  EXPECT_TRUE(ui.boxes.empty());
}

// ---- The protected copy of the journal ---------------------------------------------

TEST_F(UninstallerRun, AnEditedJournalIsNotFollowedWhenTheProtectedCopyIsThere) {
  files.AddFile("C:\\WINDOWS\\SYSTEM\\KERNEL.DLL", "the system's");
  files.AddFile("C:\\OTHER\\THEIRS.TXT", "another user's");
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=clock.exe\r\n");
  std::map<std::string, std::string> before = Machine();
  Installed();
  const std::string copy = ProtectedCopyPath("C:\\WINDOWS", "C:\\APP\\install.log");
  ASSERT_TRUE(files.Exists(copy));
  // Each edit a user who may write to the destination could make: lines
  // added, a line turned against another file, the journal deleted.
  const char* const edits[] = {
      "FILE: \"C:\\WINDOWS\\SYSTEM\\KERNEL.DLL\"\r\nFILE: \"C:\\OTHER\\THEIRS.TXT\"\r\n",
      "INIFILE: \"windows\", \"load\", \"clock.exe\", \"WIN.INI\"\r\n",
      nullptr,
  };
  for (const char* edit : edits) {
    SCOPED_TRACE(edit ? edit : "(journal deleted)");
    std::string journal, copyBytes;
    ASSERT_TRUE(files.ReadWholeFile(copy, &copyBytes));
    if (edit)
      files.AddFile("C:\\APP\\install.log", copyBytes + edit);
    else
      files.DeleteFile("C:\\APP\\install.log");
    for (bool silent : {false, true}) {
      // The first run of each pair stops at the question; the second removes.
      ui.boxes.clear();
      UninstallOptions options;
      options.silent = silent;
      options.logPath = "C:\\UNINST.TXT";
      if (!silent) {
        ui.answers = {kIdOk, kIdNo};
        EXPECT_EQ(Run(options), kUninstallIncomplete);
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[0].text,
                  "The installation log C:\\APP\\install.log differs from its protected copy " + copy +
                      ", which the installation wrote. Only what the protected copy names is removed.");
        EXPECT_EQ(ui.boxes[0].style, uint32_t(kMbOk | kMbIconWarning));
        EXPECT_TRUE(files.Exists("C:\\APP\\A.TXT")) << "declined: nothing removed";
        continue;
      }
      EXPECT_EQ(Run(options), kUninstallIncomplete) << "an administrator learns of the edit";
      EXPECT_TRUE(ui.boxes.empty());
      std::string log;
      ASSERT_TRUE(files.ReadWholeFile("C:\\UNINST.TXT", &log));
      EXPECT_EQ(log.substr(0, log.find("\r\n")),
                "journal C:\\APP\\install.log: differs from " + copy + ": the protected copy is followed");
      files.DeleteFile("C:\\UNINST.TXT");
    }
    // Undone as the copy says, nothing the edited lines name touched, the
    // copy gone with the journal.
    // (The package's sources stay, and so does the shared component that
    // a silent run keeps.)
    std::map<std::string, std::string> after = Machine();
    for (const char* kept : {"C:\\SETUP\\SETUP.CFG", "C:\\SETUP\\A.TXT", "C:\\SETUP\\CTL.DLL",
                             "C:\\WINDOWS\\SYSTEM\\CTL.DLL"})
      after.erase(kept);
    EXPECT_EQ(after, before);
    if (::testing::Test::HasFailure()) return;
    Installed();
  }
}

TEST_F(UninstallerRun, AJournalThatMatchesItsCopyOrHasNoneIsUndoneAsBefore) {
  Installed();
  const std::string copy = ProtectedCopyPath("C:\\WINDOWS", "C:\\APP\\install.log");
  std::string journal, copyBytes;
  ASSERT_TRUE(files.ReadWholeFile("C:\\APP\\install.log", &journal));
  ASSERT_TRUE(files.ReadWholeFile(copy, &copyBytes));
  EXPECT_EQ(copyBytes, journal);
  UninstallOptions silent;
  silent.silent = true;
  EXPECT_EQ(Run(silent), kUninstallIncomplete) << "only the shared component was kept";
  EXPECT_FALSE(files.Exists("C:\\APP"));
  EXPECT_FALSE(files.Exists(copy)) << "the copy goes with the journal";
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\QUORRIL")) << "a folder with no other copy goes too";

  // Without a copy (an engine of before, a system without access lists)
  // the journal is followed as it is, and nothing is said about it.
  Installed();
  files.DeleteFile(copy);
  files.AddFile("C:\\APP\\MORE.TXT", "named by the journal only");
  files.AddFile("C:\\APP\\install.log", journal + "FILE: \"C:\\APP\\MORE.TXT\"\r\n");
  silent.logPath = "C:\\UNINST.TXT";
  Run(silent);
  EXPECT_FALSE(files.Exists("C:\\APP\\MORE.TXT"));
  EXPECT_FALSE(files.Exists("C:\\APP"));
  std::string log;
  ASSERT_TRUE(files.ReadWholeFile("C:\\UNINST.TXT", &log));
  EXPECT_EQ(log.find("differs"), std::string::npos) << log;

  // A copy that cannot be deleted stays, and the log says so.
  Installed();
  files.SetInUse(copy, true);
  EXPECT_EQ(Run(silent), kUninstallIncomplete);
  ASSERT_TRUE(files.ReadWholeFile("C:\\UNINST.TXT", &log));
  EXPECT_NE(log.find("journal: failed: " + copy + " (it cannot be deleted)"), std::string::npos) << log;
  EXPECT_TRUE(files.Exists(copy));
}

}  // namespace
}  // namespace quorril::testing
