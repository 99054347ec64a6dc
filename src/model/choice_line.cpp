// Choice lines (see choice_line.h).
#include "model/choice_line.h"

#include "platform/text.h"

namespace quorril {

bool IsChoiceLine(std::string_view line) { return !line.empty() && IsAsciiDigit(line[0]); }

bool ReadChoiceLine(std::string_view line, ChoiceLine* choice) {
  if (!IsChoiceLine(line)) return false;
  choice->number = line[0] - '0';
  if (line.size() > 1 && IsAsciiDigit(line[1])) choice->number = choice->number * 10 + (line[1] - '0');
  choice->checked = false;
  choice->marker = line.find("[ ]");
  if (choice->marker == std::string_view::npos) {
    choice->marker = line.find("[X]");
    if (choice->marker == std::string_view::npos) return false;
    choice->checked = true;
  }
  return true;
}

}  // namespace quorril
