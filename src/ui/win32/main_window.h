// MainWindow: the engine's full-screen top-level window.
//
// It is created hidden at start-up and shown maximized, titled "Quorril",
// once the script has been read. It handles the private messages that the
// core raises through the user-interface port:
//   WM_USER+1 (1025)  the installation phase: handed to MainWindowEvents
//   WM_USER+5 (1029)  the "checking" banner before a long machine search
// WM_DDE_ACK and WM_DDE_DATA are ignored; closing the window ends the
// message loop.
//
// What it paints is its ScreenAppearance: WM_ERASEBKGND fills the
// background (one solid fill, or the vertical gradient in bands of 8
// pixels) unless a graphic covers the whole client area, then draws the
// graphic at its position; WM_PAINT draws the title, a shadow at (23, 23)
// in the paint context's own text colour and the title at (20, 20) in the
// title colour, with a font of the given size or the largest of 40, 36 ... 4
// (bold) that fits across the screen.
#pragma once

#include <windows.h>

#include <string>

#include "platform/screen_surface.h"
#include "platform/user_interface.h"
#include "ui/win32/bitmap_painter.h"
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
  // What the window paints from now on; the window repaints whole.
  void SetAppearance(const ScreenAppearance& appearance);
  // The character set of the screen font: SHIFTJIS_CHARSET (128) draws the
  // banner with a wider margin in the "System" face.
  void SetCharacterSet(BYTE charset) { charset_ = charset; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void EraseBackground(HDC dc);
  void PaintTitle();
  void PaintCheckingBanner();
  void PresentDrawing();

  MainWindowEvents* events_ = nullptr;
  std::string bannerText_;
  ScreenAppearance appearance_;
  BitmapPainter graphic_;
  BYTE charset_ = ANSI_CHARSET;
};

}  // namespace quorril::win32
