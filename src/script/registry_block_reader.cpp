// The registry block reader (see registry_block_reader.h for the syntax).
#include "script/registry_block_reader.h"

#include <string>

#include "platform/registry.h"
#include "platform/text.h"

namespace quorril {

namespace {

struct NamedCode {
  const char* name;
  int32_t code;
};

constexpr NamedCode kRoots[] = {
    {"HKEY_CLASSES_ROOT", int32_t(RegistryRoot::kClassesRoot)},
    {"HKEY_USERS", int32_t(RegistryRoot::kUsers)},
    {"HKEY_LOCAL_MACHINE", int32_t(RegistryRoot::kLocalMachine)},
    {"HKEY_CURRENT_USER", int32_t(RegistryRoot::kCurrentUser)},
    {"HKEY_CURRENT_CONFIG", int32_t(RegistryRoot::kCurrentConfig)},
    {"HKEY_DYN_DATA", int32_t(RegistryRoot::kDynData)},
};

constexpr NamedCode kKeyActions[] = {
    {"NEW", int32_t(RegistryKeyAction::kNew)},
    {"DELETE", int32_t(RegistryKeyAction::kDelete)},
    {"RENAME", int32_t(RegistryKeyAction::kRename)},
    {"QUERY", int32_t(RegistryKeyAction::kQuery)},
};

constexpr NamedCode kValueTypes[] = {
    {"STRING", 1},        {"REG_SZ", 1},          {"REG_EXPAND_SZ", 2},
    {"BINARY", 3},        {"REG_BINARY", 3},      {"DWORD", 4},
    {"REG_DWORD", 4},     {"REG_DWORD_BIG_ENDIAN", 5}, {"REG_LINK", 6},
    {"REG_MULTI_SZ", 7},  {"REG_RESOURCE_LIST", 8}, {"REG_FULL_RESOURCE_DESCRIPTOR", 9},
};

constexpr NamedCode kValueActions[] = {
    {"NEW", int32_t(RegistryValueAction::kNew)},         {"DELETE", int32_t(RegistryValueAction::kDelete)},
    {"RENAME", int32_t(RegistryValueAction::kRename)},   {"REPLACE", int32_t(RegistryValueAction::kReplace)},
    {"MAX", int32_t(RegistryValueAction::kMax)},         {"MIN", int32_t(RegistryValueAction::kMin)},
    {"INCREMENT", int32_t(RegistryValueAction::kIncrement)},
};

template <size_t N>
bool Lookup(const NamedCode (&table)[N], std::string_view name, int32_t* code) {
  for (const NamedCode& entry : table) {
    if (EqualsNoCase(name, entry.name)) {
      *code = entry.code;
      return true;
    }
  }
  return false;
}

bool IsDefaultName(std::string_view name) { return EqualsNoCase(name, "DEFAULT"); }

}  // namespace

bool FindRegistryRoot(std::string_view name, RegistryRoot* root) {
  int32_t code = 0;
  if (!Lookup(kRoots, name, &code)) return false;
  *root = RegistryRoot(code);
  return true;
}

bool ConvertBinaryDigits(std::string_view digits, std::vector<uint8_t>* bytes) {
  bytes->clear();
  for (size_t start = 0; start < digits.size(); start += 8) {
    uint32_t byte = 0;
    for (size_t i = start; i < digits.size() && i < start + 8; ++i) {
      if (digits[i] != '0' && digits[i] != '1') return false;
      byte = byte << 1 | uint32_t(digits[i] - '0');
    }
    bytes->push_back(uint8_t(byte));
  }
  return true;
}

RegistryReadStatus ParseRegistryKeyLine(ScriptTokenizer& t, RegistryBlock* block) {
  int32_t action = 0;
  if (!Lookup(kKeyActions, t.ReadWord(), &action)) return RegistryReadStatus::kBadKeyAction;
  std::string key;
  if (t.ReadRequiredQuoted(&key) < 0) return RegistryReadStatus::kBadKeyText;
  size_t backslash = key.find('\\');
  if (backslash == std::string::npos) return RegistryReadStatus::kBadKeyText;
  RegistryRoot root;
  if (!FindRegistryRoot(std::string_view(key).substr(0, backslash), &root)) return RegistryReadStatus::kBadKeyText;
  block->action = RegistryKeyAction(action);
  block->root = root;
  block->rootName = key.substr(0, backslash);
  block->keyPath = key.substr(backslash + 1);
  if (RegistryKeysOnPath(block->keyPath).size() > RegistryBlock::kMaxCreatedKeys)
    return RegistryReadStatus::kTooManyKeyLevels;
  if (block->action == RegistryKeyAction::kRename) {
    if (t.ReadRequiredQuoted(&block->newKeyName) <= 0) return RegistryReadStatus::kMissingNewKeyName;
  }
  return RegistryReadStatus::kOk;
}

RegistryReadStatus ParseRegistryValueLine(ScriptTokenizer& t, RegistryValueEntry* value) {
  int32_t type = 0, action = 0;
  if (!Lookup(kValueTypes, t.ReadWord(), &type)) return RegistryReadStatus::kBadValueType;
  if (!Lookup(kValueActions, t.ReadWord(), &action)) return RegistryReadStatus::kBadValueAction;
  value->type = uint32_t(type);
  value->action = RegistryValueAction(action);
  if (t.AtEnd() || t.ReadRequiredQuoted(&value->name) < 0) return RegistryReadStatus::kMissingValueName;
  value->isDefault = IsDefaultName(value->name);
  if (value->action == RegistryValueAction::kDelete) return RegistryReadStatus::kOk;
  if (t.AtEnd() || t.ReadRequiredQuoted(&value->data) < 0) return RegistryReadStatus::kMissingValueData;
  if (value->data.size() > RegistryBlock::kMaxStringData) value->data.resize(RegistryBlock::kMaxStringData);
  if (value->action == RegistryValueAction::kRename) {
    value->newIsDefault = IsDefaultName(value->data);
  } else if (value->type == 3 &&
             (value->action == RegistryValueAction::kNew || value->action == RegistryValueAction::kReplace)) {
    if (!ConvertBinaryDigits(value->data, &value->bytes)) return RegistryReadStatus::kBadBinaryData;
  }
  return RegistryReadStatus::kOk;
}

RegistryReadStatus ReadRegistryBlock(LineSource& source, ScriptTokenizer& t, std::vector<RegistryBlock>* blocks) {
  RegistryBlock block;
  bool haveKey = false;
  std::string line;
  int32_t lineNumber = 0;
  for (;;) {
    if (!source.ReadLine(&line, &lineNumber)) {
      t.Reset("");
      return RegistryReadStatus::kEndOfScript;
    }
    t.Reset(line);
    std::string keyword = t.ReadKeyword();
    if (keyword.empty() || EqualsNoCase(keyword, "REM")) continue;
    if (EqualsNoCase(keyword, "ENDREGISTRY")) {
      if (haveKey) blocks->push_back(std::move(block));
      return RegistryReadStatus::kOk;
    }
    RegistryReadStatus status;
    if (EqualsNoCase(keyword, "KEY")) {
      if (haveKey) return RegistryReadStatus::kSecondKey;
      status = ParseRegistryKeyLine(t, &block);
      haveKey = true;
    } else if (EqualsNoCase(keyword, "VALUE")) {
      if (!haveKey) return RegistryReadStatus::kValueBeforeKey;
      if (block.values.size() >= RegistryBlock::kMaxValues) return RegistryReadStatus::kTooManyValues;
      block.values.emplace_back();
      status = ParseRegistryValueLine(t, &block.values.back());
    } else {
      return RegistryReadStatus::kUnknownLine;
    }
    if (status != RegistryReadStatus::kOk) return status;
  }
}

}  // namespace quorril
