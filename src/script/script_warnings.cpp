// ScanScript and ScriptLines (see script_warnings.h).
#include "script/script_warnings.h"

#include "model/capacities.h"
#include "platform/text.h"

namespace quorril {

namespace {

constexpr size_t kPiece = capacity::kScriptLine;

// The lines as the engine's reader gives them out: split at line feeds,
// carriage returns dropped.
std::vector<std::string> RealLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool any = false;
  for (char c : bytes) {
    any = true;
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
      any = false;
      continue;
    }
    line += c;
  }
  if (any) lines.push_back(line);
  return lines;
}

// How many lines the engine counts for a line of `size` characters.
int32_t Pieces(size_t size) { return size <= kPiece ? 1 : int32_t((size + kPiece - 1) / kPiece); }

std::string_view LetterRun(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  size_t start = i;
  while (i < line.size() && IsAsciiAlpha(line[i])) ++i;
  return line.substr(start, i - start);
}

struct Block {
  const char* start;
  const char* end;
};
constexpr Block kBlocks[] = {
    {"BEGINGROUP", "ENDGROUP"},           {"POPMESSAGE", "ENDPOP"},
    {"EXITMESSAGE", "EXIT"},              {"BEGINFIRSTSCREEN", "ENDFIRSTSCREEN"},
    {"BEGINLASTSCREEN", "ENDLASTSCREEN"}, {"BEGINREGISTRY", "ENDREGISTRY"},
};

bool LooksUtf16(std::string_view bytes) {
  if (bytes.size() >= 2 && ((uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE) ||
                            (uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)))
    return true;
  // Without a mark: a NUL in most of the first pairs.
  size_t pairs = 0, nuls = 0;
  for (size_t i = 0; i + 1 < bytes.size() && pairs < 64; i += 2, ++pairs)
    if ((bytes[i] == '\0') != (bytes[i + 1] == '\0')) ++nuls;
  return pairs >= 4 && nuls * 4 >= pairs * 3;
}

std::string Shown(std::string_view text, size_t most = 20) {
  std::string shown;
  for (char c : text.substr(0, most)) shown += (uint8_t(c) < 0x20 || c == 0x7F) ? '?' : c;
  return shown + (text.size() > most ? "..." : "");
}

}  // namespace

ScriptLines::ScriptLines(std::string_view bytes) {
  int32_t engine = 1;
  for (const std::string& line : RealLines(bytes)) {
    firstPiece_.push_back(engine);
    engine += Pieces(line.size());
  }
}

int32_t ScriptLines::RealLine(int32_t engineLine) const {
  int32_t real = 0;
  for (size_t i = 0; i < firstPiece_.size() && firstPiece_[i] <= engineLine; ++i) real = int32_t(i) + 1;
  return real == 0 ? engineLine : real;
}

int32_t ScriptLines::EngineLine(int32_t line) const {
  if (line < 1 || size_t(line) > firstPiece_.size()) return line;
  return firstPiece_[size_t(line) - 1];
}

std::vector<ScriptWarning> ScanScript(std::string_view bytes) {
  std::vector<ScriptWarning> warnings;
  ScriptLines map(bytes);
  auto warn = [&](int32_t line, std::string text) {
    warnings.push_back(ScriptWarning{line, map.EngineLine(line), std::move(text)});
  };
  if (LooksUtf16(bytes)) {
    warn(1, "the script is UTF-16 text; the engine reads single bytes and finds no keyword, title or file in it: "
            "save it as ANSI text");
    return warnings;
  }
  const std::vector<std::string> lines = RealLines(bytes);
  const Block* open = nullptr;  // the text block being read
  int32_t openLine = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int32_t number = int32_t(i) + 1;
    const std::string& line = lines[i];
    const size_t nul = line.find('\0');
    if (nul != std::string::npos)
      warn(number, "a NUL byte at column " + std::to_string(nul + 1) + " ends this line for the engine; \"" +
                       Shown(std::string_view(line).substr(nul + 1)) + "\" after it is not read");
    const std::string_view text = std::string_view(line).substr(0, nul);
    const std::string_view word = LetterRun(text);
    if (open) {
      if (EqualsNoCase(word, open->end)) open = nullptr;
      if (line.size() > kPiece)
        warn(number, "a line of " + std::to_string(line.size()) + " characters in a text block: the engine reads "
                         "it as " + std::to_string(Pieces(line.size())) + " lines");
      continue;
    }
    for (const Block& block : kBlocks)
      if (EqualsNoCase(word, block.start)) {
        open = &block;
        openLine = number;
      }
    if (line.size() > kPiece) {
      warn(number, "a line of " + std::to_string(line.size()) + " characters: the engine reads only its first " +
                       std::to_string(kPiece) + " as this line and the rest as a new line beginning \"" +
                       Shown(std::string_view(line).substr(kPiece)) + "\"");
      continue;
    }
    const bool comment = EqualsNoCase(word, "REM") || (!text.empty() && LetterRun(text).empty() &&
                                                       text.find_first_not_of(" \t") != std::string::npos &&
                                                       text[text.find_first_not_of(" \t")] == ';');
    if (!comment) {
      size_t quotes = 0;
      for (char c : text) quotes += c == '"';
      if (quotes % 2 != 0) warn(number, "a quote is opened and not closed on this line");
    }
  }
  if (open)
    warn(openLine, std::string(open->start) + " has no " + open->end +
                       " line: the engine takes the rest of the script into its block");
  return warnings;
}

}  // namespace quorril
