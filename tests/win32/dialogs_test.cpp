// The engine's dialogs under Wine: the templates as compiled into the
// program, the controls as the system lays them out, and each dialog driven
// as a person would drive it (typing into a field, pressing OK or Cancel,
// answering the quit question) through the user-interface port.
//
// The person acts from a thread timer, so it is served by whichever message
// loop runs at the moment: the dialog's own, the quit question's, or
// PumpMessages(). With QUORRIL_DIALOG_SHOTS naming a directory, the tests
// also write a picture of each dialog there (24-bit .bmp files).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "support/dialog_template_decoder.h"
#include "ui/win32/progress_dialog.h"
#include "ui/win32/win32_user_interface.h"
#include "shot_support.h"
#include "window_driving.h"
#include "ui/win32/dialog_ids.h"
#include "ui/win32/screen_dialog.h"

namespace quorril {
namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// ---- the templates as the table gives them ----------------------------------

constexpr DWORD kDialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kText = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr DWORD kFrame = WS_CHILD | WS_VISIBLE | SS_BLACKFRAME;
constexpr DWORD kInput = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT;
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_LEFT | ES_READONLY | ES_UPPERCASE;
constexpr uint16_t kButtonAtom = 0x80, kEditAtom = 0x81, kStaticAtom = 0x82;

struct ControlRow {
  int id;
  uint16_t atom;
  DWORD style;
  short x, y, cx, cy;
  const char* text;
};
struct DialogRow {
  int id;
  DWORD style;
  short x, y, cx, cy;
  std::vector<ControlRow> items;
};

const ControlRow kPrompt1 = {301, kStaticAtom, kText, 8, 4, 170, 10, ""};
const ControlRow kPrompt2 = {302, kStaticAtom, kText, 8, 12, 170, 10, ""};
const ControlRow kOk = {1, kButtonAtom, kButton, 36, 46, 36, 12, "OK"};
const ControlRow kCancel = {2, kButtonAtom, kButton, 108, 46, 36, 12, "Cancel"};

std::vector<DialogRow> Table() {
  return {
      {100, kDialogStyle & ~DWORD(DS_MODALFRAME), 4, 12, 180, 66,
       {{2, kButtonAtom, kButton, 70, 50, 40, 12, "Cancel"},
        {101, kStaticAtom, kText, 8, 4, 170, 10, ""},
        {103, kStaticAtom, kText, 8, 14, 170, 10, ""},
        {102, kStaticAtom, kFrame, 20, 26, 140, 12, ""}}},
      {250, kDialogStyle, 4, 12, 180, 64,
       {{204, kEditAtom, kInput | ES_UPPERCASE | ES_AUTOHSCROLL, 32, 24, 132, 12, ""},
        kPrompt1,
        kPrompt2,
        {305, kEditAtom, kShown, 16, 24, 16, 12, ""},
        kOk,
        kCancel}},
      {300, kDialogStyle, 4, 12, 180, 64,
       {{204, kEditAtom, kInput | ES_UPPERCASE, 16, 24, 10, 12, ""},
        kPrompt1,
        kPrompt2,
        {304, kEditAtom, kShown, 26, 24, 138, 12, ""},
        kOk,
        kCancel}},
      {350, kDialogStyle, 4, 12, 180, 64,
       {{204, kEditAtom, kInput | ES_UPPERCASE | ES_AUTOHSCROLL, 20, 24, 140, 12, ""}, kPrompt1, kPrompt2, kOk,
        kCancel}},
      {601, kDialogStyle, 4, 12, 180, 64,
       {{701, kEditAtom, kInput | ES_AUTOHSCROLL, 20, 24, 140, 12, ""}, kPrompt1, kPrompt2, kOk, kCancel}},
  };
}

// The template of a dialog of the table: no menu, the default class, no
// caption, MS Sans Serif at 10 points; the controls of predefined classes,
// in tab order, without creation data.
support::DialogTemplateFields Expected(const DialogRow& row) {
  support::DialogTemplateFields t;
  t.style = row.style;
  t.x = row.x;
  t.y = row.y;
  t.cx = row.cx;
  t.cy = row.cy;
  t.hasFont = true;
  t.pointSize = 10;
  t.face = u"MS Sans Serif";
  for (const ControlRow& item : row.items)
    t.items.push_back(support::DialogItemFields{item.style, 0, item.x, item.y, item.cx, item.cy, uint16_t(item.id),
                                                support::Ordinal(item.atom), support::Name(item.text), {}});
  return t;
}

TEST(DialogResources, AreStandardTemplatesWithTheControlsInTabOrder) {
  for (const DialogRow& row : Table()) {
    SCOPED_TRACE("dialog " + std::to_string(row.id));
    HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(row.id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(Instance(), found);
    ASSERT_NE(loaded, nullptr);
    support::DialogTemplateFields t;
    std::string why;
    ASSERT_TRUE(support::DecodeDialogTemplate(static_cast<const uint8_t*>(LockResource(loaded)),
                                              SizeofResource(Instance(), found), &t, &why))
        << why;

    EXPECT_EQ(t, Expected(row));
  }
}

// ---- the controls as the system makes them ----------------------------------

INT_PTR CALLBACK QuietProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

RECT ClientRectOf(HWND control, HWND dialog) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The template of a dialog resource, made invisible: a visible window costs
// seconds under Wine when it goes.
std::vector<uint8_t> HiddenTemplate(int id) {
  HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
  if (!found) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(Instance(), found)));
  std::vector<uint8_t> copy(bytes, bytes + SizeofResource(Instance(), found));
  copy[3] &= ~uint8_t(WS_VISIBLE >> 24);
  return copy;
}

TEST(DialogResources, MakeTheControlsAtTheirPlacesInDialogUnits) {
  for (const DialogRow& row : Table()) {
    SCOPED_TRACE("dialog " + std::to_string(row.id));
    const std::vector<uint8_t> hidden = HiddenTemplate(row.id);
    ASSERT_GE(hidden.size(), 18u);
    HWND dialog = CreateDialogIndirectParamA(Instance(), reinterpret_cast<LPCDLGTEMPLATEA>(hidden.data()), nullptr,
                                             &QuietProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), "");
    RECT box = {0, 0, row.cx, row.cy};
    MapDialogRect(dialog, &box);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, box.right);
    EXPECT_EQ(client.bottom, box.bottom);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlRow& item : row.items) {
      SCOPED_TRACE("control " + std::to_string(item.id));
      ASSERT_NE(child, nullptr) << "missing";
      EXPECT_EQ(GetDlgCtrlID(child), item.id) << "tab order";
      const char* expectedClass = item.atom == kButtonAtom ? "Button" : item.atom == kEditAtom ? "Edit" : "Static";
      EXPECT_EQ(_stricmp(ClassOf(child).c_str(), expectedClass), 0) << ClassOf(child);
      // The edit control draws its own border and drops WS_BORDER from its
      // style; everything else stays as the template says.
      const DWORD style = DWORD(GetWindowLongPtrA(child, GWL_STYLE));
      const DWORD kept = item.atom == kEditAtom ? item.style & ~DWORD(WS_BORDER) : item.style;
      EXPECT_EQ(style & kept, kept);
      EXPECT_EQ(style & (WS_DISABLED | WS_TABSTOP | 0xFFFF), item.style & (WS_DISABLED | WS_TABSTOP | 0xFFFF));
      // The system converts the position and the size, each on its own.
      RECT expected = {item.x, item.y, item.cx, item.cy};
      MapDialogRect(dialog, &expected);
      RECT actual = ClientRectOf(child, dialog);
      EXPECT_EQ(actual.left, expected.left);
      EXPECT_EQ(actual.top, expected.top);
      EXPECT_EQ(actual.right - actual.left, expected.right) << "width";
      EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << "height";
      child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the table lists";
    DestroyWindow(dialog);
  }
}

// ---- a person at the keyboard -------------------------------------------------

bool IsCentred(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.left == (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2 &&
         r.top == (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
}

// Writes the window as it is on screen into QUORRIL_DIALOG_SHOTS\name.bmp.
void SaveShot(HWND window, const std::string& name) {
  if (GetEnvironmentVariableA("QUORRIL_DIALOG_SHOTS", nullptr, 0) == 0) return;
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r;
  GetWindowRect(window, &r);
  HDC source = GetWindowDC(window);
  SaveBitmap(source, r.right - r.left, r.bottom - r.top, "QUORRIL_DIALOG_SHOTS", name);
  ReleaseDC(window, source);
}

// Answers the quit question of `*dialog` with `answer` (IDYES or IDNO),
// checking what it asks.
Person::Step AnswerQuit(HWND* dialog, const std::string& caption, const std::string& question, int answer,
                        const char* shot = nullptr) {
  return [=] {
    HWND box = MessageBoxWindow();
    if (!box) return false;
    BoxSeen seen = Look(box);
    EXPECT_EQ(seen.owner, *dialog) << "the dialog that asks owns the question";
    EXPECT_EQ(seen.caption, caption);
    EXPECT_EQ(seen.text, question);
    EXPECT_TRUE(seen.yesNo);
    if (shot) SaveShot(box, shot);
    Press(box, answer);
    return true;
  };
}

const DialogTexts kGermanTexts = {"Weiter", "Abbrechen", "Wirklich aufh\xf6ren?"};

bool IsWindowColour(COLORREF c) { return c == GetSysColor(COLOR_WINDOW); }

// ---- the question dialog ----------------------------------------------------

TEST(AskDialog, ShowsThePromptAndDefaultAndGivesBackWhatWasTyped) {
  ASSERT_NE(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_3DFACE)) << "the colour checks need two colours";
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  HWND dialog = nullptr;
  Person person;
  person
      .Then([&] {
        dialog = DialogWith(QUORRIL_ID_ASK_INPUT);
        if (!dialog) return false;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), ui.MainWindowHandle());
        EXPECT_TRUE(IsCentred(dialog));
        EXPECT_EQ(ItemText(dialog, 301), "Where shall the files of this");
        EXPECT_EQ(ItemText(dialog, 302), "package go?");
        EXPECT_EQ(ItemText(dialog, 701), "C:\\Default");
        EXPECT_EQ(ItemText(dialog, 1), "Weiter");
        EXPECT_EQ(ItemText(dialog, 2), "Abbrechen");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 701));
        EXPECT_TRUE(IsWindowColour(PixelAt(dialog, 2, 2))) << "the dialog shows the window colour";
        SaveShot(dialog, "ask-601");
        Type(dialog, 701, "  (x), answer");
        Press(dialog, IDCANCEL);
        return true;
      })
      .Then(AnswerQuit(&dialog, " ", kGermanTexts.quit, IDNO, "ask-quit-question"))
      .Then(NoBox())
      .Then([&] {
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No keeps the question open";
        Press(dialog, IDOK);
        return true;
      })
      .Start();
  DialogPrompt prompt{2, "", "Where shall the files of this", "package go?"};
  std::string typed = "unchanged";
  EXPECT_EQ(ui.RunAskDialog(prompt, "C:\\Default", kGermanTexts, &typed), kIdOk);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(typed, "  (x), answer") << "the core, not the dialog, cleans the answer";
  EXPECT_EQ(ui.MessageBoxOwner(), ui.MainWindowHandle()) << "back to the main window";
}

TEST(AskDialog, ReadsAtMost497CharactersAndAPromptOnOneLine) {
  Win32UserInterface ui(Instance());
  Person person;
  person
      .Then([&] {
        HWND dialog = DialogWith(QUORRIL_ID_ASK_INPUT);
        if (!dialog) return false;
        EXPECT_EQ(ItemText(dialog, 301), "");
        EXPECT_EQ(ItemText(dialog, 302), "Your name:");
        EXPECT_EQ(ItemText(dialog, 1), "OK");
        Type(dialog, 701, std::string(600, 'n'));
        Press(dialog, IDOK);
        return true;
      })
      .Start();
  std::string typed;
  EXPECT_EQ(ui.RunAskDialog(DialogPrompt{1, "Your name:", "", ""}, "", DialogTexts{}, &typed), kIdOk);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(typed, std::string(497, 'n'));
}

TEST(AskDialog, CancelConfirmedEndsItWithCancel) {
  Win32UserInterface ui(Instance());
  HWND dialog = nullptr;
  Person person;
  person
      .Then([&] {
        dialog = DialogWith(QUORRIL_ID_ASK_INPUT);
        if (!dialog) return false;
        Type(dialog, 701, "typed but not taken");
        Press(dialog, IDCANCEL);
        return true;
      })
      .Then(AnswerQuit(&dialog, " ", "Do you wish to quit?", IDYES))
      .Start();
  std::string typed = "unchanged";
  EXPECT_EQ(ui.RunAskDialog(DialogPrompt{}, "", DialogTexts{}, &typed), kIdCancel);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(typed, "unchanged");
}

// ---- the destination dialogs ------------------------------------------------

// Refuses the first text it is given (saying why, in an owned message box)
// and accepts the next.
class RefuseOnce : public DestinationChecker {
 public:
  explicit RefuseOnce(UserInterface* ui, bool refuseFirst) : ui_(ui), refuse_(refuseFirst) {}
  bool Accept(const std::string& typed) override {
    seen.push_back(typed);
    if (!refuse_) return true;
    refuse_ = false;
    MessageBoxRequest request;
    request.text = "Invalid directory.";
    request.caption = " ";
    request.style = kMbIconWarning;
    request.owned = true;
    ui_->ShowMessageBox(request);
    return false;
  }
  std::vector<std::string> seen;

 private:
  UserInterface* ui_;
  bool refuse_;
};

TEST(DestinationDialog, DirectoryModeKeepsTheDialogOpenWhileTheCheckerRefuses) {
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  RefuseOnce checker(&ui, true);
  HWND dialog = nullptr;
  Person person;
  person
      .Then([&] {
        dialog = DialogWith(QUORRIL_ID_DESTINATION_ROOT);
        if (!dialog) return false;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), ui.MainWindowHandle());
        EXPECT_TRUE(IsCentred(dialog));
        EXPECT_EQ(ItemText(dialog, 302), "Please enter the destination directory:");
        EXPECT_EQ(ItemText(dialog, 305), "D:\\");
        EXPECT_EQ(ItemText(dialog, 204), "APPS\\QUORRIL");
        EXPECT_EQ(GetDlgItem(dialog, 304), nullptr);
        EXPECT_FALSE(IsWindowColour(PixelAt(dialog, 2, 2))) << "the destination dialogs keep the face colour";
        SaveShot(dialog, "destination-250");
        Type(dialog, 204, "BAD DIR");
        Press(dialog, IDOK);
        return true;
      })
      .Then([&] {
        HWND box = MessageBoxWindow();
        if (!box) return false;
        BoxSeen seen = Look(box);
        EXPECT_EQ(seen.owner, dialog) << "an owned message box belongs to the modal dialog";
        EXPECT_EQ(seen.text, "Invalid directory.");
        Type(dialog, 204, "changed behind the box");
        Press(box, IDOK);
        return true;
      })
      .Then(NoBox())
      .Then([&] {
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(ItemText(dialog, 204), "BAD DIR") << "reset to the text that was refused";
        Type(dialog, 204, "GOOD");
        Press(dialog, IDOK);
        return true;
      })
      .Start();
  DialogPrompt prompt{1, "Please enter the destination directory:", "", ""};
  EXPECT_EQ(ui.RunDestinationDialog(prompt, 1, "APPS\\QUORRIL", "D:\\", DialogTexts{}, &checker), kIdOk);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(checker.seen, (std::vector<std::string>{"BAD DIR", "GOOD"}));
}

TEST(DestinationDialog, DriveModeReadsOneLetter) {
  Win32UserInterface ui(Instance());
  RefuseOnce checker(&ui, false);
  Person person;
  person
      .Then([&] {
        HWND dialog = DialogWith(QUORRIL_ID_DESTINATION_DIRECTORY);
        if (!dialog) return false;
        EXPECT_EQ(ItemText(dialog, 301), "Please enter the destination");
        EXPECT_EQ(ItemText(dialog, 302), "drive:");
        EXPECT_EQ(ItemText(dialog, 204), "C");
        EXPECT_EQ(ItemText(dialog, 304), ":\\APPS\\QUORRIL");
        EXPECT_EQ(ItemText(dialog, 1), "Weiter");
        EXPECT_EQ(GetDlgItem(dialog, 305), nullptr);
        SaveShot(dialog, "destination-300");
        Type(dialog, 204, "DX");
        Press(dialog, IDOK);
        return true;
      })
      .Start();
  DialogPrompt prompt{2, "", "Please enter the destination", "drive:"};
  EXPECT_EQ(ui.RunDestinationDialog(prompt, 2, "C", ":\\APPS\\QUORRIL", kGermanTexts, &checker), kIdOk);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(checker.seen, (std::vector<std::string>{"D"}));
}

TEST(DestinationDialog, PathModeCancelAsksWithAnEmptyCaption) {
  Win32UserInterface ui(Instance());
  RefuseOnce checker(&ui, false);
  HWND dialog = nullptr;
  Person person;
  person
      .Then([&] {
        dialog = DialogWith(QUORRIL_ID_DESTINATION_INPUT);
        if (!dialog) return false;
        EXPECT_EQ(ItemText(dialog, 204), "C:\\NEWFILES");
        EXPECT_EQ(GetDlgItem(dialog, 304), nullptr);
        EXPECT_EQ(GetDlgItem(dialog, 305), nullptr);
        SaveShot(dialog, "destination-350");
        Press(dialog, IDCANCEL);
        return true;
      })
      .Then(AnswerQuit(&dialog, "", "Do you wish to quit?", IDNO))
      .Then(NoBox())
      .Then([&] {
        // Escape is Cancel as well.
        PostMessageA(GetDlgItem(dialog, 204), WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
      })
      .Then(AnswerQuit(&dialog, "", "Do you wish to quit?", IDYES))
      .Start();
  DialogPrompt prompt{1, "Please enter the destination drive and directory:", "", ""};
  EXPECT_EQ(ui.RunDestinationDialog(prompt, 3, "C:\\NEWFILES", "", DialogTexts{}, &checker), kIdCancel);
  EXPECT_TRUE(person.Done());
  EXPECT_TRUE(checker.seen.empty());
}

TEST(DestinationDialog, AnAskModeWithoutADialogIsNotAnswered) {
  Win32UserInterface ui(Instance());
  RefuseOnce checker(&ui, false);
  EXPECT_EQ(ui.RunDestinationDialog(DialogPrompt{}, 4, "C:\\X", "", DialogTexts{}, &checker), kIdCancel);
  EXPECT_EQ(ui.RunDestinationDialog(DialogPrompt{}, 0, "C:\\X", "", DialogTexts{}, &checker), kIdCancel);
  EXPECT_TRUE(checker.seen.empty());
}

// ---- the progress dialog ----------------------------------------------------

constexpr COLORREF kBlue = RGB(0, 0, 255), kWhite = RGB(255, 255, 255);

RECT BarOf(HWND dialog) {
  HWND frame = GetDlgItem(dialog, QUORRIL_ID_PROGRESS_BAR);
  RECT bar;
  GetClientRect(frame, &bar);
  MapWindowPoints(frame, dialog, reinterpret_cast<POINT*>(&bar), 2);
  return bar;
}

// Whether some pixel of the bar's middle rows between x0 and x1 has `colour`.
bool BarHas(HWND dialog, const RECT& bar, int x0, int x1, COLORREF colour) {
  HDC dc = GetDC(dialog);
  bool found = false;
  for (int y = bar.top + 2; y < bar.bottom - 2 && !found; ++y)
    for (int x = x0; x < x1 && !found; ++x) found = GetPixel(dc, x, y) == colour;
  ReleaseDC(dialog, dc);
  return found;
}

TEST(ProgressDialog, IsMadeOnlyForItemsAndShowsItsTexts) {
  Win32UserInterface ui(Instance());
  ui.CreateProgressDialog(0, DialogTexts{});
  EXPECT_FALSE(ui.HasProgressDialog());
  EXPECT_EQ(ui.ProgressDialogHandle(), nullptr);

  ui.CreateProgressDialog(4, kGermanTexts);
  ASSERT_TRUE(ui.HasProgressDialog());
  HWND dialog = ui.ProgressDialogHandle();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsCentred(dialog));
  EXPECT_EQ(ItemText(dialog, 2), "Abbrechen");
  ui.SetProgressTexts("Installing file: ", "C:\\APPS\\README.TXT");
  EXPECT_EQ(ItemText(dialog, 101), "Installing file: ");
  EXPECT_EQ(ItemText(dialog, 103), "C:\\APPS\\README.TXT");
  ui.PumpMessages();
  EXPECT_TRUE(IsWindowColour(PixelAt(dialog, 2, 2))) << "the dialog shows the window colour";
  ui.DestroyProgressDialog();
  EXPECT_FALSE(ui.HasProgressDialog());
  EXPECT_FALSE(IsWindow(dialog));
}

// File names that follow each other faster than anyone can read them are
// not all painted: a name set within the interval after the last one shown
// waits, and shows once the interval has passed (at the next pump or bar
// redraw), or at once when a question comes up.
TEST(ProgressDialog, ANameThatFollowsTooSoonWaitsForTheIntervalOrAQuestion) {
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  ui.CreateProgressDialog(4, DialogTexts{});
  HWND dialog = ui.ProgressDialogHandle();
  ASSERT_NE(dialog, nullptr);
  ui.SetProgressTexts("Installing file: ", "C:\\APPS\\ONE.TXT");
  const DWORD shown = GetTickCount();
  EXPECT_EQ(ItemText(dialog, 103), "C:\\APPS\\ONE.TXT") << "the first name shows at once";
  ui.SetProgressTexts("Installing file: ", "C:\\APPS\\TWO.TXT");
  ui.ShowProgress(10);
  ui.PumpMessages();
  const std::string meanwhile = ItemText(dialog, 103);
  if (GetTickCount() - shown < win32::ProgressDialog::kTextInterval) {  // (a machine that stalled proves nothing)
    EXPECT_EQ(meanwhile, "C:\\APPS\\ONE.TXT") << "the next one waits";
  }
  Sleep(win32::ProgressDialog::kTextInterval + 20);
  ui.ShowProgress(20);
  EXPECT_EQ(ItemText(dialog, 103), "C:\\APPS\\TWO.TXT") << "... until the interval has passed";

  ui.SetProgressTexts("Installing file: ", "C:\\APPS\\THREE.TXT");
  std::string besideTheQuestion;
  Person person;
  person
      .Then([&] {
        for (HWND box : support::ThreadWindows()) {
          if (box == dialog || !IsWindowVisible(box) || !GetDlgItem(box, 0xFFFF)) continue;
          besideTheQuestion = ItemText(dialog, 103);
          Press(box, IDOK);
          return true;
        }
        return false;
      })
      .Start();
  MessageBoxRequest question;
  question.text = "Insert the next disk.";
  question.style = kMbOk;
  question.owned = true;
  ui.ShowMessageBox(question);
  EXPECT_TRUE(person.Done());
  EXPECT_EQ(besideTheQuestion, "C:\\APPS\\THREE.TXT");
  ui.DestroyProgressDialog();
}

TEST(ProgressDialog, PaintsTheFilledPartWhiteOnBlueAndTheRestBlueOnWhite) {
  Win32UserInterface ui(Instance());
  ui.CreateProgressDialog(4, DialogTexts{});
  HWND dialog = ui.ProgressDialogHandle();
  ASSERT_NE(dialog, nullptr);
  ui.SetProgressTexts("Installing file: ", "C:\\APPS\\QUORRIL\\DATA.BIN");
  ui.PumpMessages();
  const RECT bar = BarOf(dialog);
  const int width = bar.right - bar.left, middle = (bar.top + bar.bottom) / 2;
  ASSERT_GT(width, 40);
  const int nearLeft = bar.left + width / 8, nearRight = bar.right - width / 8;
  const int fill = bar.left + width / 2;

  ui.ShowProgress(0);
  EXPECT_EQ(PixelAt(dialog, nearLeft, middle), kWhite);
  EXPECT_EQ(PixelAt(dialog, nearRight, middle), kWhite);
  EXPECT_TRUE(BarHas(dialog, bar, bar.left + 2, bar.right - 2, kBlue)) << "the percentage in blue";
  SaveShot(dialog, "progress-100-at-0");

  ui.ShowProgress(50);
  EXPECT_EQ(PixelAt(dialog, nearLeft, middle), kBlue);
  EXPECT_EQ(PixelAt(dialog, nearRight, middle), kWhite);
  EXPECT_TRUE(BarHas(dialog, bar, bar.left + 2, fill, kWhite)) << "the text's filled half in white";
  EXPECT_TRUE(BarHas(dialog, bar, fill, bar.right - 2, kBlue)) << "the text's other half in blue";
  SaveShot(dialog, "progress-100-at-50");

  ui.ShowProgress(100);
  EXPECT_EQ(PixelAt(dialog, nearLeft, middle), kBlue);
  EXPECT_EQ(PixelAt(dialog, nearRight, middle), kBlue);
  EXPECT_TRUE(BarHas(dialog, bar, bar.left + 2, bar.right - 2, kWhite)) << "the percentage in white";
  SaveShot(dialog, "progress-100-at-100");

  ui.ShowProgress(250);  // held at 100
  EXPECT_EQ(PixelAt(dialog, nearRight, middle), kBlue);
  ui.DestroyProgressDialog();
}

// Pumps as the copy loop does, until the person is done; the answers of
// PumpMessages() in order of change.
std::vector<bool> PumpWhile(Win32UserInterface& ui, Person& person) {
  std::vector<bool> answers;
  for (int i = 0; i < 1000 && !person.Done() && !person.GaveUp(); ++i) {
    bool cancelled = ui.PumpMessages();
    if (answers.empty() || answers.back() != cancelled) answers.push_back(cancelled);
    Sleep(10);
  }
  bool cancelled = ui.PumpMessages();
  if (answers.empty() || answers.back() != cancelled) answers.push_back(cancelled);
  return answers;
}

TEST(ProgressDialog, CancelAsksAndOnlyYesCancelsTheInstallation) {
  Win32UserInterface ui(Instance());
  ui.CreateMainWindow();
  ui.CreateProgressDialog(3, DialogTexts{});
  HWND dialog = ui.ProgressDialogHandle();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), ui.MainWindowHandle());

  Person no;
  no.Then([&] {
      Press(dialog, IDCANCEL);
      return true;
    })
      .Then(AnswerQuit(&dialog, "", "Do you wish to quit?", IDNO, "progress-quit-question"))
      .Then(NoBox())
      .Start();
  EXPECT_EQ(PumpWhile(ui, no), std::vector<bool>{false});
  no.Leave();
  EXPECT_TRUE(no.Done());
  EXPECT_TRUE(IsWindowVisible(dialog));

  // Escape reaches the dialog through PumpMessages' dialog handling.
  Person yes;
  yes.Then([&] {
       PostMessageA(GetDlgItem(dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
       return true;
     })
      .Then(AnswerQuit(&dialog, "", "Do you wish to quit?", IDYES))
      .Start();
  EXPECT_EQ(PumpWhile(ui, yes), (std::vector<bool>{false, true}));
  yes.Leave();
  EXPECT_TRUE(yes.Done());
  EXPECT_FALSE(IsWindow(dialog)) << "Yes ends the dialog";
  EXPECT_EQ(ui.ProgressDialogHandle(), nullptr);
  ui.SetProgressTexts("no", "window");  // nothing to do, nothing breaks
  ui.ShowProgress(10);
  ui.DestroyProgressDialog();
  EXPECT_TRUE(ui.PumpMessages()) << "the answer stays for the copy loop";
}

TEST(PumpMessages, LeavesTheQuitMessageForTheMessageLoop) {
  Win32UserInterface ui(Instance());
  PostQuitMessage(3);
  EXPECT_FALSE(ui.PumpMessages());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

// ---- screens from in-memory templates ---------------------------------------

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, uint16_t(v));
  Put16(out, uint16_t(v >> 16));
}
void PutText(std::vector<uint8_t>& out, const char* text) {
  for (; *text; ++text) Put16(out, uint8_t(*text));
  Put16(out, 0);
}
void PutItem(std::vector<uint8_t>& out, uint32_t style, short x, short y, short cx, short cy, uint16_t id,
             uint16_t atom, const char* text) {
  while (out.size() % 4) out.push_back(0);
  Put32(out, style);
  Put32(out, 0);
  for (short v : {x, y, cx, cy}) Put16(out, uint16_t(v));
  Put16(out, id);
  Put16(out, 0xFFFF);
  Put16(out, atom);
  PutText(out, text);
  Put16(out, 0);
}

// A first screen: a line of text, OK and Cancel.
std::vector<uint8_t> FirstScreen() {
  std::vector<uint8_t> t;
  Put32(t, WS_POPUP | WS_DLGFRAME | DS_SETFONT);
  Put32(t, 0);
  Put16(t, 3);
  for (short v : {0, 0, 200, 80}) Put16(t, uint16_t(v));
  Put16(t, 0);
  Put16(t, 0);
  Put16(t, 0);
  Put16(t, 10);
  PutText(t, "MS Sans Serif");
  PutItem(t, WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, 180, 10, 100, kStaticAtom, "Welcome to the setup.");
  PutItem(t, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 40, 60, 40, 12, IDOK, kButtonAtom, "OK");
  PutItem(t, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 120, 60, 40, 12, IDCANCEL, kButtonAtom, "Cancel");
  return t;
}

TEST(ScreenDialog, OkGoesOnAndConfirmedCancelQuits) {
  const std::vector<uint8_t> screen = FirstScreen();
  {
    win32::ScreenDialog dialog("Do you wish to quit?");
    HWND shown = nullptr;
    Person person;
    person
        .Then([&] {
          shown = DialogWith(100);
          if (!shown) return false;
          EXPECT_TRUE(IsCentred(shown));
          SaveShot(shown, "screen");
          Press(shown, IDCANCEL);
          return true;
        })
        .Then(AnswerQuit(&shown, "", "Do you wish to quit?", IDNO))
        .Then(NoBox())
        .Then([&] {
          Press(shown, IDOK);
          return true;
        })
        .Start();
    EXPECT_EQ(dialog.Run(Instance(), screen, nullptr), IDOK);
    EXPECT_TRUE(person.Done());
  }
  {
    win32::ScreenDialog dialog("Quit now?");
    HWND shown = nullptr;
    Person person;
    person
        .Then([&] {
          shown = DialogWith(100);
          if (!shown) return false;
          Press(shown, IDCANCEL);
          return true;
        })
        .Then(AnswerQuit(&shown, "", "Quit now?", IDYES))
        .Start();
    EXPECT_EQ(dialog.Run(Instance(), screen, nullptr), IDCANCEL);
    EXPECT_TRUE(person.Done());
  }
  win32::ScreenDialog broken("Quit?");
  EXPECT_EQ(broken.Run(Instance(), std::vector<uint8_t>(4, 0), nullptr), -1);
}

}  // namespace
}  // namespace quorril
