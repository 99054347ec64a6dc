// robot: drives the engine's windows in the end-to-end scenarios.
//
//   robot.exe COMMANDS-FILE
//   robot.exe answer [--timeout S] [--shots DIR] [--disk NAME=UNIX-DIR]... --run COMMAND-LINE ANSWERS-FILE
//   robot.exe check [--items DIR] [--files FILE] [--registry FILE] [--journal PATH EXPECTED|absent]
//   robot.exe scenario (the options of answer and of check together)
//
// A Win32 console program that runs next to the engine (under Wine, in the
// same prefix and on the same display). It writes a transcript of what it
// does and sees to standard output and exits 0 when everything succeeded,
// 1 when something failed (the transcript's last line says why), 2 on
// wrong usage or unreadable input. The languages of the commands, the
// answers and the expectations are described in tests/e2e/README.md.
//
// This file holds the entry point and the pieces the modes share: the
// transcript, quoting and word splitting, and the inspection of windows
// (finding and reading them is the window driver's, tests/support/).
#include "robot.h"

#include <cstdio>
#include <cstdlib>

namespace robot {

// ---- transcript --------------------------------------------------------------

void Say(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            word += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        word += line[i++];
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

std::string RestAfterFirstWord(const std::string& line) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) return std::string();
  size_t cut = line.find_first_of(" \t", start);
  if (cut == std::string::npos) return std::string();
  size_t rest = line.find_first_not_of(" \t", cut);
  return rest == std::string::npos ? std::string() : line.substr(rest);
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  data->clear();
  char buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) data->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::string data;
  if (!ReadWholeFile(path, &data)) return false;
  lines->clear();
  std::string line;
  for (char c : data) {
    if (c == '\n') {
      lines->push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines->push_back(line);
  return true;
}

// ---- windows -------------------------------------------------------------------

bool IsMaximized(HWND window) { return IsZoomed(window) || (GetWindowLongPtrA(window, GWL_STYLE) & WS_MAXIMIZE); }

namespace {

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND ControlById(HWND window, int id) {
  for (HWND child : Children(window))
    if (GetDlgCtrlID(child) == id) return child;
  return nullptr;
}

void LogWindow(HWND window, const std::string& heading) {
  RECT r{};
  GetWindowRect(window, &r);
  char geometry[96];
  std::snprintf(geometry, sizeof geometry, " rect=%ld,%ld,%ld,%ld", long(r.left), long(r.top), long(r.right),
                long(r.bottom));
  Say(heading + " class=" + Quote(ClassOf(window)) + " caption=" + Quote(TextOf(window)) +
      " maximized=" + (IsMaximized(window) ? "yes" : "no") + (IsWindowEnabled(window) ? "" : " disabled") +
      geometry);
  for (HWND child : Children(window)) {
    int id = GetDlgCtrlID(child);
    Say("  control id=" + std::to_string(id) + " class=" + Quote(ClassOf(child)) + " text=" + Quote(TextOf(child)) +
        (IsWindowVisible(child) ? "" : " hidden"));
  }
}

std::string Signature(HWND window) {
  std::string signature = ClassOf(window) + "|" + TextOf(window) + (IsWindowEnabled(window) ? "|on" : "|off");
  for (HWND child : Children(window))
    signature += "|" + std::to_string(GetDlgCtrlID(child)) + "=" + TextOf(child) +
                 (IsWindowVisible(child) ? "" : "(hidden)");
  return signature;
}

}  // namespace robot

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(
        "usage: robot COMMANDS-FILE\n"
        "       robot answer|check|scenario OPTIONS (see tests/e2e/README.md)\n",
        stderr);
    return 2;
  }
  std::string mode = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (mode == "answer") return robot::RunAnswerMode(rest);
  if (mode == "check") return robot::RunCheckMode(rest);
  if (mode == "scenario") return robot::RunScenarioMode(rest);
  if (args.size() != 1) {
    std::fputs("usage: robot COMMANDS-FILE\n", stderr);
    return 2;
  }
  return robot::RunCommandFile(args[0]);
}
