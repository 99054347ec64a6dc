// Registry blocks (BEGINREGISTRY ... ENDREGISTRY): one key of the registry
// created, deleted or looked up, and its values changed, through the
// registry port. The blocks run in script order in the final phase of an
// installation that went through.
//
// By the block's key action:
//   NEW      the keys on the way to the path are created one by one
//            ("Software", "Software\Vendor", ...), and each one that did not
//            exist is recorded; a key that cannot be created ends the block.
//            Then the value entries are applied to the last key, in order.
//   DELETE   the key is deleted when it has no subkeys; no value entry is
//            applied.
//   QUERY    the value entries are applied when the key exists; otherwise
//            nothing is done.
//   RENAME   nothing is done.
//
// A value entry first has the variables of its name, new name and data
// replaced at every "$" (ExpandLeadingVariableAtEveryDollar), then:
//   NEW        writes the value, unless one of that name exists (any type)
//   REPLACE    deletes the value, then writes it
//   DELETE     deletes the value
//   RENAME     writes the type and data of the value under the new name
//              (replacing a value of that name), then deletes the old one;
//              a value that is missing is not renamed, and a new name that
//              is the old one in any case leaves the value as it is
//   MAX, MIN   the larger, the smaller of the current number and the given
//              one (unsigned)
//   INCREMENT  the current number plus the given one (modulo 2^32)
// Values are written as: REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ the text
// with its terminating zero; BINARY its converted bytes; DWORD and
// DWORD_BIG_ENDIAN the data as a number in C notation, in four bytes, least
// significant first (for both). REG_LINK, REG_RESOURCE_LIST and
// REG_FULL_RESOURCE_DESCRIPTOR are never written: NEW leaves them out,
// REPLACE fails after its deletion.
// MAX, MIN and INCREMENT take the current value (up to four bytes, least
// significant first) with its type, read the given number in C notation (in
// base 2 when the current value is REG_BINARY), and write the result in four
// bytes with the current value's type. A value that does not exist counts
// as the number 0 of type REG_DWORD; a value of more than four bytes is no
// number and is left alone.
// A value entry that fails does not stop the others; registry failures are
// not shown.
//
// Journal lines, written by the registry phase after each block:
//   REGKEY: "<root>", "<path>"    a key the block created, deepest first
// The root is named as the script wrote it, the path as far as that key.
#pragma once

#include <string>
#include <vector>

#include "model/script_model.h"
#include "system/change_context.h"

namespace quorril {

// Carries out one block; the keys it created (paths below the root), in the
// order of their creation.
std::vector<std::string> RunRegistryBlock(const ChangeContext& ctx, const RegistryBlock& block);

// The registry phase: every block in order, each followed by the REGKEY
// lines of the keys it created.
void RunRegistryPhase(const ChangeContext& ctx, const std::vector<RegistryBlock>& blocks);

}  // namespace quorril
