// DestinationDialog: filling the three destination dialogs and handing what
// was typed to the checker.
#include "ui/win32/destination_dialog.h"

#include "screens/dialog_logic.h"
#include "ui/win32/dialog_ids.h"

namespace quorril::win32 {

int DestinationDialog::ResourceFor(int askMode) {
  switch (askMode) {
    case 1: return QUORRIL_DIALOG_DESTINATION_DIRECTORY;
    case 2: return QUORRIL_DIALOG_DESTINATION_DRIVE;
    case 3: return QUORRIL_DIALOG_DESTINATION_PATH;
    default: return 0;
  }
}

INT_PTR DestinationDialog::Run(HINSTANCE instance, HWND owner) {
  int resource = ResourceFor(askMode_);
  if (resource == 0 || !checker_) return -1;
  return RunModal(instance, resource, owner);
}

void DestinationDialog::Initialise() {
  CentreOnScreen();
  std::string line1, line2;
  PromptLineTexts(prompt_, &line1, &line2);
  SetItemText(QUORRIL_ID_PROMPT_LINE1, line1);
  SetItemText(QUORRIL_ID_PROMPT_LINE2, line2);
  SetItemText(QUORRIL_ID_OK, texts_.ok);
  SetItemText(QUORRIL_ID_CANCEL, texts_.cancel);
  SetItemText(QUORRIL_ID_DESTINATION_INPUT, input_);
  if (askMode_ == 1) SetItemText(QUORRIL_ID_DESTINATION_ROOT, readOnly_);
  if (askMode_ == 2) SetItemText(QUORRIL_ID_DESTINATION_DIRECTORY, readOnly_);
}

void DestinationDialog::OnOk() {
  const std::string typed = ItemText(QUORRIL_ID_DESTINATION_INPUT, askMode_ == 2 ? 1 : kFieldCapacity);
  if (checker_->Accept(typed)) {
    End(IDOK);
    return;
  }
  // The checker has said why; the field shows what it refused.
  SetItemText(QUORRIL_ID_DESTINATION_INPUT, typed);
}

INT_PTR DestinationDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOk();
          return TRUE;
        case IDCANCEL:
          if (ConfirmQuit(Handle(), "", texts_.quit)) End(IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace quorril::win32
