// The installation's entry among the installed programs (see uninstall_key.h).
#include "system/uninstall_key.h"

#include "platform/little_endian.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {

namespace {

constexpr char kKeyPrefix[] = "Quorril ";
constexpr size_t kMaxKeyName = 255;

UninstallKeyValue Text(const char* name, const std::string& text) {
  return UninstallKeyValue{name, kRegSz, text + '\0'};
}

UninstallKeyValue Number(const char* name, uint32_t number) {
  std::string bytes(4, '\0');
  WriteLe32(bytes, 0, number);
  return UninstallKeyValue{name, kRegDword, bytes};
}

// An icon index the system can read: an optional minus and digits.
bool IsIconIndex(const std::string& text) {
  size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
  if (digits == text.size()) return false;
  for (size_t i = digits; i < text.size(); ++i)
    if (!IsAsciiDigit(text[i])) return false;
  return true;
}

std::string UninstallerPath(const std::string& windowsDirectory) {
  return "\"" + JoinPath(windowsDirectory, "unstall.exe") + "\"";
}

}  // namespace

std::string UninstallKeyPath(const std::string& journalPath) {
  std::string destination = CutAtLastBackslash(journalPath);
  std::string name = kKeyPrefix;
  for (char c : destination) name += c == '\\' ? '_' : c;
  if (name.size() > kMaxKeyName) name = kKeyPrefix + StableHash(AsciiUpperCopy(destination));
  return std::string(kUninstallKeysPath) + "\\" + name;
}

std::vector<UninstallKeyValue> UninstallKeyValues(const InstalledProgram& program) {
  std::string destination = CutAtLastBackslash(program.journalPath);
  std::string displayName = program.title;
  if (displayName.empty()) displayName = FileName(destination);
  if (displayName.empty()) displayName = destination;
  std::string uninstaller = UninstallerPath(program.windowsDirectory);
  std::string journal = "\"" + program.journalPath + "\"";
  int64_t kilobytes = program.installedBytes <= 0 ? 0 : (program.installedBytes + 1023) / 1024;

  std::vector<UninstallKeyValue> values = {
      Text("DisplayName", displayName),
      Text("UninstallString", uninstaller + " " + journal),
      Text("QuietUninstallString", uninstaller + " /VERYSILENT " + journal),
      Text("InstallLocation", destination),
  };
  if (!program.iconFile.empty())
    values.push_back(Text("DisplayIcon", IsIconIndex(program.iconIndex) ? program.iconFile + "," + program.iconIndex
                                                                        : program.iconFile));
  values.push_back(Number("EstimatedSize", kilobytes > UINT32_MAX ? UINT32_MAX : uint32_t(kilobytes)));
  values.push_back(Number("NoModify", 1));
  values.push_back(Number("NoRepair", 1));
  return values;
}

std::string JournalOfUninstallCommand(const std::string& commandLine) {
  size_t close = commandLine.rfind('"');
  if (close == std::string::npos || close == 0) return std::string();
  size_t open = commandLine.rfind('"', close - 1);
  if (open == std::string::npos) return std::string();
  return commandLine.substr(open + 1, close - open - 1);
}

bool WriteUninstallKey(Registry& registry, const InstalledProgram& program) {
  const RegistryRootKey root = RegistryRootKey::kLocalMachine;
  std::string path = UninstallKeyPath(program.journalPath);
  bool created = false;
  if (!registry.CreateKey(root, path, &created)) return false;
  bool written = true;
  for (const UninstallKeyValue& value : UninstallKeyValues(program))
    written = registry.SetValue(root, path, value.name, value.type, value.data) && written;
  if (program.iconFile.empty()) written = registry.DeleteValue(root, path, "DisplayIcon") && written;
  return written;
}

UninstallKeyRemoval RemoveUninstallKey(Registry& registry, const std::string& journalPath) {
  const RegistryRootKey root = RegistryRootKey::kLocalMachine;
  std::string path = UninstallKeyPath(journalPath);
  if (!registry.KeyExists(root, path)) return UninstallKeyRemoval::kAbsent;
  RegistryValue command;
  if (!registry.QueryValue(root, path, "UninstallString", &command) || command.type != kRegSz)
    return UninstallKeyRemoval::kOtherJournal;
  std::string text = command.data.substr(0, command.data.find('\0'));
  if (!EqualsNoCase(JournalOfUninstallCommand(text), journalPath)) return UninstallKeyRemoval::kOtherJournal;
  return registry.DeleteKey(root, path) ? UninstallKeyRemoval::kRemoved : UninstallKeyRemoval::kFailed;
}

}  // namespace quorril
