// ScreenDialog: running an in-memory template with OK and Cancel.
#include "ui/win32/screen_dialog.h"

namespace quorril::win32 {

INT_PTR ScreenDialog::Run(HINSTANCE instance, const std::vector<uint8_t>& dialogTemplate, HWND owner) {
  // The system reads the template as 16-bit words on a 4-byte boundary;
  // vector storage is aligned for any fundamental type.
  if (dialogTemplate.size() < 18) return -1;
  return RunModalIndirect(instance, dialogTemplate.data(), owner);
}

INT_PTR ScreenDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOnScreen();
      return OnInitialise() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) {
        if (OnOk()) End(IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        if (ConfirmQuit(Handle(), "", quitText_)) End(IDCANCEL);
        return TRUE;
      }
      return OnCommand(id, HIWORD(wParam)) ? TRUE : FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace quorril::win32
