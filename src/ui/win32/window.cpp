// The window base: class registration, creation and the shared procedure.
#include "ui/win32/window.h"

namespace quorril::win32 {

Window::~Window() {
  if (handle_) {
    HWND handle = handle_;
    // The procedure must not reach this object while it is being destroyed.
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    handle_ = nullptr;
    DestroyWindow(handle);
  }
}

bool Window::RegisterWindowClass(HINSTANCE instance, const char* className, UINT classStyle, HBRUSH background) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, className, &existing)) return true;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = classStyle;
  wc.lpfnWndProc = &Window::Procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExA(&wc) != 0;
}

bool Window::Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD extendedStyle,
                    int x, int y, int width, int height, HWND parent) {
  HWND handle = CreateWindowExA(extendedStyle, className, title, style, x, y, width, height, parent, nullptr, instance,
                                this);
  if (!handle) return false;
  handle_ = handle;
  return true;
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->handle_ = window;
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(window, message, wParam, lParam);

  LRESULT result = self->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
  }
  return result;
}

}  // namespace quorril::win32
