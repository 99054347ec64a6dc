// Fuzz target: the UninstallString of an installation's entry among the
// installed programs, which anyone with the rights may have edited, read
// back by the uninstaller. Whatever it holds, the entry goes only when the
// command names the journal being undone, and the entry beside it stays.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/memory/memory_registry.h"
#include "platform/text.h"
#include "system/uninstall_key.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const RegistryRootKey root = RegistryRootKey::kLocalMachine;
  const std::string journal = "C:\\APP\\install.log";
  std::string bytes(reinterpret_cast<const char*>(data), size);
  MemoryRegistry registry;
  bool created = false;
  std::string key = UninstallKeyPath(journal);
  std::string neighbour = UninstallKeyPath("C:\\APP2\\install.log");
  if (!registry.CreateKey(root, key, &created) || !registry.CreateKey(root, neighbour, &created)) abort();
  registry.SetValue(root, key, "UninstallString", kRegSz, bytes);
  registry.SetValue(root, neighbour, "UninstallString", kRegSz, bytes);

  std::string command = bytes.substr(0, bytes.find('\0'));
  std::string named = JournalOfUninstallCommand(command);
  if (named.size() > command.size()) abort();
  bool names = EqualsNoCase(named, journal);
  UninstallKeyRemoval removal = RemoveUninstallKey(registry, journal);
  if ((removal == UninstallKeyRemoval::kRemoved) != names) abort();
  if (registry.KeyExists(root, key) == names) abort();
  if (!registry.KeyExists(root, neighbour)) abort();
  return 0;
}
