// IntroWindow: the full-screen picture shown before the installation.
//
// A top-level WS_POPUP window without caption, shown maximized over the
// main window, that draws its picture at the picture's position on the
// class's background. When it has a display time, each WM_PAINT (re)starts
// timer 1 with that many seconds. A character key, a left or right mouse
// click or the timer ends it, once: the window is destroyed, and on
// WM_DESTROY it stops its timer, shows the hand-over window (the main
// window) maximized, repaints it and posts it the installation phase
// message (WM_USER + 1). The object may outlive its window; the main
// window's handler of that message lets it go.
#pragma once

#include "platform/win32/handles.h"

#include <cstdint>

#include "platform/screen_surface.h"
#include "ui/win32/bitmap_painter.h"
#include "ui/win32/window.h"

namespace quorril::win32 {

constexpr char kIntroWindowClass[] = "QuorrilIntroWindow";
constexpr UINT_PTR kIntroTimer = 1;

class IntroWindow : public Window {
 public:
  // Creates the window, hidden, over the whole screen; false when the
  // system refuses. `seconds` 0 waits for the user.
  bool Create(HINSTANCE instance, const BitmapData& image, int32_t seconds);
  // Shows it maximized and paints it; `handOver` gets the phase message.
  void Show(HWND handOver);
  // True once the window has ended (or was never made).
  bool Ended() const { return Handle() == nullptr; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  void End();
  void HandOver();

  BitmapPainter picture_;
  int32_t seconds_ = 0;
  bool timerRuns_ = false;
  bool ending_ = false;
  HWND handOver_ = nullptr;
};

}  // namespace quorril::win32
