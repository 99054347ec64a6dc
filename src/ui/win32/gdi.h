// Small owners of GDI resources for the Win32 user interface: every font,
// brush and pen is deleted, every device context released and every
// selection undone by the destructor of the object that took it.
#pragma once

#include "platform/win32/handles.h"

namespace quorril::win32 {

// Owns one GDI object (HFONT, HBRUSH, HPEN, ...) and deletes it: the
// handle owner of handles.h with DeleteObject.
template <typename Handle>
struct GdiObjectTraits {
  using Type = Handle;
  static Type None() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
template <typename Handle>
using GdiObject = UniqueHandle<GdiObjectTraits<Handle>>;

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Palette = GdiObject<HPALETTE>;
using Bitmap = GdiObject<HBITMAP>;

// Selects an object into a device context and selects the previous one
// back when it goes.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The device context of a window's client area (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_ = nullptr;
};

}  // namespace quorril::win32
