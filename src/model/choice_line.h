// Choice lines: the lines of a choice screen (BEGINGROUP ... ENDGROUP)
// that offer a choice to the user.
//
// A line whose first character is a digit is a choice. Its first two
// characters are its number (0 to 99, read as a decimal number: "7 " is 7);
// its marker is its first "[ ]", else its first "[X]", which marks the
// choice checked at the start. A choice line with neither marker makes the
// script invalid. The parser counts the choices and their preset marks, the
// dialog templates place a button at the marker, the screens count the
// buttons of a group; all of them read a line through this one reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorril {

struct ChoiceLine {
  int32_t number = 0;
  size_t marker = 0;     // position of the "[ ]" or "[X]"
  bool checked = false;  // the marker is "[X]"
};

// True when `line` offers a choice (its first character is a digit).
bool IsChoiceLine(std::string_view line);

// Reads a choice line; false when it carries neither marker (or is no
// choice line).
bool ReadChoiceLine(std::string_view line, ChoiceLine* choice);

}  // namespace quorril
