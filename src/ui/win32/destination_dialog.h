// DestinationDialog: the modal dialogs 250, 300 and 350 that ask where to
// install (200 + 50 x the ask mode).
//
// The prompt fills statics 301 and 302, field 204 starts with the input
// text and, in ask mode 1, field 305 (the drive root) or, in mode 2, field
// 304 (the directory) shows the read-only text. OK reads field 204 (one
// character in mode 2, else at most 497) and hands it to the
// DestinationChecker: accepted, the dialog ends with IDOK; refused, the
// field is reset to what was read and the dialog stays open. Cancel asks
// ConfirmQuit with an empty caption; Yes ends the dialog with IDCANCEL.
// The destination dialogs keep the system's colours.
#pragma once

#include "platform/win32/handles.h"

#include <string>

#include "platform/user_interface.h"
#include "ui/win32/dialog.h"

namespace quorril::win32 {

class DestinationDialog : public Dialog {
 public:
  // `checker` is not owned and must outlive Run().
  DestinationDialog(const DialogPrompt& prompt, int askMode, const std::string& input, const std::string& readOnly,
                    const DialogTexts& texts, DestinationChecker* checker)
      : prompt_(prompt), askMode_(askMode), input_(input), readOnly_(readOnly), texts_(texts), checker_(checker) {}

  // The resource of an ask mode (1, 2 or 3); 0 for any other.
  static int ResourceFor(int askMode);
  // IDOK, IDCANCEL, or -1 when the ask mode has no dialog or the dialog
  // could not be created.
  INT_PTR Run(HINSTANCE instance, HWND owner);

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();
  void OnOk();

  DialogPrompt prompt_;
  int askMode_;
  std::string input_, readOnly_;
  DialogTexts texts_;
  DestinationChecker* checker_;
};

}  // namespace quorril::win32
