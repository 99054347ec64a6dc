// The user-interface port: everything the core shows to the person who runs
// the setup, and the main window's message loop.
//
// Contract, for every implementation (Win32 adapter, scripted fake):
//  - ShowMessageBox() shows a modal message box and returns the button
//    pressed (kIdOk, kIdCancel, kIdYes, kIdNo). `style` takes the Win32
//    MB_* values below. With `owned` the box belongs to the main window;
//    without, it has no owner. A missing caption means the system's default
//    caption ("Error"), an empty one an empty title bar.
//  - CreateMainWindow() makes the full-screen main window without showing it;
//    ShowMainWindow() shows it maximized with the given title, repaints it
//    whole and sets the title once more. Both may be called once.
//  - ShowCheckingBanner() shows the main window maximized and paints the
//    "checking" banner with the given text over it (message 1029).
//  - PostInstallPhase() queues the first phase message (1025) to the main
//    window; RunMessageLoop() then dispatches messages until the window
//    posts WM_QUIT, handing the main window's private messages to `events`.
//  - The progress dialog (dialog 100) is modeless: CreateProgressDialog()
//    makes it when the item count is not 0; ShowProgress() redraws its bar
//    at a percentage the core computed; PumpMessages() dispatches every
//    pending message of the thread (so painting and the dialog's Cancel
//    button are served) and returns true once the user has confirmed
//    quitting in the progress dialog, which ends that dialog.
//  - The modal dialogs (AskDialog 601, DestinationDialog 250/300/350) are
//    centred, owned by the main window, and return kIdOk or kIdCancel (the
//    user confirmed quitting with ConfirmQuit: QUITPROMPT, Yes and No,
//    exclamation icon). What OK accepts is the core's decision: the
//    destination dialog hands the typed text to a DestinationChecker and
//    stays open while the checker refuses it.
//  - A message box with `owned` belongs to the window that asks: the modal
//    dialog on screen, else the main window.
//  - Nothing here throws; a window that cannot be created makes the calls
//    that need it do nothing, and message boxes then have no owner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorril {

// MessageBoxA styles and results.
enum : uint32_t {
  kMbOk = 0x00,
  kMbOkCancel = 0x01,
  kMbYesNo = 0x04,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,  // also called the exclamation icon
  kMbIconInformation = 0x40,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

struct MessageBoxRequest {
  std::string text;
  std::optional<std::string> caption;  // nullopt: the system's default caption
  uint32_t style = kMbOk;
  bool owned = false;
};

// The prompt of a question or destination dialog, split for the two prompt
// statics: state 1 puts `text` into static 302, state 2 `line1` into 301
// and `line2` into 302 (see screens/dialog_logic.h, which fills it).
struct DialogPrompt {
  int state = 0;
  std::string text, line1, line2;
};

// The texts that a script can change on the dialogs' buttons and in their
// questions.
struct DialogTexts {
  std::string ok = "OK";
  std::string cancel = "Cancel";
  std::string quit = "Do you wish to quit?";
};

// Decides what OK accepts in a destination dialog.
class DestinationChecker {
 public:
  virtual ~DestinationChecker() = default;
  // `typed` is the text of input field 204 (one character in ask mode 2).
  // True accepts it: the dialog ends with kIdOk. False keeps the dialog
  // open with field 204 reset to `typed`; the checker has shown why.
  virtual bool Accept(const std::string& typed) = 0;
};

// The main window's private messages, as the core handles them.
class MainWindowEvents {
 public:
  virtual ~MainWindowEvents() = default;
  // Message 1025: the installation phase. Runs once.
  virtual void OnInstallPhase() = 0;
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
  virtual void CreateMainWindow() = 0;
  virtual void ShowMainWindow(const std::string& title) = 0;
  virtual void ShowCheckingBanner(const std::string& text) = 0;
  virtual void PostInstallPhase() = 0;
  virtual void RunMessageLoop(MainWindowEvents* events) = 0;
  // Ends the message loop once pending messages are handled (WM_QUIT).
  virtual void QuitMessageLoop() = 0;

  // MessageBeep with an MB_ICON value.
  virtual void Beep(uint32_t type) = 0;
  // Dispatches every pending message; true once the user has confirmed
  // quitting in the progress dialog.
  virtual bool PumpMessages() = 0;

  // The progress dialog: created with the number of file items (nothing is
  // created for 0), its two texts (statics 101 and 103), its bar at a
  // percentage from 0 to 100, destroyed at the end of the file phase.
  virtual void CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) = 0;
  virtual bool HasProgressDialog() = 0;
  virtual void SetProgressTexts(const std::string& upper, const std::string& lower) = 0;
  virtual void ShowProgress(int32_t percent) = 0;
  virtual void DestroyProgressDialog() = 0;

  // The question of ASK1 to ASK5 (dialog 601): field 701 starts with
  // `defaultAnswer`; on kIdOk `typed` holds the field's text as typed.
  virtual int RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer,
                           const DialogTexts& texts, std::string* typed) = 0;
  // A destination dialog (250 for ask mode 1, 300 for 2, 350 for 3): field
  // 204 starts with `input`, the read-only field (305 in mode 1, 304 in
  // mode 2) shows `readOnly`.
  virtual int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                                   const std::string& readOnly, const DialogTexts& texts,
                                   DestinationChecker* checker) = 0;
};

}  // namespace quorril
