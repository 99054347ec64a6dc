// The install journal: AppendJournal with its pending area, and
// MakeDirectoryPath with its DIRECTORY lines.
#include "journal/journal.h"

#include <optional>

#include "shell/setup_context.h"

namespace quorril {

// The bytes the C runtime's text mode stores for `text`: each line feed
// becomes CR LF, everything else stays as it is.
static void AppendTextMode(std::string* out, const std::string& text) {
  for (char c : text) {
    if (c == '\n') out->push_back('\r');
    out->push_back(c);
  }
}

int AppendJournal(SetupContext& ctx, const std::string& text) {
  if (!ctx.settings.uninstall) return 0;
  Journal& journal = ctx.journal;
  std::unique_ptr<FileHandle> file;
  if (!journal.path.empty()) file = ctx.files().Open(journal.path, OpenMode::kAppend);
  if (!file) {
    journal.pending += text;
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
    journal.pending += '\n';
    return 0;
  }
  journal.pending.clear();
  return 1;
}

int MakeDirectoryPath(SetupContext& ctx, const std::string& path) {
  std::string collected;
  FileSystem& files = ctx.files();
  // One step per level: the prefix that ends before each backslash, then
  // the whole path (unless it ends in a backslash, which names the same
  // directory as the last prefix).
  for (size_t end = 0; end <= path.size(); ++end) {
    if (end < path.size() ? path[end] != '\\' : (end == 0 || path[end - 1] == '\\')) continue;
    std::string prefix = path.substr(0, end);
    if (prefix.size() == 2 && prefix[1] == ':') prefix += '\\';
    if (prefix.size() < 4) continue;  // the root
    if (files.SetCurrentDirectory(prefix)) continue;
    if (!files.CreateDirectory(prefix) || !files.SetCurrentDirectory(prefix)) {
      ctx.ShowUnownedMessage(ctx.Prompt(PromptId::kBadDir), std::nullopt, kMbOk | kMbIconWarning);
      return kMakeDirectoryFailed;
    }
    collected += "DIRECTORY: \"" + prefix + "\"\n";
  }
  if (!collected.empty()) AppendJournal(ctx, collected);
  return kMakeDirectoryOk;
}

}  // namespace quorril
