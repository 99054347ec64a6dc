// Registry blocks (see registry_block.h): the key actions, then one function
// per value action over the key the block works on.
#include "system/registry_block.h"

#include <algorithm>
#include <cstdint>

#include "model/variables.h"
#include "platform/little_endian.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace quorril {
namespace {

RegistryRootKey RootKeyOf(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      return RegistryRootKey::kClassesRoot;
    case RegistryRoot::kUsers:
      return RegistryRootKey::kUsers;
    case RegistryRoot::kLocalMachine:
      return RegistryRootKey::kLocalMachine;
    case RegistryRoot::kCurrentUser:
      return RegistryRootKey::kCurrentUser;
    case RegistryRoot::kCurrentConfig:
      return RegistryRootKey::kCurrentConfig;
    case RegistryRoot::kDynData:
      return RegistryRootKey::kDynData;
  }
  return RegistryRootKey::kLocalMachine;
}

std::string FourBytes(uint32_t number) {
  std::string bytes(4, '\0');
  WriteLe32(bytes, 0, number);
  return bytes;
}

// The key a block's value entries work on.
struct BlockKey {
  Registry& registry;
  RegistryRootKey root;
  const std::string& path;
};

// A value entry with its texts expanded: the value's name and, for RENAME,
// the new name ("" for the unnamed value), and the data.
struct ValueTexts {
  std::string name;
  std::string newName;
  std::string data;
};

ValueTexts ExpandedTexts(const ScriptVariables& variables, const RegistryValueEntry& entry) {
  ValueTexts texts;
  if (!entry.isDefault) texts.name = entry.name;
  if (entry.action == RegistryValueAction::kRename) {
    if (!entry.newIsDefault) texts.newName = entry.data;
  } else {
    texts.data = entry.data;
  }
  for (std::string* text : {&texts.name, &texts.newName, &texts.data})
    ExpandLeadingVariableAtEveryDollar(variables, text, RegistryBlock::kMaxStringData);
  return texts;
}

// The bytes that NEW and REPLACE write; false for the types never written.
bool WrittenBytes(const RegistryValueEntry& entry, const std::string& data, std::string* bytes) {
  switch (entry.type) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz:
      *bytes = data;
      bytes->push_back('\0');
      return true;
    case kRegBinary:
      bytes->assign(entry.bytes.begin(), entry.bytes.end());
      return true;
    case kRegDword:
    case kRegDwordBigEndian:
      *bytes = FourBytes(ParseCNumber(data));
      return true;
    default:
      return false;
  }
}

bool WriteValue(const BlockKey& key, const RegistryValueEntry& entry, const ValueTexts& texts) {
  std::string bytes;
  if (!WrittenBytes(entry, texts.data, &bytes)) return false;
  return key.registry.SetValue(key.root, key.path, texts.name, entry.type, bytes);
}

bool NewValue(const BlockKey& key, const RegistryValueEntry& entry, const ValueTexts& texts) {
  RegistryValue existing;
  if (key.registry.QueryValue(key.root, key.path, texts.name, &existing)) return true;
  return WriteValue(key, entry, texts);
}

bool ReplaceValue(const BlockKey& key, const RegistryValueEntry& entry, const ValueTexts& texts) {
  key.registry.DeleteValue(key.root, key.path, texts.name);
  return WriteValue(key, entry, texts);
}

bool RenameValue(const BlockKey& key, const ValueTexts& texts) {
  RegistryValue value;
  if (!key.registry.QueryValue(key.root, key.path, texts.name, &value)) return false;
  // Deleting "the new name" first would delete the value itself.
  if (EqualsNoCase(texts.name, texts.newName)) return true;
  key.registry.DeleteValue(key.root, key.path, texts.newName);
  if (!key.registry.SetValue(key.root, key.path, texts.newName, value.type, value.data)) return false;
  return key.registry.DeleteValue(key.root, key.path, texts.name);
}

bool ChangeNumber(const BlockKey& key, RegistryValueAction action, const ValueTexts& texts) {
  // A value that is not there yet is a REG_DWORD of 0.
  RegistryValue current{kRegDword, std::string(4, '\0')};
  RegistryValue found;
  if (key.registry.QueryValue(key.root, key.path, texts.name, &found)) {
    if (found.data.size() > 4) return false;
    current = found;
    current.data.resize(4, '\0');
  }
  const uint32_t number = ReadLe32(current.data, 0);
  const uint32_t given = ParseUnsigned(texts.data, current.type == kRegBinary ? 2 : 0);
  uint32_t result = number + given;
  if (action == RegistryValueAction::kMax) result = std::max(number, given);
  if (action == RegistryValueAction::kMin) result = std::min(number, given);
  return key.registry.SetValue(key.root, key.path, texts.name, current.type, FourBytes(result));
}

// Applies one value entry; false when it failed (nothing is shown).
bool ApplyValue(const BlockKey& key, const ScriptVariables& variables, const RegistryValueEntry& entry) {
  const ValueTexts texts = ExpandedTexts(variables, entry);
  switch (entry.action) {
    case RegistryValueAction::kNew:
      return NewValue(key, entry, texts);
    case RegistryValueAction::kReplace:
      return ReplaceValue(key, entry, texts);
    case RegistryValueAction::kDelete:
      return key.registry.DeleteValue(key.root, key.path, texts.name);
    case RegistryValueAction::kRename:
      return RenameValue(key, texts);
    case RegistryValueAction::kMax:
    case RegistryValueAction::kMin:
    case RegistryValueAction::kIncrement:
      return ChangeNumber(key, entry.action, texts);
  }
  return false;
}

void ApplyValues(const BlockKey& key, const ScriptVariables& variables, const RegistryBlock& block) {
  for (const RegistryValueEntry& entry : block.values) ApplyValue(key, variables, entry);
}

}  // namespace

std::vector<std::string> RunRegistryBlock(const ChangeContext& ctx, const RegistryBlock& block) {
  std::vector<std::string> created;
  const BlockKey key{ctx.registry, RootKeyOf(block.root), block.keyPath};
  switch (block.action) {
    case RegistryKeyAction::kNew:
      for (const std::string& path : RegistryKeysOnPath(block.keyPath)) {
        bool isNew = false;
        if (!ctx.registry.CreateKey(key.root, path, &isNew)) return created;
        if (isNew) created.push_back(path);
      }
      ApplyValues(key, ctx.script.variables, block);
      break;
    case RegistryKeyAction::kDelete:
      ctx.registry.DeleteKey(key.root, block.keyPath);
      break;
    case RegistryKeyAction::kQuery:
      if (ctx.registry.KeyExists(key.root, block.keyPath)) ApplyValues(key, ctx.script.variables, block);
      break;
    case RegistryKeyAction::kRename:
      break;
  }
  return created;
}

void RunRegistryPhase(const ChangeContext& ctx, const std::vector<RegistryBlock>& blocks) {
  for (const RegistryBlock& block : blocks) {
    std::vector<std::string> created = RunRegistryBlock(ctx, block);
    for (auto path = created.rbegin(); path != created.rend(); ++path)
      AppendJournal(ctx.files, ctx.journal, "REGKEY: " + JournalField(block.rootName) + ", " + JournalField(*path));
  }
}

}  // namespace quorril
