// ProgressDialog: creation, texts, the two-coloured bar and Cancel.
#include "ui/win32/progress_dialog.h"

#include "screens/dialog_logic.h"
#include "ui/win32/dialog_ids.h"
#include "ui/win32/gdi.h"

namespace quorril::win32 {

bool ProgressDialog::Create(HINSTANCE instance, HWND owner) {
  return CreateModeless(instance, QUORRIL_DIALOG_PROGRESS, owner);
}

void ProgressDialog::SetTexts(const std::string& upper, const std::string& lower) {
  if (!Handle()) return;
  wantedUpper_ = upper;
  wantedLower_ = lower;
  waiting_ = true;
  ShowWaitingTexts();
}

void ProgressDialog::ShowWaitingTexts() {
  if (waiting_ && (!textsShown_ || GetTickCount() - textsShownAt_ >= kTextInterval)) FlushTexts();
}

void ProgressDialog::FlushTexts() {
  if (!waiting_ || !Handle()) return;
  waiting_ = false;
  // The upper text rarely changes from one file to the next; setting a
  // static's text repaints it, so an unchanged text is left alone.
  bool changed = false;
  if (wantedUpper_ != upper_) {
    upper_ = wantedUpper_;
    SetItemText(QUORRIL_ID_PROGRESS_UPPER, upper_);
    changed = true;
  }
  if (wantedLower_ != lower_) {
    lower_ = wantedLower_;
    SetItemText(QUORRIL_ID_PROGRESS_LOWER, lower_);
    changed = true;
  }
  if (changed) {
    textsShown_ = true;
    textsShownAt_ = GetTickCount();
  }
}

void ProgressDialog::SetPercent(int32_t percent) {
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  // The copy code reports every 50,000 bytes; redrawing a bar that shows
  // the same percentage changes nothing on screen and costs a round trip to
  // the display each time, so only a new percentage is drawn.
  ShowWaitingTexts();
  if (percent == percent_ && painted_) return;
  percent_ = percent;
  painted_ = true;
  if (!Handle()) return;
  // Drawn at once, straight into the window: the same pixels as
  // invalidating the bar and updating the window, without a paint cycle's
  // round trips (a fraction of a millisecond each, once per file).
  WindowDc dc(Handle());
  if (dc.Get()) DrawBar(dc.Get());
}

void ProgressDialog::Reposition() {
  if (!Handle()) return;
  CentreOnScreen();
  if (!hasTop_) return;
  RECT window;
  if (!GetWindowRect(Handle(), &window)) return;
  SetWindowPos(Handle(), nullptr, window.left, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred on the screen or below the pop-up; the bar is the inside of
// control 102 in the dialog's client coordinates.
void ProgressDialog::Initialise() {
  Reposition();
  HWND frame = GetDlgItem(Handle(), QUORRIL_ID_PROGRESS_BAR);
  if (frame && GetClientRect(frame, &bar_)) {
    MapWindowPoints(frame, Handle(), reinterpret_cast<POINT*>(&bar_), 2);
  } else {
    bar_ = RECT{};
  }
  SetItemText(QUORRIL_ID_CANCEL, cancelText_);
  upper_ = ItemText(QUORRIL_ID_PROGRESS_UPPER, 1024);
  lower_ = ItemText(QUORRIL_ID_PROGRESS_LOWER, 1024);
}

void ProgressDialog::Paint() {
  PaintDc paint(Handle());
  if (paint.Get()) DrawBar(paint.Get());
}

// The percentage is drawn twice, each time filling its part of the bar:
// white on blue up to the filled edge, blue on white after it.
void ProgressDialog::DrawBar(HDC dc) {
  const std::string text = PercentText(percent_);
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  const BarLayout layout = LayoutBar(bar_.left, bar_.top, bar_.right, bar_.bottom, percent_, extent.cx, extent.cy);

  const COLORREF white = RGB(255, 255, 255), blue = RGB(0, 0, 255);
  const COLORREF previousText = GetTextColor(dc), previousBack = GetBkColor(dc);
  RECT filled = {bar_.left, bar_.top, layout.fillRight, bar_.bottom};
  SetTextColor(dc, white);
  SetBkColor(dc, blue);
  ExtTextOutA(dc, layout.textX, layout.textY, ETO_OPAQUE | ETO_CLIPPED, &filled, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  RECT rest = {layout.fillRight, bar_.top, bar_.right, bar_.bottom};
  SetTextColor(dc, blue);
  SetBkColor(dc, white);
  ExtTextOutA(dc, layout.textX, layout.textY, ETO_OPAQUE | ETO_CLIPPED, &rest, text.c_str(),
              static_cast<UINT>(text.size()), nullptr);
  SetTextColor(dc, previousText);
  SetBkColor(dc, previousBack);
}

void ProgressDialog::OnCancel() {
  if (cancelled_ || !ConfirmQuit(Handle(), "", quitText_)) return;
  cancelled_ = true;
  End(IDCANCEL);
}

INT_PTR ProgressDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsColourMessage(message)) return WindowColour(wParam, brush_);
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace quorril::win32
