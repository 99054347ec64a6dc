// Text helpers shared by every subsystem.
//
// Texts are single-byte ANSI strings (std::string holding code-page bytes).
// Case folding is ASCII-only: the script language and the file names of the
// packages compare keywords, variable names and paths "without regard to
// ASCII case", never through a locale. Capacities are counted in characters
// without a terminator, as in the file formats and message texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorril {

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string AsciiUpperCopy(std::string_view s);
std::string AsciiLowerCopy(std::string_view s);

// Equality and prefix tests without regard to ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Position of `needle` in `hay` without regard to ASCII case, or npos.
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0);

// The system's string orderings used by the script's comparisons:
// CompareTextNoCase follows lstrcmpiA, CompareText follows lstrcmpA, for the
// characters that scripts contain (digits, letters, punctuation). Results are
// negative, zero or positive.
int CompareTextNoCase(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);

// Cuts `s` to at most `capacity` characters. Returns true when it was cut.
bool CutToCapacity(std::string& s, size_t capacity);

// The C runtime's atoi/atof over a text: leading blanks, an optional sign,
// leading digits (and for reals a fraction and exponent); no number gives 0.
// Values beyond the range of the type saturate instead of overflowing.
int32_t ParseInt(std::string_view s);
double ParseReal(std::string_view s);
// strtoul with base 0 (decimal, 0x hexadecimal, leading 0 octal), 32 bits.
uint32_t ParseCNumber(std::string_view s);
// The same in a given base (2 to 36, or 0 as above).
uint32_t ParseUnsigned(std::string_view s, int base);

std::string FormatInt(int64_t value);
// A 64-bit FNV-1a hash of the bytes as 16 capital hexadecimal digits: the
// same text gives the same name on every run and machine.
std::string StableHash(std::string_view text);

// The lines of a text, split at line feeds, each without its line feed and
// without a carriage return before it. A text that ends in a line feed has
// no empty last line; an empty text has no line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace quorril
