// AnsweringUi: the user interface of an installation without a person at
// the screen. It takes every answer from an answers file (shell/answers_file.h)
// or, where the file says nothing, the default, and writes what it showed
// and answered into its log. The engine uses it for /SILENT and
// /VERYSILENT, the publisher's dry run for its whole run.
//
// What it answers:
//  - message boxes with OK only: pressed at once; the text goes to the log
//    as "message: TEXT". The run's result decides whether it stopped.
//  - Yes/No: the quit question Yes (the run ends), the restart question
//    Restart=, the overwrite question (FILEEXISTPROMPT ...) Overwrite=,
//    every other question (INIFILE, AUTOEXEC.BAT, CONFIG.SYS) Modify=.
//  - OK/Cancel (the disk questions): OK; the same question again at once
//    (the disk was not found) Cancel, so the run asks the quit question.
//  - ASKn: Askn=, else the default answer.
//  - the destination of DEFAULTDIR: Dir= (in ask mode 1 without its drive,
//    in ask mode 2 its drive letter only), else the proposed path; DIR2 and
//    DIR3 take their proposed paths. A path the engine refuses ends the
//    dialog with Cancel.
//  - template dialogs (first and last screen, choice screens, the exit
//    message): OK on their initial state (ScriptScreens sets the choices
//    from the answers); a refused OK ends them with Cancel.
//
// The log also names every file as it is copied ("copying: NAME").
//
// With `shown` (the /SILENT case) the main window, the progress dialog,
// the pop-ups and the message loop are that interface's; without (the
// /VERYSILENT case and the dry run) nothing is shown and the message loop
// runs the installation phase at once. The intro screen is never shown.
#pragma once

#include <string>
#include <vector>

#include "platform/screen_surface.h"
#include "platform/user_interface.h"
#include "shell/answers_file.h"

namespace quorril {

struct ScriptState;

class AnsweringUi : public UserInterface, public ScreenSurface {
 public:
  AnsweringUi(const Answers& answers, UserInterface* shown = nullptr, ScreenSurface* shownSurface = nullptr)
      : answers_(answers), shown_(shown), shownSurface_(shownSurface) {}

  // Hands every question to the shown interface (the person answers) and
  // only logs it: a run with /LOG but without /SILENT. Needs both shown
  // interfaces.
  void AskThePerson() { person_ = shown_ && shownSurface_; }

  // The script whose texts tell the questions apart and whose ASK records
  // tell which is asked: the run's, set before start-up (the run's context
  // is built over this interface, so it comes second).
  void SetScript(const ScriptState* script) { script_ = script; }

  // Every message and answer, one line each, in order.
  const std::vector<std::string>& Log() const { return log_; }
  // The last message box with OK only, "" when none was shown.
  const std::string& LastMessage() const { return lastMessage_; }
  // True once the quit question was answered Yes, or the person cancelled
  // a dialog or the copying.
  bool Quit() const { return quit_; }

  // ---- UserInterface -------------------------------------------------------------
  int ShowMessageBox(const MessageBoxRequest& request) override;
  void CreateMainWindow() override;
  void ShowMainWindow(const std::string& title) override;
  void ShowCheckingBanner(const std::string& text) override;
  void PostInstallPhase() override;
  void RunMessageLoop(MainWindowEvents* events) override;
  void QuitMessageLoop() override;
  void Beep(uint32_t type) override;
  bool PumpMessages() override;
  void CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) override;
  bool HasProgressDialog() override;
  void SetProgressTexts(const std::string& upper, const std::string& lower) override;
  void ShowProgress(int32_t percent) override;
  void DestroyProgressDialog() override;
  int RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer, const DialogTexts& texts,
                   std::string* typed) override;
  int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                           const std::string& readOnly, const DialogTexts& texts,
                           DestinationChecker* checker) override;

  // ---- ScreenSurface ---------------------------------------------------------------
  void SetAppearance(const ScreenAppearance& appearance) override;
  void ShowIntro(const BitmapData& image, int32_t seconds) override;
  void CloseIntro() override;
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                    const std::string& text) override;
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override;
  int RunTemplateDialog(const std::vector<uint8_t>& dialogTemplate, const TemplateDialogSetup& setup,
                        const std::string& quitText, TemplateDialogChecker* checker) override;
  void ShowPopup(const std::vector<uint8_t>& dialogTemplate) override;
  void ClosePopup() override;
  void KeepProgressInFront() override;

 private:
  const Answers& answers_;
  const ScriptState* script_ = nullptr;
  UserInterface* shown_;
  ScreenSurface* shownSurface_;
  std::vector<std::string> log_;
  std::string lastMessage_;
  std::string lastDiskQuestion_;
  bool quit_ = false;
  bool phasePosted_ = false;
  bool progress_ = false;
  bool defaultDirAsked_ = false;
  bool person_ = false;
  std::string copying_;
};

}  // namespace quorril
