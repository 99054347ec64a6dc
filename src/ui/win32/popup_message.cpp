// PopupMessage: creation and placement.
#include "ui/win32/popup_message.h"

namespace quorril::win32 {

bool PopupMessage::Create(HINSTANCE instance, const std::vector<uint8_t>& dialogTemplate, HWND owner) {
  // The system reads the template as 16-bit words on a 4-byte boundary;
  // vector storage is aligned for any fundamental type.
  if (dialogTemplate.size() < 18) return false;
  return CreateModelessIndirect(instance, dialogTemplate.data(), owner);
}

void PopupMessage::Place() {
  RECT created;
  if (!GetWindowRect(Handle(), &created)) return;
  placement_ = PlacePopup(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                          Rect{created.left, created.top, created.right, created.bottom});
  SetWindowPos(Handle(), nullptr, placement_.x, placement_.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR PopupMessage::HandleMessage(UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    Place();
    return FALSE;  // the pop-up takes no focus
  }
  return FALSE;
}

}  // namespace quorril::win32
