// IntroWindow: creation, painting, its endings and the hand-over.
#include "ui/win32/intro_window.h"

#include "ui/win32/gdi.h"
#include "ui/win32/main_window.h"

namespace quorril::win32 {

namespace {
// SetTimer takes at most USER_TIMER_MAXIMUM (about 24.8 days) milliseconds.
UINT TimerMilliseconds(int32_t seconds) {
  const int64_t ms = int64_t(seconds) * 1000;
  return ms > 0x7FFFFFFF ? 0x7FFFFFFFu : static_cast<UINT>(ms);
}
}  // namespace

bool IntroWindow::Create(HINSTANCE instance, const BitmapData& image, int32_t seconds) {
  if (!RegisterWindowClass(instance, kIntroWindowClass, CS_HREDRAW | CS_VREDRAW,
                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
    return false;
  picture_.SetImage(image);
  seconds_ = seconds < 0 ? 0 : seconds;
  return Window::Create(instance, kIntroWindowClass, "", WS_POPUP, 0, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN), nullptr);
}

void IntroWindow::Show(HWND handOver) {
  handOver_ = handOver;
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOWMAXIMIZED);
  UpdateWindow(Handle());
}

void IntroWindow::Paint() {
  PaintDc paint(Handle());
  if (seconds_ > 0) {
    SetTimer(Handle(), kIntroTimer, TimerMilliseconds(seconds_), nullptr);
    timerRuns_ = true;
  }
  if (!paint.Get()) return;
  RECT client;
  GetClientRect(Handle(), &client);
  picture_.Draw(paint.Get(), client);
}

// The first ending destroys the window; later ones (a click queued behind
// the timer) find it going.
void IntroWindow::End() {
  if (ending_ || !Handle()) return;
  ending_ = true;
  DestroyWindow(Handle());
}

void IntroWindow::HandOver() {
  if (timerRuns_) KillTimer(Handle(), kIntroTimer);
  timerRuns_ = false;
  picture_.SetImage(BitmapData{});
  if (!handOver_) return;
  ShowWindow(handOver_, SW_SHOWMAXIMIZED);
  UpdateWindow(handOver_);
  PostMessageA(handOver_, kMessageInstallPhase, 0, 0);
}

LRESULT IntroWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      End();
      return 0;
    case WM_TIMER:
      if (wParam == kIntroTimer) End();
      return 0;
    case WM_DESTROY:
      HandOver();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorril::win32
