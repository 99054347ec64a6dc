// The install journal: AppendJournal with its pending area.
#include "journal/journal.h"

#include <memory>

#include "platform/file_system.h"

namespace quorril {

// The bytes the C runtime's text mode stores for `text`: each line feed
// becomes CR LF, everything else stays as it is.
static void AppendTextMode(std::string* out, const std::string& text) {
  for (char c : text) {
    if (c == '\n') out->push_back('\r');
    out->push_back(c);
  }
}

int AppendJournal(FileSystem& files, Journal& journal, const std::string& text) {
  if (!journal.on) return 0;
  std::unique_ptr<FileHandle> file;
  if (!journal.path.empty()) file = files.Open(journal.path, OpenMode::kAppend);
  if (!file) {
    // A text without its own line end gets one: written later in front of
    // the next text, it would otherwise run into it and both be unreadable.
    journal.pending += text;
    if (text.empty() || text.back() != '\n') journal.pending += '\n';
    return 0;
  }
  std::string bytes;
  AppendTextMode(&bytes, journal.pending);
  AppendTextMode(&bytes, text);
  bytes += "\r\n";
  if (file->Write(bytes.data(), uint32_t(bytes.size())) != int32_t(bytes.size())) {
    // Not all of it reached the file (a full disk): keep everything for the
    // next attempt. A line may then stand twice, but none is lost.
    journal.pending += text;
    if (text.empty() || text.back() != '\n') journal.pending += '\n';
    return 0;
  }
  journal.pending.clear();
  return 1;
}

}  // namespace quorril
