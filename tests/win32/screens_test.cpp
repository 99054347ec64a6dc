// The screen surface under Wine: what the main window paints (gradient,
// graphic, title), the intro window's endings, the screens built from
// script text with their initial checks and refused OKs, and the pop-up
// message with the progress dialog below it.
//
// Pixels are read back from the window with GetPixel after the window has
// painted. A person acts from a thread timer, so it is served by whichever
// message loop runs at the moment. With QUORRIL_SCREEN_SHOTS naming a
// directory, the tests write pictures of the whole screen there (24-bit
// .bmp files).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "ui/win32/win32_user_interface.h"
#include "shot_support.h"
#include "window_driving.h"
#include "screens/dialog_templates.h"
#include "screens/screen_painting.h"
#include "screens/text_template.h"
#include "model/script_model.h"

namespace quorril {
namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// ---- pictures -----------------------------------------------------------------

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> InfoHeader(int32_t width, int32_t height, uint16_t bits, uint32_t colours, uint32_t size) {
  std::vector<uint8_t> h;
  PutLe(h, 40, 4);
  PutLe(h, uint32_t(width), 4);
  PutLe(h, uint32_t(height), 4);
  PutLe(h, 1, 2);
  PutLe(h, bits, 2);
  PutLe(h, 0, 4);  // BI_RGB
  PutLe(h, size, 4);
  PutLe(h, 0, 4);
  PutLe(h, 0, 4);
  PutLe(h, colours, 4);
  PutLe(h, 0, 4);
  return h;
}

// A 24-bit picture of one colour, with its top-left pixel in `corner`.
BitmapData Picture24(int32_t width, int32_t height, COLORREF colour, COLORREF corner, int32_t position) {
  BitmapData b;
  b.width = width;
  b.height = height;
  b.position = position;
  const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
  b.info = InfoHeader(width, height, 24, 0, stride * uint32_t(height));
  b.bits.assign(size_t(stride) * height, 0);
  for (int32_t row = 0; row < height; ++row)
    for (int32_t x = 0; x < width; ++x) {
      // Rows are stored bottom-up: the last row is the picture's top.
      COLORREF c = (row == height - 1 && x == 0) ? corner : colour;
      uint8_t* p = &b.bits[size_t(row) * stride + size_t(x) * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  return b;
}

// A 256-colour picture whose every pixel is index 200, and index 200 is
// `colour`: drawn through its palette.
BitmapData Picture256(int32_t width, int32_t height, COLORREF colour, int32_t position) {
  BitmapData b;
  b.width = width;
  b.height = height;
  b.position = position;
  const uint32_t stride = (uint32_t(width) + 3) & ~3u;
  b.info = InfoHeader(width, height, 8, 256, stride * uint32_t(height));
  b.paletteIndexInfo = b.info;
  b.paletteColours.resize(256);
  for (int i = 0; i < 256; ++i) {
    RgbColour c{uint8_t(i), uint8_t(i), uint8_t(i)};
    if (i == 200) c = RgbColour{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    b.paletteColours[i] = c;
    PutLe(b.info, uint32_t(c.blue) | uint32_t(c.green) << 8 | uint32_t(c.red) << 16, 4);
    PutLe(b.paletteIndexInfo, uint32_t(i), 2);
  }
  b.needsPalette = true;
  b.bits.assign(size_t(stride) * height, 200);
  return b;
}

// ---- looking at the screen ----------------------------------------------------

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Pumps for `ms` milliseconds, keeping back (and counting) the
// installation phase messages posted to `main`.
int PumpCountingPhase(HWND main, DWORD ms, const std::function<bool()>& until = nullptr) {
  int phases = 0;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == main && msg.message == WM_USER + 1) {
        ++phases;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (until && until()) break;
    Sleep(10);
  }
  return phases;
}

// The bounding box of the pixels of `colour` inside `area`.
struct Found {
  bool any = false;
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
};
Found FindColour(HWND window, const RECT& area, COLORREF colour) {
  Found f;
  HDC dc = GetDC(window);
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      if (GetPixel(dc, x, y) != colour) continue;
      if (!f.any) {
        f = Found{true, x, y, x, y};
      } else {
        f.minX = std::min(f.minX, x);
        f.minY = std::min(f.minY, y);
        f.maxX = std::max(f.maxX, x);
        f.maxY = std::max(f.maxY, y);
      }
    }
  ReleaseDC(window, dc);
  return f;
}

COLORREF Ref(const Colour& c) { return RGB(c.red, c.green, c.blue); }

// Writes the whole screen into QUORRIL_SCREEN_SHOTS\name.bmp.
void SaveScreen(const std::string& name) {
  if (GetEnvironmentVariableA("QUORRIL_SCREEN_SHOTS", nullptr, 0) == 0) return;
  Pump();
  HDC source = GetDC(nullptr);
  SaveBitmap(source, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), "QUORRIL_SCREEN_SHOTS", name);
  ReleaseDC(nullptr, source);
}

// ---- the main window ----------------------------------------------------------

struct ShownMain {
  HWND window = nullptr;
  RECT client{};
};
ShownMain ShowMain(Win32UserInterface& ui, const ScreenAppearance& appearance) {
  ui.CreateMainWindow();
  ui.SetAppearance(appearance);
  ui.ShowMainWindow("Quorril");
  ShownMain shown;
  shown.window = ui.MainWindowHandle();
  RedrawWindow(shown.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  GetClientRect(shown.window, &shown.client);
  return shown;
}

constexpr COLORREF kGreen = RGB(0, 192, 0), kMagenta = RGB(255, 0, 255), kYellow = RGB(255, 255, 0);

TEST(MainWindowPainting, GradientGraphicAtBottomRightAndTitleWithItsShadow) {
  Win32UserInterface ui(Instance());
  ScreenAppearance a;
  a.colour1 = RgbColour{200, 40, 0};
  a.colour2 = RgbColour{0, 40, 200};
  a.title = "Quorril Setup";
  a.titleColour = RgbColour{255, 255, 0};
  a.graphic = Picture24(100, 50, kGreen, kMagenta, kPositionBottomRight);
  ShownMain main = ShowMain(ui, a);
  ASSERT_NE(main.window, nullptr);
  const RECT& c = main.client;
  ASSERT_GT(c.bottom, 100);

  // The bands: the first in colour 1, the last near colour 2, each band one
  // colour from its top to its last row.
  const BackgroundPlan plan = PlanBackground(Colour{200, 40, 0}, Colour{0, 40, 200}, c.top, c.bottom);
  ASSERT_FALSE(plan.solid);
  EXPECT_EQ(PixelAt(main.window, c.right - 5, 0), RGB(200, 40, 0));
  EXPECT_EQ(PixelAt(main.window, c.right - 5, 7), RGB(200, 40, 0));
  EXPECT_NE(PixelAt(main.window, c.right - 5, 8), RGB(200, 40, 0));
  const Band& last = plan.bands.back();
  ASSERT_LT(last.y, c.bottom);
  const COLORREF lastSeen = PixelAt(main.window, 5, c.bottom - 1);
  EXPECT_EQ(lastSeen, Ref(last.colour));
  // Integer steps leave less than one step per band short of colour 2.
  EXPECT_LT(std::abs(int(GetRValue(lastSeen)) - 0), c.bottom / 8);
  EXPECT_LT(std::abs(int(GetBValue(lastSeen)) - 200), c.bottom / 8);
  EXPECT_EQ(GetGValue(lastSeen), 40);
  for (size_t i = 1; i + 1 < plan.bands.size(); i += plan.bands.size() / 7)
    EXPECT_EQ(PixelAt(main.window, c.right - 3, plan.bands[i].y + 4), Ref(plan.bands[i].colour)) << "band " << i;

  // The graphic: its top-left pixel where PlaceGraphic puts it, the area
  // around it still filled.
  const GraphicPlacement place = PlaceGraphic(100, 50, kPositionBottomRight, c.right, c.bottom);
  ASSERT_EQ(place.destinations.size(), 1u);
  const Point at = place.destinations[0];
  EXPECT_EQ(at.x, c.right - 100 + 1);
  EXPECT_EQ(at.y, c.bottom - 50 + 1);
  EXPECT_EQ(PixelAt(main.window, at.x, at.y), kMagenta);
  EXPECT_EQ(PixelAt(main.window, at.x + 1, at.y + 1), kGreen);
  EXPECT_EQ(PixelAt(main.window, c.right - 1, c.bottom - 1), kGreen);
  EXPECT_NE(PixelAt(main.window, at.x - 1, at.y - 1), kGreen);
  EXPECT_NE(PixelAt(main.window, at.x - 1, at.y - 1), kMagenta);

  // The title: at (20, 20) in the title colour over a black shadow 3 pixels
  // lower right; the shadow's right and bottom edges stick out by 3.
  const RECT corner = {0, 0, 700, 110};
  const Found title = FindColour(main.window, corner, kYellow);
  const Found shadow = FindColour(main.window, corner, RGB(0, 0, 0));
  ASSERT_TRUE(title.any);
  ASSERT_TRUE(shadow.any);
  EXPECT_GE(title.minX, 20);
  EXPECT_GE(title.minY, 20);
  EXPECT_LT(title.minX, 30);
  EXPECT_GE(shadow.minX, 23);
  EXPECT_GE(shadow.minY, 23);
  EXPECT_EQ(shadow.maxX, title.maxX + 3);
  EXPECT_EQ(shadow.maxY, title.maxY + 3);
  // Automatic size: the largest bold size that fits, 40 here.
  EXPECT_GT(title.maxY - title.minY, 20);
  SaveScreen("main-window-gradient");
}

TEST(MainWindowPainting, OneColourIsOneFillAndATiledPaletteGraphicCoversAll) {
  Win32UserInterface ui(Instance());
  ScreenAppearance a;
  a.colour1 = a.colour2 = RgbColour{0, 128, 128};
  ShownMain main = ShowMain(ui, a);
  const RECT& c = main.client;
  EXPECT_EQ(PixelAt(main.window, 0, 0), RGB(0, 128, 128));
  EXPECT_EQ(PixelAt(main.window, c.right / 2, c.bottom / 2), RGB(0, 128, 128));
  EXPECT_EQ(PixelAt(main.window, c.right - 1, c.bottom - 1), RGB(0, 128, 128));

  // 256 colours: the pixels come through the picture's palette; TILE fills
  // the whole window with it.
  const COLORREF paletteColour = RGB(10, 200, 30);
  a.graphic = Picture256(30, 20, paletteColour, kPositionTile);
  ui.SetAppearance(a);
  RedrawWindow(main.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  EXPECT_EQ(PixelAt(main.window, 0, 0), paletteColour);
  EXPECT_EQ(PixelAt(main.window, 31, 21), paletteColour);
  EXPECT_EQ(PixelAt(main.window, c.right / 2, c.bottom / 2), paletteColour);
  EXPECT_EQ(PixelAt(main.window, c.right - 1, c.bottom - 1), paletteColour);
  // A picture larger than the window at the centre: cut evenly, no
  // background around it.
  a.graphic = Picture24(c.right + 41, c.bottom + 41, kGreen, kMagenta, kPositionCentre);
  ui.SetAppearance(a);
  RedrawWindow(main.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  EXPECT_EQ(PixelAt(main.window, 0, 0), kGreen);
  EXPECT_EQ(PixelAt(main.window, c.right - 1, c.bottom - 1), kGreen);
}

// ---- screens from script text -------------------------------------------------

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Measures lines through the surface, as the parser does.
class PortMeasurer : public TextMeasurer {
 public:
  explicit PortMeasurer(ScreenSurface& s) : s_(s) {}
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                    const std::string& text) override {
    return s_.TextWidth(face, pointSize, italic, underline, text);
  }
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override {
    return s_.DialogBaseUnitX(face, pointSize);
  }

 private:
  ScreenSurface& s_;
};

std::vector<uint8_t> Measured(Win32UserInterface& ui, const std::vector<std::string>& lines) {
  PortMeasurer measurer(ui);
  std::vector<uint8_t> bytes;
  MeasureResult r = EncodeText(lines, MeasureFont{}, measurer, &bytes);
  EXPECT_EQ(r.status, TextStatus::kOk);
  return bytes;
}

// A checker that records what it was given and answers from a list; the
// first refusal shows the "no group" message as the choice screens do.
class RecordingChecker : public TemplateDialogChecker {
 public:
  RecordingChecker(Win32UserInterface& ui, std::deque<bool> answers) : ui_(ui), answers_(std::move(answers)) {}
  bool Accept(const std::vector<int>& checked) override {
    seen.push_back(checked);
    bool yes = answers_.empty() || answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    if (!yes) {
      MessageBoxRequest box;
      box.text = "No group is selected.";
      box.caption = " ";
      box.style = MB_OK | MB_ICONEXCLAMATION;
      box.owned = true;
      ui_.ShowMessageBox(box);
    }
    return yes;
  }
  std::vector<std::vector<int>> seen;

 private:
  Win32UserInterface& ui_;
  std::deque<bool> answers_;
};

TEST(TemplateDialog, ChoiceScreenStartsWithItsChecksAndOkWaitsForTheChecker) {
  Win32UserInterface ui(Instance());
  ScreenAppearance look;
  look.title = "Choose";
  ShowMain(ui, look);
  EXPECT_GT(ui.DialogBaseUnitX("MS Sans Serif", 10), 0);
  EXPECT_GT(ui.TextWidth("MS Sans Serif", 10, false, false, "Program files"),
            ui.TextWidth("MS Sans Serif", 10, false, false, "Help"));

  const std::vector<uint8_t> text = Measured(
      ui, {"  Choose what to install:", "", "10 [X] Program files", "11 [ ] Examples", "12 [X] Help files"});
  ChoiceTable table;
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kChoiceGroup, ByteSpan{text.data(), text.size()},
                                         DialogFont{}, ButtonTexts{}, &table);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  ASSERT_EQ(t.choices, 3);

  TemplateDialogSetup setup;
  setup.checkBoxes = {100, 102};
  RecordingChecker checker(ui, {false, true});
  HWND shown = nullptr;
  Person person;
  person
      .Then([&] {
        shown = DialogWith(101);
        if (!shown) return false;
        RECT r;
        GetWindowRect(shown, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
        EXPECT_TRUE(Checked(shown, 100));
        EXPECT_FALSE(Checked(shown, 101));
        EXPECT_TRUE(Checked(shown, 102));
        EXPECT_EQ(ItemText(shown, 101), " Examples");
        SaveScreen("choice-screen");
        Press(shown, 100);
        Press(shown, 102);
        Press(shown, IDOK);
        return true;
      })
      .Then([&] {
        HWND box = MessageBoxWindow();
        if (!box) return false;
        BoxSeen seen = Look(box);
        EXPECT_EQ(seen.owner, shown) << "the screen owns the message";
        EXPECT_EQ(seen.caption, " ");
        Press(box, IDOK);
        return true;
      })
      .Then(NoBox())
      .Then([&] {
        EXPECT_TRUE(IsWindowVisible(shown)) << "a refused OK leaves the screen open";
        Press(shown, 101);
        Press(shown, IDOK);
        return true;
      })
      .Start();
  EXPECT_EQ(ui.RunTemplateDialog(t.bytes, setup, "Do you wish to quit?", &checker), kIdOk);
  EXPECT_TRUE(person.Done());
  ASSERT_EQ(checker.seen.size(), 2u);
  EXPECT_EQ(checker.seen[0], std::vector<int>{});
  EXPECT_EQ(checker.seen[1], std::vector<int>{101});
}

// The lines between BEGINFIRSTSCREEN and ENDFIRSTSCREEN of the demo's
// script, read from the source tree through Wine's drive Z:.
std::vector<std::string> DemoFirstScreen() {
  std::string path = std::string("Z:") + QUORRIL_SOURCE_DIR + "/examples/demo/DEMO.CFG";
  std::replace(path.begin(), path.end(), '/', '\\');
  std::vector<std::string> lines;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return lines;
  char buffer[1024];
  bool inside = false;
  while (std::fgets(buffer, sizeof buffer, file)) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("ENDFIRSTSCREEN", 0) == 0) break;
    if (inside) lines.push_back(line);
    if (line.rfind("BEGINFIRSTSCREEN", 0) == 0) inside = true;
  }
  std::fclose(file);
  return lines;
}

// Each text line of a screen is drawn in the dialog's font inside its
// static control; a line wider than its control loses its last words. The
// demo's first screen, measured as the parser measures it, shows every
// line whole, and the base unit measured is the one the dialog has.
TEST(TemplateDialog, TheDemosFirstScreenShowsEveryLineWhole) {
  Win32UserInterface ui(Instance());
  ShowMain(ui, ScreenAppearance{});
  TextBlock block;
  block.lines = DemoFirstScreen();
  ASSERT_GE(block.lines.size(), 4u) << "the demo's first screen was not found";
  const ScriptSettings settings;
  TextArea area;
  PortMeasurer measurer(ui);
  MeasureResult measured = MeasureTextBlock(area, block, settings, measurer);
  ASSERT_EQ(measured.status, TextStatus::kOk);
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kScreen, area.Bytes(measured.block), DialogFontFor(block, settings),
                                         ButtonTexts{});
  ASSERT_EQ(t.status, TemplateStatus::kOk);

  int statics = 0;
  Person person;
  person
      .Then([&] {
        HWND shown = DialogWith(IDCANCEL);
        if (!shown) return false;
        RECT units = {0, 0, 4, 8};
        MapDialogRect(shown, &units);
        EXPECT_EQ(units.right, ui.DialogBaseUnitX("MS Sans Serif", 10)) << "the dialog's own base unit";
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(shown, WM_GETFONT, 0, 0));
        HDC dc = GetDC(shown);
        HGDIOBJ previous = SelectObject(dc, font);
        for (HWND child = GetWindow(shown, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          char kind[32] = {};
          GetClassNameA(child, kind, sizeof kind);
          if (lstrcmpiA(kind, "Static") != 0) continue;
          char text[256] = {};
          const int length = GetWindowTextA(child, text, sizeof text);
          SIZE extent{};
          GetTextExtentPoint32A(dc, text, length, &extent);
          RECT client;
          GetClientRect(child, &client);
          EXPECT_LE(extent.cx, client.right) << "'" << text << "' is cut";
          ++statics;
        }
        SelectObject(dc, previous);
        ReleaseDC(shown, dc);
        SaveScreen("demo-first-screen");
        Press(shown, IDOK);
        return true;
      })
      .Start();
  EXPECT_EQ(ui.RunTemplateDialog(t.bytes, TemplateDialogSetup{}, "Do you wish to quit?", nullptr), kIdOk);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(statics, 3) << "the non-empty lines";
}

TEST(TemplateDialog, ExclusiveGroupChecksOneRadioAndCancelAsksFirst) {
  Win32UserInterface ui(Instance());
  ShowMain(ui, ScreenAppearance{});
  const std::vector<uint8_t> text =
      Measured(ui, {"  One of:", "20 [ ] Small", "21 [X] Medium", "22 [X] Large"});
  ChoiceTable table;
  RadioRun radios;
  DialogTemplate t = BuildExclusiveTemplate(ByteSpan{text.data(), text.size()}, DialogFont{}, ButtonTexts{},
                                            &table, &radios);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  TemplateDialogSetup setup;
  setup.radioFirst = 100;
  setup.radioLast = 100 + radios.radiosCreated;
  setup.radioChecked = 101;
  RecordingChecker checker(ui, {});
  HWND shown = nullptr;
  Person person;
  person
      .Then([&] {
        shown = DialogWith(102);
        if (!shown) return false;
        EXPECT_FALSE(Checked(shown, 100));
        EXPECT_TRUE(Checked(shown, 101));
        EXPECT_FALSE(Checked(shown, 102));
        Press(shown, 102);
        Press(shown, IDCANCEL);
        return true;
      })
      .Then([&] {
        HWND box = MessageBoxWindow();
        if (!box) return false;
        BoxSeen seen = Look(box);
        EXPECT_EQ(seen.caption, "");
        EXPECT_EQ(seen.text, "Really?");
        Press(box, IDNO);
        return true;
      })
      .Then(NoBox())
      .Then([&] {
        Press(shown, IDOK);
        return true;
      })
      .Start();
  EXPECT_EQ(ui.RunTemplateDialog(t.bytes, setup, "Really?", &checker), kIdOk);
  EXPECT_TRUE(person.Done());
  ASSERT_EQ(checker.seen.size(), 1u);
  EXPECT_EQ(checker.seen[0], std::vector<int>{102});

  // Cancel confirmed ends it without asking the checker.
  Person leaver;
  leaver
      .Then([&] {
        shown = DialogWith(102);
        if (!shown) return false;
        Press(shown, IDCANCEL);
        return true;
      })
      .Then([&] {
        HWND box = MessageBoxWindow();
        if (!box) return false;
        Press(box, IDYES);
        return true;
      })
      .Start();
  EXPECT_EQ(ui.RunTemplateDialog(t.bytes, setup, "Really?", &checker), kIdCancel);
  EXPECT_TRUE(leaver.Done());
  EXPECT_EQ(checker.seen.size(), 1u);
  EXPECT_EQ(ui.RunTemplateDialog(std::vector<uint8_t>(4, 0), setup, "Really?", nullptr), kIdCancel);
}

// ---- pop-up messages ----------------------------------------------------------

TEST(PopupMessage, IsPlacedAboveTheProgressDialogAndReplacedByTheNext) {
  Win32UserInterface ui(Instance());
  ScreenAppearance look;
  look.title = "Installing";
  ShowMain(ui, look);
  const std::vector<uint8_t> text =
      Measured(ui, {"Thank you for choosing Quorril.", "", "The files are being copied now."});
  DialogTemplate popup = BuildPopupTemplate(ByteSpan{text.data(), text.size()}, DialogFont{});
  ASSERT_EQ(popup.status, TemplateStatus::kOk);

  ui.ShowPopup(popup.bytes);
  HWND first = ui.PopupHandle();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(GetWindow(first, GW_OWNER), ui.MainWindowHandle());
  RECT r;
  GetWindowRect(first, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, (sw - w) / 2);
  EXPECT_EQ(r.top, (sh - h - 244) / 2 + 60);
  ASSERT_TRUE(ui.LastPopupPlacement().has_value());
  const PopupPlacement placed = *ui.LastPopupPlacement();
  EXPECT_EQ(placed.y, r.top);
  // Created at the top-left of the main window's client area (the system
  // may put the frame around that corner).
  POINT clientTopLeft = {0, 0};
  ClientToScreen(ui.MainWindowHandle(), &clientTopLeft);
  EXPECT_LE(placed.bottomAtCreation, clientTopLeft.y + h);
  EXPECT_GE(placed.bottomAtCreation, clientTopLeft.y + h - GetSystemMetrics(SM_CYDLGFRAME) - 1);

  // The progress dialog stands below it from its creation on.
  ui.CreateProgressDialog(3, DialogTexts{});
  HWND progress = ui.ProgressDialogHandle();
  ASSERT_NE(progress, nullptr);
  RECT p;
  GetWindowRect(progress, &p);
  EXPECT_EQ(p.top, ProgressDialogTopBelowPopup(placed));
  EXPECT_GE(p.top, r.bottom + 24);
  EXPECT_EQ(p.left, (sw - (p.right - p.left)) / 2);
  ui.SetProgressTexts("Installing file: ", "C:\\QUORRIL\\README.TXT");
  ui.ShowProgress(40);

  // Moved away, it comes back and is made the active window.
  SetWindowPos(progress, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetActiveWindow(ui.MainWindowHandle());
  ui.KeepProgressInFront();
  GetWindowRect(progress, &p);
  EXPECT_EQ(p.top, ProgressDialogTopBelowPopup(placed));
  EXPECT_EQ(GetActiveWindow(), progress);
  Pump();
  SaveScreen("popup-over-progress");

  // The next pop-up replaces the first; closing leaves none.
  ui.ShowPopup(popup.bytes);
  HWND second = ui.PopupHandle();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  ui.ClosePopup();
  EXPECT_EQ(ui.PopupHandle(), nullptr);
  EXPECT_FALSE(IsWindow(second));
  // Without a pop-up nothing moves.
  SetWindowPos(progress, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ui.KeepProgressInFront();
  GetWindowRect(progress, &p);
  EXPECT_EQ(p.top, 0);
  ui.DestroyProgressDialog();
}

// ---- the intro window ---------------------------------------------------------

TEST(IntroWindow, AClickOrAKeyEndsItOnceAndHandsOverToTheMainWindow) {
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  HWND main = ui.MainWindowHandle();
  ASSERT_NE(main, nullptr);
  ui.ShowIntro(Picture24(200, 100, kGreen, kMagenta, kPositionCentre), 0);
  HWND intro = ui.IntroWindowHandle();
  ASSERT_NE(intro, nullptr);
  EXPECT_TRUE(IsWindowVisible(intro));
  EXPECT_TRUE(IsZoomed(intro));
  EXPECT_EQ(GetWindowLongPtrA(intro, GWL_STYLE) & (WS_POPUP | WS_CAPTION), LONG_PTR(WS_POPUP));
  EXPECT_EQ(PumpCountingPhase(main, 300), 0) << "no display time: it waits";
  RECT c;
  GetClientRect(intro, &c);
  EXPECT_EQ(PixelAt(intro, (c.right - 200 + 1) / 2, (c.bottom - 100 + 1) / 2), kMagenta);
  EXPECT_FALSE(IsWindowVisible(main));

  PostMessageA(intro, WM_LBUTTONDOWN, 0, 0);
  PostMessageA(intro, WM_CHAR, 'x', 0);
  EXPECT_EQ(PumpCountingPhase(main, 300), 1);
  EXPECT_FALSE(IsWindow(intro));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_TRUE(IsZoomed(main));
  ui.CloseIntro();
  EXPECT_EQ(ui.IntroWindowHandle(), nullptr);

  ui.ShowIntro(BitmapData{}, 0);
  intro = ui.IntroWindowHandle();
  ASSERT_NE(intro, nullptr);
  PostMessageA(intro, WM_CHAR, ' ', 0);
  EXPECT_EQ(PumpCountingPhase(main, 300), 1);
  EXPECT_FALSE(IsWindow(intro));
  ui.CloseIntro();
}

TEST(IntroWindow, ItsTimerEndsIt) {
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  HWND main = ui.MainWindowHandle();
  ui.ShowIntro(Picture256(64, 64, RGB(200, 0, 0), kPositionTile), 1);
  HWND intro = ui.IntroWindowHandle();
  ASSERT_NE(intro, nullptr);
  EXPECT_EQ(PixelAt(intro, 100, 100), RGB(200, 0, 0));
  SaveScreen("intro");
  const DWORD start = GetTickCount();
  EXPECT_EQ(PumpCountingPhase(main, 5000, [&] { return !IsWindow(intro); }), 1);
  const DWORD waited = GetTickCount() - start;
  EXPECT_FALSE(IsWindow(intro));
  EXPECT_GE(waited, 800u);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(PumpCountingPhase(main, 200), 0);
  ui.CloseIntro();
}

}  // namespace
}  // namespace quorril
