// The robot's answer mode: starts a program and answers its windows by
// rules, as they appear, until the program and every process it started
// have ended.
//
//   robot.exe answer [--timeout S] [--shots DIR] [--disk NAME=UNIX-DIR]...
//                    --run COMMAND-LINE ANSWERS-FILE
//
// The answers file is a list of rules (tests/e2e/README.md, "answers.txt"):
//
//   when CONDITION... [once | times N | any | never]
//     ACTION
//     ...
//
// Organisation: ParseAnswers() reads the rules; Answerer::Run() polls every
// 100 ms: it follows the process tree (the started program and, through the
// parent process ids, every program it starts, such as the temporary copy
// of a relaunch), writes every window of the tree that is new or changed to
// the transcript, and answers each visible window that needs an answer with
// the first rule that is not spent and matches it. A window needs an answer
// when it has not been answered yet; when a window that the robot answered
// after it has gone since (a message box it raised, a quit question), so
// that a dialog that asks again after refusing its input is answered again;
// or when it shows something else than right after its answer. A window is
// answered once it shows the same on two polls in a row; a disabled one
// only by a rule whose actions only look. An enabled window that no rule
// matches for three seconds fails the run, except the engine's main window,
// which needs no answer.
#include "robot.h"  // <windows.h> first

#include <tlhelp32.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace robot {

// The scenario mode runs the checks after the answers (check.cpp).
int RunChecks(const std::vector<std::string>& args, bool* usageError);

namespace {

constexpr char kMainWindowClass[] = "QuorrilMainWindow";
constexpr DWORD kPollMs = 100;
constexpr DWORD kUnexpectedGraceMs = 3000;

// ---- the rules ---------------------------------------------------------------------

struct Condition {
  enum Kind { kCaption, kClass, kText, kContains, kControl, kHas, kAfter } kind;
  int id = 0;
  std::string value;
};

struct Action {
  int line = 0;
  std::vector<std::string> words;
  std::string raw;  // the line after its verb
};

// Actions that only look: a rule made of these may observe a disabled
// window (a pop-up message, a dialog behind a message box).
bool Passive(const std::string& verb) {
  return verb == "leave" || verb == "log" || verb == "say" || verb == "sleep" || verb == "expect-text" ||
         verb == "expect-window";
}

struct Rule {
  int line = 0;
  std::string name;  // given with "name NAME", for "after NAME"
  std::vector<Condition> conditions;
  // Exactly this many uses are expected; -1: any number.
  int times = 1;
  // A window that matches fails the run at once.
  bool never = false;
  int used = 0;
  std::vector<Action> actions;
  bool Spent() const { return times >= 0 && used >= times; }
  bool OnlyLooks() const {
    for (const Action& action : actions)
      if (!Passive(action.words[0])) return false;
    return true;
  }
};

// "after X" names a rule by the line its "when" is on, or by its name.
bool Names(const Rule& rule, const std::string& reference) {
  return rule.name == reference || std::to_string(rule.line) == reference;
}

bool ParseCondition(const std::vector<std::string>& w, size_t* i, Rule* rule, std::string* error) {
  const std::string& word = w[*i];
  auto need = [&](size_t count) {
    if (*i + count < w.size()) return true;
    *error = "'" + word + "' needs " + std::to_string(count) + " value(s)";
    return false;
  };
  Condition c{};
  if (word == "caption" || word == "class" || word == "text" || word == "contains") {
    if (!need(1)) return false;
    c.kind = word == "caption" ? Condition::kCaption
             : word == "class" ? Condition::kClass
             : word == "text"  ? Condition::kText
                               : Condition::kContains;
    c.value = w[++*i];
  } else if (word == "control") {
    if (!need(2)) return false;
    c.kind = Condition::kControl;
    c.id = std::atoi(w[++*i].c_str());
    c.value = w[++*i];
  } else if (word == "has") {
    if (!need(1)) return false;
    c.kind = Condition::kHas;
    c.id = std::atoi(w[++*i].c_str());
  } else if (word == "after") {
    // after LINE|NAME: only once that rule has answered a window.
    if (!need(1)) return false;
    c.kind = Condition::kAfter;
    c.value = w[++*i];
  } else if (word == "name") {
    if (!need(1)) return false;
    rule->name = w[++*i];
    return true;
  } else if (word == "once") {
    rule->times = 1;
    return true;
  } else if (word == "any") {
    rule->times = -1;
    return true;
  } else if (word == "never") {
    rule->never = true;
    rule->times = 0;
    return true;
  } else if (word == "times") {
    if (!need(1)) return false;
    rule->times = std::atoi(w[++*i].c_str());
    if (rule->times < 0) {
      *error = "times needs a count of 0 or more";
      return false;
    }
    return true;
  } else {
    *error = "unknown condition '" + word + "'";
    return false;
  }
  rule->conditions.push_back(c);
  return true;
}

const std::set<std::string>& ActionVerbs() {
  static const std::set<std::string> verbs = {"type",        "check", "uncheck", "press", "click",
                                              "close",       "leave", "disk",    "sleep", "expect-text",
                                              "expect-window", "say", "log", "hold"};
  return verbs;
}

bool ParseAnswers(const std::string& path, std::vector<Rule>* rules, std::string* error) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines)) {
    *error = "cannot read " + path;
    return false;
  }
  for (size_t n = 0; n < lines.size(); ++n) {
    std::vector<std::string> w = Words(lines[n]);
    if (w.empty() || w[0][0] == '#') continue;
    std::string where = path + ":" + std::to_string(n + 1) + ": ";
    if (w[0] == "when") {
      Rule rule;
      rule.line = int(n + 1);
      for (size_t i = 1; i < w.size(); ++i)
        if (!ParseCondition(w, &i, &rule, error)) {
          *error = where + *error;
          return false;
        }
      rules->push_back(rule);
      continue;
    }
    if (rules->empty()) {
      *error = where + "an action before the first 'when'";
      return false;
    }
    if (!ActionVerbs().count(w[0])) {
      *error = where + "unknown action '" + w[0] + "'";
      return false;
    }
    Action action;
    action.line = int(n + 1);
    action.words = w;
    action.raw = RestAfterFirstWord(lines[n]);
    rules->back().actions.push_back(action);
  }
  for (const Rule& rule : *rules)
    for (const Condition& c : rule.conditions)
      if (c.kind == Condition::kAfter &&
          std::none_of(rules->begin(), rules->end(), [&c](const Rule& r) { return Names(r, c.value); })) {
        *error = path + ":" + std::to_string(rule.line) + ": 'after " + c.value +
                 "' names no rule (give a rule's line number or its name)";
        return false;
      }
  for (const Rule& rule : *rules)
    if (rule.actions.empty() && !rule.never) {
      *error = path + ":" + std::to_string(rule.line) + ": a rule without actions (use 'leave' to leave it alone)";
      return false;
    }
  return true;
}

bool Matches(const Rule& rule, HWND window, const std::vector<Rule>& rules) {
  for (const Condition& c : rule.conditions) {
    switch (c.kind) {
      case Condition::kAfter: {
        bool answered = false;
        for (const Rule& other : rules)
          if (Names(other, c.value)) answered = other.used > 0;
        if (!answered) return false;
        break;
      }
      case Condition::kCaption:
        if (TextOf(window) != c.value) return false;
        break;
      case Condition::kClass:
        if (ClassOf(window) != c.value) return false;
        break;
      case Condition::kText:
      case Condition::kContains: {
        HWND text = ControlById(window, 65535);
        if (!text) return false;
        std::string shown = TextOf(text);
        if (c.kind == Condition::kText ? shown != c.value : shown.find(c.value) == std::string::npos) return false;
        break;
      }
      case Condition::kControl: {
        HWND control = ControlById(window, c.id);
        if (!control || TextOf(control) != c.value) return false;
        break;
      }
      case Condition::kHas:
        if (!ControlById(window, c.id)) return false;
        break;
    }
  }
  return true;
}

// ---- screenshots ---------------------------------------------------------------------

// Saves what the screen shows of the window as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  bool ok = SavePicture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, path);
  ReleaseDC(nullptr, screen);
  return ok;
}

// ---- changing the disk of a floppy drive ----------------------------------------------

// Wine's mount manager defines a drive letter over a Unix directory (as
// winecfg does) and reads the volume label from its ".windows-label" file;
// the label is read when the drive is defined, so a disk change must
// define the drive again rather than only relink it. The layout is Wine's
// own (include/ddk/mountmgr.h of Wine 6 and later).
struct WineUnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool DefineFloppyDrive(char letter, const std::string& unixDirectory, std::string* error) {
  std::vector<char> buffer(sizeof(WineUnixDrive) + unixDirectory.size() + 1, '\0');
  auto* drive = reinterpret_cast<WineUnixDrive*>(buffer.data());
  drive->size = ULONG(buffer.size());
  drive->type = DRIVE_REMOVABLE;
  drive->letter = WCHAR(letter | 0x20);
  drive->mountPointOffset = USHORT(sizeof(WineUnixDrive));
  std::copy(unixDirectory.begin(), unixDirectory.end(), buffer.begin() + sizeof(WineUnixDrive));
  HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    *error = "cannot open the mount manager (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), DWORD(buffer.size()), nullptr, 0, &returned,
                            nullptr);
  DWORD code = GetLastError();
  CloseHandle(manager);
  if (!ok) *error = "the mount manager refused the drive (error " + std::to_string(code) + ")";
  return ok != FALSE;
}

// ---- the answerer ----------------------------------------------------------------------

struct Options {
  DWORD timeoutSeconds = 60;
  std::string shots;                          // directory for screenshots, or ""
  std::map<std::string, std::string> disks;   // disk name -> Unix directory
  std::string commandLine;
  std::string answersPath;
};

class Answerer {
 public:
  Answerer(const Options& options, std::vector<Rule> rules) : options_(options), rules_(std::move(rules)) {}
  ~Answerer() {
    EndLeftovers();
    for (HANDLE file : held_) CloseHandle(file);
  }

  bool Run() {
    if (!Start()) return false;
    DWORD deadline = GetTickCount() + options_.timeoutSeconds * 1000;
    for (;;) {
      ++poll_;
      UpdateTree();
      std::vector<HWND> windows = TreeWindows();
      NoteWindows(windows);
      for (HWND window : windows)
        if (!Answer(window)) return false;
      if (!TreeAlive()) break;
      if (int(GetTickCount() - deadline) >= 0) {
        std::string shown;
        for (HWND window : TreeWindows()) shown += " " + Quote(ClassOf(window)) + "/" + Quote(TextOf(window));
        return Fail("time limit of " + std::to_string(options_.timeoutSeconds) +
                    " s reached; windows shown:" + (shown.empty() ? " none" : shown));
      }
      Sleep(kPollMs);
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    Say("the program and the programs it started have ended (its exit code " + std::to_string(code) + ")");
    for (const Rule& rule : rules_)
      if (!rule.never && rule.times >= 0 && rule.used != rule.times)
        return Fail("the rule of line " + std::to_string(rule.line) + " was used " + std::to_string(rule.used) +
                    " time(s), expected " + std::to_string(rule.times));
    return true;
  }

  const std::string& Error() const { return error_; }

 private:
  struct Known {
    std::string signature;          // what it shows now
    std::string answeredSignature;  // what it showed right after the last answer
    bool answered = false;
    int answeredAt = 0;       // the count of gone answered windows at the answer
    int changedAt = 0;        // the poll that saw it new or changed
    DWORD unmatchedSince = 0;  // when it was first found needing an answer that no rule gives
  };

  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }

  bool Start() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> line(options_.commandLine.begin(), options_.commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return Fail("cannot start " + Quote(options_.commandLine) + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    tree_[info.dwProcessId] = true;
    Say("started " + Quote(options_.commandLine) + " as process " + std::to_string(info.dwProcessId));
    return true;
  }

  // Adds the processes started by processes of the tree and notes which
  // are still running.
  void UpdateTree() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::map<DWORD, std::pair<DWORD, std::string>> running;  // pid -> parent, name
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
      running[entry.th32ProcessID] = {entry.th32ParentProcessID, entry.szExeFile};
    CloseHandle(snapshot);
    bool grew = true;
    while (grew) {
      grew = false;
      for (const auto& [pid, about] : running)
        // Wine's desktop shell is started by the first program that needs
        // it and serves the whole session: it is never the program's own.
        if (!tree_.count(pid) && tree_.count(about.first) && _stricmp(about.second.c_str(), "explorer.exe") != 0) {
          tree_[pid] = true;
          grew = true;
          Say("process " + std::to_string(pid) + " " + Quote(about.second) + " started by process " +
              std::to_string(about.first));
        }
    }
    for (auto& [pid, alive] : tree_) {
      bool now = running.count(pid) != 0;
      if (alive && !now) Say("process " + std::to_string(pid) + " ended");
      alive = now;
    }
  }

  bool TreeAlive() const {
    for (const auto& [pid, alive] : tree_)
      if (alive) return true;
    return false;
  }

  std::vector<HWND> TreeWindows() const {
    std::vector<HWND> windows;
    for (HWND window : VisibleTopLevelWindows(0))
      if (tree_.count(ProcessOf(window))) windows.push_back(window);
    return windows;
  }

  // Writes new and changed windows to the transcript and forgets the gone.
  void NoteWindows(const std::vector<HWND>& windows) {
    std::set<HWND> present(windows.begin(), windows.end());
    for (auto it = known_.begin(); it != known_.end();) {
      if (present.count(it->first) && IsWindowVisible(it->first)) {
        ++it;
        continue;
      }
      Say("gone: " + it->second.signature.substr(0, it->second.signature.find('|')) + " window");
      if (it->second.answered) ++goneAnswered_;
      it = known_.erase(it);
    }
    for (HWND window : windows) {
      std::string signature = Signature(window);
      Known& known = known_[window];
      if (known.signature == signature) continue;
      LogWindow(window, known.signature.empty() ? "shown:" : "changed:");
      known.signature = signature;
      known.changedAt = poll_;
    }
  }

  // A window needs an answer when it was never answered, when a window
  // answered after it has gone since (a message box it raised), or when it
  // shows something else than right after its answer (the progress dialog
  // at the next file).
  bool NeedsAnswer(const Known& known) const {
    return !known.answered || known.answeredAt < goneAnswered_ || known.signature != known.answeredSignature;
  }

  bool Answer(HWND window) {
    auto it = known_.find(window);
    if (it == known_.end()) return true;
    Known& known = it->second;
    for (const Rule& rule : rules_)
      if (rule.never && IsWindow(window) && Matches(rule, window, rules_)) {
        LogWindow(window, "forbidden:");
        return Fail("the window of class " + Quote(ClassOf(window)) + " caption " + Quote(TextOf(window)) +
                    " matches the rule of line " + std::to_string(rule.line) + ", which says it never appears");
      }
    // A window is answered once it shows the same on two polls in a row,
    // not while it is being built or changed.
    if (!IsWindow(window) || !IsWindowVisible(window) || !NeedsAnswer(known) || known.changedAt == poll_) {
      known.unmatchedSince = 0;
      return true;
    }
    bool enabled = IsWindowEnabled(window) != FALSE;
    Rule* rule = nullptr;
    for (Rule& candidate : rules_)
      if (!candidate.never && !candidate.Spent() && (enabled || candidate.OnlyLooks()) &&
          Matches(candidate, window, rules_)) {
        rule = &candidate;
        break;
      }
    if (!rule) {
      // A disabled window waits for the one in front of it.
      if (!enabled) {
        known.unmatchedSince = 0;
        return true;
      }
      if (ClassOf(window) == kMainWindowClass) return true;
      DWORD now = GetTickCount();
      if (known.unmatchedSince == 0) known.unmatchedSince = now ? now : 1;
      if (now - known.unmatchedSince < kUnexpectedGraceMs) return true;
      LogWindow(window, "unexpected:");
      return Fail("no rule answers the window of class " + Quote(ClassOf(window)) + " caption " +
                  Quote(TextOf(window)) + " (shown for " + std::to_string(kUnexpectedGraceMs / 1000) + " s)");
    }
    known.unmatchedSince = 0;
    ++rule->used;
    known.answered = true;
    known.answeredAt = goneAnswered_;
    Say("answer with the rule of line " + std::to_string(rule->line) + ": class " + Quote(ClassOf(window)) +
        " caption " + Quote(TextOf(window)));
    if (!options_.shots.empty()) {
      char name[64];
      std::snprintf(name, sizeof name, "\\%03d-line%d.bmp", ++shots_, rule->line);
      std::string path = options_.shots + name;
      Say(SaveScreenshot(window, path) ? "  screenshot " + path : "  (no screenshot)");
    }
    for (const Action& action : rule->actions)
      if (!Perform(window, action)) {
        error_ = "line " + std::to_string(action.line) + ": " + error_;
        return false;
      }
    known.answeredSignature = IsWindow(window) ? Signature(window) : std::string();
    return true;
  }

  HWND NeedControl(HWND window, const std::vector<std::string>& w, size_t index) {
    if (index >= w.size()) {
      Fail("'" + w[0] + "' needs a control id");
      return nullptr;
    }
    HWND control = ControlById(window, std::atoi(w[index].c_str()));
    if (!control) Fail("the window has no control with id " + w[index]);
    return control;
  }

  bool Perform(HWND window, const Action& action) {
    const std::vector<std::string>& w = action.words;
    const std::string& verb = w[0];
    Say("  " + verb + (action.raw.empty() ? "" : " " + action.raw));
    if (verb == "leave") return true;
    if (verb == "log") {
      LogWindow(window);
      return true;
    }
    if (verb == "say") {
      Say(action.raw);
      return true;
    }
    if (verb == "sleep") {
      Sleep(w.size() > 1 ? DWORD(std::atoi(w[1].c_str())) : 100);
      return true;
    }
    if (verb == "close") {
      PostMessageA(window, WM_CLOSE, 0, 0);
      return true;
    }
    if (verb == "press") {
      if (w.size() < 2) return Fail("'press' needs a control id");
      int id = std::atoi(w[1].c_str());
      PostButtonCommand(window, id, ControlById(window, id));
      return true;
    }
    if (verb == "click") {
      HWND button = NeedControl(window, w, 1);
      if (!button) return false;
      Click(button);
      return true;
    }
    if (verb == "type") {
      HWND field = NeedControl(window, w, 1);
      if (!field) return false;
      std::string text = w.size() > 2 ? w[2] : std::string();
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result))
        return Fail("the control did not take the text");
      std::string shown = TextOf(field);
      if (shown != text) return Fail("the control shows " + Quote(shown) + " after typing " + Quote(text));
      return true;
    }
    if (verb == "check" || verb == "uncheck") {
      HWND box = NeedControl(window, w, 1);
      if (!box) return false;
      WPARAM wanted = verb == "check" ? BST_CHECKED : BST_UNCHECKED;
      DWORD_PTR state = 0;
      SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      // A click changes it the way the person would, and tells the dialog.
      if (state != wanted) SendMessageTimeoutA(box, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      if (state != wanted) SendMessageTimeoutA(box, BM_SETCHECK, wanted, 0, SMTO_ABORTIFHUNG, 5000, &state);
      SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      return state == wanted || Fail("the box did not change");
    }
    if (verb == "expect-text") {
      if (w.size() < 3) return Fail("usage: expect-text ID TEXT");
      HWND control = NeedControl(window, w, 1);
      if (!control) return false;
      std::string shown = TextOf(control);
      return shown == w[2] || Fail("control " + w[1] + " shows " + Quote(shown) + ", expected " + Quote(w[2]));
    }
    if (verb == "expect-window") {
      // expect-window CLASS CAPTION [maximized]: the tree shows such a window.
      if (w.size() < 3) return Fail("usage: expect-window CLASS CAPTION [maximized]");
      bool maximized = w.size() > 3 && w[3] == "maximized";
      for (HWND other : TreeWindows())
        if (ClassOf(other) == w[1] && TextOf(other) == w[2] && (!maximized || IsMaximized(other))) return true;
      return Fail("no window of class " + Quote(w[1]) + " with caption " + Quote(w[2]) +
                  (maximized ? " is shown maximized" : " is shown"));
    }
    if (verb == "hold") {
      // Opened without sharing and kept open until the robot ends: the
      // file is in use for every other program.
      if (w.size() != 2) return Fail("usage: hold WINDOWS-PATH");
      HANDLE file = CreateFileA(w[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE)
        return Fail("cannot hold " + Quote(w[1]) + " (error " + std::to_string(GetLastError()) + ")");
      held_.push_back(file);
      return true;
    }
    if (verb == "disk") {
      if (w.size() < 3 || w[1].size() != 2 || w[1][1] != ':') return Fail("usage: disk LETTER: NAME");
      auto disk = options_.disks.find(w[2]);
      if (disk == options_.disks.end()) return Fail("no disk named " + Quote(w[2]));
      std::string error;
      if (!DefineFloppyDrive(w[1][0], disk->second, &error)) return Fail(error);
      return true;
    }
    return Fail("unknown action " + Quote(verb));
  }

  // Ends what is left of the tree, so that nothing outlives the robot.
  void EndLeftovers() {
    for (const auto& [pid, alive] : tree_) {
      if (!alive) continue;
      HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (!process) continue;
      Say("robot: process " + std::to_string(pid) + " is still running; ending it");
      TerminateProcess(process, 99);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
    if (process_) CloseHandle(process_);
    process_ = nullptr;
  }

  Options options_;
  std::vector<Rule> rules_;
  HANDLE process_ = nullptr;
  std::map<DWORD, bool> tree_;  // pid -> still running
  std::map<HWND, Known> known_;
  std::vector<HANDLE> held_;  // the files of 'hold'
  int goneAnswered_ = 0;
  int poll_ = 0;
  int shots_ = 0;
  std::string error_;
};

// Reads the options of the answer mode; the words it does not know are
// left in `rest` (the scenario mode hands them to the checks).
bool ParseAnswerOptions(const std::vector<std::string>& args, Options* options, std::vector<std::string>* rest,
                        std::string* error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (a == "--timeout" && hasValue) {
      options->timeoutSeconds = DWORD(std::atoi(args[++i].c_str()));
    } else if (a == "--shots" && hasValue) {
      options->shots = args[++i];
      CreateDirectoryA(options->shots.c_str(), nullptr);
    } else if (a == "--disk" && hasValue) {
      std::string value = args[++i];
      size_t eq = value.find('=');
      if (eq == std::string::npos) {
        *error = "--disk needs NAME=UNIX-DIRECTORY";
        return false;
      }
      options->disks[value.substr(0, eq)] = value.substr(eq + 1);
    } else if (a == "--run" && hasValue) {
      options->commandLine = args[++i];
    } else if (a == "--answers" && hasValue) {
      options->answersPath = args[++i];
    } else if (a == "--items" || a == "--files" || a == "--registry" || a == "--journal") {
      // The options of the checks, for the scenario mode.
      size_t values = a == "--journal" ? 2 : 1;
      if (i + values >= args.size()) {
        *error = a + " needs " + std::to_string(values) + " value(s)";
        return false;
      }
      rest->push_back(a);
      for (size_t v = 0; v < values; ++v) rest->push_back(args[++i]);
    } else if (a.rfind("--", 0) == 0) {
      *error = "unknown option '" + a + "'";
      return false;
    } else if (options->answersPath.empty()) {
      options->answersPath = a;
    } else {
      *error = "unexpected argument '" + a + "'";
      return false;
    }
  }
  if (options->commandLine.empty() || options->answersPath.empty()) {
    *error = "needs --run COMMAND-LINE and an answers file";
    return false;
  }
  return true;
}

int Answer(const Options& options) {
  std::vector<Rule> rules;
  std::string error;
  if (!ParseAnswers(options.answersPath, &rules, &error)) {
    Say("robot: FAIL: " + error);
    return 2;
  }
  Answerer answerer(options, rules);
  if (!answerer.Run()) {
    Say("robot: FAIL: " + answerer.Error());
    return 1;
  }
  return 0;
}

}  // namespace

int RunAnswerMode(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> rest;
  std::string error;
  if (!ParseAnswerOptions(args, &options, &rest, &error) || !rest.empty()) {
    if (error.empty()) error = rest[0] + " belongs to the checks (use the scenario mode)";
    std::fprintf(stderr, "robot answer: %s\n", error.c_str());
    return 2;
  }
  int result = Answer(options);
  if (result == 0) Say("robot: done");
  return result;
}

int RunScenarioMode(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> checks;
  std::string error;
  if (!ParseAnswerOptions(args, &options, &checks, &error)) {
    std::fprintf(stderr, "robot scenario: %s\n", error.c_str());
    return 2;
  }
  int answered = Answer(options);
  if (answered == 2) return 2;
  // The checks run also after a failed answer: they tell what was left.
  Say("checking");
  bool usageError = false;
  int checked = RunChecks(checks, &usageError);
  if (usageError) return 2;
  if (answered != 0) {
    Say("robot: FAIL: the answers failed (see above)");
    return 1;
  }
  Say(checked == 0 ? "robot: done" : "robot: FAIL: some checks failed (see above)");
  return checked;
}

}  // namespace robot
