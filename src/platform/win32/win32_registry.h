// Win32Registry: the registry port over ADVAPI32's registry calls.
//
// Every call opens the key it works on and closes it before it returns:
// RegCreateKeyExA (non-volatile, KEY_READ | KEY_WRITE, REG_CREATED_NEW_KEY
// read from the disposition), RegOpenKeyExA (KEY_READ | KEY_WRITE to tell
// whether a key can be opened for changes, KEY_READ to read a value,
// KEY_SET_VALUE to change one), RegDeleteKeyA, RegQueryValueExA into a
// buffer that grows until the value fits, RegSetValueExA and
// RegDeleteValueA. A missing key or value (ERROR_FILE_NOT_FOUND) counts as
// gone for the deletions. Wine reports the root itself (the empty path) as
// a key created anew; the adapter never does. Names and paths holding a
// zero byte are refused. The class holds no state.
#pragma once

#include <string>

#include "platform/registry.h"

namespace quorril {

class Win32Registry : public Registry {
 public:
  bool CreateKey(RegistryRootKey root, const std::string& path, bool* created) override;
  bool KeyExists(RegistryRootKey root, const std::string& path) override;
  bool DeleteKey(RegistryRootKey root, const std::string& path) override;
  bool QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                  RegistryValue* value) override;
  bool SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                const std::string& data) override;
  bool DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) override;
};

}  // namespace quorril
