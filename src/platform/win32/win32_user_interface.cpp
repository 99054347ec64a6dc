// The user-interface port on Win32: message boxes, the main window and the
// message loop.
#include "platform/win32/win32_user_interface.h"

#include "ui/win32/main_window.h"

namespace quorril {

Win32UserInterface::Win32UserInterface(HINSTANCE instance) : instance_(instance) {}

// The main window goes first: the brush may still be in use by it.
Win32UserInterface::~Win32UserInterface() { mainWindow_.reset(); }

HWND Win32UserInterface::MainWindowHandle() const { return mainWindow_ ? mainWindow_->Handle() : nullptr; }

int Win32UserInterface::ShowMessageBox(const MessageBoxRequest& request) {
  HWND owner = request.owned ? MainWindowHandle() : nullptr;
  const char* caption = request.caption ? request.caption->c_str() : nullptr;
  return MessageBoxA(owner, request.text.c_str(), caption, request.style);
}

void Win32UserInterface::CreateMainWindow() {
  if (mainWindow_) return;
  windowBrush_.Reset(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  auto window = std::make_unique<win32::MainWindow>();
  if (window->Create(instance_)) mainWindow_ = std::move(window);
}

void Win32UserInterface::ShowMainWindow(const std::string& title) {
  if (mainWindow_) mainWindow_->Show(title);
}

void Win32UserInterface::ShowCheckingBanner(const std::string& text) {
  if (mainWindow_) mainWindow_->ShowCheckingBanner(text);
}

void Win32UserInterface::PostInstallPhase() {
  if (HWND window = MainWindowHandle()) PostMessageA(window, win32::kMessageInstallPhase, 0, 0);
}

void Win32UserInterface::RunMessageLoop(MainWindowEvents* events) {
  if (!MainWindowHandle()) return;  // nothing could end the loop
  mainWindow_->SetEvents(events);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  mainWindow_->SetEvents(nullptr);
}

void Win32UserInterface::QuitMessageLoop() { PostQuitMessage(0); }

}  // namespace quorril
