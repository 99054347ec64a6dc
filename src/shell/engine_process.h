// The engine's whole process over its ports: the switches of an
// unattended installation, start-up, the message loop, the exit phase and
// the clean-up, and the exit code.
//
//   quorril.exe [/SILENT | /VERYSILENT] [/DIR=PATH] [/LOADINF=FILE] [/LOG=FILE]
//               [SCRIPT] [-OPTION ...]
//
// Switches are whole tokens that begin with "/" (a script name never
// does); their names compare without regard to case, and a token in
// double quotes ("/DIR=C:\Program Files\App") keeps its blanks. Tokens that
// begin with "-" and the script name go to start-up exactly as without
// switches, and a command line without any "/" token runs exactly as it
// always did (exit code 0).
//  - /SILENT: no question is shown; each takes its answer from the answers
//    file, else its default (shell/answering_ui.h). The main window, the
//    progress dialog and the pop-ups still show, and the progress dialog's
//    Cancel still stops.
//  - /VERYSILENT: the same without any window.
//  - /DIR=PATH: the destination (DEFAULTDIR), over the answers file's Dir.
//  - /LOADINF=FILE: the answers file (shell/answers_file.h).
//  - /LOG=FILE: a log of every answer, message and file copied, the journal
//    lines and the outcome; written also without /SILENT (the person then
//    answers, and the log records it). It is created before anything else
//    is done.
// With switches the engine never relaunches from a temporary copy: it runs
// from where it was started (a package on several disks then finds them
// through the answers file's Disk.N).
// Exit codes, whenever a switch is given: 0 installed; 1 cancelled (the
// quit question answered Yes, a dialog or the copying cancelled) or
// refused without a message (a script's EXITMESSAGE); 2 failed: a message
// stopped the installation (it is in the log), start-up failed, or a
// switch, the answers file or the log is wrong. Without /VERYSILENT a wrong
// switch, answers file or log is also shown in a message box.
#pragma once

#include <optional>
#include <string>

#include "platform/ports.h"

namespace quorril {

enum : int { kExitInstalled = 0, kExitCancelled = 1, kExitFailed = 2 };

struct EngineSwitches {
  bool any = false;         // at least one switch was given
  bool silent = false;      // /SILENT or /VERYSILENT
  bool verySilent = false;  // /VERYSILENT
  std::optional<std::string> dir;
  std::string answersPath;
  std::string logPath;
};

// Takes the switches out of the argument string; `rest` is what start-up
// reads (the argument string unchanged when it holds no switch). False,
// with the reason, for a switch it does not know, one without its value,
// or one given twice.
bool SplitEngineSwitches(const std::string& arguments, EngineSwitches* switches, std::string* rest,
                         std::string* error);

// Runs the engine over `ports` (their user interface and screen surface
// are the windows a person would see) and returns the exit code.
int RunEngineProcess(const Ports& ports, const std::string& arguments, const std::string& executablePath);

}  // namespace quorril
