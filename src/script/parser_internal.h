// Internals shared by the parser's source files (parser.cpp, the keyword
// handlers in parser_keywords.cpp, the screen blocks in parser_blocks.cpp).
//
// One pass reads the lines of one ParserLineSource (the script file in the
// first pass, a stored IF block in the second) through a ParseRun: the run
// owns the line cursor (ScriptTokenizer), dispatches each line's keyword to
// its handler and remembers where a syntax error happened. Handlers return
// a LineResult; a syntax error stops the pass at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script/line_source.h"
#include "script/script_context.h"
#include "script/tokenizer.h"

namespace quorril {

// A line source that counts the lines it hands out into
// InstallScript::lineNumber, so that every line of the script has its own
// number whichever reader takes it.
class ParserLineSource : public LineSource {
 public:
  // The number of the last line handed out (0 before the first).
  int32_t LastLineNumber() const { return lastLineNumber_; }
  // Second pass: a BEGINFIRSTSCREEN line of the stored block had no
  // ENDFIRSTSCREEN line after it; the source has ended. The header line and
  // its number are returned.
  virtual bool MissingEndFirstScreen(int32_t* lineNumber, std::string* line) const { return false; }

 protected:
  int32_t lastLineNumber_ = 0;
};

enum class LineResult { kOk, kSyntaxError, kExitMessage };

class ParseRun {
 public:
  ParseRun(const ScriptContext& context, ParserLineSource& lineSource);

  // Reads lines until the source ends, a syntax error or EXITMESSAGE.
  LineResult Run();
  // Parses one line (the keyword dispatch of both passes).
  LineResult ParseLine(const std::string& line);

  // A syntax error at the current line: its number and the line text with
  // the substitutions made so far.
  LineResult Fail();
  // A syntax error at a given line (a line a block reader took).
  LineResult FailAt(int32_t lineNumber, std::string text);
  // A syntax error at the end of the source: the last line's number and an
  // empty text.
  LineResult FailAtEnd();

  bool SecondPass() const { return state.parser.pass == 1; }
  int32_t LineNumber() const { return script.lineNumber; }

  const ScriptContext& ctx;
  ScriptState& state;
  InstallScript& script;
  ParserLineSource& source;
  ScriptTokenizer tokenizer;
  int32_t errorLine = 0;
  std::string errorText;
};

// The keyword table (parser_keywords.cpp). Returns false when the keyword is
// none of the table's; *result is then untouched.
bool DispatchKeyword(ParseRun& run, std::string_view keyword, LineResult* result);
// REM and the keys that are accepted and skipped with their whole line.
bool IsIgnoredKeyword(std::string_view keyword);

// The blocks (parser_blocks.cpp). Each is called with the tokenizer after the
// header's keyword.
LineResult ParseFirstScreen(ParseRun& run);
LineResult ParseLastScreen(ParseRun& run);
LineResult ParsePopMessage(ParseRun& run);
LineResult ParseExitMessage(ParseRun& run);
LineResult ParseGroup(ParseRun& run);
LineResult ParseRegistry(ParseRun& run);

// IF, ELSE and ENDIF (parser.cpp).
LineResult ParseIf(ParseRun& run);
LineResult ParseElse(ParseRun& run);
LineResult ParseEndif(ParseRun& run);

// Numbers of the script language.
// A size: decimal with an optional fraction; the first K/k (x 1000) or M/m
// (x 1,000,000) anywhere in the word decides; truncated to whole bytes and
// saturated to the 32-bit range.
int32_t ParseSize(std::string_view word);
// The leading decimal digits of a word (no digits: 0), saturated.
int32_t LeadingDigits(std::string_view word);

// The first blank-or-tab-delimited word of a line after leading blanks and
// tabs (the second pass's skip test).
std::string_view FirstBlankWord(std::string_view line);
// The first run of letters after leading blanks and tabs (the end test of
// text blocks).
std::string_view FirstLetterRun(std::string_view line);

}  // namespace quorril
