// MainWindow: creation, showing, the private messages, the background,
// the graphic, the title and the "checking" banner.
#include "ui/win32/main_window.h"

#include <dde.h>

#include "screens/screen_painting.h"

namespace quorril::win32 {

bool MainWindow::Create(HINSTANCE instance) {
  if (!RegisterWindowClass(instance, kMainWindowClass, CS_HREDRAW | CS_VREDRAW, nullptr)) return false;
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  return Window::Create(instance, kMainWindowClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, width,
                        height, nullptr);
}

void MainWindow::Show(const std::string& title) {
  HWND window = Handle();
  if (!window) return;
  SetWindowTextA(window, title.c_str());
  ShowWindow(window, SW_SHOWMAXIMIZED);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  SetWindowTextA(window, title.c_str());
}

void MainWindow::ShowCheckingBanner(const std::string& text) {
  if (!Handle()) return;
  bannerText_ = text;
  SendMessageA(Handle(), kMessageCheckingBanner, 0, 0);
  PresentDrawing();
}

namespace {

Colour ColourOf(const RgbColour& c) { return Colour{c.red, c.green, c.blue}; }
COLORREF ColorRefOf(const Colour& c) { return RGB(c.red, c.green, c.blue); }

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
  Brush brush(CreateSolidBrush(colour));
  if (brush) FillRect(dc, &area, brush.Get());
}

HFONT CreateTitleFont(const ScreenAppearance& a, int32_t size, int32_t weight) {
  return CreateFontA(-size, 0, 0, 0, weight, a.titleItalic ? TRUE : FALSE, a.titleUnderline ? TRUE : FALSE, FALSE,
                     ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     a.titleFace.c_str());
}

}  // namespace

void MainWindow::SetAppearance(const ScreenAppearance& appearance) {
  appearance_ = appearance;
  graphic_.SetImage(appearance.graphic);
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void MainWindow::EraseBackground(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  if (graphic_.Empty() || graphic_.NeedsBackground(client)) {
    const BackgroundPlan plan = PlanBackground(ColourOf(appearance_.colour1), ColourOf(appearance_.colour2),
                                               client.top, client.bottom);
    if (plan.solid) {
      FillSolid(dc, client, ColorRefOf(plan.solidColour));
    } else {
      for (const Band& band : plan.bands) {
        RECT area = {client.left, band.y, client.right, band.y + kGradientBand};
        FillSolid(dc, area, ColorRefOf(band.colour));
      }
    }
  }
  graphic_.Draw(dc, client);
}

void MainWindow::PaintTitle() {
  PaintDc paint(Handle());
  HDC dc = paint.Get();
  const std::string& title = appearance_.title;
  if (!dc || title.empty()) return;

  TitleFont wanted;
  wanted.face = appearance_.titleFace;
  wanted.bold = appearance_.titleBold;
  wanted.italic = appearance_.titleItalic;
  wanted.underline = appearance_.titleUnderline;
  wanted.size = appearance_.titleSize;
  const int length = static_cast<int>(title.size());
  const TitleFontChoice choice = ChooseTitleFont(wanted, GetSystemMetrics(SM_CXSCREEN), [&](int32_t size) {
    Font trial(CreateTitleFont(appearance_, size, 700));
    Selection selected(dc, trial.Get());
    SIZE extent{};
    GetTextExtentPoint32A(dc, title.c_str(), length, &extent);
    return static_cast<int32_t>(extent.cx);
  });

  Font font(CreateTitleFont(appearance_, choice.size, choice.weight));
  Selection selected(dc, font.Get());
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, kTitleShadowAt.x, kTitleShadowAt.y, title.c_str(), length);
  const COLORREF previousColour = SetTextColor(dc, ColorRefOf(ColourOf(appearance_.titleColour)));
  TextOutA(dc, kTitleAt.x, kTitleAt.y, title.c_str(), length);
  SetTextColor(dc, previousColour);
  SetBkMode(dc, previousMode);
}

// The banner: a dark grey frame around a white box in the middle of the
// window, shaded on its bottom and right edges, with the text centred on
// its baseline at half the window's height.
void MainWindow::PaintCheckingBanner() {
  HWND window = Handle();
  ShowWindow(window, SW_SHOWMAXIMIZED);
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);

  RECT client;
  GetClientRect(window, &client);
  const CheckingBanner banner = LayoutCheckingBanner(client.right - client.left, client.bottom - client.top,
                                                     GetSystemMetrics(SM_CYSCREEN), charset_);

  WindowDc dc(window);
  if (!dc.Get()) return;
  RECT outer = {banner.outer.left, banner.outer.top, banner.outer.right, banner.outer.bottom};
  RECT inner = {banner.inner.left, banner.inner.top, banner.inner.right, banner.inner.bottom};
  {
    const Colour& c = banner.outerColour;
    Brush grey(CreateSolidBrush(RGB(c.red, c.green, c.blue)));
    if (grey) FillRect(dc.Get(), &outer, grey.Get());
  }
  FillRect(dc.Get(), &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  {
    Pen black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    Selection pen(dc.Get(), black.Get());
    MoveToEx(dc.Get(), banner.lineFrom.x, banner.lineFrom.y, nullptr);
    LineTo(dc.Get(), banner.lineCorner.x, banner.lineCorner.y);
    LineTo(dc.Get(), banner.lineTo.x, banner.lineTo.y);
  }
  Font font(CreateFontA(banner.fontHeight, 0, 0, 0, banner.fontWeight, FALSE, FALSE, FALSE, banner.charset,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        banner.fontFace.c_str()));
  Selection selectedFont(dc.Get(), font.Get());
  int previousMode = SetBkMode(dc.Get(), TRANSPARENT);
  UINT previousAlign = SetTextAlign(dc.Get(), TA_CENTER | TA_BASELINE);
  TextOutA(dc.Get(), banner.text.x, banner.text.y, bannerText_.c_str(), static_cast<int>(bannerText_.size()));
  SetTextAlign(dc.Get(), previousAlign);
  SetBkMode(dc.Get(), previousMode);
}

// The banner stays while the caller searches without pumping messages. A
// system that composes windows off screen (Wine does) shows what was drawn
// only when the thread next looks at its queue; looking for a message that
// never comes does that without taking anything from the queue.
void MainWindow::PresentDrawing() {
  MSG msg;
  PeekMessageA(&msg, Handle(), kMessageCheckingBanner, kMessageCheckingBanner, PM_NOREMOVE | PM_NOYIELD);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMessageInstallPhase:
      if (events_) events_->OnInstallPhase();
      return 0;
    case kMessageCheckingBanner:
      PaintCheckingBanner();
      return 1;
    case WM_DDE_ACK:
    case WM_DDE_DATA:
      return 0;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_PAINT:
      PaintTitle();
      return 0;
    case WM_CLOSE:
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace quorril::win32
