// The engine's process: the switches, the two roads (as always without
// switches; over an AnsweringUi with them), the log and the exit code.
#include "shell/engine_process.h"

#include <memory>
#include <vector>

#include "model/capacities.h"
#include "platform/text.h"
#include "script/parser.h"
#include "system/text_file.h"
#include "shell/answering_ui.h"
#include "shell/exit_phase.h"
#include "shell/run_sequence.h"
#include "shell/script_screens.h"
#include "shell/setup_context.h"
#include "shell/startup.h"
#include "shell/system_changes.h"

namespace quorril {

namespace {

// A token up to the next blank, tab or line feed outside double quotes;
// the quotes are taken away.
bool NextToken(const std::string& text, size_t* pos, std::string* token, size_t* start) {
  const char* blanks = " \t\n";
  *pos = text.find_first_not_of(blanks, *pos);
  if (*pos == std::string::npos) return false;
  *start = *pos;
  token->clear();
  bool quoted = false;
  for (; *pos < text.size(); ++*pos) {
    char c = text[*pos];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == ' ' || c == '\t' || c == '\n')) break;
    *token += c;
  }
  return true;
}

bool TakeValue(const std::string& token, size_t nameLength, std::string* value, bool* given, std::string* error) {
  if (*given) {
    *error = "given twice: " + token;
    return false;
  }
  *value = token.substr(nameLength);
  if (value->empty()) {
    *error = "no value: " + token;
    return false;
  }
  *given = true;
  return true;
}

// Reads an answers file through the ports; "" when it was read, else why not.
std::string LoadAnswers(FileSystem& files, const std::string& path, Answers* answers) {
  std::unique_ptr<FileHandle> in = files.Open(path, OpenMode::kRead);
  if (!in) return "cannot open the answers file " + path;
  int64_t size = in->Size();
  if (size < 0) return "cannot read the answers file " + path;
  if (uint64_t(size) > kAnswersFileLimit) return path + ": " + AnswersStatusText(AnswersStatus::kTooLarge);
  std::string bytes(size_t(size), '\0');
  if (size > 0 && in->Read(&bytes[0], uint32_t(size)) != int32_t(size)) return "cannot read the answers file " + path;
  AnswersResult read = ReadAnswers(bytes, answers);
  if (read.status != AnswersStatus::kOk) return path + ": " + read.Message();
  return "";
}

// The log of a run with /LOG: kept in memory and written whole at the end
// (and on every failure before the run), through a handle opened first.
class RunLog {
 public:
  bool Open(FileSystem& files, const std::string& path) {
    if (path.empty()) return true;
    file_ = files.Open(path, OpenMode::kCreate);
    return file_ != nullptr;
  }
  void Line(const std::string& text) { text_ += text + "\r\n"; }
  void Journal(const std::string& journal) {
    for (const std::string& line : SplitLines(journal))
      if (!line.empty()) Line("journal: " + line);
  }
  void Write() {
    if (file_) file_->Write(text_.data(), uint32_t(text_.size()));
    file_.reset();
  }

 private:
  std::unique_ptr<FileHandle> file_;
  std::string text_;
};

// The road without switches: exactly the engine's run as it always was.
int RunAsAlways(const Ports& ports, const std::string& arguments, const std::string& executablePath) {
  SetupContext ctx(ports);
  ScriptScreens screens(*ports.screens);
  EngineSystemChanges changes;
  InstallRun run(ctx, &screens, &changes);
  if (Startup(ctx, arguments, executablePath)) {
    ports.ui->RunMessageLoop(&run);
    if (run.PhaseRan()) {
      RunExitPhase(ctx, run.RebootRequest());
      HandOverUninstaller(ctx);
    }
  }
  ExitCleanup(ctx);
  return kExitInstalled;
}

}  // namespace

bool SplitEngineSwitches(const std::string& arguments, EngineSwitches* switches, std::string* rest,
                         std::string* error) {
  *rest = arguments;
  std::string kept;
  size_t pos = 0, start = 0;
  std::string token;
  bool dirGiven = false, answersGiven = false, logGiven = false, modeGiven = false;
  while (NextToken(arguments, &pos, &token, &start)) {
    if (token.empty() || token[0] != '/') {
      if (!kept.empty()) kept += ' ';
      kept += arguments.substr(start, pos - start);
      continue;
    }
    switches->any = true;
    std::string upper = AsciiUpperCopy(token);
    std::string dir;
    if (upper == "/SILENT" || upper == "/VERYSILENT") {
      if (modeGiven) {
        *error = "given twice: " + token;
        return false;
      }
      modeGiven = true;
      switches->silent = true;
      switches->verySilent = upper == "/VERYSILENT";
    } else if (upper.compare(0, 5, "/DIR=") == 0) {
      if (!TakeValue(token, 5, &dir, &dirGiven, error)) return false;
      switches->dir = dir;
    } else if (upper.compare(0, 9, "/LOADINF=") == 0) {
      if (!TakeValue(token, 9, &switches->answersPath, &answersGiven, error)) return false;
    } else if (upper.compare(0, 5, "/LOG=") == 0) {
      if (!TakeValue(token, 5, &switches->logPath, &logGiven, error)) return false;
    } else {
      *error = "unknown switch: " + token;
      return false;
    }
  }
  if (switches->any) *rest = kept;
  return true;
}

int RunEngineProcess(const Ports& ports, const std::string& arguments, const std::string& executablePath) {
  EngineSwitches switches;
  std::string rest, error;
  bool switchesRead = SplitEngineSwitches(arguments, &switches, &rest, &error);
  if (switchesRead && !switches.any) return RunAsAlways(ports, arguments, executablePath);

  RunLog log;
  Answers answers;
  if (switchesRead && !log.Open(*ports.files, switches.logPath))
    error = "cannot create the log " + switches.logPath;
  if (error.empty() && !switches.answersPath.empty()) error = LoadAnswers(*ports.files, switches.answersPath, &answers);
  if (error.empty() && switches.dir) {
    if (switches.dir->size() > capacity::kPath)
      error = "/DIR= is longer than 999 characters";
    else
      answers.dir = switches.dir;
  }
  if (!error.empty()) {
    log.Line("failed: " + error);
    log.Write();
    if (!switches.verySilent)
      ShowMessageBox(*ports.ui,
                     error + "\n\nquorril [/SILENT | /VERYSILENT] [/DIR=PATH] [/LOADINF=FILE] [/LOG=FILE] [SCRIPT]",
                     std::string(" "), kMbOk | kMbIconWarning, false);
    return kExitFailed;
  }

  // The windows a person sees: all of them without /SILENT, the main
  // window and the progress dialog with it, none with /VERYSILENT.
  UserInterface* shown = switches.verySilent ? nullptr : ports.ui;
  ScreenSurface* shownSurface = switches.verySilent ? nullptr : ports.screens;
  AnsweringUi ui(answers, shown, shownSurface);
  if (!switches.silent) ui.AskThePerson();
  Ports answered = ports;
  answered.ui = &ui;
  answered.screens = &ui;
  SetupContext ctx(answered);
  ctx.startup.unattended = true;
  ui.SetScript(&ctx.script);
  ScriptScreens screens(ui);
  if (switches.silent) screens.AnswerChoices(answers.choices);
  EngineSystemChanges changes;
  InstallRun run(ctx, &screens, &changes);
  if (switches.silent) run.AnswerDisks(&answers.disks);

  log.Line("start: " + executablePath + (rest.empty() ? "" : " " + rest));
  bool started = Startup(ctx, rest, executablePath);
  if (started) {
    log.Line("script: " + ctx.startup.scriptPath);
    ui.RunMessageLoop(&run);
    if (run.PhaseRan()) {
      if (switches.silent && !ReadmeCommandLine(ctx).empty()) log.Line("readme: not shown (unattended)");
      RunExitPhase(ctx, run.RebootRequest(), !switches.silent);
      HandOverUninstaller(ctx);
    }
  }
  ExitCleanup(ctx);

  int code = kExitInstalled;
  if (!started || !run.PhaseRan() || run.Result() != 0) {
    if (ui.Quit())
      code = kExitCancelled;
    else if (!started)
      // The script's own exit message ends it on purpose; anything else
      // that ends start-up showed why it failed.
      code = ctx.script.parser.failure == ParseFailure::kExitMessage ? kExitCancelled : kExitFailed;
    else
      code = ui.LastMessage().empty() ? kExitCancelled : kExitFailed;
  }
  for (const std::string& line : ui.Log()) log.Line(line);
  // What the journal does not say: access lists that could not be set.
  for (const std::string& note : ctx.journal.notes) log.Line("note: " + note);
  std::string journal;
  if (!ctx.journal.path.empty() && ReadWholeFile(ctx.files(), ctx.journal.path, &journal) == TextRead::kRead)
    log.Journal(journal);
  switch (code) {
    case kExitInstalled: log.Line("result: installed"); break;
    case kExitCancelled: log.Line("result: cancelled"); break;
    default:
      log.Line("result: failed" + (ui.LastMessage().empty() ? std::string() : ": " + ui.LastMessage()));
      break;
  }
  log.Write();
  return code;
}

}  // namespace quorril
