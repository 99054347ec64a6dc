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
// The protected copy: every byte that reaches install.log also goes to
// "<Windows>\Quorril\<hash of the journal's path>.log", a folder that only
// administrators may change (created with the protected access list). The
// uninstaller trusts the copy over the journal, which any user who may
// write to the destination could have edited. Bytes that have not reached
// the copy yet wait for the next text; the journal itself never waits for
// the copy.
//
// The journal is on when the script says UNINSTALL: YES; the run sequence
// switches it on once both passes of the parser have read the script.
// While it is off, nothing is written or kept.
#pragma once

#include <string>
#include <vector>

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
  // The protected copy's path (ProtectedCopyPath); empty for none.
  std::string copyPath;
  // Bytes written to the journal that the copy has not received yet.
  std::string copyPending;
  // What the run's log should say that the journal does not: access lists
  // that could not be set, one text each.
  std::vector<std::string> notes;
};

// The folder below the Windows directory that holds the protected copies.
inline constexpr char kProtectedCopyFolder[] = "Quorril";

// "<windowsDirectory>\Quorril\<16 hexadecimal digits>.log": the digits a
// stable hash of the journal's full path in capitals, so that the engine
// and a later uninstaller find the same name.
std::string ProtectedCopyPath(const std::string& windowsDirectory, const std::string& journalPath);

// Gives a directory the installation has just created the protected access
// list (FileSystem::ProtectDirectory); a failure becomes one of the
// journal's notes and nothing else.
void ProtectCreatedDirectory(FileSystem& files, Journal& journal, const std::string& path);

// Appends one text and a line end to the journal through `files`. Returns
// 1 when it was written, 0 when the journal is off or the text waits in the
// pending area.
int AppendJournal(FileSystem& files, Journal& journal, const std::string& text);

}  // namespace quorril
