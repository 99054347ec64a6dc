// AskDialog: the modal question dialog 601 of ASK1 to ASK5.
//
// The prompt fills statics 301 and 302 (PromptLineTexts), field 701 starts
// with the default answer, buttons 1 and 2 carry the script's OK and Cancel
// texts. OK ends the dialog with IDOK and keeps the field's text as typed,
// at most 497 characters of it (the core cleans it). Cancel asks
// ConfirmQuit with the caption " "; Yes ends the dialog with IDCANCEL, No
// leaves it open. The dialog and its controls show the window colour.
#pragma once

#include "platform/win32/handles.h"

#include <string>

#include "platform/user_interface.h"
#include "ui/win32/dialog.h"

namespace quorril::win32 {

class AskDialog : public Dialog {
 public:
  // `brush` is the window-colour brush (not owned; may be null).
  AskDialog(const DialogPrompt& prompt, const std::string& defaultAnswer, const DialogTexts& texts, HBRUSH brush)
      : prompt_(prompt), answer_(defaultAnswer), texts_(texts), brush_(brush) {}

  // IDOK, IDCANCEL, or -1 when the dialog could not be created.
  INT_PTR Run(HINSTANCE instance, HWND owner);
  // After IDOK: the field's text as typed.
  const std::string& Answer() const { return answer_; }

 protected:
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Initialise();

  DialogPrompt prompt_;
  std::string answer_;
  DialogTexts texts_;
  HBRUSH brush_;
};

}  // namespace quorril::win32
