// The install run sequence: the steps of message 1025 in their order, the
// destination checker behind the destination dialog's OK button, the disk
// questions, and the copy code's host.
//
// Organisation: RunSequence() calls one member per step and stops at the
// first step that answers 1; each step reads the script model and settings
// from the context and shows its own messages. The copy code reaches the
// run only through the CopyHost members at the end of the file.
#include "shell/run_sequence.h"

#include <cstdio>
#include <limits>

#include "journal/journal.h"
#include "model/script_model.h"
#include "model/variables.h"
#include "package/file_install.h"
#include "package/target_writer.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/parser.h"
#include "shell/setup_context.h"

namespace quorril {

namespace {

// The caption of the run's warnings and of the disk question.
constexpr char kCaptionBlank[] = " ";
// The ask mode, path and prompt of a destination the script does not name.
constexpr char kDefaultDestination[] = "C:\\NEWFILES";
constexpr char kDefaultDestinationPrompt[] = "Please enter the destination drive and directory:";
constexpr char kJournalName[] = "\\install.log";

void Warn(SetupContext& ctx, const std::string& text) {
  ctx.ShowMessage(text, std::string(kCaptionBlank), kMbOk | kMbIconWarning);
}

// The quit question of the disk questions: empty caption, Yes and No,
// exclamation icon.
bool ConfirmQuit(SetupContext& ctx) {
  return ctx.ShowMessage(ctx.Prompt(PromptId::kQuit), std::string(), kMbYesNo | kMbIconWarning) != kIdNo;
}

// The prompt of a dialog as the script gave it: state 1 with a text,
// state 0 without.
DialogPrompt PromptOf(const std::string& text, bool given) {
  DialogPrompt prompt;
  prompt.state = given ? 1 : 0;
  if (given) prompt.text = text;
  return prompt;
}

// What OK accepts in a destination dialog: the candidate path built from
// the typed text, created level by level. Refusals show their message and
// keep the dialog open.
class DestinationCheck : public DestinationChecker {
 public:
  DestinationCheck(SetupContext& ctx, CopyHost& host, std::string path, int askMode)
      : ctx_(ctx), host_(host), path_(std::move(path)), askMode_(askMode) {}

  bool Accept(const std::string& typed) override {
    Candidate candidate = BuildCandidate(path_, askMode_, typed);
    switch (candidate.status) {
      case CandidateStatus::kAccept:
        // A directory that cannot be made is reported as the copy code reports it.
        if (MakeTargetDirectory(ctx_.ForCopy(host_), candidate.candidate) != kMakeDirectoryOk) return false;
        path_ = candidate.candidate;
        return true;
      case CandidateStatus::kBadDrive:
        Warn(ctx_, ctx_.Prompt(PromptId::kBadDrive));
        return false;
      case CandidateStatus::kBadDirectory:
        // Too long for a destination: the same message as a directory that
        // cannot be created.
        host_.ReportFailure(CopyFailure::kBadDirectory, candidate.candidate);
        return false;
      case CandidateStatus::kEndAtOnce:
        return true;
      case CandidateStatus::kBadMode: {
        Warn(ctx_, "AskFlag = " + FormatInt(askMode_));
        if (ctx_.script.model) ctx_.script.model->error = true;
        return true;
      }
    }
    return false;
  }

  const std::string& Path() const { return path_; }

 private:
  SetupContext& ctx_;
  CopyHost& host_;
  std::string path_;
  int askMode_;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A variable value as the variables table holds it.
std::string AsVariable(std::string value) {
  CutToCapacity(value, ScriptVariables::kValueCapacity);
  return value;
}

}  // namespace

std::string ComponentPath(const ScriptVariables& variables, const std::string& name) {
  std::string path = name;
  ExpandLeadingVariable(variables, &path);
  if (!IsAbsolutePath(path)) path = variables.defaultDir + "\\" + path;
  return path;
}

MessageBoxRequest CopyFailureMessage(CopyFailure failure, const std::string& path, const PromptTexts& prompts) {
  struct Form {
    PromptId text;
    bool withPath;
  };
  Form form{PromptId::kReadDiskError, false};
  MessageBoxRequest box;
  box.style = kMbOk | kMbIconWarning;
  box.owned = true;
  switch (failure) {
    case CopyFailure::kFileNotFound:
      // The text of a missing source, with the run's blank caption.
      box.text = prompts.Get(PromptId::kFileNotFound) + path + ". ";
      box.caption = std::string(kCaptionBlank);
      return box;
    case CopyFailure::kBadDirectory:
      // Shown without an owner, wherever a directory cannot be made.
      box.text = prompts.Get(PromptId::kBadDir);
      box.owned = false;
      return box;
    case CopyFailure::kCreateFile: form = {PromptId::kCreateFileError, true}; break;
    case CopyFailure::kReadDisk: form = {PromptId::kReadDiskError, false}; break;
    case CopyFailure::kWriteDisk: form = {PromptId::kWriteDiskError, false}; break;
    case CopyFailure::kNoMemory: form = {PromptId::kExpansionMemoryError, false}; break;
    case CopyFailure::kReadFile: form = {PromptId::kReadFileError, true}; break;
    case CopyFailure::kBadArchive: form = {PromptId::kBadArchiveError, true}; break;
  }
  box.text = prompts.Get(form.text) + (form.withPath ? path : std::string());
  return box;
}

MessageBoxRequest OverwriteQuestion(const std::string& target, const PromptTexts& prompts) {
  MessageBoxRequest box;
  box.text = prompts.Get(PromptId::kFileExist) + target + "?";
  box.caption = std::string();
  box.style = kMbYesNo | kMbIconQuestion;
  box.owned = true;
  return box;
}

// ---- message 1025 -----------------------------------------------------------------

void InstallRun::OnInstallPhase() {
  if (phaseRan_) return;
  phaseRan_ = true;
  // The intro window, if it still exists, goes before anything is asked.
  if (ctx_.HasScreens()) ctx_.screens().CloseIntro();
  result_ = RunSequence();
  // Whatever stopped the sequence, the progress dialog does not outlive it.
  ctx_.ui().DestroyProgressDialog();
  rebootRequest_ = result_ == 0 ? ctx_.script.settings.rebootMode : RebootMode::kNone;
  FinalPhase(result_);
  ctx_.ui().QuitMessageLoop();
}

int InstallRun::RunSequence() {
  if (!ctx_.script.model) return 1;
  InstallScript& script = *ctx_.script.model;

  if (CheckProcessor() != 0) return 1;

  // The first screen.
  if (script.firstScreen && screens_ && screens_->ShowFirstScreen(ctx_) == kIdCancel) return 1;

  if (AskQuestions() != 0) return 1;

  // The choice screens.
  if ((script.mainGroup || script.conditionalGroupCount > 0) && screens_ &&
      screens_->RunGroupScreens(ctx_) == kIdCancel)
    return 1;

  // The IF blocks that waited for the choices and answers.
  if ((script.deferredBlockCount > 0 || !script.deferredBlocks.empty()) && ParseDeferredBlocks(ctx_.ForScript()) != 0)
    return 1;

  // Both passes have read the script: its UNINSTALL line decides whether
  // the changes from here on are journalled.
  ctx_.journal.on = ctx_.script.settings.uninstall;

  if (AskDestinations() != 0) return 1;

  int64_t required = RequiredBytes();
  if (CheckDiskSpace(required) != 0) return 1;
  SetProgressTotal(required);

  JournalUninstallTexts();

  for (RenameRecord& rename : script.renames) RenameEntry(ctx_.ForCopy(*this), ctx_.script.variables, rename);

  if (InstallFileList() != 0) return 1;

  if (systemChanges_) {
    if (systemChanges_->ChangeStartupFiles(ctx_) != 0) return 1;
    if (systemChanges_->ChangeIniFiles(ctx_) != 0) return 1;
    for (const std::string& component : ctx_.script.settings.components) {
      std::string path = ComponentPath(ctx_.script.variables, component);
      if (systemChanges_->RegisterComponent(ctx_, path))
        AppendJournal(ctx_.files(), ctx_.journal, "RegServer: " + Quoted(path));
    }
    if (systemChanges_->AddTexts(ctx_) != 0) return 1;
  }

  // The last screen; quitting here leaves the registry, the Program Manager,
  // the deletions and the programs at exit undone.
  if (script.lastScreen && screens_ && screens_->ShowLastScreen(ctx_) == kIdCancel) return 1;

  for (DeleteRecord& record : script.deletes) DeleteEntry(ctx_.files(), ctx_.script.variables, record);

  for (TextValue& command : script.exitCommands) ExpandVariables(ctx_.script.variables, &command);
  return 0;
}

void InstallRun::FinalPhase(int result) {
  if (!ctx_.script.model) return;
  InstallScript& script = *ctx_.script.model;
  if (result != 0) {
    script.readmeFile.clear();
    for (TextValue& command : script.exitCommands) command.Clear();
    return;
  }
  if (!systemChanges_) return;
  systemChanges_->WriteRegistryBlocks(ctx_);
  script.registryBlocks.clear();
  if (!script.winItems.empty()) systemChanges_->MakeProgramGroups(ctx_);
  systemChanges_->ListInstallation(ctx_, counters_.installedBytes);
}

// ---- the checks ---------------------------------------------------------------------

int InstallRun::CheckProcessor() {
  int32_t minimum = ctx_.script.model->minimumProcessor;
  if (minimum <= 0) return 0;
  uint32_t processor = ctx_.machine().ProcessorType();
  bool fails = (minimum >= 486 && processor == kProcessorIntel386) ||
               (minimum >= 586 && (processor == kProcessorIntel386 || processor == kProcessorIntel486));
  if (!fails) return 0;
  Warn(ctx_, ctx_.Prompt(PromptId::kCpu) + FormatInt(minimum));
  return 1;
}

int64_t InstallRun::RequiredBytes() const {
  const InstallScript& script = *ctx_.script.model;
  int64_t required = script.minimumDiskSpace;
  int32_t items = script.choiceItemCount < int32_t(kMaxChoiceItems) ? script.choiceItemCount : int32_t(kMaxChoiceItems);
  for (int32_t index = 0; index < items; ++index)
    if (ctx_.script.settings.itemChosen[size_t(index)]) required += script.itemDiskSpace[size_t(index)];
  return required;
}

int InstallRun::CheckDiskSpace(int64_t requiredBytes) {
  if (requiredBytes <= 0 || freeDestinationBytes_ >= uint64_t(requiredBytes)) return 0;
  Warn(ctx_, ctx_.Prompt(PromptId::kNoSpace));
  return 1;
}

void InstallRun::SetProgressTotal(int64_t requiredBytes) {
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
  if (requiredBytes > 100) counters_.totalBytes = int32_t(requiredBytes > kLargest ? kLargest : requiredBytes);
  if (ctx_.script.model->progressTotal > 100) counters_.totalBytes = ctx_.script.model->progressTotal;
  counters_.bytesUnknown = ctx_.script.model->progressBytesUnknown;
}

void InstallRun::JournalUninstallTexts() {
  AppendJournal(ctx_.files(), ctx_.journal, "UNINSTALLBEGINPROMPT: " + Quoted(ctx_.Prompt(PromptId::kUninstallBegin)));
  AppendJournal(ctx_.files(), ctx_.journal, "UNINSTALLENDPROMPT: " + Quoted(ctx_.Prompt(PromptId::kUninstallEnd)));
  AppendJournal(ctx_.files(), ctx_.journal, "UNINSTALLTITLEPROMPT: " + Quoted(ctx_.Prompt(PromptId::kUninstallTitle)));
}

// ---- the questions ------------------------------------------------------------------

DialogTexts InstallRun::Texts() const {
  DialogTexts texts;
  texts.ok = ctx_.Prompt(PromptId::kOk);
  texts.cancel = ctx_.Prompt(PromptId::kCancel);
  texts.quit = ctx_.Prompt(PromptId::kQuit);
  return texts;
}

int InstallRun::AskQuestions() {
  InstallScript& script = *ctx_.script.model;
  for (size_t n = 0; n < script.asks.size(); ++n) {
    if (!script.asks[n]) continue;
    AskSpec& spec = *script.asks[n];
    DialogPrompt prompt = PromptOf(spec.prompt, spec.promptGiven);
    SplitPrompt(&prompt, 0);
    std::string typed;
    if (ctx_.ui().RunAskDialog(prompt, spec.defaultAnswer, Texts(), &typed) != kIdOk) return 1;
    spec.defaultAnswer = CleanAnswer(typed);
    ctx_.script.variables.ask[n] = AsVariable(spec.defaultAnswer);
    // The question is asked once; its record is done with.
    script.asks[n].reset();
  }
  return 0;
}

bool InstallRun::ChooseDirectory(DirectorySpec& spec, std::string* chosen) {
  if (spec.askMode == 0) {
    *chosen = spec.path;
    return true;
  }
  DialogPrompt prompt = PromptOf(spec.prompt, spec.promptGiven);
  SplitPrompt(&prompt, spec.askMode);
  DestinationCheck check(ctx_, *this, spec.path, spec.askMode);
  if (spec.askMode < 1 || spec.askMode > 3) {
    // No dialog exists for such a mode: its OK decision is taken at once.
    check.Accept(std::string());
  } else {
    DestinationFields fields = DestinationFieldsFor(spec.path, spec.askMode);
    if (ctx_.ui().RunDestinationDialog(prompt, spec.askMode, fields.input, fields.readOnly, Texts(), &check) !=
        kIdOk)
      return false;
  }
  *chosen = check.Path();
  return true;
}

int InstallRun::AskDefaultDirectory() {
  InstallScript& script = *ctx_.script.model;
  ScriptVariables& vars = ctx_.script.variables;
  if (!script.defaultDir) {
    auto made = std::make_unique<DirectorySpec>();
    made->askMode = 3;
    made->prompt = kDefaultDestinationPrompt;
    made->promptGiven = true;
    made->path = kDefaultDestination;
    made->path[0] = ctx_.script.settings.defaultDriveLetter;
    script.defaultDir = std::move(made);
  }
  DirectorySpec& spec = *script.defaultDir;
  ExpandLeadingVariable(ctx_.script.variables, &spec.path);
  CutToCapacity(spec.path, DirectorySpec::kPathCapacity);
  bool dialog = spec.askMode != 0;
  std::string path;
  if (!ChooseDirectory(spec, &path)) return 1;
  spec.path = path;

  vars.defaultDir = AsVariable(path);
  std::string shortPath;
  if (!ctx_.files().GetShortPathName(path, &shortPath) || shortPath.empty()) shortPath = path;
  vars.defaultDir8 = AsVariable(shortPath);
  vars.defaultDrive = path.substr(0, 1);
  // A root destination ("D:\") gets no second backslash.
  ctx_.journal.path = (!path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path) + kJournalName;
  ctx_.journal.copyPath = ProtectedCopyPath(ctx_.machine().WindowsDirectory(), ctx_.journal.path);
  // Without a dialog the directory is made only below, so the line may
  // have to wait in the pending area: it carries its own line end.
  AppendJournal(ctx_.files(), ctx_.journal, "DEFAULTDIR: " + Quoted(path) + (dialog ? "" : "\n"));

  DiskSpace space;
  std::string root = path.substr(0, 1) + ":\\";
  if (!ctx_.files().GetDiskFreeSpace(root, &space)) {
    Warn(ctx_, ctx_.Prompt(PromptId::kBadDrive));
    return 1;
  }
  freeDestinationBytes_ =
      uint64_t(space.sectorsPerCluster) * uint64_t(space.freeClusters) * uint64_t(space.bytesPerSector);

  if (!dialog && MakeTargetDirectory(ctx_.ForCopy(*this), path) != kMakeDirectoryOk) return 1;
  return 0;
}

int InstallRun::AskOtherDirectory(DirectorySpec& spec, std::string* variable) {
  // A leading variable is expanded now, with the destination just chosen.
  ExpandLeadingVariable(ctx_.script.variables, &spec.path);
  CutToCapacity(spec.path, DirectorySpec::kPathCapacity);
  std::string path;
  if (!ChooseDirectory(spec, &path)) return 1;
  if (spec.askMode == 0 && MakeTargetDirectory(ctx_.ForCopy(*this), path) != kMakeDirectoryOk) return 1;
  spec.path = path;
  *variable = AsVariable(path);
  return 0;
}

int InstallRun::AskDestinations() {
  InstallScript& script = *ctx_.script.model;
  if (AskDefaultDirectory() != 0) return 1;
  if (script.dir2 && AskOtherDirectory(*script.dir2, &ctx_.script.variables.dir2) != 0) return 1;
  if (script.dir3 && AskOtherDirectory(*script.dir3, &ctx_.script.variables.dir3) != 0) return 1;
  return 0;
}

// ---- the file list ---------------------------------------------------------------

bool InstallRun::Selected(const FileEntry& entry) const {
  if (entry.choiceItems[0] == kEmptyChoiceSlot) return true;
  for (uint16_t item : entry.choiceItems)
    if (item != kEmptyChoiceSlot && item < kMaxChoiceItems && ctx_.script.settings.itemChosen[item]) return true;
  return false;
}

void InstallRun::Redraw() {
  if (!meter_ || !ctx_.ui().HasProgressDialog()) return;
  ctx_.ui().ShowProgress(meter_->Percent());
}

int InstallRun::InstallFileList() {
  InstallScript& script = *ctx_.script.model;
  std::vector<FileEntry>& entries = script.fileEntries;
  const int32_t count = int32_t(entries.size());
  UserInterface& ui = ctx_.ui();

  for (fileCursor_ = 0; fileCursor_ < count; ++fileCursor_) {
    FileEntry& entry = entries[size_t(fileCursor_)];

    if (entry.popupId > 0 && script.popupCount > 0 && screens_) screens_->ShowPopup(ctx_, entry.popupId);

    if (ui.HasProgressDialog()) {
      if (screens_) screens_->KeepProgressInFront(ctx_);
      Redraw();
    } else if (!meter_) {
      ui.CreateProgressDialog(script.fileCount, Texts());
      meter_.emplace(script.fileCount);
      meter_->Initialise();
    }

    if (entry.kind != EntryKind::kFile) {
      diskEntryIndex_ = fileCursor_;
      // The files of groups that were not chosen need no disk.
      auto unselectedFile = [&](int32_t i) {
        return i < count && entries[size_t(i)].kind == EntryKind::kFile && !Selected(entries[size_t(i)]);
      };
      while (unselectedFile(fileCursor_ + 1)) ++fileCursor_;
      int32_t next = fileCursor_ + 1;
      if (next < count && entries[size_t(next)].kind == EntryKind::kFile && AskForDisk() != 0) return 1;
      continue;
    }

    if (!Selected(entry)) continue;
    ExpandLeadingVariable(ctx_.script.variables, &entry.name);
    ui.SetProgressTexts(ctx_.Prompt(PromptId::kCopyFile), entry.name);
    if (InstallFileEntry(ctx_.ForFiles(*this), entry) != 0) return 1;
    // The user confirmed quitting while the copy code was not looking.
    if (installCancelled_) return 1;
    Progress(1);
  }

  if (ui.HasProgressDialog()) {
    if (counters_.CountsBytes()) {
      counters_.bytesDone = counters_.totalBytes;
      Progress(1);
    }
    ui.DestroyProgressDialog();
  }
  if (screens_) screens_->ClosePopup(ctx_);
  return 0;
}

// ---- the disk questions -------------------------------------------------------------

int InstallRun::AskForDisk() {
  if (diskEntryIndex_ < 0 || size_t(diskEntryIndex_) >= ctx_.script.model->fileEntries.size()) return 1;
  const FileEntry& disk = ctx_.script.model->fileEntries[size_t(diskEntryIndex_)];
  std::string text = ctx_.Prompt(PromptId::kInsertDisk) + disk.name;
  std::string root;
  if (disk.kind == EntryKind::kLabelledDisk) {
    std::string letter = ctx_.script.variables.sourceDir.substr(0, 1);
    root = letter + ":\\";
    ctx_.script.variables.sourceDrive = letter;
  }

  // An installation without a person may know where the disk is. Asked
  // for the same disk again at once (a file was not there), it asks the
  // question instead, so that a wrong path cannot make the run go round.
  int32_t number = DiskNumber(diskEntryIndex_);
  bool again = number == diskAnswered_;
  diskAnswered_ = number;
  if (diskPaths_ && !again) {
    auto known = diskPaths_->find(number);
    if (known != diskPaths_->end()) {
      ctx_.archive.DetachArchive();
      ctx_.archive.DisableArchive();
      std::string path = WithoutTrailingBackslash(known->second);
      ctx_.script.variables.sourceDir = AsVariable(path);
      ctx_.script.variables.sourceDir8 = AsVariable(path);
      ctx_.script.variables.sourceDrive = path.substr(0, 1);
      return 0;
    }
  }

  ctx_.ui().Beep(kMbIconInformation);
  // From now on every source file comes from the disk in the drive.
  ctx_.archive.DetachArchive();
  ctx_.archive.DisableArchive();

  for (;;) {
    int answer = ctx_.ShowMessage(text, std::string(kCaptionBlank), kMbOkCancel | kMbIconInformation);
    if (answer == kIdOk) {
      if (disk.kind != EntryKind::kLabelledDisk) return 0;
      std::string label;
      if (ctx_.files().GetVolumeLabel(root, &label) && EqualsNoCase(label, disk.volumeLabel)) return 0;
      continue;  // not the disk asked for
    }
    if (ConfirmQuit(ctx_)) return 1;
  }
}

int32_t InstallRun::DiskNumber(int32_t index) const {
  int32_t number = 1;
  const std::vector<FileEntry>& entries = ctx_.script.model->fileEntries;
  for (int32_t i = 0; i <= index && i < int32_t(entries.size()); ++i)
    if (entries[size_t(i)].kind != EntryKind::kFile) ++number;
  return number;
}

int InstallRun::AskNextDisk(bool advance, bool restore) {
  const int32_t savedCursor = fileCursor_;
  const std::vector<FileEntry>& entries = ctx_.script.model->fileEntries;
  const int32_t count = int32_t(entries.size());
  if (advance) diskEntryIndex_ = ++fileCursor_;
  int32_t index = diskEntryIndex_ < 0 ? 0 : diskEntryIndex_;
  while (index < count && entries[size_t(index)].kind == EntryKind::kFile) ++index;
  int result = 1;
  if (index < count) {
    diskEntryIndex_ = index;
    fileCursor_ = index;
    result = AskForDisk();
  }
  if (restore) fileCursor_ = savedCursor;
  return result;
}

// ---- the copy code's host --------------------------------------------------------------

bool InstallRun::PumpMessages() {
  if (ctx_.ui().PumpMessages()) installCancelled_ = true;
  return installCancelled_;
}

void InstallRun::Progress(int code) {
  if (!meter_) return;
  meter_->Advance(uint32_t(code), counters_.bytesUnknown, counters_.totalBytes, counters_.bytesDone);
  Redraw();
}

void InstallRun::ShowFileName(const std::string& path) {
  ctx_.ui().SetProgressTexts(ctx_.Prompt(PromptId::kCopyFile), AsciiUpperCopy(path));
}

bool InstallRun::AskOverwrite(const std::string& target) {
  MessageBoxRequest box = OverwriteQuestion(target, ctx_.script.prompts);
  box.owned = ctx_.startup.ownerWindowSet;
  return ctx_.ui().ShowMessageBox(box) == kIdYes;
}

void InstallRun::ReportFailure(CopyFailure failure, const std::string& path) {
  MessageBoxRequest box = CopyFailureMessage(failure, path, ctx_.script.prompts);
  // Before the main window owns the boxes, none is owned.
  box.owned = box.owned && ctx_.startup.ownerWindowSet;
  ctx_.ui().ShowMessageBox(box);
}

}  // namespace quorril
