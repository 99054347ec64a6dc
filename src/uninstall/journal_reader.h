// Reading an install journal back: every line of "install.log" as a kind
// and its fields, for the uninstaller.
//
// The journal is a plain text file that anyone may have edited, and its
// fields are quoted without escaping, so the reader is strict: a line is
// taken only when it has exactly the form the engine writes (its keyword,
// its fields, their quotes and separators); anything else is kept as a
// damaged line with the reason, never guessed at. Line ends may be CR LF or
// LF; empty lines carry no meaning.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorril {

enum class JournalKind {
  kEmpty,
  kDamaged,
  kDefaultDir,       // path
  kDirectory,        // path
  kBeginPrompt,      // text (UNINSTALLBEGINPROMPT)
  kEndPrompt,        // text (UNINSTALLENDPROMPT)
  kTitlePrompt,      // text (UNINSTALLTITLEPROMPT)
  kRename,           // new path, old path
  kFile,             // path
  kAutoexec,         // line before ("" when added), line after
  kConfig,           // line before ("" when added), line after
  kIniFile,          // section, key, value, file [, previous or combined value] | section, file
  kAddText,          // old line ("" when added), file, new line
  kRegServer,        // path
  kRegKey,           // root, subkey
  kWinItem,          // group, caption
};

struct JournalEntry {
  JournalKind kind = JournalKind::kEmpty;
  int64_t lineNumber = 0;  // 1-based
  std::string text;        // the line without its line end
  std::vector<std::string> fields;
  std::string problem;     // for damaged lines: what is wrong
};

// The keyword of a kind as the journal writes it ("FILE"), without colon.
const char* JournalKeyword(JournalKind kind);

// One line (without its line end).
JournalEntry ParseJournalLine(std::string_view line, int64_t lineNumber);

// Every line of a journal, in file order.
std::vector<JournalEntry> ParseJournal(std::string_view bytes);

}  // namespace quorril
