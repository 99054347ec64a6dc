// ScriptTokenizer: the cursor over one script line and its token readers.
//
// Lexical rules of the script language:
//  - Separators are blank, tab, CR, LF and comma.
//  - A keyword starts with a letter and continues with letters and digits;
//    the separators and colons after it are skipped, so "TITLE:", "TITLE"
//    and "TITLE," read alike.
//  - A word runs up to the next separator or "="; parentheses belong to it.
//    The condition variant also ends at "(" and ")" and skips them.
//  - A quoted string runs to the next double quote that is not doubled; ""
//    inside stands for one quote. No opening quote: empty result, position
//    unchanged. No closing quote: empty result.
//  - The separators after every token are skipped.
//  - Early variables: when a word or quoted string starts (a quoted string:
//    right after its opening quote) with one of $LOCATEDIR$, $WINHELPDIR$,
//    $LOCATEDRIVE$, $SYSTEM$, $SYS2$, $SYS3$, $SOURCEDIR$ (any case), the
//    name is replaced in the line by its value before the token is read.
//
// The line never grows past kLineCapacity characters through substitution:
// what would go beyond is cut off.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/script_model.h"

namespace quorril {

class ScriptTokenizer {
 public:
  static constexpr size_t kLineCapacity = capacity::kTokenizedLine;

  ScriptTokenizer() = default;
  // `variables` supplies the early variables; null disables substitution.
  explicit ScriptTokenizer(const ScriptVariables* variables) : variables_(variables) {}

  void SetVariables(const ScriptVariables* variables) { variables_ = variables; }
  // Starts a new line at position 0.
  void Reset(std::string_view line);

  const std::string& Line() const { return line_; }
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos) { pos_ = pos < line_.size() ? pos : line_.size(); }
  std::string_view Rest() const { return std::string_view(line_).substr(pos_); }

  // Skips separators; true when nothing follows.
  bool AtEnd();
  void SkipSeparators();
  // Skips separators and parentheses (condition reading).
  void SkipConditionSeparators();
  // The keyword at the position ("" when the next character is no letter).
  std::string ReadKeyword();
  std::string ReadWord();
  std::string ReadConditionWord();
  std::string ReadQuoted();
  // Reads a quoted string into *out; -1 when no quote follows, else its length.
  int32_t ReadRequiredQuoted(std::string* out);
  // A quoted string, or a word when the quoted string is empty.
  std::string ReadQuotedOrWord();
  std::string ReadParenthesized();
  // Accepts "=" directly at the position.
  bool AcceptEquals();
  // The next character after separators, or '\0' at the end.
  char Peek();

  // Replaces an early variable that starts at the position (after
  // separators; after an opening quote when `quoted`).
  void SubstituteAtToken(bool quoted, bool conditionSeparators = false);

  static bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }
  // Letters as the ANSI code page classifies them (ASCII and Latin-1 letters).
  static bool IsLetter(char c);

 private:
  void SkipSeparatorsAndColons();
  std::string ReadWordUntil(bool conditionVariant);

  std::string line_;
  size_t pos_ = 0;
  const ScriptVariables* variables_ = nullptr;
};

}  // namespace quorril
