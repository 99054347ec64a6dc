// MainWindow: the engine's full-screen top-level window.
//
// It is created hidden at start-up and shown maximized, titled "Quorril",
// once the script has been read. It handles the private messages that the
// core raises through the user-interface port:
//   WM_USER+1 (1025)  the installation phase: handed to MainWindowEvents
//   WM_USER+5 (1029)  the "checking" banner before a long machine search
// WM_DDE_ACK and WM_DDE_DATA are ignored; closing the window ends the
// message loop. The background is one plain colour for now.
#pragma once

#include <windows.h>

#include <string>

#include "platform/user_interface.h"
#include "ui/win32/gdi.h"
#include "ui/win32/window.h"

namespace quorril::win32 {

constexpr UINT kMessageInstallPhase = WM_USER + 1;   // 1025
constexpr UINT kMessageCheckingBanner = WM_USER + 5;  // 1029
constexpr char kMainWindowClass[] = "QuorrilMainWindow";

class MainWindow : public Window {
 public:
  // Registers the class and creates the window, hidden, over the whole
  // screen. False when the system refuses.
  bool Create(HINSTANCE instance);
  // Shows the window maximized with `title`, repaints it whole and sets the
  // title once more.
  void Show(const std::string& title);
  // Paints the "checking" banner with `text` (sends message 1029).
  void ShowCheckingBanner(const std::string& text);
  // Where message 1025 goes; null drops it.
  void SetEvents(MainWindowEvents* events) { events_ = events; }
  void SetBackground(COLORREF colour) { background_ = colour; }
  // The character set of the screen font: SHIFTJIS_CHARSET (128) draws the
  // banner with a wider margin in the "System" face.
  void SetCharacterSet(BYTE charset) { charset_ = charset; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void EraseBackground(HDC dc);
  void PaintCheckingBanner();
  void PresentDrawing();

  MainWindowEvents* events_ = nullptr;
  std::string bannerText_;
  COLORREF background_ = RGB(0, 0, 255);
  BYTE charset_ = ANSI_CHARSET;
};

}  // namespace quorril::win32
