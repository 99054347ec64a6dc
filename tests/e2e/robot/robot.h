// The robot's shared pieces: the transcript, the quoting of texts, the
// splitting of command lines into words, and the inspection of windows.
//
// The robot has three modes (see robot.cpp for the entry point and
// tests/e2e/README.md for the languages):
//   robot.exe COMMANDS-FILE        commands, one a line (commands.cpp)
//   robot.exe answer ...           starts a program and answers its windows
//                                  by rules as they appear (answer.cpp)
//   robot.exe check ...            compares files, the journal and registry
//                                  values with expectations (check.cpp)
//   robot.exe scenario ...         answer, then check, in one run
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/window_driver.h"

namespace robot {

// ---- transcript --------------------------------------------------------------

// Writes one line to the transcript (standard output), flushed at once.
void Say(const std::string& line);

// A text between double quotes, with quotes doubled and control characters
// written as \n, \r, \t or \xNN.
std::string Quote(const std::string& text);

// Splits a line into words at blanks and tabs; a word between double quotes
// may hold blanks, and two double quotes inside it stand for one.
// Backslashes are plain characters.
std::vector<std::string> Words(const std::string& line);

// The text after the first word of a line, from its first non-blank on.
std::string RestAfterFirstWord(const std::string& line);

// The lines of a file, without line ends; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>* lines);
bool ReadWholeFile(const std::string& path, std::string* data);

// ---- windows -----------------------------------------------------------------

// Finding windows, reading them, clicking their buttons and taking their
// pictures: the window driver the Win32 tests use as well.
using quorril::support::ClassOf;
using quorril::support::Click;
using quorril::support::PostButtonCommand;
using quorril::support::ProcessOf;
using quorril::support::SavePicture;
using quorril::support::TextOf;
using quorril::support::VisibleTopLevelWindows;

bool IsMaximized(HWND window);
std::vector<HWND> Children(HWND window);
HWND ControlById(HWND window, int id);
// Writes the window to the transcript: class, caption, state and
// rectangle, then each child control with its id, class and text.
void LogWindow(HWND window, const std::string& heading = "window");
// What a window shows, for noticing changes: class, caption, enabled state
// and its controls' ids, texts and visibility.
std::string Signature(HWND window);

// ---- the modes -------------------------------------------------------------------

int RunCommandFile(const std::string& path);
int RunAnswerMode(const std::vector<std::string>& args);
int RunCheckMode(const std::vector<std::string>& args);
int RunScenarioMode(const std::vector<std::string>& args);

// SHA-256 of a byte string, as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const std::string& data);

}  // namespace robot
