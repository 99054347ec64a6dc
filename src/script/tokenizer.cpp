// The script line cursor and its token readers.
#include "script/tokenizer.h"

#include "platform/text.h"

namespace quorril {

bool ScriptTokenizer::IsLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (IsAsciiAlpha(c)) return true;
  // Windows-1252 letters: the accented capitals and small letters, without
  // the multiplication and division signs.
  if (u >= 0xC0 && u != 0xD7 && u != 0xF7) return true;
  return u == 0x8A || u == 0x8C || u == 0x8E || u == 0x9A || u == 0x9C || u == 0x9E || u == 0x9F;
}

void ScriptTokenizer::Reset(std::string_view line) {
  line_.assign(line.data(), line.size() > kLineCapacity ? kLineCapacity : line.size());
  pos_ = 0;
}

void ScriptTokenizer::SkipSeparators() {
  while (pos_ < line_.size() && IsSeparator(line_[pos_])) ++pos_;
}

void ScriptTokenizer::SkipConditionSeparators() {
  while (pos_ < line_.size() && (IsSeparator(line_[pos_]) || line_[pos_] == '(' || line_[pos_] == ')')) ++pos_;
}

void ScriptTokenizer::SkipSeparatorsAndColons() {
  while (pos_ < line_.size() && (IsSeparator(line_[pos_]) || line_[pos_] == ':')) ++pos_;
}

bool ScriptTokenizer::AtEnd() {
  SkipSeparators();
  return pos_ >= line_.size();
}

char ScriptTokenizer::Peek() {
  SkipSeparators();
  return pos_ < line_.size() ? line_[pos_] : '\0';
}

std::string ScriptTokenizer::ReadKeyword() {
  SkipSeparators();
  std::string keyword;
  if (pos_ < line_.size() && IsLetter(line_[pos_])) {
    while (pos_ < line_.size() && (IsLetter(line_[pos_]) || IsAsciiDigit(line_[pos_]))) keyword += line_[pos_++];
    SkipSeparatorsAndColons();
  }
  return keyword;
}

void ScriptTokenizer::SubstituteAtToken(bool quoted, bool conditionSeparators) {
  if (conditionSeparators)
    SkipConditionSeparators();
  else
    SkipSeparators();
  if (!variables_) return;
  size_t at = pos_;
  if (quoted) {
    if (at >= line_.size() || line_[at] != '"') return;
    ++at;
  }
  struct Early {
    const char* name;
    const std::string* value;
  };
  const Early early[] = {
      {"$LOCATEDIR$", &variables_->locateDir}, {"$WINHELPDIR$", &variables_->winHelpDir},
      {"$LOCATEDRIVE$", &variables_->locateDrive}, {"$SYSTEM$", &variables_->system},
      {"$SYS2$", &variables_->sys2}, {"$SYS3$", &variables_->sys3},
      {"$SOURCEDIR$", &variables_->sourceDir},
  };
  std::string_view rest = std::string_view(line_).substr(at);
  for (const Early& e : early) {
    std::string_view name(e.name);
    if (StartsWithNoCase(rest, name)) {
      line_.replace(at, name.size(), *e.value);
      if (line_.size() > kLineCapacity) line_.resize(kLineCapacity);
      return;
    }
  }
}

std::string ScriptTokenizer::ReadWordUntil(bool conditionVariant) {
  std::string word;
  while (pos_ < line_.size()) {
    char c = line_[pos_];
    if (IsSeparator(c) || c == '=') break;
    if (conditionVariant && (c == '(' || c == ')')) break;
    word += c;
    ++pos_;
  }
  if (conditionVariant)
    SkipConditionSeparators();
  else
    SkipSeparators();
  return word;
}

std::string ScriptTokenizer::ReadWord() {
  SubstituteAtToken(false);
  return ReadWordUntil(false);
}

std::string ScriptTokenizer::ReadConditionWord() {
  SubstituteAtToken(false, true);
  return ReadWordUntil(true);
}

int32_t ScriptTokenizer::ReadRequiredQuoted(std::string* out) {
  out->clear();
  SubstituteAtToken(true);
  if (pos_ >= line_.size() || line_[pos_] != '"') return -1;
  size_t i = pos_ + 1;
  std::string text;
  while (i < line_.size()) {
    if (line_[i] == '"') {
      if (i + 1 < line_.size() && line_[i + 1] == '"') {
        text += '"';
        i += 2;
        continue;
      }
      pos_ = i + 1;
      SkipSeparators();
      *out = std::move(text);
      return static_cast<int32_t>(out->size());
    }
    text += line_[i++];
  }
  // No closing quote: the result is empty and the rest of the line is used up.
  pos_ = line_.size();
  return 0;
}

std::string ScriptTokenizer::ReadQuoted() {
  std::string text;
  ReadRequiredQuoted(&text);
  return text;
}

std::string ScriptTokenizer::ReadQuotedOrWord() {
  std::string text;
  if (ReadRequiredQuoted(&text) > 0) return text;
  if (!text.empty()) return text;
  // A quoted empty string ("") has been stepped over; the word follows it.
  return ReadWord();
}

std::string ScriptTokenizer::ReadParenthesized() {
  SkipSeparators();
  if (pos_ >= line_.size() || line_[pos_] != '(') return std::string();
  size_t close = line_.find(')', pos_ + 1);
  if (close == std::string::npos) return std::string();
  std::string value = line_.substr(pos_ + 1, close - pos_ - 1);
  pos_ = close + 1;
  SkipSeparators();
  return value;
}

bool ScriptTokenizer::AcceptEquals() {
  if (pos_ < line_.size() && line_[pos_] == '=') {
    ++pos_;
    return true;
  }
  return false;
}

}  // namespace quorril
