// quorril-pack simulate: the in-memory machine, one run of the engine's
// start-up, run sequence and exit phase over it, and the report made from
// the answers given, the machine's files before and after, and the journal.
#include "simulate.h"

#include <map>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "platform/memory/memory_program_manager.h"
#include "platform/memory/memory_registry.h"
#include "platform/text.h"
#include "shell/answering_ui.h"
#include "shell/exit_phase.h"
#include "shell/run_sequence.h"
#include "shell/script_screens.h"
#include "shell/setup_context.h"
#include "shell/startup.h"
#include "shell/system_changes.h"

namespace quorril::pack {

namespace {

constexpr char kEngineName[] = "SETUP.EXE";

// What the drives hold: files with their contents, directories (ending in
// "\") with none, by their upper-case paths.
struct Snapshot {
  struct Entry {
    std::string path;
    std::string contents;
  };
  std::map<std::string, Entry> entries;
};

Snapshot TakeSnapshot(const MemoryFileSystem& files) {
  Snapshot snapshot;
  for (const std::string& path : files.List()) {
    Snapshot::Entry entry{path, {}};
    if (path.empty() || path.back() != '\\') files.ReadWholeFile(path, &entry.contents);
    snapshot.entries[AsciiUpperCopy(path)] = std::move(entry);
  }
  return snapshot;
}

// "X:\NAME...", not ending in "\".
bool IsFullWindowsPath(const std::string& path) {
  return path.size() > 3 && IsAsciiAlpha(path[0]) && path[1] == ':' && path[2] == '\\' && path.back() != '\\';
}

bool IsDirectory(const std::string& path) { return !path.empty() && path.back() == '\\'; }

// The overwrite questions answered No: the files kept.
std::vector<std::string> KeptFiles(const std::vector<std::string>& log, const std::string& question) {
  std::vector<std::string> kept;
  const std::string head = "question: " + question;
  const std::string tail = "? No";
  for (const std::string& line : log)
    if (!question.empty() && line.compare(0, head.size(), head) == 0 && line.size() >= head.size() + tail.size() &&
        line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
      kept.push_back(line.substr(head.size(), line.size() - head.size() - tail.size()));
  return kept;
}

void Report(const Snapshot& before, const Snapshot& after, const std::vector<std::string>& kept,
            std::string* out) {
  for (const auto& [key, entry] : after.entries) {
    auto old = before.entries.find(key);
    if (IsDirectory(entry.path)) {
      if (old == before.entries.end()) *out += "  directory " + entry.path.substr(0, entry.path.size() - 1) + "\n";
      continue;
    }
    if (old != before.entries.end() && old->second.contents == entry.contents) continue;
    *out += "  file " + entry.path + " " + FormatInt(int64_t(entry.contents.size())) + " bytes " +
            (old == before.entries.end() ? "new" : "replaced") + "\n";
  }
  for (const std::string& path : kept) *out += "  file " + path + " kept\n";
  for (const auto& [key, entry] : before.entries)
    if (!after.entries.count(key))
      *out += std::string("  ") + (IsDirectory(entry.path) ? "directory " : "file ") + entry.path + " deleted\n";
}

// The system changes as the journal records them: every line but the
// files and directories, which the report lists from the machine itself,
// and the destination and the uninstaller's texts.
void ReportChanges(const std::string& journal, std::string* out) {
  for (const std::string& line : SplitLines(journal)) {
    if (line.empty() || StartsWithNoCase(line, "FILE: ") || StartsWithNoCase(line, "DIRECTORY: ") ||
        StartsWithNoCase(line, "DEFAULTDIR: ") || StartsWithNoCase(line, "UNINSTALL"))
      continue;
    *out += "  change " + line + "\n";
  }
}

}  // namespace

bool ParseSimulateArguments(const std::vector<std::string>& args, SimulateRequest* request, std::string* error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string* target = nullptr;
    if (arg == "--answers") target = &request->answersPath;
    if (arg == "--journal") target = &request->journalPath;
    if (arg == "--windows-dir") target = &request->windowsDirectory;
    if (arg == "--system-dir") target = &request->systemDirectory;
    if (arg == "--processor") {
      const std::string value = i + 1 < args.size() ? args[i + 1] : std::string();
      if (value != "386" && value != "486" && value != "586") {
        *error = "--processor takes 386, 486 or 586";
        return false;
      }
      request->processor = uint32_t(ParseInt(value));
      ++i;
      continue;
    }
    if (arg == "--put") {
      if (i + 2 >= args.size() || !IsFullWindowsPath(args[i + 1]) || args[i + 2].empty()) {
        *error = "--put takes a full Windows path such as C:\\AUTOEXEC.BAT and a host file";
        return false;
      }
      request->puts.emplace_back(args[i + 1], args[i + 2]);
      i += 2;
      continue;
    }
    if (!target) {
      rest.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      *error = arg + " needs a value";
      return false;
    }
    *target = args[++i];
  }
  for (const std::string* dir : {&request->windowsDirectory, &request->systemDirectory})
    if (!IsFullWindowsPath(*dir)) {
      *error = "--windows-dir and --system-dir take a full Windows path such as C:\\WINDOWS";
      return false;
    }
  return ParseCheckArguments(rest, &request->machine, error);
}

SimulateResult RunSimulation(const SimulateRequest& request, const SimulateInput& input) {
  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProcess process;
  MemoryProfile profile(files, machine);
  MemoryRegistry registry;
  MemoryProgramManager programManager;
  BuildCheckMachine(request.machine, input.folder, &files, &machine);
  machine.windowsDirectory = request.windowsDirectory;
  machine.systemDirectory = request.systemDirectory;
  machine.processor = request.processor;
  files.AddDirectory(request.windowsDirectory);
  files.AddDirectory(request.systemDirectory);
  for (const CheckFile& put : input.puts) {
    char drive = AsciiUpper(put.name[0]);
    if (files.GetDriveType(std::string(1, drive) + ":\\") == DriveType::kNoRootDir) files.AddDrive(drive, DriveType::kFixed);
    size_t cut = put.name.rfind('\\');
    if (cut > 2) files.AddDirectory(put.name.substr(0, cut));
    files.AddFile(put.name, put.contents, kAttrArchive, put.modified);
  }

  std::string executable = std::string(kCheckSourceDirectory) + "\\" + (input.package ? input.folder.scriptName : kEngineName);
  machine.executablePath = executable;
  std::string arguments = input.package ? std::string() : input.folder.scriptName;
  for (const std::string& option : request.machine.options) arguments += " -" + option;

  Snapshot before = TakeSnapshot(files);
  AnsweringUi ui(input.answers);
  SetupContext ctx(Ports{&files, &machine, &process, &ui, &ui, &profile, &registry, &programManager});
  ui.SetScript(&ctx.script);
  ScriptScreens screens(ui);
  screens.AnswerChoices(input.answers.choices);
  EngineSystemChanges changes;
  InstallRun run(ctx, &screens, &changes);
  run.AnswerDisks(&input.answers.disks);

  bool started = Startup(ctx, arguments, executable);
  if (started) {
    ui.RunMessageLoop(&run);
    if (run.PhaseRan()) {
      RunExitPhase(ctx, run.RebootRequest());
      HandOverUninstaller(ctx);
    }
  }
  ExitCleanup(ctx);
  Snapshot after = TakeSnapshot(files);

  SimulateResult result;
  bool installed = started && run.PhaseRan() && run.Result() == 0;
  result.exitCode = installed ? kSimulateInstalled : kSimulateStopped;
  std::string& out = result.output;
  out = std::string("SIMULATE: ") + (installed ? "installed" : "stopped") + "\n";
  if (!installed && !ui.LastMessage().empty()) out += "  stopped by: " + ui.LastMessage() + "\n";
  // The files copied are listed from the machine below.
  for (const std::string& line : ui.Log())
    if (line.compare(0, 9, "copying: ") != 0) out += "  " + line + "\n";
  Report(before, after, KeptFiles(ui.Log(), ctx.Prompt(PromptId::kFileExist)), &out);
  if (!ctx.journal.path.empty()) result.hasJournal = files.ReadWholeFile(ctx.journal.path, &result.journal);
  if (result.hasJournal) ReportChanges(result.journal, &out);
  for (const MemoryProcess::Started& s : process.started) out += "  start " + s.commandLine + "\n";
  for (size_t i = 0; i < process.restarts.size(); ++i) out += "  restart Windows\n";
  return result;
}

}  // namespace quorril::pack
