// The registry block reader: the KEY and VALUE lines between BEGINREGISTRY
// and ENDREGISTRY.
//
// Block syntax, one item per line; each line's first word is read as a
// keyword (letters, then letters and digits; blanks, commas and colons
// after it are skipped):
//
//   KEY <action> "<root>\<path>" ["<new key name>"]
//       action NEW, DELETE, RENAME or QUERY; the new name only for RENAME
//   VALUE <type> <action> "<name>" ["<data>"]
//       type STRING/REG_SZ, REG_EXPAND_SZ, BINARY/REG_BINARY, DWORD/REG_DWORD,
//       REG_DWORD_BIG_ENDIAN, REG_LINK, REG_MULTI_SZ, REG_RESOURCE_LIST,
//       REG_FULL_RESOURCE_DESCRIPTOR (codes 1 to 9);
//       action NEW, DELETE, RENAME, REPLACE, MAX, MIN, INCREMENT; the data
//       is absent for DELETE and is the new name for RENAME; the name
//       "DEFAULT" (any case) is the key's unnamed value
//   REM ..., blank lines and lines whose first character is no letter
//   ENDREGISTRY
//
// A block has exactly one KEY line, before its VALUE lines, and at most 50
// VALUE lines; its key path has at most 50 names (the keys a KEY NEW line
// may create). A block without any KEY line adds nothing.
//
// Format notes: BINARY data is a string of binary digits, eight to a byte,
// most significant bit first; a shorter last group is converted as it
// stands ("0100000101000010" is 0x41 0x42, "101" is 0x05). It is converted
// when the line is read for the actions that write it (NEW, REPLACE). Names
// and data must be quoted strings.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/script_model.h"
#include "script/line_source.h"
#include "script/tokenizer.h"

namespace quorril {

// Results of the reader; every one but kOk is a syntax error of the line in
// the tokenizer (kEndOfScript: of the end of the script).
enum class RegistryReadStatus : int32_t {
  kOk = 0,
  kEndOfScript,        // the script, or the stored block, ended before ENDREGISTRY
  kUnknownLine,        // a keyword other than KEY, VALUE, REM and ENDREGISTRY
  kSecondKey,          // a second KEY line
  kValueBeforeKey,     // a VALUE line before the KEY line
  kBadKeyAction,       // not NEW, DELETE, RENAME, QUERY
  kBadKeyText,         // not quoted, no "\" or an unknown root name
  kTooManyKeyLevels,   // a key path of more than 50 names
  kMissingNewKeyName,  // RENAME without the new key name
  kBadValueType,
  kBadValueAction,
  kMissingValueName,   // nothing left, or no quoted name
  kMissingValueData,   // nothing left, or no quoted data
  kBadBinaryData,      // a character other than 0 and 1 in BINARY data
  kTooManyValues,      // a 51st VALUE line
};

// Reads lines from `source` into `tokenizer` up to ENDREGISTRY and appends
// the block (when it has a KEY line) to `blocks`.
RegistryReadStatus ReadRegistryBlock(LineSource& source, ScriptTokenizer& tokenizer,
                                     std::vector<RegistryBlock>* blocks);

// The parts of one line, with the tokenizer just after KEY or VALUE.
RegistryReadStatus ParseRegistryKeyLine(ScriptTokenizer& tokenizer, RegistryBlock* block);
RegistryReadStatus ParseRegistryValueLine(ScriptTokenizer& tokenizer, RegistryValueEntry* value);

// The root key of a root name (any case, no abbreviations).
bool FindRegistryRoot(std::string_view name, RegistryRoot* root);
// BINARY data to bytes; false when a character is not a binary digit.
bool ConvertBinaryDigits(std::string_view digits, std::vector<uint8_t>* bytes);

}  // namespace quorril
