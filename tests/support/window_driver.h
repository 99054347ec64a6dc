// Driving windows as a person would: finding them, reading what they show,
// pressing their buttons, and a person who takes scripted steps at the
// ticks of a thread timer. The Win32 tests drive the engine's dialogs in
// their own thread with it; the end-to-end robot drives the windows of
// another process. No GoogleTest here (the robot is a plain console
// program): a test learns that a person gave up through the person's
// give-up report.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quorril::support {

// ---- reading windows ----------------------------------------------------------

std::string ClassOf(HWND window);
// The window's text through WM_GETTEXT (marshalled across processes); when
// the window's thread does not answer within a moment, the text the system
// keeps for the window, so that a busy or hung program cannot stall the
// caller.
std::string TextOf(HWND window);
// The text of the dialog's control `id`.
std::string ItemText(HWND dialog, int id);
COLORREF PixelAt(HWND window, int x, int y);
// Writes `width` x `height` pixels of `source` from (`x`, `y`) to `path` as
// a 24-bit BMP file; false when that fails.
bool SavePicture(HDC source, int x, int y, int width, int height, const std::string& path);

// ---- finding windows ------------------------------------------------------------

DWORD ProcessOf(HWND window);
// The top-level windows of this thread, visible or not.
std::vector<HWND> ThreadWindows();
// The visible top-level windows, top of the z-order first; of one process,
// or of every process for 0.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);
// A visible dialog (class #32770).
bool IsDialogWindow(HWND window);
// The visible dialog of this thread that has control `id` and is not a
// message box.
HWND DialogWith(int id);
// The message box shown by a dialog of this thread: a visible dialog that
// another dialog owns and that shows a message (control 65535). The
// engine's dialogs and screens raise their questions and complaints this
// way; the screens' own texts are controls 65535 as well, which is why
// ownership tells the two apart.
HWND MessageBoxWindow();

// ---- acting ---------------------------------------------------------------------

// The button presses itself, as under a click of the mouse (BM_CLICK,
// posted).
void Click(HWND button);
// Clicks the dialog's button `id`.
void Press(HWND dialog, int id);
// Posts the window the WM_COMMAND of its button `id` being clicked, without
// the button taking part (`button` is passed along, and may be null).
void PostButtonCommand(HWND window, int id, HWND button);
// Sets the text of the dialog's control `id`, as typing it would.
void Type(HWND dialog, int id, const std::string& text);

// What a message box shows.
struct BoxSeen {
  HWND owner = nullptr;
  std::string caption, text;
  bool yesNo = false;  // Yes and No, and no OK
};
BoxSeen Look(HWND box);

// ---- a person at the keyboard -----------------------------------------------------

// A person who takes one step after another, at each tick of a thread
// timer, so whichever message loop runs at the moment serves it (a
// dialog's own, a message box's, the caller's). A step returns false to be
// tried again at the next tick (it waits for a window, say). A person who
// waits longer than the time limit gives up: the give-up report hears why,
// the steps left are dropped and every dialog of the thread is ended, so
// that nothing hangs.
class Person {
 public:
  using Step = std::function<bool()>;
  using GiveUpReport = std::function<void(const std::string& why)>;

  explicit Person(int seconds = 10, GiveUpReport report = nullptr);
  ~Person();
  Person(const Person&) = delete;
  Person& operator=(const Person&) = delete;

  Person& Then(Step step);
  // Begins at the next tick; one person acts at a time.
  void Start();
  void Leave();
  bool Done() const { return steps_.empty() && !gaveUp_; }
  bool GaveUp() const { return gaveUp_; }
  int StepsTaken() const { return taken_; }

  static constexpr UINT kTickMs = 20;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void OnTick();

  static Person* current_;
  std::deque<Step> steps_;
  GiveUpReport report_;
  UINT_PTR timer_ = 0;
  int limitTicks_;
  int waited_ = 0;
  int taken_ = 0;
  bool busy_ = false;
  bool gaveUp_ = false;
};

// A step that waits until no message box is up any more.
Person::Step NoBox();

}  // namespace quorril::support
