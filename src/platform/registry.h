// The registry port: keys and values of the Windows registry, reached by a
// predefined root key and a path below it.
//
// Contract, for every implementation (Win32 adapter, in-memory fake):
//  - A key is named by its root and a path of key names separated by "\"
//    ("Software\Vendor\App"), in the ANSI code page. Names compare without
//    regard to ASCII case and keep the spelling they were created with.
//    Empty names inside or at the end of a path count for nothing
//    ("A\\B\" is "A\B"); a path that begins with "\" is refused by every
//    call. The empty path is the root itself: it always exists, is never
//    reported as created and cannot be deleted.
//  - CreateKey() creates the key and every missing key above it, or opens
//    it when it is there; *created tells whether the key itself is new.
//    KeyExists() tells whether the key can be opened to read and write.
//  - DeleteKey() removes a key that has no subkeys, with its values (the
//    uninstaller deletes the deepest keys first). DeleteKey() and
//    DeleteValue() return true when the key or value is not there
//    afterwards, also when it never was; false when it stays.
//  - A value is named by its key and a value name; the empty name is the
//    key's unnamed (default) value, which is missing until it is set. A
//    value holds a type (the REG_ codes below) and raw bytes, read back
//    exactly as written; string types are written with their terminating
//    zero. SetValue() replaces a value of the same name whatever its type,
//    and fails on a key that does not exist (it creates no key).
//  - QueryValue() is false when the key or the value is missing, or cannot
//    be read.
//  - No call throws or shows anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorril {

// The predefined root keys.
enum class RegistryRootKey : int32_t {
  kClassesRoot,    // HKEY_CLASSES_ROOT
  kUsers,          // HKEY_USERS
  kLocalMachine,   // HKEY_LOCAL_MACHINE
  kCurrentUser,    // HKEY_CURRENT_USER
  kCurrentConfig,  // HKEY_CURRENT_CONFIG
  kDynData,        // HKEY_DYN_DATA
};

// The registry's value types (REG_NONE ... REG_FULL_RESOURCE_DESCRIPTOR).
enum : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegResourceList = 8,
  kRegFullResourceDescriptor = 9,
};

struct RegistryValue {
  uint32_t type = kRegNone;
  std::string data;  // the raw bytes
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Creates (or opens) the key; *created is true when the key itself did not exist. False when it cannot be
  // created; keys above it that were made on the way may stay.
  virtual bool CreateKey(RegistryRootKey root, const std::string& path, bool* created) = 0;
  virtual bool KeyExists(RegistryRootKey root, const std::string& path) = 0;
  // Removes a key without subkeys; true when it is gone afterwards (also when it was never there).
  virtual bool DeleteKey(RegistryRootKey root, const std::string& path) = 0;
  // The type and bytes of a value; false when the key or value is missing or cannot be read.
  virtual bool QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                          RegistryValue* value) = 0;
  // Writes a value of an existing key; false when it could not be written.
  virtual bool SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                        const std::string& data) = 0;
  // Removes a value; true when it is gone afterwards (also when it, or its key, was never there).
  virtual bool DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) = 0;
};

// The keys on the way to `path`, one per name, from the root down:
// "Software", "Software\Vendor", "Software\Vendor\App" for
// "Software\Vendor\App". Each is the path as written up to the end of that
// name; empty names add none. The empty path has none.
std::vector<std::string> RegistryKeysOnPath(const std::string& path);

}  // namespace quorril
