// Win32UserInterface: the user-interface port on Win32.
//
// Message boxes are MessageBoxA, owned by the main window when the request
// says so and the window exists. The main window is a MainWindow (the Win32
// UI layer); the message loop is GetMessageA / DispatchMessageA until
// WM_QUIT. The adapter also owns the window-colour brush (COLOR_WINDOW)
// that the dialogs hand out for their controls; it is deleted with the
// adapter, after the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/user_interface.h"
#include "ui/win32/gdi.h"

namespace quorril {

namespace win32 {
class MainWindow;
}

class Win32UserInterface : public UserInterface {
 public:
  explicit Win32UserInterface(HINSTANCE instance);
  ~Win32UserInterface() override;

  int ShowMessageBox(const MessageBoxRequest& request) override;
  void CreateMainWindow() override;
  void ShowMainWindow(const std::string& title) override;
  void ShowCheckingBanner(const std::string& text) override;
  void PostInstallPhase() override;
  void RunMessageLoop(MainWindowEvents* events) override;
  void QuitMessageLoop() override;

  HINSTANCE Instance() const { return instance_; }
  // The main window's handle; null before CreateMainWindow or after it closed.
  HWND MainWindowHandle() const;
  HBRUSH WindowBrush() const { return windowBrush_.Get(); }

 private:
  HINSTANCE instance_;
  win32::Brush windowBrush_;
  std::unique_ptr<win32::MainWindow> mainWindow_;
};

}  // namespace quorril
