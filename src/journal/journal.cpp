// The install journal: AppendJournal with its pending area.
#include "journal/journal.h"

#include <memory>

#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/windows_path.h"

namespace quorril {

// The bytes the C runtime's text mode stores for `text`: each line feed
// becomes CR LF, everything else stays as it is.
static void AppendTextMode(std::string* out, const std::string& text) {
  for (char c : text) {
    if (c == '\n') out->push_back('\r');
    out->push_back(c);
  }
}

// Hands the bytes that reached the journal to the protected copy, with
// whatever waited for it; makes the copy's folder the first time.
static void MirrorToCopy(FileSystem& files, Journal& journal, const std::string& bytes) {
  if (journal.copyPath.empty()) return;
  journal.copyPending += bytes;
  std::unique_ptr<FileHandle> copy = files.Open(journal.copyPath, OpenMode::kAppend);
  if (!copy) {
    std::string folder = CutAtLastBackslash(journal.copyPath);
    if (!files.CreateDirectory(folder)) return;
    ProtectCreatedDirectory(files, journal, folder);
    copy = files.Open(journal.copyPath, OpenMode::kAppend);
    if (!copy) return;
  }
  int32_t written = copy->Write(journal.copyPending.data(), uint32_t(journal.copyPending.size()));
  if (written > 0) journal.copyPending.erase(0, size_t(written));
}

std::string ProtectedCopyPath(const std::string& windowsDirectory, const std::string& journalPath) {
  return JoinPath(JoinPath(windowsDirectory, kProtectedCopyFolder), StableHash(AsciiUpperCopy(journalPath)) + ".log");
}

void ProtectCreatedDirectory(FileSystem& files, Journal& journal, const std::string& path) {
  if (!files.ProtectDirectory(path))
    journal.notes.push_back("The access list of " + path + " could not be set (error " +
                            FormatInt(files.LastError()) + "): users other than administrators may change it.");
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
  int32_t written = file->Write(bytes.data(), uint32_t(bytes.size()));
  file.reset();
  // What reached the journal, whole or in part, reaches the copy too.
  if (written > 0) MirrorToCopy(files, journal, bytes.substr(0, size_t(written)));
  if (written != int32_t(bytes.size())) {
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
