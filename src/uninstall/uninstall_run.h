// One run of the uninstaller: its command line, the journal it works on,
// the questions it asks, its log and its exit code.
//
//   unstall.exe [/SILENT | /VERYSILENT] [/LOG=FILE] [JOURNAL]
//
// JOURNAL is the path of an install.log; without it, install.log in the
// uninstaller's own directory. /SILENT asks nothing (the first question
// counts as Yes, shared components are kept); /VERYSILENT shows nothing at
// all; /LOG=FILE writes one line for every line of the journal: what was
// undone, kept, refused or failed, and why. Switches are case-insensitive;
// a path with blanks goes between double quotes.
//
// Exit codes: 0 everything undone; 1 the user declined, or something was
// kept, refused or failed (the log says what); 2 the journal is missing or
// unreadable, or the command line is wrong.
#pragma once

#include <string>

#include "uninstall/undo.h"

namespace quorril {

class UserInterface;

enum : int { kUninstallDone = 0, kUninstallIncomplete = 1, kUninstallNoJournal = 2 };

struct UninstallOptions {
  bool silent = false;      // /SILENT or /VERYSILENT
  bool verySilent = false;  // /VERYSILENT
  std::string logPath;      // /LOG=FILE, empty without
  std::string journalPath;  // empty: install.log beside the uninstaller
};

// The arguments after the program name. False, with the reason, for a
// switch it does not know or a second journal.
bool ParseUninstallArguments(const std::string& arguments, UninstallOptions* options, std::string* error);

struct UninstallPorts {
  FileSystem& files;
  Machine& machine;
  Profile& profile;
  UserInterface& ui;
  UndoServices& services;  // its AskDeleteSharedFile is not used: the run asks itself
};

// The texts the run shows when the journal names none.
inline constexpr const char kDefaultBeginPrompt[] = "Do you want this application removed from your system?";
inline constexpr const char kDefaultEndPrompt[] = "This application has been successfully removed from your system.";
inline constexpr const char kDefaultTitlePrompt[] = "UnInstall";

// Runs the uninstaller; `executablePath` is its own path. The exit code.
int RunUninstall(const UninstallPorts& ports, const UninstallOptions& options, const std::string& executablePath);

}  // namespace quorril
