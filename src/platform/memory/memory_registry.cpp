// The in-memory registry: keys and values in maps keyed by their upper-case
// names, each entry keeping the name as it was first spelt.
#include "platform/memory/memory_registry.h"

#include <vector>

#include "platform/text.h"

namespace quorril {

struct MemoryRegistry::Key {
  std::string name;
  std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-case name
  struct Value {
    std::string name;
    RegistryValue value;
  };
  std::map<std::string, Value> values;  // by upper-case name
};

namespace {

// The names of a path, without the empty ones; false for a path that begins with "\".
bool SplitPath(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  if (!path.empty() && path[0] == '\\') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) names->push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (auto& root : roots_) root = std::make_unique<Key>();
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::FailCall(int64_t n, Persistence persistence) {
  calls_ = 0;
  failures_ = 0;
  failAt_ = n;
  persistence_ = persistence;
}

bool MemoryRegistry::Fault() {
  ++calls_;
  if (failAt_ <= 0) return false;
  bool fail = persistence_ == Persistence::kOnce ? calls_ == failAt_ : calls_ >= failAt_;
  if (fail) ++failures_;
  return fail;
}

MemoryRegistry::Key* MemoryRegistry::Find(RegistryRootKey root, const std::string& path) {
  std::vector<std::string> names;
  if (!SplitPath(path, &names)) return nullptr;
  Key* key = roots_[size_t(root)].get();
  for (const std::string& name : names) {
    auto found = key->subkeys.find(AsciiUpperCopy(name));
    if (found == key->subkeys.end()) return nullptr;
    key = found->second.get();
  }
  return key;
}

bool MemoryRegistry::CreateKey(RegistryRootKey root, const std::string& path, bool* created) {
  *created = false;
  if (Fault()) return false;
  std::vector<std::string> names;
  if (!SplitPath(path, &names)) return false;
  Key* key = roots_[size_t(root)].get();
  for (const std::string& name : names) {
    std::unique_ptr<Key>& slot = key->subkeys[AsciiUpperCopy(name)];
    *created = !slot;
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = name;
    }
    key = slot.get();
  }
  return true;
}

bool MemoryRegistry::KeyExists(RegistryRootKey root, const std::string& path) {
  if (Fault()) return false;
  return Find(root, path) != nullptr;
}

bool MemoryRegistry::DeleteKey(RegistryRootKey root, const std::string& path) {
  if (Fault()) return false;
  std::vector<std::string> names;
  if (!SplitPath(path, &names) || names.empty()) return false;  // a refused path; a root stays
  std::string last = names.back();
  names.pop_back();
  Key* parent = roots_[size_t(root)].get();
  for (const std::string& name : names) {
    auto found = parent->subkeys.find(AsciiUpperCopy(name));
    if (found == parent->subkeys.end()) return true;
    parent = found->second.get();
  }
  auto found = parent->subkeys.find(AsciiUpperCopy(last));
  if (found == parent->subkeys.end()) return true;
  if (!found->second->subkeys.empty()) return false;
  parent->subkeys.erase(found);
  return true;
}

bool MemoryRegistry::QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                                RegistryValue* value) {
  if (Fault()) return false;
  Key* key = Find(root, path);
  if (!key) return false;
  auto found = key->values.find(AsciiUpperCopy(name));
  if (found == key->values.end()) return false;
  *value = found->second.value;
  return true;
}

bool MemoryRegistry::SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                              const std::string& data) {
  if (Fault()) return false;
  Key* key = Find(root, path);
  if (!key) return false;
  auto inserted = key->values.emplace(AsciiUpperCopy(name), Key::Value{name, {}});
  inserted.first->second.value = RegistryValue{type, data};
  return true;
}

bool MemoryRegistry::DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) {
  if (Fault()) return false;
  std::vector<std::string> names;
  if (!SplitPath(path, &names)) return false;
  Key* key = Find(root, path);
  if (key) key->values.erase(AsciiUpperCopy(name));
  return true;
}

int32_t MemoryRegistry::SubkeyCount(RegistryRootKey root, const std::string& path) {
  Key* key = Find(root, path);
  return key ? int32_t(key->subkeys.size()) : -1;
}

int32_t MemoryRegistry::ValueCount(RegistryRootKey root, const std::string& path) {
  Key* key = Find(root, path);
  return key ? int32_t(key->values.size()) : -1;
}

}  // namespace quorril
