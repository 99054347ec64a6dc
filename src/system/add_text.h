// ADDTEXT: one line inserted into, appended to, put in front of, or put in
// place of a line of a text file.
//
// The line argument is a line number (negative numbers count from the
// end: -1 appends, and with REPLACE replaces the last line) or, when it is
// no number or 0, a text to look for: a whole line in any case, or with a
// final "*" the beginning of a line. The text is inserted after the line
// found, or with REPLACE put in its place; a REPLACE text ending in "*" is
// put in front of the line found instead. A text that is already a whole
// line of the file (any case) is not added again unless REPLACE is given.
//
// The new file is written whole beside the old one ("~Zemko.tmp") and then
// takes its place in one step. Journal lines, once the new file stands:
//   FILE: "<file>"                          the file did not exist and was made
//   ADDTEXT: "<old line>", <file>, "<new line>"   a line replaced or prefixed
//   ADDTEXT: "", <file>, "<text>"                 a line inserted or appended
#pragma once

#include <string>

#include "model/script_model.h"
#include "system/change_context.h"

namespace quorril {

inline constexpr const char kAddTextTemporaryName[] = "~Zemko.tmp";

// Carries out one ADDTEXT record. The destination directory becomes the
// current directory, so that a file named without a path lies there.
void ApplyAddText(const ChangeContext& ctx, const AddTextRecord& record);

}  // namespace quorril
