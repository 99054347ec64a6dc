// The robot's command mode: one command a line, run in order; the first
// command that fails ends the run. The command language is described in
// tests/e2e/README.md ("The robot's commands").
//
// Windows are looked for among the visible top-level windows of the target
// process (the one started with `run`, or attached with `attach`); the last
// window found by `wait` is the current window that `log`, `press`, `close`
// and the `expect-` commands work on. When the robot ends while a program it
// started is still running, it ends that program so that nothing is left.
#include <cstdio>
#include <cstdlib>

#include "robot.h"

namespace robot {
namespace {

class Robot {
 public:
  ~Robot() {
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      Say("robot: the program is still running; ending it");
      TerminateProcess(process_, 99);
      WaitForSingleObject(process_, 5000);
    }
    if (process_) CloseHandle(process_);
  }

  // Runs one command; false with `error_` set when it failed.
  bool Execute(const std::string& line) {
    std::vector<std::string> w = Words(line);
    if (w.empty()) return true;
    const std::string& verb = w[0];
    if (verb == "run") return Run(RestAfterVerb(line));
    if (verb == "attach") return w.size() >= 3 ? Attach(w[1], Seconds(w, 2)) : Usage("attach CLASS SECONDS");
    if (verb == "wait") {
      if (w.size() < 3 || (w[1] != "caption" && w[1] != "class")) return Usage("wait caption|class TEXT [SECONDS]");
      return Wait(w[1] == "caption", w[2], Seconds(w, 3));
    }
    if (verb == "log") return NeedCurrent() && (LogWindow(current_), true);
    if (verb == "log-all") {
      for (HWND window : VisibleTopLevelWindows(processId_)) LogWindow(window);
      return true;
    }
    if (verb == "press") return w.size() >= 2 ? Press(std::atoi(w[1].c_str()), false) : Usage("press ID");
    if (verb == "click") return w.size() >= 2 ? Press(std::atoi(w[1].c_str()), true) : Usage("click ID");
    if (verb == "close") {
      if (!NeedCurrent()) return false;
      PostMessageA(current_, WM_CLOSE, 0, 0);
      return true;
    }
    if (verb == "expect-maximized") {
      if (!NeedCurrent()) return false;
      return IsMaximized(current_) || Fail("the window is not maximized");
    }
    if (verb == "expect-caption") {
      if (w.size() < 2) return Usage("expect-caption TEXT");
      if (!NeedCurrent()) return false;
      std::string caption = TextOf(current_);
      return caption == w[1] || Fail("caption is " + Quote(caption) + ", expected " + Quote(w[1]));
    }
    if (verb == "expect-text") {
      if (w.size() < 3) return Usage("expect-text ID TEXT");
      if (!NeedCurrent()) return false;
      HWND control = ControlById(current_, std::atoi(w[1].c_str()));
      if (!control) return Fail("no control with id " + w[1]);
      std::string text = TextOf(control);
      return text == w[2] || Fail("control " + w[1] + " shows " + Quote(text) + ", expected " + Quote(w[2]));
    }
    if (verb == "expect-no-window") {
      if (w.size() < 2) return Usage("expect-no-window CLASS");
      for (HWND window : VisibleTopLevelWindows(processId_))
        if (ClassOf(window) == w[1]) return Fail("a window of class " + Quote(w[1]) + " is shown");
      return true;
    }
    if (verb == "expect-windows") {
      if (w.size() < 2) return Usage("expect-windows COUNT");
      size_t count = VisibleTopLevelWindows(processId_).size();
      return count == size_t(std::atoi(w[1].c_str())) ||
             Fail(std::to_string(count) + " windows are shown, expected " + w[1]);
    }
    if (verb == "wait-exit") return WaitExit(Seconds(w, 1));
    if (verb == "expect-exit") {
      if (w.size() < 2) return Usage("expect-exit CODE");
      return exitCode_ == DWORD(std::strtoul(w[1].c_str(), nullptr, 0)) ||
             Fail("exit code is " + std::to_string(exitCode_) + ", expected " + w[1]);
    }
    if (verb == "sleep") {
      Sleep(w.size() >= 2 ? DWORD(std::atoi(w[1].c_str())) : 100);
      return true;
    }
    if (verb == "say") {
      Say(RestAfterVerb(line));
      return true;
    }
    return Fail("unknown command " + Quote(verb));
  }

  const std::string& Error() const { return error_; }

 private:
  static std::string RestAfterVerb(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    size_t cut = line.find_first_of(" \t", start);
    if (cut == std::string::npos) return std::string();
    size_t rest = line.find_first_not_of(" \t", cut);
    return rest == std::string::npos ? std::string() : line.substr(rest);
  }
  static DWORD Seconds(const std::vector<std::string>& w, size_t index) {
    return index < w.size() ? DWORD(std::atoi(w[index].c_str())) : 10;
  }
  bool Fail(const std::string& why) {
    error_ = why;
    return false;
  }
  bool Usage(const std::string& form) { return Fail("usage: " + form); }
  bool NeedCurrent() {
    if (!current_ || !IsWindow(current_)) return Fail("no current window (use wait first)");
    return true;
  }

  bool Run(const std::string& commandLine) {
    if (commandLine.empty()) return Usage("run COMMAND-LINE");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return Fail("cannot start " + Quote(commandLine) + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(info.hThread);
    if (process_) CloseHandle(process_);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    current_ = nullptr;
    Say("started process " + std::to_string(processId_));
    return true;
  }

  bool Attach(const std::string& className, DWORD seconds) {
    DWORD deadline = GetTickCount() + seconds * 1000;
    do {
      for (HWND window : VisibleTopLevelWindows(0))
        if (ClassOf(window) == className) {
          GetWindowThreadProcessId(window, &processId_);
          current_ = window;
          Say("attached to process " + std::to_string(processId_));
          return true;
        }
      Sleep(100);
    } while (int(GetTickCount() - deadline) < 0);
    return Fail("no window of class " + Quote(className) + " within " + std::to_string(seconds) + " s");
  }

  bool Wait(bool byCaption, const std::string& text, DWORD seconds) {
    DWORD deadline = GetTickCount() + seconds * 1000;
    do {
      for (HWND window : VisibleTopLevelWindows(processId_)) {
        std::string value = byCaption ? TextOf(window) : ClassOf(window);
        if (value == text) {
          current_ = window;
          Say(std::string("found ") + (byCaption ? "caption " : "class ") + Quote(text));
          return true;
        }
      }
      if (process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process_, &exitCode_);
        return Fail("the program ended (exit code " + std::to_string(exitCode_) + ") without showing " +
                    (byCaption ? "caption " : "class ") + Quote(text));
      }
      Sleep(100);
    } while (int(GetTickCount() - deadline) < 0);
    std::string shown;
    for (HWND window : VisibleTopLevelWindows(processId_))
      shown += " " + Quote(ClassOf(window)) + "/" + Quote(TextOf(window));
    return Fail(std::string("no window with ") + (byCaption ? "caption " : "class ") + Quote(text) + " within " +
                std::to_string(seconds) + " s; shown:" + (shown.empty() ? " none" : shown));
  }

  // Presses a button of the current window: with `click` the button is sent
  // BM_CLICK, otherwise the window gets the button's WM_COMMAND.
  bool Press(int id, bool click) {
    if (!NeedCurrent()) return false;
    HWND button = ControlById(current_, id);
    std::string label = button ? " " + Quote(TextOf(button)) : std::string();
    if (click) {
      if (!button) return Fail("no control with id " + std::to_string(id));
      Click(button);
    } else {
      PostButtonCommand(current_, id, button);
    }
    Say("pressed " + std::to_string(id) + label);
    return true;
  }

  bool WaitExit(DWORD seconds) {
    if (!process_) return Fail("no program was started");
    if (WaitForSingleObject(process_, seconds * 1000) != WAIT_OBJECT_0)
      return Fail("the program did not end within " + std::to_string(seconds) + " s");
    GetExitCodeProcess(process_, &exitCode_);
    Say("exited with " + std::to_string(exitCode_));
    return true;
  }

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  DWORD exitCode_ = 0;
  HWND current_ = nullptr;
  std::string error_;
};

}  // namespace

int RunCommandFile(const std::string& path) {
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines)) {
    std::fprintf(stderr, "robot: cannot read %s\n", path.c_str());
    return 2;
  }
  Robot robot;
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t start = lines[i].find_first_not_of(" \t");
    if (start == std::string::npos || lines[i][start] == '#') continue;
    Say("> " + lines[i].substr(start));
    if (!robot.Execute(lines[i].substr(start))) {
      Say("robot: FAIL at line " + std::to_string(i + 1) + ": " + robot.Error());
      return 1;
    }
  }
  Say("robot: done");
  return 0;
}

}  // namespace robot
