// The installation's entry among the installed programs: the key
// "Quorril <destination>" below
//   HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall
// that the system's list of programs shows, and from which it starts the
// uninstaller.
//
// The engine writes it at the end of a successful installation that keeps a
// journal and put "unstall.exe" into the destination; a later installation
// into the same destination writes the same key again. It is not
// journalled: the journal keeps the lines of the changes the script asked
// for. The uninstaller removes it once the journal it named has gone, and
// only when its UninstallString names that journal.
//
// The key's name is the destination (the journal's directory) with every
// "\" made "_" ("Quorril C:_APPS_EXAMPLE"); one too long for a key name
// (more than 255 characters) is "Quorril " and a hash of the destination in
// capitals instead, which stays the same from run to run. Either way the
// name compares without regard to case, as the destination does.
//
// Values (all REG_SZ but EstimatedSize and the two flags, REG_DWORD):
//   DisplayName           the script's TITLE text, else the destination's
//                         folder name (the destination itself for a root)
//   UninstallString       "<Windows directory>\unstall.exe" "<journal>"
//   QuietUninstallString  "<Windows directory>\unstall.exe" /VERYSILENT "<journal>"
//   InstallLocation       the destination
//   DisplayIcon           "<icon file>,<index>" of the script's first WINITEM
//                         line, variables replaced and a relative file
//                         below the destination; only when it names an
//                         icon file (without ",<index>" when it gives no
//                         number); removed when a later installation has none
//   EstimatedSize         the kilobytes the installation wrote, rounded up
//   NoModify, NoRepair    1: the uninstaller cannot change or repair
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorril {

class FileSystem;
class Registry;

// The key that holds every program's entry, below HKEY_LOCAL_MACHINE.
inline constexpr char kUninstallKeysPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// What the entry is made from.
struct InstalledProgram {
  std::string journalPath;       // "<destination>\install.log"
  std::string windowsDirectory;  // where the engine leaves the uninstaller
  std::string title;             // the script's TITLE text; may be empty
  std::string iconFile;          // the first WINITEM's icon file, expanded; may be empty
  std::string iconIndex;         // its icon index as written; may be empty
  int64_t installedBytes = 0;
};

struct UninstallKeyValue {
  std::string name;
  uint32_t type;
  std::string data;  // the raw bytes, strings with their zero
};

// The key's path below HKEY_LOCAL_MACHINE for the journal at `journalPath`.
std::string UninstallKeyPath(const std::string& journalPath);

// The key's values, in the order above (DisplayIcon only when it has one).
std::vector<UninstallKeyValue> UninstallKeyValues(const InstalledProgram& program);

// The journal an uninstall command line names: its last argument between
// double quotes; empty when it has none.
std::string JournalOfUninstallCommand(const std::string& commandLine);

// Writes the key and its values, and removes a DisplayIcon that an earlier
// installation left and this one has none for. False when anything could
// not be written.
bool WriteUninstallKey(Registry& registry, const InstalledProgram& program);

enum class UninstallKeyRemoval {
  kRemoved,       // the key named this journal and is gone
  kAbsent,        // there is no key for this journal's destination
  kOtherJournal,  // the key there names another journal (or none): kept
  kFailed,        // the key could not be removed
};

// Removes the key of the journal at `journalPath`, only when its
// UninstallString names that journal (compared without regard to case).
UninstallKeyRemoval RemoveUninstallKey(Registry& registry, const std::string& journalPath);

}  // namespace quorril
