// Fuzz target: an answers file. Whatever the bytes, the reader ends with a
// status; an error names a line inside the file, and a file that was read
// holds only values the engine can keep.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/answers_file.h"

using namespace quorril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 2 * kAnswersFileLimit) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Answers answers;
  AnswersResult result = ReadAnswers(bytes, &answers);
  size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  if (result.status != AnswersStatus::kOk) {
    if (result.line < 0 || size_t(result.line) > lines) abort();
    if (result.Message().empty()) abort();
    return 0;
  }
  if (result.line != 0 || size > kAnswersFileLimit) abort();
  if (answers.dir && answers.dir->size() > 999) abort();
  for (const auto& ask : answers.ask)
    if (ask && ask->size() > 497) abort();
  if (answers.choices)
    for (int32_t n : *answers.choices)
      if (n < 1 || n > kAnswersMaxChoice) abort();
  for (const auto& disk : answers.disks)
    if (disk.first < 1 || disk.first > kAnswersMaxDisk) abort();
  return 0;
}
