// Golden pairs for the system's string orderings: the sign of lstrcmpA and
// of lstrcmpiA for each pair, as Windows (Wine, US English, code page 1252)
// gives them. The native unit tests hold CompareText and CompareTextNoCase
// to this table; the Win32 tests check the table itself against the system.
#pragma once

namespace quorril::golden {

struct TextOrderPair {
  const char* a;
  const char* b;
  int caseSensitive;  // sign of lstrcmpA(a, b)
  int noCase;         // sign of lstrcmpiA(a, b)
};

inline constexpr TextOrderPair kTextOrderPairs[] = {
    // Version texts: compared as text, "." before digits, "-" set aside.
    {"4.71", "4.700", 1, 1},
    {"10.0", "9.0", -1, -1},
    {"1.2.3.4", "1.2.3.4", 0, 0},
    {"1.0", "1.00", -1, -1},
    {"4.7", "4.7a", -1, -1},
    {"4.7a", "4.7A", -1, 0},
    {"0.0.0.0", "4.71", -1, -1},
    {"4.10", "4.9", -1, -1},
    {"1,2", "1.2", -1, -1},
    {"1-2", "12", 1, 1},
    {"1_2", "1.2", 1, 1},
    {"5.00.2134.1", "5.0.2134.1", 1, 1},
    // Words of mixed case: letters first, then lower case before upper case.
    {"a", "A", -1, 0},
    {"aB", "Ab", -1, 0},
    {"ABC", "abd", -1, -1},
    {"abc", "ABC", -1, 0},
    {"yes", "YES", -1, 0},
    {"Yes", "yes", 1, 0},
    {"word", "Words", -1, -1},
    {"WORD", "word", 1, 0},
    {"c:\\windows", "C:\\WINDOWS", -1, 0},
    // Digits before letters, digit by digit.
    {"1", "a", -1, -1},
    {"9", "A", -1, -1},
    {"a1", "aa", -1, -1},
    {"x9", "xA", -1, -1},
    {"0", "00", -1, -1},
    {"01", "1", -1, -1},
    {"2", "10", 1, 1},
    // Punctuation: its own order before digits; apostrophe and hyphen set aside.
    {"co-op", "coop", 1, 1},
    {"coop", "co-op", -1, -1},
    {"co-op", "coo-p", 1, 1},
    {"it's", "its", 1, 1},
    {"a-b", "ab", 1, 1},
    {"-ab", "ab-", 1, 1},
    {"a'b", "a-b", -1, -1},
    {"a b", "ab", -1, -1},
    {"a.b", "a_b", -1, -1},
    {"a+b", "a~b", 1, 1},
    {"a<b", "a>b", -1, -1},
    {"a=b", "a+b", 1, 1},
    {"x ", "x", 1, 1},
    {"x\tb", "x b", 1, 1},
    {"[", "a", -1, -1},
    {"~", "0", -1, -1},
    {"_", "-", 1, 1},
    {"'", "-", -1, -1},
    {"--", "", 1, 1},
    {"a-", "A", -1, 1},
    {"!", "\"", -1, -1},
    {"$", "#", 1, 1},
    {"(", "*", -1, -1},
    {",", ".", -1, -1},
    {"/", ":", -1, -1},
    {"?", "@", -1, -1},
    {"\\", "]", -1, -1},
    {"^", "`", -1, -1},
    {"{", "}", -1, -1},
    {"~", "+", -1, -1},
    // Accented letters and ligatures of code page 1252.
    {"\xE9", "e", 1, 1},
    {"\xE9", "f", -1, -1},
    {"\xC9", "\xE9", 1, 0},
    {"\xE6", "ae", 0, 0},
    {"\xDF", "ss", 0, 0},
    {"\xB2", "2", 1, 1},
};

}  // namespace quorril::golden
