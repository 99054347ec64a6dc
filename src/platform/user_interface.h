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
//  - The progress dialog is modeless: CreateProgressDialog()
//    makes it when the item count is not 0; ShowProgress() redraws its bar
//    at a percentage the core computed; PumpMessages() dispatches every
//    pending message of the thread (so painting and the dialog's Cancel
//    button are served) and returns true once the user has confirmed
//    quitting in the progress dialog, which ends that dialog.
//  - The modal dialogs (the question and the three destination dialogs) are
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

// The prompt of a question or destination dialog, split over the dialog's
// two prompt lines: state 1 puts `text` on the second line, state 2 `line1`
// on the first and `line2` on the second (see screens/dialog_logic.h, which
// fills it).
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
  // `typed` is the text of the input field (one character in ask mode 2).
  // True accepts it: the dialog ends with kIdOk. False keeps the dialog
  // open with the input field reset to `typed`; the checker has shown why.
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
  // created for 0), its two texts (above and below the bar), its bar at a
  // percentage from 0 to 100, destroyed at the end of the file phase.
  virtual void CreateProgressDialog(int32_t totalItems, const DialogTexts& texts) = 0;
  virtual bool HasProgressDialog() = 0;
  virtual void SetProgressTexts(const std::string& upper, const std::string& lower) = 0;
  virtual void ShowProgress(int32_t percent) = 0;
  virtual void DestroyProgressDialog() = 0;

  // The question of ASK1 to ASK5: its input field starts with
  // `defaultAnswer`; on kIdOk `typed` holds the field's text as typed.
  virtual int RunAskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer,
                           const DialogTexts& texts, std::string* typed) = 0;
  // A destination dialog for ask mode 1 (the directory on a fixed drive), 2
  // (the drive for a fixed directory) or 3 (drive and directory): its input
  // field starts with `input`, its read-only field (the drive root in mode
  // 1, the directory in mode 2) shows `readOnly`.
  virtual int RunDestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input,
                                   const std::string& readOnly, const DialogTexts& texts,
                                   DestinationChecker* checker) = 0;
};

// Shows a message box through `ui`; `owned` boxes belong to the main window
// (once it exists). Returns the button pressed.
inline int ShowMessageBox(UserInterface& ui, const std::string& text, std::optional<std::string> caption,
                          uint32_t style, bool owned) {
  MessageBoxRequest request;
  request.text = text;
  request.caption = std::move(caption);
  request.style = style;
  request.owned = owned;
  return ui.ShowMessageBox(request);
}

}  // namespace quorril
