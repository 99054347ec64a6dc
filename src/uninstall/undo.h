// Undoing an installation from its journal: every line, last first, each
// change taken back only where it still stands as the installation left
// it, and nothing touched that the journal does not name.
//
// The journal is a text file that anyone may have edited, so every path
// and key it names is checked before anything is done with it: relative
// paths, "." and ".." components, device names and paths that are not on a
// drive are refused; a DIRECTORY or DEFAULTDIR line is refused for a drive
// root, the Windows and system directories and every folder above the
// journal's own directory; no delete is recursive.
//
// What each line does:
//   FILE        the file is deleted (one in use when the system starts
//               again); a component (DLL, VBX, OCX) in the Windows or
//               system directory may be shared: the user is asked (silent:
//               kept)
//   RENAME      the file goes back to its old name when that name is free
//   DIRECTORY,  the directory is removed when it is empty by then
//   DEFAULTDIR
//   INIFILE     a key written anew is deleted, a replaced value put back,
//               an added part taken out of a combined value, a section made
//               anew deleted when it is empty; a key changed since is kept
//   ADDTEXT,    the old line goes back in place of the new one, or an added
//   AUTOEXEC,   line is removed; only when that line still stands as written
//   CONFIG
//   RegServer, REGKEY, WINITEM   through the UndoServices
// The prompts and empty lines need nothing; a damaged line is reported as
// kept and nothing is done for it. The journal, the uninstaller beside it,
// the journal's directory and the folders the journal names above it come
// last; those folders only once the journal's directory has gone.
//
// The running uninstaller cannot delete its own file: when the journal
// names it, it is left for after the run (UndoContext::afterExit), and so
// is every directory that holds nothing but what is left for then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "uninstall/journal_reader.h"

namespace quorril {

class FileSystem;
class Machine;
class Profile;

enum class UndoResult {
  kUndone,   // the change was taken back
  kKept,     // left as it is, on purpose (changed since, shared, still in use by others)
  kFailed,   // taking it back failed
  kRefused,  // the line names something the uninstaller must not touch
  kSkipped,  // a damaged line, or one that needs nothing done
  kAtRestart,  // a file in use: it is deleted when the system starts again
  kAtExit,     // the running uninstaller, or a folder holding only it: removed once it has ended
};

const char* UndoResultName(UndoResult result);

struct UndoRecord {
  int64_t lineNumber = 0;
  std::string line;
  UndoResult result = UndoResult::kSkipped;
  std::string why;
};

// The changes outside files and INI files, and the questions.
class UndoServices {
 public:
  virtual ~UndoServices() = default;
  // True to delete a component that other programs may share.
  virtual bool AskDeleteSharedFile(const std::string& path) = 0;
  virtual UndoResult UnregisterComponent(const std::string& path, std::string* why) = 0;
  virtual UndoResult DeleteRegistryKey(const std::string& root, const std::string& subkey, std::string* why) = 0;
  virtual UndoResult DeleteProgramItem(const std::string& group, const std::string& caption, std::string* why) = 0;
};

struct UndoContext {
  FileSystem& files;
  Machine& machine;
  Profile& profile;
  UndoServices& services;
  // The journal's own path: its directory bounds the directories removed.
  std::string journalPath;
  // The journal is deleted after every other line, before its directory,
  // unless something failed (it then stays for another run).
  bool removeJournal = true;
  // The uninstaller's own file, when it runs from a file the journal may
  // name; empty otherwise.
  std::string runningPath = {};
  // Receives what must be removed once the uninstaller has ended, in the
  // order to remove it (the file, then its directories deepest first).
  // Without it the running uninstaller's file is kept.
  std::vector<std::string>* afterExit = nullptr;
  // Called before each line with the lines done so far and their number;
  // false stops the work there: the lines not reached are kept, and the
  // journal stays.
  std::function<bool(size_t done, size_t total)> progress = nullptr;
};

// Why a path may not be touched, or empty when it may.
std::string UnsafePathReason(const std::string& path);

// Undoes the entries, last first. The records come in the order of the
// work, one per entry (empty lines left out), and one (line number 0) for
// the journal file.
std::vector<UndoRecord> UndoJournal(const UndoContext& ctx, const std::vector<JournalEntry>& entries);

}  // namespace quorril
