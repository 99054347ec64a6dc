// AskDialog: filling the question dialog and reading its answer.
#include "ui/win32/ask_dialog.h"

#include "screens/dialog_logic.h"
#include "ui/win32/dialog_ids.h"

namespace quorril::win32 {

INT_PTR AskDialog::Run(HINSTANCE instance, HWND owner) { return RunModal(instance, QUORRIL_DIALOG_ASK, owner); }

void AskDialog::Initialise() {
  CentreOnScreen();
  std::string line1, line2;
  PromptLineTexts(prompt_, &line1, &line2);
  SetItemText(QUORRIL_ID_PROMPT_LINE1, line1);
  SetItemText(QUORRIL_ID_PROMPT_LINE2, line2);
  SetItemText(QUORRIL_ID_ASK_INPUT, answer_);
  SetItemText(QUORRIL_ID_OK, texts_.ok);
  SetItemText(QUORRIL_ID_CANCEL, texts_.cancel);
}

INT_PTR AskDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsColourMessage(message)) return WindowColour(wParam, brush_);
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          answer_ = ItemText(QUORRIL_ID_ASK_INPUT, kFieldCapacity);
          End(IDOK);
          return TRUE;
        case IDCANCEL:
          if (ConfirmQuit(Handle(), " ", texts_.quit)) End(IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace quorril::win32
