// Reading an install journal back (see journal_reader.h).
#include "uninstall/journal_reader.h"

namespace quorril {
namespace {

struct KindName {
  JournalKind kind;
  const char* keyword;
};

constexpr KindName kKinds[] = {
    {JournalKind::kDefaultDir, "DEFAULTDIR"},   {JournalKind::kDirectory, "DIRECTORY"},
    {JournalKind::kBeginPrompt, "UNINSTALLBEGINPROMPT"}, {JournalKind::kEndPrompt, "UNINSTALLENDPROMPT"},
    {JournalKind::kTitlePrompt, "UNINSTALLTITLEPROMPT"}, {JournalKind::kRename, "RENAME"},
    {JournalKind::kFile, "FILE"},               {JournalKind::kAutoexec, "AUTOEXEC"},
    {JournalKind::kConfig, "CONFIG"},           {JournalKind::kIniFile, "INIFILE"},
    {JournalKind::kAddText, "ADDTEXT"},         {JournalKind::kRegServer, "RegServer"},
    {JournalKind::kRegKey, "REGKEY"},           {JournalKind::kWinItem, "WINITEM"},
};

constexpr std::string_view kSeparator = "\", \"";

JournalEntry Damaged(JournalEntry entry, std::string problem) {
  entry.kind = JournalKind::kDamaged;
  entry.fields.clear();
  entry.problem = std::move(problem);
  return entry;
}

// `"a", "b", ...` split at every `", "`; false when the text does not begin
// and end with a quote.
bool QuotedFields(std::string_view body, std::vector<std::string>* fields) {
  if (body.size() < 2 || body.front() != '"' || body.back() != '"') return false;
  std::string_view inner = body.substr(1, body.size() - 2);
  size_t start = 0;
  for (;;) {
    size_t at = inner.find(kSeparator, start);
    if (at == std::string_view::npos) break;
    fields->emplace_back(inner.substr(start, at - start));
    start = at + kSeparator.size();
  }
  fields->emplace_back(inner.substr(start));
  return true;
}

bool IsFullPath(std::string_view path) {
  return (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || (!path.empty() && path[0] == '\\');
}

}  // namespace

const char* JournalKeyword(JournalKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return k.keyword;
  return "";
}

JournalEntry ParseJournalLine(std::string_view line, int64_t lineNumber) {
  JournalEntry entry;
  entry.lineNumber = lineNumber;
  entry.text = std::string(line);
  if (line.empty()) return entry;

  const KindName* found = nullptr;
  for (const KindName& k : kKinds) {
    std::string_view keyword = k.keyword;
    if (line.size() > keyword.size() + 1 && line.substr(0, keyword.size()) == keyword &&
        line.substr(keyword.size(), 2) == ": ") {
      found = &k;
      break;
    }
  }
  if (!found) return Damaged(std::move(entry), "no line of the journal begins so");
  entry.kind = found->kind;
  std::string_view body = line.substr(std::string_view(found->keyword).size() + 2);
  if (body.find('\0') != std::string_view::npos) return Damaged(std::move(entry), "it holds a NUL byte");

  switch (entry.kind) {
    case JournalKind::kDefaultDir:
    case JournalKind::kDirectory:
    case JournalKind::kFile:
    case JournalKind::kRegServer:
    case JournalKind::kBeginPrompt:
    case JournalKind::kEndPrompt:
    case JournalKind::kTitlePrompt: {
      // One field: everything between the first and the last quote.
      if (body.size() < 2 || body.front() != '"' || body.back() != '"')
        return Damaged(std::move(entry), "its field is not in double quotes");
      entry.fields.emplace_back(body.substr(1, body.size() - 2));
      bool isPath = entry.kind != JournalKind::kBeginPrompt && entry.kind != JournalKind::kEndPrompt &&
                    entry.kind != JournalKind::kTitlePrompt;
      if (isPath && entry.fields[0].find('"') != std::string::npos)
        return Damaged(std::move(entry), "its path holds a double quote");
      return entry;
    }
    case JournalKind::kRename: {
      // Two unquoted full paths: the new name, then the old one. The split
      // must be the only ", " that leaves a full path on both sides.
      size_t split = std::string_view::npos;
      int candidates = 0;
      for (size_t at = body.find(", "); at != std::string_view::npos; at = body.find(", ", at + 1)) {
        if (IsFullPath(body.substr(0, at)) && IsFullPath(body.substr(at + 2))) {
          split = at;
          ++candidates;
        }
      }
      if (candidates != 1) return Damaged(std::move(entry), "its two paths cannot be told apart");
      entry.fields.emplace_back(body.substr(0, split));
      entry.fields.emplace_back(body.substr(split + 2));
      return entry;
    }
    case JournalKind::kAddText: {
      // "<old line>", <file>, "<new line>": the file stands without quotes
      // and holds none, which tells the separators apart.
      if (body.size() < 2 || body.front() != '"' || body.back() != '"')
        return Damaged(std::move(entry), "its lines are not in double quotes");
      for (size_t at = body.find("\", "); at != std::string_view::npos; at = body.find("\", ", at + 1)) {
        size_t fileStart = at + 3;
        size_t fileEnd = body.find(", \"", fileStart);
        if (fileEnd == std::string_view::npos) break;
        std::string_view file = body.substr(fileStart, fileEnd - fileStart);
        if (file.empty() || file.find('"') != std::string_view::npos) continue;
        entry.fields.emplace_back(body.substr(1, at - 1));
        entry.fields.emplace_back(file);
        entry.fields.emplace_back(body.substr(fileEnd + 3, body.size() - fileEnd - 4));
        return entry;
      }
      return Damaged(std::move(entry), "its three fields cannot be told apart");
    }
    default: {
      if (!QuotedFields(body, &entry.fields)) return Damaged(std::move(entry), "its fields are not in double quotes");
      size_t count = entry.fields.size();
      bool fits = entry.kind == JournalKind::kIniFile ? (count == 2 || count == 4 || count == 5) : count == 2;
      if (!fits) return Damaged(std::move(entry), "it has " + std::to_string(count) + " fields");
      return entry;
    }
  }
}

std::vector<JournalEntry> ParseJournal(std::string_view bytes) {
  std::vector<JournalEntry> entries;
  int64_t number = 0;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    if (end > start && bytes[end - 1] == '\r') --end;
    entries.push_back(ParseJournalLine(bytes.substr(start, end - start), ++number));
    start = next;
  }
  return entries;
}

}  // namespace quorril
