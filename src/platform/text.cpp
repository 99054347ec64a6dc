// Text helpers: ASCII case folding, the system orderings, C-style numbers.
#include "platform/text.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace quorril {

std::string AsciiUpperCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

std::string AsciiLowerCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  if (hay.size() < needle.size()) return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= hay.size(); ++i)
    if (EqualsNoCase(hay.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

// lstrcmpA and lstrcmpiA use word-sort rules (CompareStringA): letters order
// alphabetically before case is considered, punctuation orders before digits
// and digits before letters. For the texts a script compares (version numbers,
// answers, drive letters) that comes down to this weight table.
static int CollationWeight(unsigned char c, bool ignoreCase) {
  if (c >= 'a' && c <= 'z') return 0x300 + (c - 'a') * 2;
  if (c >= 'A' && c <= 'Z') return 0x300 + (c - 'A') * 2 + (ignoreCase ? 0 : 1);
  if (c >= '0' && c <= '9') return 0x200 + (c - '0');
  return c;  // blanks, punctuation and the rest keep their code order, below digits
}

static int CompareWith(std::string_view a, std::string_view b, bool ignoreCase) {
  // First pass: alphabetic weights without case; case breaks ties afterwards.
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int wa = CollationWeight((unsigned char)a[i], true);
    int wb = CollationWeight((unsigned char)b[i], true);
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  if (ignoreCase) return 0;
  for (size_t i = 0; i < n; ++i) {
    int wa = CollationWeight((unsigned char)a[i], false);
    int wb = CollationWeight((unsigned char)b[i], false);
    if (wa != wb) return wa < wb ? -1 : 1;
  }
  return 0;
}

int CompareTextNoCase(std::string_view a, std::string_view b) { return CompareWith(a, b, true); }
int CompareText(std::string_view a, std::string_view b) { return CompareWith(a, b, false); }

bool CutToCapacity(std::string& s, size_t capacity) {
  if (s.size() <= capacity) return false;
  s.resize(capacity);
  return true;
}

int32_t ParseInt(std::string_view s) {
  std::string copy(s);
  errno = 0;
  long long v = std::strtoll(copy.c_str(), nullptr, 10);
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return int32_t(v);
}

double ParseReal(std::string_view s) {
  std::string copy(s);
  // strtod also reads "inf", "nan" and hexadecimal forms that atof of the
  // period did not; keep to digits, sign, point and exponent.
  size_t i = 0;
  while (i < copy.size() && (copy[i] == ' ' || copy[i] == '\t')) ++i;
  size_t j = i;
  if (j < copy.size() && (copy[j] == '+' || copy[j] == '-')) ++j;
  if (j >= copy.size() || !(IsAsciiDigit(copy[j]) || copy[j] == '.')) return 0.0;
  if (j + 1 < copy.size() && copy[j] == '0' && (copy[j + 1] == 'x' || copy[j + 1] == 'X'))
    copy.resize(j + 1);
  return std::strtod(copy.c_str() + i, nullptr);
}

uint32_t ParseCNumber(std::string_view s) {
  std::string copy(s);
  unsigned long long v = std::strtoull(copy.c_str(), nullptr, 0);
  return uint32_t(v);
}

std::string FormatInt(int64_t value) { return std::to_string(value); }

}  // namespace quorril
