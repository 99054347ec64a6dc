// What the publisher's check warns of in a script's bytes: things the
// engine reads without a syntax error but not as the publisher meant. The
// engine's reading does not change; this only looks at the same bytes.
//
//   - UTF-16 text: the engine reads bytes, finds no keyword, no title and
//     no files;
//   - a NUL byte, which ends the line for the engine;
//   - a quote opened and not closed on a line outside a text block;
//   - a block (BEGINGROUP, POPMESSAGE, EXITMESSAGE, BEGINFIRSTSCREEN,
//     BEGINLASTSCREEN, BEGINREGISTRY) without its end line: the engine
//     takes the rest of the script into it;
//   - a line longer than the engine's 998 characters: the rest is read as
//     a line of its own (as a keyword, outside a text block).
//
// Line numbers: the engine counts each 998-character piece of a long line
// as a line; ScriptLines maps its count back to the file's real lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorril {

struct ScriptWarning {
  int32_t line = 0;        // the file's real line, from 1
  int32_t engineLine = 0;  // the same line as the engine counts it
  std::string text;
};

class ScriptLines {
 public:
  explicit ScriptLines(std::string_view bytes);
  // The real line of the engine's line `engineLine` (beyond the end: the
  // last line, or the count given when the file is empty).
  int32_t RealLine(int32_t engineLine) const;
  // The engine's count of the first piece of real line `line`.
  int32_t EngineLine(int32_t line) const;

 private:
  std::vector<int32_t> firstPiece_;  // per real line, the engine's number of its first piece
};

std::vector<ScriptWarning> ScanScript(std::string_view bytes);

}  // namespace quorril
