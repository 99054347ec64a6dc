// The answers file: what an unattended installation answers in place of
// the person at the screen. The engine reads it for /LOADINF=FILE and the
// publisher's dry run (quorril-pack simulate --answers FILE) reads the same.
//
// Format notes:
//  - Lines end in LF or CR LF. Blank lines and lines whose first non-blank
//    character is ";" or "#" are comments.
//  - One section, "[Setup]" (the name without regard to case); every key
//    line must come after it. Another section, a key before the section, a
//    line without "=", an unknown key or a key given twice is an error that
//    names its line.
//  - A key line is NAME=VALUE; blanks around the name and the value are
//    dropped, and a value in double quotes loses the quotes (so a value can
//    keep blanks at its ends). Key names compare without regard to case.
//  - Keys:
//      Dir=PATH             the destination (DEFAULTDIR)
//      Ask1= ... Ask5=      the answers of ASK1 ... ASK5 (absent: the default)
//      Choices=10 20,21     the choice numbers selected (absent: the presets;
//                           present and empty: none)
//      Overwrite=Yes|No     the overwrite question (default No)
//      Modify=Yes|No        the INIFILE, AUTOEXEC and CONFIG questions (default Yes)
//      Restart=Yes|No       the restart question (default No)
//      Disk.N=PATH          where disk N (1 ... 99) is found
//    Yes and No compare without regard to case.
//  - A text longer than the engine keeps is an error: 999 characters for
//    paths, 497 for answers. A NUL byte anywhere, or a file over 64 KB, is
//    an error as well.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorril {

enum class AnswersStatus {
  kOk,
  kTooLarge,          // the file is over kAnswersFileLimit bytes
  kNulByte,           // a NUL byte in a line
  kNoSection,         // a key line before "[Setup]"
  kUnknownSection,    // a section other than "[Setup]", or a second one
  kBadSectionLine,    // "[" without a closing "]", or text after it
  kNoEquals,          // a line that is neither comment, section nor NAME=VALUE
  kUnknownKey,        // a key name the format does not know
  kDuplicateKey,      // a key given twice
  kBadYesNo,          // Overwrite, Modify or Restart not Yes or No
  kBadChoice,         // a choice that is not a number from 1 to 999
  kBadDiskNumber,     // Disk.N with N not from 1 to 99
  kValueTooLong,      // a text longer than the engine keeps
  kUnclosedQuote,     // a value that begins with a double quote and does not end with one
};

// The message of a status, without the line ("unknown key").
const char* AnswersStatusText(AnswersStatus status);

constexpr size_t kAnswersFileLimit = 64 * 1024;
constexpr int32_t kAnswersMaxDisk = 99;
constexpr int32_t kAnswersMaxChoice = 999;

struct Answers {
  std::optional<std::string> dir;
  std::array<std::optional<std::string>, 5> ask;
  std::optional<std::vector<int32_t>> choices;  // in the order written
  bool overwrite = false;
  bool modify = true;
  bool restart = false;
  std::map<int32_t, std::string> disks;  // by disk number
};

struct AnswersResult {
  AnswersStatus status = AnswersStatus::kOk;
  int32_t line = 0;     // the line of the error (1-based), 0 when none
  std::string detail;   // the key or section named in the error
  // "line N: TEXT: DETAIL" ("TEXT" alone for the whole file), or "" when
  // the file was read.
  std::string Message() const;
};

// Reads the bytes of an answers file into `answers`. On an error `answers`
// holds what was read before the failing line.
AnswersResult ReadAnswers(const std::string& bytes, Answers* answers);

}  // namespace quorril
