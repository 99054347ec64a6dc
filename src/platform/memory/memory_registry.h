// MemoryRegistry: an in-memory fake of the registry port, a tree of keys
// below each of the six roots, each key with its named values. It behaves
// as the registry does under Wine (tests/contract/registry_contract_test.cpp
// holds both to the same cases): names compare without regard to ASCII
// case and keep their first spelling, empty names in a path are skipped, a
// path that begins with "\" is refused, and a key with subkeys is not
// deleted.
//
// Fault injection: FailCall(n, persistence) makes the n-th call of the port
// from now fail, once or from then on; a failing call changes nothing and
// returns what the contract gives for a failure (false; no key created).
// Running a step with the fault at call 1, 2, 3 ... until it succeeds shows
// that every failure path ends cleanly.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace quorril {

class MemoryRegistry : public Registry {
 public:
  enum class Persistence { kOnce, kFromThenOn };

  MemoryRegistry();
  ~MemoryRegistry() override;

  void FailCall(int64_t n, Persistence persistence = Persistence::kOnce);
  void StopFailing() { failAt_ = 0; }
  // Calls of the port since the last FailCall (or since creation).
  int64_t Calls() const { return calls_; }
  bool Failed() const { return failures_ > 0; }

  bool CreateKey(RegistryRootKey root, const std::string& path, bool* created) override;
  bool KeyExists(RegistryRootKey root, const std::string& path) override;
  bool DeleteKey(RegistryRootKey root, const std::string& path) override;
  bool QueryValue(RegistryRootKey root, const std::string& path, const std::string& name,
                  RegistryValue* value) override;
  bool SetValue(RegistryRootKey root, const std::string& path, const std::string& name, uint32_t type,
                const std::string& data) override;
  bool DeleteValue(RegistryRootKey root, const std::string& path, const std::string& name) override;

  // The number of subkeys and of values of a key (-1 when it is missing), for tests.
  int32_t SubkeyCount(RegistryRootKey root, const std::string& path);
  int32_t ValueCount(RegistryRootKey root, const std::string& path);

 private:
  struct Key;

  // Counts a call; true when it is to fail.
  bool Fault();
  // The key of a path, or null when it (or a key above it) is missing or
  // the path is refused.
  Key* Find(RegistryRootKey root, const std::string& path);

  std::array<std::unique_ptr<Key>, 6> roots_;
  int64_t calls_ = 0;
  int64_t failAt_ = 0;
  Persistence persistence_ = Persistence::kOnce;
  int64_t failures_ = 0;
};

}  // namespace quorril
