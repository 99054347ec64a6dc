// Window: the base of every window of the Win32 user interface.
//
// One static window procedure serves all window classes registered through
// this base. At WM_NCCREATE it stores the object's address in the window's
// GWLP_USERDATA slot; every later message is forwarded to the object's
// HandleMessage(). Nothing thrown inside a handler leaves the procedure: a
// failure there gives the message its default processing. The object
// destroys its window when it goes, and forgets the handle at WM_NCDESTROY
// when the window goes first.
#pragma once

#include <windows.h>

namespace quorril::win32 {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return handle_; }

 protected:
  // Registers a window class served by this base; true when it is
  // registered (now or before).
  static bool RegisterWindowClass(HINSTANCE instance, const char* className, UINT classStyle, HBRUSH background);
  // Creates the window; false when the system refuses.
  bool Create(HINSTANCE instance, const char* className, const char* title, DWORD style, DWORD extendedStyle, int x,
              int y, int width, int height, HWND parent);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(handle_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
};

}  // namespace quorril::win32
