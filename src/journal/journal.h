// The install journal: "install.log" in the destination directory, one line
// per change the installation makes, read later by the uninstaller.
//
// Every change is handed to AppendJournal as one text (a keyword such as
// "FILE: " and its quoted fields). The file is opened, extended and closed
// for every text, so it is complete on disk after each change. Lines are
// stored as the C runtime's text mode stores them: every line feed of a
// text becomes CR LF.
//
// Texts that arrive before the journal can be opened (no destination yet,
// or its directory not created yet) wait in the pending area, unchanged and
// without an added line end, and are written in front of the next text that
// reaches the file. Such texts therefore carry their own line ends (the
// DEFAULTDIR line written before its directory exists, every block of
// DIRECTORY lines); written directly, they are followed by an empty line.
// The pending area has no fixed capacity: nothing that waits is lost.
//
// The journal is on when the script says UNINSTALL: YES
// (ScriptSettings::uninstall); while it is off, nothing is written or kept.
#pragma once

#include <string>

namespace quorril {

class SetupContext;

// The journal's state of one run (it lives in SetupContext).
struct Journal {
  // The destination directory followed by "\install.log"; empty until the
  // destination step has fixed the destination.
  std::string path;
  // Texts that could not be written yet, kept as they came.
  std::string pending;
};

// Results of MakeDirectoryPath.
enum : int { kMakeDirectoryOk = 0, kMakeDirectoryFailed = 2 };

// Appends one text and a line end to the journal. Returns 1 when it was
// written, 0 when the journal is off or the text waits in the pending area.
int AppendJournal(SetupContext& ctx, const std::string& text);

// Creates every missing level of `path` ("C:\DIR\SUB"), level by level, and
// journals one DIRECTORY line per directory it created, parents first, as
// one text. Returns kMakeDirectoryOk when every level exists or was created;
// kMakeDirectoryFailed after the BADDIRPROMPT message when a level can be
// neither entered nor created (the lines collected so far are then not
// journalled). The last level reached stays the current directory.
int MakeDirectoryPath(SetupContext& ctx, const std::string& path);

}  // namespace quorril
