#include "window_driver.h"

#include <cstdio>
#include <utility>

namespace quorril::support {

// ---- reading windows ----------------------------------------------------------

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

namespace {

// The text the system keeps for the window, read without asking its
// thread: right for captions and static controls, not for edit fields.
std::string StoredTextOf(HWND window) {
  std::vector<wchar_t> wide(4096, L'\0');
  int n = InternalGetWindowText(window, wide.data(), int(wide.size()));
  if (n <= 0) return std::string();
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string text(size_t(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &text[0], bytes, nullptr, nullptr);
  return text;
}

}  // namespace

std::string TextOf(HWND window) {
  // The window's thread may be busy (the engine pumps its messages only
  // between blocks of work): after a short wait the stored text stands in.
  // A window of the calling thread answers at once.
  constexpr UINT kWaitMs = 300;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &length))
    return StoredTextOf(window);
  std::vector<char> buffer(length + 2, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, WPARAM(buffer.size()), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kWaitMs, &got))
    return StoredTextOf(window);
  return std::string(buffer.data(), got < buffer.size() ? size_t(got) : buffer.size() - 1);
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

COLORREF PixelAt(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

bool SavePicture(HDC source, int x, int y, int width, int height, const std::string& path) {
  if (width <= 0 || height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(source);
  bool ok = false;
  if (bitmap && memory) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  if (ok) {
    DWORD stride = (DWORD(width) * 3 + 3) & ~3u;
    DWORD imageSize = stride * DWORD(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    FILE* out = std::fopen(path.c_str(), "wb");
    ok = out && std::fwrite(&file, sizeof file, 1, out) == 1 &&
         std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
         std::fwrite(bits, 1, imageSize, out) == imageSize;
    if (out && std::fclose(out) != 0) ok = false;
  }
  if (memory) DeleteDC(memory);
  if (bitmap) DeleteObject(bitmap);
  return ok;
}

// ---- finding windows ------------------------------------------------------------

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

namespace {

struct WindowSearch {
  std::function<bool(HWND)> wanted;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  if (!search->wanted || search->wanted(window)) search->windows.push_back(window);
  return TRUE;
}

// A dialog owned by another dialog.
bool OwnedByDialog(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  return owner && ClassOf(owner) == "#32770";
}

}  // namespace

std::vector<HWND> ThreadWindows() {
  WindowSearch search;
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
  WindowSearch search;
  search.wanted = [processId](HWND window) {
    return IsWindowVisible(window) && (processId == 0 || ProcessOf(window) == processId);
  };
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

bool IsDialogWindow(HWND window) { return IsWindowVisible(window) && ClassOf(window) == "#32770"; }

HWND DialogWith(int id) {
  for (HWND window : ThreadWindows())
    if (IsDialogWindow(window) && GetDlgItem(window, id) && !OwnedByDialog(window)) return window;
  return nullptr;
}

HWND MessageBoxWindow() {
  for (HWND window : ThreadWindows())
    if (IsDialogWindow(window) && OwnedByDialog(window) && GetDlgItem(window, 0xFFFF)) return window;
  return nullptr;
}

// ---- acting ---------------------------------------------------------------------

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void Press(HWND dialog, int id) { Click(GetDlgItem(dialog, id)); }

void PostButtonCommand(HWND window, int id, HWND button) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Type(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

BoxSeen Look(HWND box) {
  BoxSeen seen;
  seen.owner = GetWindow(box, GW_OWNER);
  seen.caption = TextOf(box);
  seen.text = ItemText(box, 0xFFFF);
  seen.yesNo = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && !GetDlgItem(box, IDOK);
  return seen;
}

// ---- a person at the keyboard -----------------------------------------------------

Person* Person::current_ = nullptr;

Person::Person(int seconds, GiveUpReport report)
    : report_(std::move(report)), limitTicks_(seconds * 1000 / int(kTickMs)) {}

Person::~Person() { Leave(); }

Person& Person::Then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

void Person::Start() {
  current_ = this;
  timer_ = SetTimer(nullptr, 0, kTickMs, &Person::Tick);
}

void Person::Leave() {
  if (timer_) KillTimer(nullptr, timer_);
  timer_ = 0;
  if (current_ == this) current_ = nullptr;
}

void CALLBACK Person::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (current_) current_->OnTick();
}

void Person::OnTick() {
  // A step may run a message loop of its own (a message box, say), in
  // which the timer ticks again.
  if (busy_) return;
  busy_ = true;
  if (gaveUp_) {
    for (HWND window : ThreadWindows())
      if (ClassOf(window) == "#32770") EndDialog(window, IDCANCEL);
  } else if (!steps_.empty()) {
    if (steps_.front()()) {
      steps_.pop_front();
      ++taken_;
      waited_ = 0;
    } else if (++waited_ > limitTicks_) {
      if (report_) report_("the person waited in vain at step " + std::to_string(taken_ + 1));
      steps_.clear();
      gaveUp_ = true;
    }
  }
  busy_ = false;
}

Person::Step NoBox() {
  return [] { return MessageBoxWindow() == nullptr; };
}

}  // namespace quorril::support
