// ADDTEXT (see add_text.h).
#include "system/add_text.h"

#include <cstdint>
#include <vector>

#include "model/variables.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "system/text_file.h"

namespace quorril {
namespace {

// A line number of this value means: look for the line argument as a text.
constexpr int64_t kSearchForText = 9999;

bool MatchesPosition(const std::string& argument, const std::string& line) {
  if (!argument.empty() && argument.back() == '*')
    return StartsWithNoCase(line, std::string_view(argument).substr(0, argument.size() - 1));
  return EqualsNoCase(line, argument);
}

}  // namespace

void ApplyAddText(const ChangeContext& ctx, const AddTextRecord& record) {
  const ScriptVariables& variables = ctx.script.variables;
  std::string text = record.text, file = record.targetFile, where = record.position;
  ExpandVariables(variables, &text);
  ExpandVariables(variables, &file);
  ExpandVariables(variables, &where);
  // A name without a drive lies in the destination; where that cannot be
  // entered, such a name would land elsewhere.
  if (!ctx.files.SetCurrentDirectory(variables.defaultDir) && !HasDrive(file)) return;

  int64_t n = ParseInt(where);
  if (n == 0) n = kSearchForText;

  TextFile original;
  TextRead read = ReadTextFile(ctx.files, file, &original);
  const std::vector<TextLine>& lines = original.lines;
  if (read == TextRead::kFailed) return;
  const bool created = read == TextRead::kMissing;

  const int64_t count = int64_t(lines.size());
  for (int64_t i = 0; i < count; ++i) {
    const std::string& line = lines[size_t(i)].text;
    if (!record.replace && EqualsNoCase(line, text)) return;  // already there
    if (n == kSearchForText && MatchesPosition(where, line)) n = record.replace ? i + 1 : i + 2;
  }
  if (n > count + 1 && n < kSearchForText) n = count + 1;
  if (n < 0) {
    n = record.replace ? count + n + 1 : count + n + 2;
    if (n < 1) n = 1;
  }

  TextFile changed;
  changed.trailer = original.trailer;
  std::vector<TextLine>& out = changed.lines;
  out.reserve(lines.size() + 1);
  std::string change;  // the journal line of the change, empty when nothing changed
  const std::string fileField = ", " + file + ", ";
  for (int64_t i = 1; i <= count; ++i) {
    TextLine old = lines[size_t(i - 1)];
    if (i != n) {
      out.push_back(std::move(old));
    } else if (record.replace && !text.empty() && text.back() == '*') {
      std::string prefixed = text.substr(0, text.size() - 1) + old.text;
      change = "ADDTEXT: " + JournalField(old.text) + fileField + JournalField(prefixed);
      out.push_back(TextLine{prefixed, old.ended});
    } else if (record.replace) {
      change = "ADDTEXT: " + JournalField(old.text) + fileField + JournalField(text);
      out.push_back(TextLine{text, true});
    } else {
      change = "ADDTEXT: " + JournalField("") + fileField + JournalField(text);
      out.push_back(TextLine{text, true});
      out.push_back(std::move(old));
    }
  }
  // Appended: no line matched, or the position is just past the end; a
  // REPLACE never adds a line to a file that existed.
  if ((n == kSearchForText || n == count + 1) && !(record.replace && !created)) {
    if (!out.empty()) out.back().ended = true;
    out.push_back(TextLine{text, true});
    change = "ADDTEXT: " + JournalField("") + fileField + JournalField(text);
  }
  if (change.empty() && !created) return;  // the file stays as it is

  size_t slash = file.rfind('\\');
  std::string temporary =
      slash == std::string::npos ? kAddTextTemporaryName : file.substr(0, slash + 1) + kAddTextTemporaryName;
  if (!ReplaceFileContents(ctx.files, temporary, file, RenderTextFile(changed))) return;
  if (created) {
    // FILE lines hold full paths: a name without one lies in the
    // destination, one from the root on the destination's drive.
    std::string path = file;
    if (!HasDrive(file))
      path = IsAbsolutePath(file) ? variables.defaultDir.substr(0, 2) + file : JoinPath(variables.defaultDir, file);
    AppendJournal(ctx.files, ctx.journal, "FILE: " + JournalField(path));
  }
  if (!change.empty()) AppendJournal(ctx.files, ctx.journal, change);
}

}  // namespace quorril
