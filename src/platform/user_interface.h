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
};

}  // namespace quorril
