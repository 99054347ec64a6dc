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
// Without /VERYSILENT a progress window shows the work; its Cancel stops
// it (what was not reached stays, and so does the journal).
//
// Once the journal has gone, the installation's entry among the installed
// programs (system/uninstall_key.h) goes too, when its UninstallString
// names this journal; an entry that names another journal stays. The log
// names it after the journal's lines.
//
// The engine keeps a protected copy of the journal in the Windows directory
// (journal/journal.h). When there is one, its lines are undone, not the
// journal's: the journal lies where users may have edited it. When the two
// differ the run says so (a message, or the log's first line), and ends
// with exit code 1 even when everything was undone. Once the journal has
// gone the copy goes too. Without a copy the journal is undone as it is.
//
// When the uninstaller runs from a file the journal names (the copy in the
// destination), that file and the directories holding nothing else are
// removed by a batch file in the temporary directory, started hidden as the
// run ends, which waits for the uninstaller to end and then deletes itself.
//
// Exit codes: 0 everything undone; 1 the user declined, or something was
// kept, refused or failed (the log says what); 2 the journal is missing or
// unreadable, or the command line is wrong.
#pragma once

#include <string>
#include <vector>

#include "uninstall/undo.h"

namespace quorril {

class Process;
class Registry;
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
  Process& process;
  UndoServices& services;  // its AskDeleteSharedFile is not used: the run asks itself
  Registry& registry;      // for the installation's entry among the installed programs
};

// The batch file that removes `paths` (files first, then directories, each
// only when empty) once the uninstaller has ended, and then itself: it
// tries the first file for about a minute, while the program ends.
std::string AfterExitBatchText(const std::vector<std::string>& paths, const std::string& batchPath);

// The texts the run shows when the journal names none.
inline constexpr const char kDefaultBeginPrompt[] = "Do you want this application removed from your system?";
inline constexpr const char kDefaultEndPrompt[] = "This application has been successfully removed from your system.";
inline constexpr const char kDefaultTitlePrompt[] = "UnInstall";

// Runs the uninstaller; `executablePath` is its own path. The exit code.
int RunUninstall(const UninstallPorts& ports, const UninstallOptions& options, const std::string& executablePath);

}  // namespace quorril
