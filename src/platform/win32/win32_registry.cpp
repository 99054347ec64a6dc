// The registry port over the ...A registry calls: the root handles, a key
// opened for one call, then the methods in the order of the port header.
#include "platform/win32/win32_registry.h"

#include "platform/win32/handles.h"
#include "platform/win32/system_text.h"

namespace quorril {
namespace {

// A value is first read into a buffer of this size; a larger value is read
// again into a buffer of the size the call asks for.
constexpr DWORD kFirstValueSize = 256;

HKEY RootHandle(RegistryRootKey root) {
  switch (root) {
    case RegistryRootKey::kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRootKey::kUsers:
      return HKEY_USERS;
    case RegistryRootKey::kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRootKey::kCurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRootKey::kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case RegistryRootKey::kDynData:
      return HKEY_DYN_DATA;
  }
  return nullptr;
}

// Opens a key with the given access; the system's error when it cannot.
LONG OpenKey(RegistryRootKey root, const std::string& path, REGSAM access, win32::UniqueKey* key) {
  if (win32::HasNul(path)) return ERROR_INVALID_PARAMETER;
  return RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, key->Receive());
}

}  // namespace

bool Win32Registry::CreateKey(RegistryRootKey root, const std::string& path, bool* created) {
  *created = false;
  if (win32::HasNul(path)) return false;
  win32::UniqueKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, key.Receive(), &disposition) != ERROR_SUCCESS)
    return false;
  *created = !path.empty() && disposition == REG_CREATED_NEW_KEY;
  return true;
}

bool Win32Registry::KeyExists(RegistryRootKey root, const std::string& path) {
  win32::UniqueKey key;
  return OpenKey(root, path, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(RegistryRootKey root, const std::string& path) {
  if (win32::HasNul(path) || path.empty()) return false;
  LONG status = RegDeleteKeyA(RootHandle(root), path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool Win32Registry::QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                               RegistryValue* value) {
  if (win32::HasNul(name)) return false;
  win32::UniqueKey key;
  if (OpenKey(root, path, KEY_READ, &key) != ERROR_SUCCESS) return false;
  std::string data(kFirstValueSize, '\0');
  // The value may grow between two calls; a few rounds are enough.
  for (int round = 0; round < 4; ++round) {
    DWORD type = 0;
    DWORD size = DWORD(data.size());
    LONG status = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      value->type = type;
      value->data = std::move(data);
      return true;
    }
    if (status != ERROR_MORE_DATA) return false;
    data.assign(size_t(size) + 1, '\0');
  }
  return false;
}

bool Win32Registry::SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                             const std::string& data) {
  if (win32::HasNul(name)) return false;
  win32::UniqueKey key;
  if (OpenKey(root, path, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  return RegSetValueExA(key.Get(), name.c_str(), 0, DWORD(type), reinterpret_cast<const BYTE*>(data.data()),
                        DWORD(data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) {
  if (win32::HasNul(name)) return false;
  win32::UniqueKey key;
  LONG status = OpenKey(root, path, KEY_SET_VALUE, &key);
  if (status == ERROR_SUCCESS) status = RegDeleteValueA(key.Get(), name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace quorril
