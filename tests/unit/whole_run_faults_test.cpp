// Faults everywhere: complete installations on the in-memory machine, each
// run once cleanly to count the calls it makes of every port, and then once
// for every call N with call N failing, once and from then on. Whatever
// fails, the run ends, says why it stopped, leaves every target whole or as
// it was, loses nothing the user had, and its journal names exactly the
// changes that stand at the end.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "container_test_support.h"
#include "run_test_support.h"
#include "platform/memory/fault_file_system.h"
#include "platform/memory/fault_ports.h"
#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/memory_program_manager.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/thread_worker.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/parser.h"
#include "shell/run_sequence.h"
#include "shell/setup_context.h"
#include "shell/system_changes.h"
#include "uninstall/journal_reader.h"

namespace quorril::testing {
namespace {

using Persistence = FaultSchedule::Persistence;

// Answers as a patient user would: OK, Yes and Retry (and No to quitting)
// a few times, then Cancel, No (and Yes to quitting), so that a question
// that comes back without end ends.
class PatientUserInterface : public ScriptedUserInterface {
 public:
  int ShowMessageBox(const MessageBoxRequest& request) override {
    boxes.push_back(request);
    uint32_t buttons = request.style & 0x0F;
    bool patient = boxes.size() <= 5;
    // "Do you wish to quit?" (the one Yes/No warning) is answered Yes once
    // patience runs out; other questions No.
    if (buttons == kMbYesNo && (request.style & 0xF0) == kMbIconWarning) return patient ? kIdNo : kIdYes;
    if (buttons == kMbYesNo || buttons == 3 /* MB_YESNOCANCEL */) return patient ? kIdYes : kIdNo;
    if (buttons == kMbOkCancel) return patient ? kIdOk : kIdCancel;
    if (buttons == 5 /* MB_RETRYCANCEL */) return patient ? 4 /* IDRETRY */ : kIdCancel;
    if (buttons == 2 /* MB_ABORTRETRYIGNORE */) return patient ? 4 : 3 /* IDABORT */;
    return kIdOk;
  }
};

// One machine, its ports behind one fault schedule.
struct World {
  static constexpr const char* kScriptPath = "C:\\SETUP\\SETUP.CFG";

  // `beside`: container members are decoded on a worker thread.
  explicit World(bool beside) : beside(beside) { PrepareSetupMachine(memory, ctx); }

  // Parses the script (no faults yet), arms the fault and installs.
  int Install(const std::string& script, int64_t failAt, Persistence persistence) {
    memory.AddFile(kScriptPath, script);
    CreateInstallScript(ctx.script, files, machine);
    EXPECT_EQ(ParseScript(ctx.ForScript(), kScriptPath), 0) << ctx.script.parser.lastError.lineText;
    schedule.FailCall(failAt, persistence);
    schedule.SetLimit(limit);
    EngineSystemChanges changes;
    InstallRun run(ctx, nullptr, &changes);
    run.OnInstallPhase();
    calls = schedule.Calls();
    schedule.StopFailing();
    schedule.SetLimit(0);
    return run.Result();
  }

  // Every file with its bytes, every directory as "<dir>".
  std::map<std::string, std::string> Disk() const {
    std::map<std::string, std::string> state;
    for (const std::string& path : memory.List()) {
      std::string bytes;
      state[AsciiUpperCopy(path)] = memory.ReadWholeFile(path, &bytes) ? bytes : "<dir>";
    }
    return state;
  }

  FaultSchedule schedule;
  int64_t limit = 0;
  int64_t calls = 0;
  MemoryFileSystem memory;
  FaultFileSystem files{memory, &schedule};
  MemoryMachine machine;
  MemoryProcess innerProcess;
  FaultProcess process{innerProcess, schedule};
  PatientUserInterface ui;
  MemoryProfile innerProfile{files, machine};
  FaultProfile profile{innerProfile, schedule};
  MemoryRegistry innerRegistry;
  FaultRegistry registry{innerRegistry, schedule};
  MemoryProgramManager innerShell{&memory};
  FaultProgramManager programManager{innerShell, schedule};
  const bool beside;
  ThreadWorker worker;
  SetupContext ctx{
      Ports{&files, &machine, &process, &ui, nullptr, &profile, &registry, &programManager, beside ? &worker : nullptr}};
};

struct Installation {
  const char* name;
  void (*prepare)(World&);
  const char* script;
  bool beside = false;  // container members decoded on a worker thread
};

void PlainFiles(World& w) {
  w.memory.AddFile("C:\\SETUP\\A.TXT", std::string(70000, 'a'));
  w.memory.AddFile("C:\\SETUP\\B.TXT", "bee");
  w.memory.AddFile("C:\\SETUP\\README.TXT", "read me");
  w.memory.AddFile("C:\\APPS\\APP\\OWN.TXT", "the user's own");
  w.memory.AddFile("C:\\APPS\\APP\\README.TXT", "an older read-me", kAttrArchive, DosDateTime{0x2021, 0});
}

void Containers(World& w) {
  std::string big;
  for (int i = 0; i < 3000; ++i) big += "line " + std::to_string(i) + " of the container's text\r\n";
  // Each volume after the first is asked for as the next disk entry of
  // the script (three follow the container, one per volume after the first), found where the first was.
  std::vector<ContainerVolume> volumes =
      BuildContainer({{"alpha.txt", big}, {"docs\\beta.txt", "beta"}, {"gamma.txt", std::string(5000, 'g')}}, 4096);
  EXPECT_EQ(volumes.size(), 4u);
  for (const ContainerVolume& v : volumes) w.memory.AddFile("C:\\SETUP\\" + v.name, v.bytes);
  w.memory.AddFile("C:\\SETUP\\LAST.TXT", "after the disk question");
}

void RenamesAndDeletes(World& w) {
  w.memory.AddFile("C:\\DATA\\ONE.TXT", "one");
  w.memory.AddFile("C:\\DATA\\A.OLD", "a");
  w.memory.AddFile("C:\\DATA\\B.OLD", "b");
  w.memory.AddFile("C:\\DATA\\TMP\\X.TMP", "x");
  w.memory.AddFile("C:\\DATA\\KEEP.TXT", "keep");
  w.memory.AddFile("C:\\SETUP\\NEW.TXT", "new");
}

void TextChanges(World& w) {
  w.memory.AddFile("C:\\AUTOEXEC.BAT", "@echo off\r\nPATH C:\\DOS\r\n");
  w.memory.AddFile("C:\\CONFIG.SYS", "FILES=10\r\n");
  w.memory.AddFile("C:\\DATA\\OWN.INI", "[Settings]\r\nMode=lite\r\n");
  w.memory.AddFile("C:\\DATA\\NOTES.TXT", "one\r\ntwo\r\n");
  w.memory.AddFile("C:\\SETUP\\A.TXT", "a");
}

void RegistryGroupsComponents(World& w) {
  w.memory.AddFile("C:\\SETUP\\APP.EXE", "MZ app");
  w.memory.AddFile("C:\\SETUP\\CTL.OCX", "MZ control");
}

const Installation kInstallations[] = {
    {"plain files into two new levels, over an older file", PlainFiles,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\APPS\\APP\" NOASKDRIVE NOASKDIR\r\nFILE: \"A.TXT\"\r\n"
     "FILE: \"DOCS\\B.TXT\"\r\nFILE: \"README.TXT\"\r\n"},
    {"a container over volumes, and a disk question", Containers,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR\r\nFILE: \"DATA.Z\"\r\n"
     "INSERTDISK \"Disk 2\"\r\nINSERTDISK \"Disk 3\"\r\nINSERTDISK \"Disk 4\"\r\nFILE: \"LAST.TXT\"\r\n"},
    {"the same container, its members decoded beside the writes", Containers,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR\r\nFILE: \"DATA.Z\"\r\n"
     "INSERTDISK \"Disk 2\"\r\nINSERTDISK \"Disk 3\"\r\nINSERTDISK \"Disk 4\"\r\nFILE: \"LAST.TXT\"\r\n", true},
    {"renames and deletes of the user's files", RenamesAndDeletes,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\DATA\" NOASKDRIVE NOASKDIR\r\n"
     "RENAME: \"C:\\DATA\\ONE.TXT\" \"C:\\DATA\\UNO.TXT\"\r\nRENAME: \"C:\\DATA\\*.OLD\" \"C:\\DATA\\OLD\\*.BAK\"\r\n"
     "FILE: \"NEW.TXT\"\r\nDELETE: \"C:\\DATA\\TMP\\*.TMP\"\r\n"},
    {"start-up files, INI files and text lines", TextChanges,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\UNI\" NOASKDRIVE NOASKDIR\r\n"
     "AUTOEXEC: ADDPATH ADD=\"SET UNI=$DEFAULTDIR$\"\r\nCONFIG: FILEMIN=40 ADD=\"DEVICE=$DEFAULTDIR$\\UNI.SYS\"\r\n"
     "INIFILE: \"Settings\", \"Dir\", \"$DEFAULTDIR$\", \"UNI.INI\"\r\n"
     "INIFILE: \"Settings\", \"Mode\", \"full\", \"C:\\DATA\\OWN.INI\"\r\n"
     "ADDTEXT: \"rem installed\", \"C:\\DATA\\NOTES.TXT\", \"2\"\r\nFILE: \"A.TXT\"\r\n"},
    {"registry keys, program items and a component", RegistryGroupsComponents,
     "UNINSTALL: YES\r\nDEFAULTDIR: \"C:\\APP\" NOASKDRIVE NOASKDIR\r\nFILE: \"APP.EXE\"\r\nFILE: \"CTL.OCX\"\r\n"
     "REGSERVER: \"CTL.OCX\"\r\n"
     "WINITEM: \"Tools\", \"$DEFAULTDIR$\\APP.EXE\", \"App\"\r\n"
     "BEGINREGISTRY\r\nKEY NEW \"HKEY_LOCAL_MACHINE\\Software\\Fault\\App\"\r\n"
     "VALUE STRING NEW \"Path\" \"$DEFAULTDIR$\"\r\nENDREGISTRY\r\n"},
};

// The journal's lines of one kind, by their first field.
std::set<std::string> Journalled(const std::string& journal, JournalKind kind) {
  std::set<std::string> out;
  for (const JournalEntry& e : ParseJournal(journal))
    if (e.kind == kind && !e.fields.empty()) out.insert(AsciiUpperCopy(e.fields[0]));
  return out;
}

class WholeRunFaults : public ::testing::TestWithParam<Installation> {};

TEST_P(WholeRunFaults, EveryCallOfEveryPortFailedInTurn) {
  const Installation& installation = GetParam();
  World clean(installation.beside);
  installation.prepare(clean);
  std::map<std::string, std::string> before = clean.Disk();
  int cleanResult = clean.Install(installation.script, 0, Persistence::kOnce);
  std::string shown;
  for (const MessageBoxRequest& box : clean.ui.boxes) shown += box.text + "|";
  ASSERT_EQ(cleanResult, 0) << shown;
  if (installation.beside) ASSERT_GT(clean.worker.jobs, 0) << "the members were decoded on the worker";
  std::map<std::string, std::string> done = clean.Disk();
  const std::string journalPath = AsciiUpperCopy(clean.ctx.journal.path);
  ASSERT_FALSE(journalPath.empty());
  // The protected copy and its folder are the engine's own, not the
  // installation's: checked against the journal below.
  const std::string copyPath = AsciiUpperCopy(clean.ctx.journal.copyPath);
  const std::string copyFolder = CutAtLastBackslash(copyPath) + "\\";
  ASSERT_EQ(done[copyPath], done[journalPath]);
  std::set<std::string> cleanFiles = Journalled(done[journalPath], JournalKind::kFile);
  const int64_t calls = clean.calls;
  ASSERT_GT(calls, 20);

  for (Persistence persistence : {Persistence::kOnce, Persistence::kFromThenOn}) {
    for (int64_t n = 1; n <= calls; ++n) {
      SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) +
                   (persistence == Persistence::kOnce ? ", once" : ", from then on"));
      World w(installation.beside);
      installation.prepare(w);
      w.limit = calls * 20;
      int result = w.Install(installation.script, n, persistence);
      ASSERT_FALSE(w.schedule.Runaway()) << "the run does not end";
      if (result != 0) {
        EXPECT_FALSE(w.ui.boxes.empty()) << "a stop that says nothing";
      }
      std::map<std::string, std::string> now = w.Disk();

      // Every path holds what it held before, or what the whole
      // installation gives it: no target is half written, nothing the
      // user had is lost. (INI files are written in place by the
      // system's profile functions, whose failures may cut them.)
      std::set<std::string> paths;
      for (const auto& [path, bytes] : before) paths.insert(path);
      for (const auto& [path, bytes] : done) paths.insert(path);
      for (const auto& [path, bytes] : now) paths.insert(path);
      for (const std::string& path : paths) {
        if (path == journalPath || path == copyPath || path == copyFolder || (path.size() > 4 && path.compare(path.size() - 4, 4, ".INI") == 0)) continue;
        auto was = before.find(path), whole = done.find(path), is = now.find(path);
        std::string wasText = was == before.end() ? "<none>" : was->second;
        std::string wholeText = whole == done.end() ? "<none>" : whole->second;
        std::string isText = is == now.end() ? "<none>" : is->second;
        // A directory made on the way may stay; it is journalled (below).
        if (isText == "<dir>" && wasText == "<none>") continue;
        // When every call fails from the fault on, not even the removal of
        // a new file cut short can succeed: it stays, unjournalled, where
        // nothing stood before.
        if (persistence == Persistence::kFromThenOn && wasText == "<none>" &&
            (wholeText.compare(0, isText.size(), isText) == 0 || FileName(path) == "~ZEMKO.TMP"))
          continue;
        EXPECT_TRUE(isText == wasText || isText == wholeText)
            << path << " holds \"" << isText.substr(0, 40) << "\": neither as before nor as installed ("
            << (w.ui.boxes.empty() ? std::string("no message") : w.ui.boxes.back().text) << ")";
      }

      // The journal names every file and directory of the installation
      // that stands at the end, and nothing that does not.
      std::string journal = (now.count(journalPath) ? now[journalPath] : "") + w.ctx.journal.pending;
      SCOPED_TRACE("journal:\n" + journal + "(pending: " + w.ctx.journal.pending + ")");
      std::set<std::string> files = Journalled(journal, JournalKind::kFile);
      for (const std::string& file : files)
        EXPECT_TRUE(now.count(file) && now[file] != "<dir>") << "journalled but not there: " << file;
      for (const std::string& file : cleanFiles) {
        if (now.count(file) && now[file] == done[file] && (!before.count(file) || before[file] != done[file])) {
          EXPECT_TRUE(files.count(file)) << "installed but not journalled: " << file;
        }
      }
      std::set<std::string> directories = Journalled(journal, JournalKind::kDirectory);
      for (const auto& [path, bytes] : now) {
        if (bytes == "<dir>" && !before.count(path) && path != copyFolder) {
          EXPECT_TRUE(directories.count(WithoutTrailingBackslash(path)))
              << "a directory made but not journalled: " << path;
        }
      }

      // The copy holds the journal's bytes, but for those still waiting.
      EXPECT_EQ((now.count(copyPath) ? now[copyPath] : "") + w.ctx.journal.copyPending,
                now.count(journalPath) ? now[journalPath] : "");

      // The other ports: keys, items and components likewise.
      std::set<std::string> keys;
      for (const JournalEntry& e : ParseJournal(journal))
        if (e.kind == JournalKind::kRegKey) keys.insert(AsciiUpperCopy(e.fields[1]));
      for (const char* key : {"SOFTWARE\\FAULT", "SOFTWARE\\FAULT\\APP"})
        EXPECT_EQ(w.innerRegistry.KeyExists(RegistryRootKey::kLocalMachine, key), keys.count(key) == 1) << key;
      EXPECT_EQ(!w.innerShell.Captions("Tools").empty(), Journalled(journal, JournalKind::kWinItem).count("TOOLS") == 1);
      std::set<std::string> registered;
      for (const std::string& path : w.innerProcess.components) registered.insert(AsciiUpperCopy(path));
      if (!w.innerProcess.components.empty() || !Journalled(journal, JournalKind::kRegServer).empty()) {
        EXPECT_EQ(Journalled(journal, JournalKind::kRegServer), registered);
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Installations, WholeRunFaults, ::testing::ValuesIn(kInstallations),
                         [](const ::testing::TestParamInfo<Installation>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c; ++c)
                             if (IsAsciiAlpha(*c)) name += *c;
                           return name;
                         });

}  // namespace
}  // namespace quorril::testing
