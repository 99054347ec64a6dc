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
// or its directory not created yet, or the file cannot be opened or
// written) wait in the pending area and are written in front of the next
// text that reaches the file. Texts that carry their own line ends (the
// DEFAULTDIR line written before its directory exists, every block of
// DIRECTORY lines) wait unchanged; written directly, they are followed by
// an empty line. Any other text waits with a line end added, so that it
// never runs into the next.
// The pending area has no fixed capacity: nothing that waits is lost.
//
// The journal is on when the script says UNINSTALL: YES; the run sequence
// switches it on once both passes of the parser have read the script.
// While it is off, nothing is written or kept.
#pragma once

#include <string>

namespace quorril {

class FileSystem;

// The journal's state of one run.
struct Journal {
  bool on = false;
  // The destination directory followed by "\install.log"; empty until the
  // destination step has fixed the destination.
  std::string path;
  // Texts that could not be written yet, kept as they came.
  std::string pending;
};

// Appends one text and a line end to the journal through `files`. Returns
// 1 when it was written, 0 when the journal is off or the text waits in the
// pending area.
int AppendJournal(FileSystem& files, Journal& journal, const std::string& text);

}  // namespace quorril
