// Fuzz target: an install journal read back and undone by the uninstaller
// on the in-memory machine. Whatever the journal says, the drive's root
// and the Windows and system directories stay, and every line gets one
// record.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/memory/memory_file_system.h"
#include "platform/memory/memory_machine.h"
#include "platform/memory/memory_profile.h"
#include "uninstall/journal_reader.h"
#include "uninstall/undo.h"

using namespace quorril;

namespace {

class Services : public UndoServices {
 public:
  bool AskDeleteSharedFile(const std::string&) override { return true; }
  UndoResult UnregisterComponent(const std::string&, std::string*) override { return UndoResult::kUndone; }
  UndoResult DeleteRegistryKey(const std::string&, const std::string&, std::string*) override {
    return UndoResult::kUndone;
  }
  UndoResult DeleteProgramItem(const std::string&, const std::string&, std::string*) override {
    return UndoResult::kUndone;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string journal(reinterpret_cast<const char*>(data), size);
  MemoryFileSystem files;
  MemoryMachine machine;
  MemoryProfile profile(files, machine);
  Services services;
  files.AddDirectory("C:\\WINDOWS\\SYSTEM");
  files.AddDirectory("C:\\APP\\SUB");
  files.AddFile("C:\\APP\\A.TXT", "one\r\ntwo\r\n");
  files.AddFile("C:\\APP\\SUB\\B.DLL", "b");
  files.AddFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=a.exe b.exe\r\n");
  files.AddFile("C:\\AUTOEXEC.BAT", "PATH C:\\APP;C:\\DOS\r\nwin\r\n");
  files.AddFile("C:\\APP\\install.log", journal);
  std::vector<JournalEntry> entries = ParseJournal(journal);
  UndoContext ctx{files, machine, profile, services, "C:\\APP\\install.log"};
  std::vector<UndoRecord> records = UndoJournal(ctx, entries);
  size_t lines = 0;
  for (const JournalEntry& e : entries) lines += e.kind != JournalKind::kEmpty;
  if (records.size() < lines || records.size() > lines + 1) abort();
  if (!files.Exists("C:\\WINDOWS\\SYSTEM") || !files.Exists("C:\\WINDOWS")) abort();
  return 0;
}
