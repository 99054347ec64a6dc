// ProgressDialog: the modeless dialog 100 that accompanies file copying.
//
// Statics 101 and 103 carry the two texts (what is being installed, and
// where); control 102, a black frame, marks the bar. The bar shows a
// percentage that the core computes (ProgressMeter): the filled part white
// on blue, the rest blue on white, the percentage centred across both.
// Cancel (button 2, Escape, the close box) asks ConfirmQuit with an empty
// caption; Yes marks the dialog cancelled and destroys it.
//
// It stands centred on the screen, or, once a pop-up message has been
// placed in the run, centred across with its top at the place given by
// SetTop() (below the pop-up); Reposition() moves it there again.
//
// The dialog answers WM_CTLCOLOR* with the window colour. It is modeless:
// the thread's message loops must give it its messages through
// IsDialogMessage (see Win32UserInterface).
#pragma once

#include "platform/win32/handles.h"

#include <cstdint>
#include <string>
#include <utility>

#include "ui/win32/dialog.h"

namespace quorril::win32 {

class ProgressDialog : public Dialog {
 public:
  static constexpr DWORD kTextInterval = 100;

  // `brush` is the window-colour brush (not owned; may be null).
  ProgressDialog(HBRUSH brush, std::string cancelText, std::string quitText)
      : brush_(brush), cancelText_(std::move(cancelText)), quitText_(std::move(quitText)) {}

  // Creates the dialog, owned by `owner`; false when the system refuses.
  bool Create(HINSTANCE instance, HWND owner);
  // From now on the dialog's top stands at `top` (screen coordinates).
  void SetTop(int32_t top) {
    top_ = top;
    hasTop_ = true;
  }
  // Places the dialog again: centred, or at the top set.
  void Reposition();
  // Sets the two texts. A change that follows the last one shown within
  // kTextInterval milliseconds waits: a name that would stand for less
  // cannot be read, and each change costs the display a repaint. A waiting
  // change is shown by ShowWaitingTexts() once the interval has passed, or
  // at once by FlushTexts().
  void SetTexts(const std::string& upper, const std::string& lower);
  void ShowWaitingTexts();
  void FlushTexts();
  // Redraws the bar at once at `percent` (held to 0..100).
  void SetPercent(int32_t percent);
  // True once the user has confirmed quitting; the window is gone then.
  bool Cancelled() const { return cancelled_; }
  // The bar in the dialog's client coordinates.
  RECT BarRect() const { return bar_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();
  void Paint();
  void DrawBar(HDC dc);
  void OnCancel();

  HBRUSH brush_;
  std::string cancelText_, quitText_;
  std::string upper_, lower_;  // the texts the statics show
  std::string wantedUpper_, wantedLower_;  // the texts set last
  bool waiting_ = false;                   // ... and not shown yet
  bool textsShown_ = false;                // a change has been shown ...
  DWORD textsShownAt_ = 0;                 // ... at this tick count
  RECT bar_{};
  int32_t percent_ = 0;
  bool painted_ = false;  // a percentage has been drawn since creation
  int32_t top_ = 0;
  bool hasTop_ = false;
  bool cancelled_ = false;
};

}  // namespace quorril::win32
