// The dialog base: creation, the shared dialog procedure, centring and the
// window-colour answer.
#include "ui/win32/dialog.h"

#include <vector>

#include "screens/dialog_logic.h"

namespace quorril::win32 {

Dialog::~Dialog() {
  if (handle_) {
    HWND handle = handle_;
    // The procedure must not reach this object while it is being destroyed.
    SetWindowLongPtrA(handle, DWLP_USER, 0);
    handle_ = nullptr;
    if (modal_)
      EndDialog(handle, IDCANCEL);
    else
      DestroyWindow(handle);
  }
}

INT_PTR Dialog::RunModal(HINSTANCE instance, int resourceId, HWND owner) {
  modal_ = true;
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(resourceId), owner, &Dialog::Procedure,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModalIndirect(HINSTANCE instance, const void* dialogTemplate, HWND owner) {
  modal_ = true;
  return DialogBoxIndirectParamA(instance, static_cast<LPCDLGTEMPLATEA>(dialogTemplate), owner, &Dialog::Procedure,
                                 reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HINSTANCE instance, int resourceId, HWND owner) {
  modal_ = false;
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(resourceId), owner, &Dialog::Procedure,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool Dialog::CreateModelessIndirect(HINSTANCE instance, const void* dialogTemplate, HWND owner) {
  modal_ = false;
  return CreateDialogIndirectParamA(instance, static_cast<LPCDLGTEMPLATEA>(dialogTemplate), owner,
                                    &Dialog::Procedure, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::End(INT_PTR result) {
  if (!handle_) return;
  if (modal_)
    EndDialog(handle_, result);
  else
    DestroyWindow(handle_);
}

void Dialog::CentreOnScreen() {
  RECT window;
  if (!handle_ || !GetWindowRect(handle_, &window)) return;
  int32_t x = 0, y = 0;
  quorril::CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), window.right - window.left,
                          window.bottom - window.top, &x, &y);
  SetWindowPos(handle_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR Dialog::WindowColour(WPARAM dc, HBRUSH brush) {
  if (!brush) return FALSE;
  SetBkColor(reinterpret_cast<HDC>(dc), GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<INT_PTR>(brush);
}

std::string Dialog::ItemText(int id, size_t capacity) const {
  std::vector<char> buffer(capacity + 1, '\0');
  UINT length = GetDlgItemTextA(handle_, id, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), length <= capacity ? length : capacity);
}

void Dialog::SetItemText(int id, const std::string& text) { SetDlgItemTextA(handle_, id, text.c_str()); }

INT_PTR Dialog::HandleMessage(UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    if (self) self->handle_ = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  if (!self) return FALSE;

  INT_PTR result = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    self->handle_ = nullptr;
  }
  return result;
}

bool ConfirmQuit(HWND owner, const std::string& caption, const std::string& quitText) {
  return MessageBoxA(owner, quitText.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace quorril::win32
