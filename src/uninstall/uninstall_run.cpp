// One run of the uninstaller (see uninstall_run.h).
#include "uninstall/uninstall_run.h"

#include <memory>
#include <vector>

#include "journal/journal.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/user_interface.h"
#include "platform/windows_path.h"
#include "system/text_file.h"
#include "system/uninstall_key.h"

namespace quorril {
namespace {

// The services of the caller, with the shared-file question asked here.
class AskingServices : public UndoServices {
 public:
  AskingServices(const UninstallPorts& ports, const UninstallOptions& options, const std::string& title)
      : ports_(ports), options_(options), title_(title) {}
  bool AskDeleteSharedFile(const std::string& path) override {
    if (options_.silent) return false;
    std::string text = "The file " + path +
                       " may be used by other programs as well.\n\nDo you want to remove it?";
    return ShowMessageBox(ports_.ui, text, title_, kMbYesNo | kMbIconQuestion, false) == kIdYes;
  }
  UndoResult UnregisterComponent(const std::string& path, std::string* why) override {
    return ports_.services.UnregisterComponent(path, why);
  }
  UndoResult DeleteRegistryKey(const std::string& root, const std::string& subkey, std::string* why) override {
    return ports_.services.DeleteRegistryKey(root, subkey, why);
  }
  UndoResult DeleteProgramItem(const std::string& group, const std::string& caption, std::string* why) override {
    return ports_.services.DeleteProgramItem(group, caption, why);
  }

 private:
  const UninstallPorts& ports_;
  const UninstallOptions& options_;
  const std::string& title_;
};

void WriteLog(FileSystem& files, const std::string& path, const std::vector<UndoRecord>& records,
              const std::string& prelude) {
  std::string text = prelude;
  for (const UndoRecord& r : records) {
    text += (r.lineNumber > 0 ? "line " + FormatInt(r.lineNumber) : std::string("journal")) + ": " +
            UndoResultName(r.result) + ": " + r.line;
    if (!r.why.empty()) text += " (" + r.why + ")";
    text += "\r\n";
  }
  std::unique_ptr<FileHandle> out = files.Open(path, OpenMode::kCreate);
  if (out) out->Write(text.data(), uint32_t(text.size()));
}

// The next word of an argument list: a quoted text or up to a blank.
std::string NextWord(const std::string& text, size_t* at) {
  while (*at < text.size() && (text[*at] == ' ' || text[*at] == '\t')) ++*at;
  std::string word;
  bool quoted = false;
  while (*at < text.size() && (quoted || (text[*at] != ' ' && text[*at] != '\t'))) {
    if (text[*at] == '"')
      quoted = !quoted;
    else
      word += text[*at];
    ++*at;
  }
  return word;
}

// A free name "~unstNNN.bat" in the temporary directory; empty when none.
std::string FreeBatchName(FileSystem& files) {
  std::string directory;
  if (!files.GetTempDirectory(&directory) || directory.empty()) return std::string();
  for (int n = 0; n < 1000; ++n) {
    std::string path = JoinPath(directory, "~unst" + std::string(n < 10 ? "00" : n < 100 ? "0" : "") +
                                               FormatInt(n) + ".bat");
    if (files.GetAttributes(path) == kInvalidAttributes) return path;
  }
  return std::string();
}

// Writes and starts the batch file that removes `paths` once this program
// has ended. False when it cannot.
bool RemoveAfterExit(const UninstallPorts& ports, const std::vector<std::string>& paths) {
  std::string interpreter;
  if (!ports.machine.EnvironmentVariable("COMSPEC", &interpreter) || interpreter.empty()) return false;
  std::string batch = FreeBatchName(ports.files);
  if (batch.empty()) return false;
  std::string text = AfterExitBatchText(paths, batch);
  {
    std::unique_ptr<FileHandle> out = ports.files.Open(batch, OpenMode::kCreate);
    if (!out || out->Write(text.data(), uint32_t(text.size())) != int32_t(text.size())) {
      out.reset();
      ports.files.DeleteFile(batch);
      return false;
    }
  }
  if (ports.process.Start("\"" + interpreter + "\" /C \"" + batch + "\"", kShowHide)) return true;
  ports.files.DeleteFile(batch);
  return false;
}

// The progress window of a run that shows one: the line at work and the
// share done; its Cancel stops the work.
class ProgressWindow {
 public:
  ProgressWindow(UserInterface& ui, bool shown, const std::string& title) : ui_(ui), shown_(shown) {
    if (shown_) ui_.CreateProgressDialog(1, DialogTexts{});
    if (shown_) ui_.SetProgressTexts(title, "");
  }
  ~ProgressWindow() { Close(); }
  void Close() {
    if (shown_) ui_.DestroyProgressDialog();
    shown_ = false;
  }
  bool Step(size_t done, size_t total) {
    if (!shown_) return true;
    ui_.ShowProgress(int32_t(total == 0 ? 100 : done * 100 / total));
    return !ui_.PumpMessages();
  }

 private:
  UserInterface& ui_;
  bool shown_;
};

// Removes the installation's entry among the installed programs once its
// journal has gone, and records what became of it.
void RemoveListing(Registry& registry, const std::string& journalPath, std::vector<UndoRecord>* records) {
  std::string key = "HKEY_LOCAL_MACHINE\\" + UninstallKeyPath(journalPath);
  switch (RemoveUninstallKey(registry, journalPath)) {
    case UninstallKeyRemoval::kAbsent:
      return;
    case UninstallKeyRemoval::kRemoved:
      records->push_back(UndoRecord{0, key, UndoResult::kUndone, std::string()});
      return;
    case UninstallKeyRemoval::kOtherJournal:
      records->push_back(UndoRecord{0, key, UndoResult::kSkipped, "it names another installation's journal"});
      return;
    case UninstallKeyRemoval::kFailed:
      records->push_back(UndoRecord{0, key, UndoResult::kFailed, "it cannot be deleted"});
      return;
  }
}

// Deletes the protected copy of a journal that has gone, and its folder
// when no other installation keeps a copy there.
void RemoveProtectedCopy(FileSystem& files, const std::string& copyPath, std::vector<UndoRecord>* records) {
  bool deleted = files.DeleteFile(copyPath);
  records->push_back(
      UndoRecord{0, copyPath, deleted ? UndoResult::kUndone : UndoResult::kFailed, deleted ? "" : "it cannot be deleted"});
  if (deleted) files.RemoveDirectory(CutAtLastBackslash(copyPath));
}

}  // namespace

std::string AfterExitBatchText(const std::vector<std::string>& paths, const std::string& batchPath) {
  std::string text = "@ECHO OFF\r\nSET N=0\r\n";
  bool first = true;
  for (const std::string& path : paths) {
    std::string quoted = "\"" + path + "\"";
    if (first) {
      // The program may still be ending: its file is tried again for a while.
      text += ":again\r\nDEL " + quoted + "\r\nIF NOT EXIST " + quoted +
              " GOTO gone\r\nSET /A N=N+1\r\nIF %N% GEQ 60 GOTO gone\r\nPING -n 2 127.0.0.1 >NUL\r\n"
              "GOTO again\r\n:gone\r\n";
      first = false;
    } else {
      text += "RMDIR " + quoted + "\r\n";
    }
  }
  return text + "DEL \"" + batchPath + "\"\r\n";
}

bool ParseUninstallArguments(const std::string& arguments, UninstallOptions* options, std::string* error) {
  size_t at = 0;
  for (;;) {
    std::string word = NextWord(arguments, &at);
    if (word.empty()) {
      if (at >= arguments.size()) return true;
      continue;
    }
    if (EqualsNoCase(word, "/SILENT")) {
      options->silent = true;
    } else if (EqualsNoCase(word, "/VERYSILENT")) {
      options->silent = options->verySilent = true;
    } else if (StartsWithNoCase(word, "/LOG=")) {
      options->logPath = word.substr(5);
      if (options->logPath.empty()) return *error = "/LOG= needs a file name", false;
    } else if (word[0] == '/') {
      return *error = "unknown switch " + word, false;
    } else if (!options->journalPath.empty()) {
      return *error = "more than one journal: " + word, false;
    } else {
      options->journalPath = word;
    }
  }
}

int RunUninstall(const UninstallPorts& ports, const UninstallOptions& options, const std::string& executablePath) {
  FileSystem& files = ports.files;
  std::string journalPath =
      options.journalPath.empty() ? JoinPath(CutAtLastBackslash(executablePath), "install.log") : options.journalPath;
  if (!IsAbsolutePath(journalPath)) journalPath = JoinPath(files.GetCurrentDirectory(), journalPath);

  // The protected copy, when the engine kept one, is what the installation
  // wrote: the journal in the destination may have been edited since.
  const std::string copyPath = ProtectedCopyPath(ports.machine.WindowsDirectory(), journalPath);
  std::string bytes, copyBytes;
  bool haveJournal = ReadWholeFile(files, journalPath, &bytes) == TextRead::kRead;
  bool haveCopy = ReadWholeFile(files, copyPath, &copyBytes) == TextRead::kRead;
  std::string difference;
  if (haveCopy && (!haveJournal || copyBytes != bytes))
    difference = "The installation log " + journalPath + " differs from its protected copy " + copyPath +
                 ", which the installation wrote. Only what the protected copy names is removed.";
  if (haveCopy) bytes.swap(copyBytes);
  std::string prelude = difference.empty() ? std::string() : "journal " + journalPath + ": differs from " + copyPath +
                                                                 ": the protected copy is followed\r\n";
  if (!haveJournal && !haveCopy) {
    if (!options.silent)
      ShowMessageBox(ports.ui, "The installation log " + journalPath + " cannot be read, so nothing can be removed.",
                     std::string(kDefaultTitlePrompt), kMbOk | kMbIconError, false);
    if (!options.logPath.empty()) WriteLog(files, options.logPath, {}, "journal " + journalPath + ": cannot be read\r\n");
    return kUninstallNoJournal;
  }
  std::vector<JournalEntry> entries = ParseJournal(bytes);

  // The texts of the latest installation in the journal.
  std::string begin = kDefaultBeginPrompt, end = kDefaultEndPrompt, title = kDefaultTitlePrompt;
  for (const JournalEntry& e : entries) {
    if (e.kind == JournalKind::kBeginPrompt) begin = e.fields[0];
    if (e.kind == JournalKind::kEndPrompt) end = e.fields[0];
    if (e.kind == JournalKind::kTitlePrompt) title = e.fields[0];
  }

  if (!options.silent && !difference.empty())
    ShowMessageBox(ports.ui, difference, title, kMbOk | kMbIconWarning, false);
  if (!options.silent && ShowMessageBox(ports.ui, begin, title, kMbYesNo | kMbIconQuestion, false) != kIdYes) {
    if (!options.logPath.empty()) WriteLog(files, options.logPath, {}, prelude + "declined: nothing was removed\r\n");
    return kUninstallIncomplete;
  }

  AskingServices services(ports, options, title);
  std::vector<std::string> afterExit;
  ProgressWindow progress(ports.ui, !options.verySilent, title);
  UndoContext ctx{files, ports.machine, ports.profile, services, journalPath};
  ctx.runningPath = executablePath;
  ctx.afterExit = &afterExit;
  ctx.progress = [&progress](size_t done, size_t total) { return progress.Step(done, total); };
  std::vector<UndoRecord> records = UndoJournal(ctx, entries);
  progress.Close();
  if (!afterExit.empty() && !RemoveAfterExit(ports, afterExit))
    for (UndoRecord& r : records)
      if (r.result == UndoResult::kAtExit) {
        r.result = UndoResult::kKept;
        r.why = "it could not be left for removal after the uninstaller";
      }

  if (files.GetAttributes(journalPath) == kInvalidAttributes) {
    RemoveListing(ports.registry, journalPath, &records);
    if (haveCopy) RemoveProtectedCopy(files, copyPath, &records);
  }

  int left = 0, atRestart = 0;
  for (const UndoRecord& r : records) {
    if (r.result == UndoResult::kKept || r.result == UndoResult::kFailed || r.result == UndoResult::kRefused) ++left;
    if (r.result == UndoResult::kAtRestart) ++atRestart;
  }
  if (!options.logPath.empty()) WriteLog(files, options.logPath, records, prelude);
  if (!options.silent) {
    std::string text = end;
    if (atRestart > 0)
      text += "\n\n" + FormatInt(atRestart) + (atRestart == 1 ? " file is" : " files are") +
              " in use: Windows removes them when it starts again.";
    if (left > 0)
      text += "\n\n" + FormatInt(left) + (left == 1 ? " item was" : " items were") +
              " left in place: they were changed since, are shared, or could not be removed.";
    ShowMessageBox(ports.ui, text, title, kMbOk | (left > 0 ? kMbIconWarning : kMbIconInformation), false);
  }
  return left > 0 || !difference.empty() ? kUninstallIncomplete : kUninstallDone;
}

}  // namespace quorril
