// The install run sequence: what message 1025 does, in order, and the
// main window's answers to the copy code while files are installed.
//
// InstallRun is the main window's handler of the installation phase
// (MainWindowEvents) and the copy code's host (CopyHost). One object lives
// for the whole message loop; it holds the state of the run: the position
// in the file list (FileCursor), the INSERTDISK entry of the disk now
// expected (DiskEntryIndex, -1 until one is reached), the progress counters
// and the progress bar's arithmetic, InstallCancelled, the measured free
// destination bytes and the reboot request that the exit phase reads.
//
// OnInstallPhase() runs RunSequence() and then the final phase, and ends
// the message loop. RunSequence() returns 0 when the installation went
// through and 1 when it stopped (a check failed, the user quit, or an error
// ended it); after a stop the read-me and every RUNATEXIT command line are
// emptied and the reboot request is cleared, so the exit phase starts
// nothing. Nothing done before a stop is undone; the journal keeps it.
//
// Two groups of steps are made by other parts of the engine and reach the
// run through plug-in interfaces that the engine hands in:
//  - Screens: the first screen, the choice screens, the pop-up messages
//    while files are copied, and the last screen.
//  - SystemChanges: AUTOEXEC.BAT and CONFIG.SYS, INIFILE entries, component
//    self-registration, ADDTEXT entries, and in the final phase the registry
//    blocks, the Program Manager groups and the entry among the installed
//    programs.
// Where no plug-in is set (null), its steps are skipped: nothing is shown,
// nothing is changed and nothing is journalled for them, even when the
// script has such lines. Without Screens the choices stay as they are
// (ScriptSettings::itemChosen; no group is selected unless a caller chose
// one), so FILE entries bound to groups are passed over. Without
// SystemChanges the registry blocks stay in the script model.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "model/script_model.h"
#include "package/copy_host.h"
#include "platform/user_interface.h"
#include "screens/dialog_logic.h"

namespace quorril {

class SetupContext;
class PromptTexts;
struct FileEntry;
struct DirectorySpec;
struct ScriptVariables;

// The screens built from script text.
class Screens {
 public:
  virtual ~Screens() = default;
  // The first screen; kIdOk to go on, kIdCancel when the user quit.
  virtual int ShowFirstScreen(SetupContext& ctx) = 0;
  // The choice screens, which record the user's choices in
  // ScriptSettings::itemChosen; kIdOk or kIdCancel.
  virtual int RunGroupScreens(SetupContext& ctx) = 0;
  // Shows the first pop-up message with this number whose text is not
  // empty, in place of the one shown before; a number whose pop-ups are all
  // empty changes nothing.
  virtual void ShowPopup(SetupContext& ctx, int32_t popupId) = 0;
  // Called before each entry of the file list while the progress dialog
  // exists: when a pop-up is on screen, keeps its owned windows shown and
  // makes the progress dialog the active window again.
  virtual void KeepProgressInFront(SetupContext& ctx) = 0;
  // Closes the pop-up on screen, if any (end of the file phase).
  virtual void ClosePopup(SetupContext& ctx) = 0;
  // The last screen; kIdOk or kIdCancel.
  virtual int ShowLastScreen(SetupContext& ctx) = 0;
};

// The changes to the system beyond the files. The steps return 0 to go on
// and 1 to stop the installation; each journals its own changes.
class SystemChanges {
 public:
  virtual ~SystemChanges() = default;
  // The AUTOEXEC.BAT block, then the CONFIG.SYS block.
  virtual int ChangeStartupFiles(SetupContext& ctx) = 0;
  // Every INIFILE entry in script order.
  virtual int ChangeIniFiles(SetupContext& ctx) = 0;
  // Self-registration of one component at a full path; true when it
  // succeeded (the run then journals the "RegServer: " line).
  virtual bool RegisterComponent(SetupContext& ctx, const std::string& path) = 0;
  // Every ADDTEXT entry in script order.
  virtual int AddTexts(SetupContext& ctx) = 0;
  // Final phase: every registry block in script order, journalled.
  virtual void WriteRegistryBlocks(SetupContext& ctx) = 0;
  // Final phase: the Program Manager groups and items of the WINITEM lines.
  virtual void MakeProgramGroups(SetupContext& ctx) = 0;
  // Last of the final phase: the installation's entry among the installed
  // programs, for an installation that keeps a journal and has its
  // uninstaller in the destination; `installedBytes` is what it wrote.
  virtual void ListInstallation(SetupContext& ctx, int64_t installedBytes) = 0;
};

// The full path of a REGSERVER component: a leading variable expanded, and
// $DEFAULTDIR$ + "\" in front unless the path begins with "\" or has ":" as
// its second character.
std::string ComponentPath(const ScriptVariables& variables, const std::string& name);

// The engine's message for a failure of the copy code: its text (the
// failure's prompt text with the path where the failure names one), its
// caption, its style, and whether the main window owns it.
MessageBoxRequest CopyFailureMessage(CopyFailure failure, const std::string& path, const PromptTexts& prompts);
// The overwrite question of the ASK policy: FILEEXISTPROMPT + target + "?",
// Yes and No, question icon, empty caption, owned.
MessageBoxRequest OverwriteQuestion(const std::string& target, const PromptTexts& prompts);

class InstallRun : public MainWindowEvents, public CopyHost {
 public:
  explicit InstallRun(SetupContext& ctx, Screens* screens = nullptr, SystemChanges* systemChanges = nullptr)
      : ctx_(ctx), screens_(screens), systemChanges_(systemChanges) {}
  InstallRun(const InstallRun&) = delete;
  InstallRun& operator=(const InstallRun&) = delete;

  // Message 1025: RunSequence(), the final phase, then the message loop is
  // told to end. Runs once; later calls do nothing.
  void OnInstallPhase() override;

  // The sequence from the processor check to the expansion of the RUNATEXIT
  // command lines: 0 installed, 1 stopped.
  int RunSequence();
  // On 1 empties the read-me and the RUNATEXIT command lines; on 0 writes
  // the registry blocks, makes the Program Manager groups and lists the
  // installation among the installed programs.
  void FinalPhase(int result);

  // ---- steps of the sequence, each 0 to go on and 1 to stop ----------------
  int CheckProcessor();
  // The questions of ASK1 to ASK5; each answer becomes $ASKn$.
  int AskQuestions();
  // DEFAULTDIR, DIR2 and DIR3: the dialogs, the directories, the variables,
  // the journal path and DEFAULTDIR line, and the free destination bytes.
  int AskDestinations();
  // The MINDISKSPACE base size plus that of every selected group.
  int64_t RequiredBytes() const;
  int CheckDiskSpace(int64_t requiredBytes);
  void SetProgressTotal(int64_t requiredBytes);
  void JournalUninstallTexts();
  // The file list with its disk questions and the progress dialog.
  int InstallFileList();
  // True when a FILE entry is to be installed: it names no group, or one of
  // its groups was chosen.
  bool Selected(const FileEntry& entry) const;

  // The INSERTDISK question for the entry at DiskEntryIndex.
  int AskForDisk();

  // Where the disks are, by disk number, for an installation without a
  // person: the disk an INSERTDISK entry asks for is then not asked for;
  // its path becomes the source directory at once (the label is not
  // checked). Disk 1 is the one the installation starts from, so the k-th
  // INSERTDISK entry of the file list asks for disk k + 1. Null: ask.
  void AnswerDisks(const std::map<int32_t, std::string>* paths) { diskPaths_ = paths; }
  // The number of the disk the INSERTDISK entry at `index` asks for.
  int32_t DiskNumber(int32_t index) const;

  // ---- CopyHost: the main window's answers to the copy code ----------------
  ProgressCounters& Counters() override { return counters_; }
  bool PumpMessages() override;
  void Progress(int code) override;
  void ShowFileName(const std::string& path) override;
  int AskNextDisk(bool advance, bool restore) override;
  bool DiskEntryReached() override { return diskEntryIndex_ != -1; }
  // OverwriteQuestion; true for Yes.
  bool AskOverwrite(const std::string& target) override;
  // The failure's message box (CopyFailureMessage).
  void ReportFailure(CopyFailure failure, const std::string& path) override;

  // ---- state, for the exit phase and the tests -----------------------------
  bool PhaseRan() const { return phaseRan_; }
  int Result() const { return result_; }
  // The restart asked for; cleared when the installation stopped.
  RebootMode RebootRequest() const { return rebootRequest_; }
  bool InstallCancelled() const { return installCancelled_; }
  int32_t FileCursor() const { return fileCursor_; }
  int32_t DiskEntryIndex() const { return diskEntryIndex_; }
  uint64_t FreeDestinationBytes() const { return freeDestinationBytes_; }

 private:
  // One destination (DEFAULTDIR, DIR2, DIR3): the dialog in ask modes 1 to
  // 3, the path as it is in ask mode 0. False when the user quit.
  bool ChooseDirectory(DirectorySpec& spec, std::string* chosen);
  int AskDefaultDirectory();
  int AskOtherDirectory(DirectorySpec& spec, std::string* variable);
  DialogTexts Texts() const;
  void Redraw();

  SetupContext& ctx_;
  Screens* screens_;
  SystemChanges* systemChanges_;

  int32_t fileCursor_ = 0;
  int32_t diskEntryIndex_ = -1;
  ProgressCounters counters_;
  std::optional<ProgressMeter> meter_;
  bool installCancelled_ = false;
  uint64_t freeDestinationBytes_ = 0;
  RebootMode rebootRequest_ = RebootMode::kNone;
  const std::map<int32_t, std::string>* diskPaths_ = nullptr;
  int32_t diskAnswered_ = 0;  // the disk last asked for, 0 before the first
  bool phaseRan_ = false;
  int result_ = 1;
};

}  // namespace quorril
