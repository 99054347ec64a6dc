// AUTOEXEC.BAT and CONFIG.SYS (see startup_files.h).
#include "system/startup_files.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "model/variables.h"
#include "platform/file_system.h"
#include "platform/machine.h"
#include "platform/text.h"
#include "platform/user_interface.h"
#include "system/text_file.h"

namespace quorril {
namespace {

constexpr const char kTemporaryName[] = "~Zemko.tmp";

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// A line to add and whether it still has to be added (no line of the file
// holds it yet, same case).
struct AddLine {
  std::string text;
  bool pending = true;
};

std::vector<AddLine> ExpandedAddLines(const ScriptVariables& variables, const std::vector<TextValue>& lines) {
  std::vector<AddLine> out;
  for (const TextValue& line : lines) {
    AddLine add{line.Text()};
    ExpandVariables(variables, &add.text);
    out.push_back(std::move(add));
  }
  return out;
}

void MarkPresentAddLines(const std::string& line, std::vector<AddLine>* adds) {
  for (AddLine& add : *adds)
    if (add.pending && line.find(add.text) != std::string::npos) add.pending = false;
}

// The file as it is, and what becomes of it.
struct StartupFile {
  std::string path, backup, keyword;  // keyword: "AUTOEXEC: " or "CONFIG: "
  bool existed = false;
  uint32_t attributes = kAttrNormal;
  TextFile text;
  std::vector<TextLine>& lines = text.lines;
  std::vector<std::string> journal;  // the lines to journal once the change stands

  void Changed(const std::string& before, const std::string& after) {
    journal.push_back(keyword + JournalField(before) + ", " + JournalField(after));
  }
};

bool ReadStartupFile(const ChangeContext& ctx, const std::string& name, const std::string& backupName,
                     const std::string& keyword, StartupFile* file) {
  file->path = BootDrivePath(ctx.script.settings, name);
  file->backup = BootDrivePath(ctx.script.settings, backupName);
  file->keyword = keyword;
  TextRead read = ReadTextFile(ctx.files, file->path, &file->text);
  file->existed = read == TextRead::kRead;
  if (file->existed) file->attributes = ctx.files.GetAttributes(file->path);
  return read != TextRead::kFailed;
}

// Writes the new file with its backup, asks when asked to, and journals
// what stands.
void CommitStartupFile(const ChangeContext& ctx, StartupFile& file, bool ask, PromptId question) {
  FileSystem& files = ctx.files;
  const std::string temporary = BootDrivePath(ctx.script.settings, kTemporaryName);
  // A read-only start-up file (or backup) is changed all the same, and
  // keeps its attributes.
  const bool readOnly = file.existed && file.attributes != kInvalidAttributes && (file.attributes & kAttrReadOnly);
  if (file.existed) {
    uint32_t backup = files.GetAttributes(file.backup);
    if (backup != kInvalidAttributes && (backup & kAttrReadOnly)) files.SetAttributes(file.backup, kAttrNormal);
    files.DeleteFile(file.backup);
    if (!files.CopyFile(file.path, file.backup, false)) return;
    if (readOnly) files.SetAttributes(file.path, file.attributes & ~uint32_t(kAttrReadOnly));
  }
  if (!ReplaceFileContents(files, temporary, file.path, RenderTextFile(file.text))) {
    if (readOnly) files.SetAttributes(file.path, file.attributes);
    return;
  }
  if (readOnly) files.SetAttributes(file.path, file.attributes);
  if (file.journal.empty()) return;
  if (ask) {
    int answer = ShowMessageBox(ctx.ui, ctx.script.Prompt(question), std::string(), kMbYesNo | kMbIconQuestion,
                                ctx.ownerWindow);
    if (answer != kIdYes) {
      if (readOnly) files.SetAttributes(file.path, kAttrNormal);
      bool restored = file.existed ? files.ReplaceFile(file.backup, file.path) : files.DeleteFile(file.path);
      // Where the old file cannot be put back, the change stands and is
      // journalled so that the uninstaller can take it back.
      if (restored) return;
      if (readOnly) files.SetAttributes(file.path, file.attributes);
    }
  }
  for (const std::string& line : file.journal) AppendJournal(files, ctx.journal, line);
}

// The "/F:" or "/L:" value of an upper-cased SHARE line; 0 when absent.
int32_t ShareValue(const std::string& upper, const char* key) {
  size_t at = upper.find(key);
  if (at == std::string::npos) return 0;
  return ParseInt(std::string_view(upper).substr(at + 3));
}

std::string ShareOptions(int32_t files, int32_t locks) {
  std::string out;
  if (files != 0) out += " /F:" + FormatInt(files);
  if (locks != 0) out += " /L:" + FormatInt(locks);
  return out;
}

// Where the program SHARE stands in a line ("SHARE", "C:\DOS\SHARE.EXE
// /F:4096", "INSTALL=SHARE.EXE"), or npos: the word alone, not a part of
// another name (a directory C:\SHAREWARE in a PATH is no SHARE).
size_t ShareProgram(const std::string& line) {
  for (size_t at = FindNoCase(line, "SHARE"); at != std::string::npos; at = FindNoCase(line, "SHARE", at + 1)) {
    char before = at == 0 ? ' ' : line[at - 1];
    char after = at + 5 < line.size() ? line[at + 5] : ' ';
    bool starts = before == ' ' || before == '\t' || before == '\\' || before == ':' || before == '=';
    bool ends = after == ' ' || after == '\t' || after == '.' || after == '/';
    if (starts && ends) return at;
  }
  return std::string::npos;
}

bool IsActiveShareLine(const std::string& line) {
  return !StartsWithNoCase(line, "rem ") && PathValueStart(line) == std::string::npos &&
         ShareProgram(line) != std::string::npos;
}

// True when `entry` stands in `line` followed by ";", a blank or the end
// (both upper-cased).
bool PathEntryPresent(const std::string& line, const std::string& entry) {
  if (entry.empty()) return true;
  for (size_t at = line.find(entry); at != std::string::npos; at = line.find(entry, at + 1)) {
    size_t after = at + entry.size();
    if (after == line.size()) return true;
    char c = line[after];
    if (c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') return true;
  }
  return false;
}

// The number of a FILES or BUFFERS line raised to `minimum` (-1: none was
// given). Only the first line of the keyword counts (`seen`); the keyword
// must stand alone at the start of the line (FILESHIGH is another setting).
void RaiseMinimum(StartupFile& file, TextLine& line, std::string_view keyword, int32_t minimum, bool* seen) {
  if (*seen || !StartsWithNoCase(line.text, keyword)) return;
  size_t at = keyword.size();
  if (at < line.text.size() && !IsBlankOrTab(line.text[at]) && line.text[at] != '=') return;
  *seen = true;
  while (at < line.text.size() && (IsBlankOrTab(line.text[at]) || line.text[at] == '=')) ++at;
  if (minimum == -1 || ParseInt(std::string_view(line.text).substr(at)) >= minimum) return;
  std::string before = line.text;
  line.text = line.text.substr(0, at) + FormatInt(minimum);
  line.ended = true;
  file.Changed(before, line.text);
}

}  // namespace

std::string BootDrivePath(const ScriptSettings& settings, const std::string& name) {
  return std::string(1, settings.defaultDriveLetter) + ":\\" + name;
}

size_t PathValueStart(const std::string& line) {
  size_t at = 0;
  while (at < line.size() && (IsBlankOrTab(line[at]) || line[at] == '=')) ++at;
  std::string_view rest = std::string_view(line).substr(at);
  if (StartsWithNoCase(rest, "PATH") && (rest.size() == 4 || IsBlankOrTab(rest[4]) || rest[4] == '=')) {
    at += 4;
    while (at < line.size() && (IsBlankOrTab(line[at]) || line[at] == '=')) ++at;
    return at;
  }
  if (StartsWithNoCase(rest, "SET") && rest.size() > 3 && IsBlankOrTab(rest[3])) {
    at += 3;
    while (at < line.size() && IsBlankOrTab(line[at])) ++at;
    if (StartsWithNoCase(std::string_view(line).substr(at), "PATH=")) return at + 5;
  }
  return std::string::npos;
}

void ApplyAutoexec(const ChangeContext& ctx, const AutoexecSpec& spec) {
  if (spec.mode == ChangeMode::kNone) return;
  StartupFile file;
  if (!ReadStartupFile(ctx, "AUTOEXEC.BAT", "AUTOEXEC.BAK", "AUTOEXEC: ", &file)) return;
  const ScriptVariables& variables = ctx.script.variables;

  std::vector<std::string> entries;
  for (const TextValue& entry : spec.addPathDirectories) entries.push_back(entry.Text());
  if (spec.addPath) {
    std::string destination = variables.defaultDir;
    if (destination.size() == 2 && destination[1] == ':') destination += "\\";
    entries.push_back(destination);
  }
  for (std::string& entry : entries) ExpandVariables(variables, &entry);
  std::vector<AddLine> adds = ExpandedAddLines(variables, spec.addLines);

  // With a multi-configuration start-up, PATH lines count only in the
  // section of the active configuration.
  std::string configuration;
  const bool sections = ctx.machine.EnvironmentVariable("CONFIG", &configuration) && !configuration.empty();
  bool outsideSection = true;

  const int32_t shareFiles = spec.shareNumbers[0], shareLocks = spec.shareNumbers[1];
  bool shareSeen = false, pathDone = false;
  for (TextLine& line : file.lines) {
    if (sections && !line.text.empty() && line.text[0] == ':')
      outsideSection = !StartsWithNoCase(std::string_view(line.text).substr(1), configuration);

    if (spec.share && !shareSeen && IsActiveShareLine(line.text)) {
      shareSeen = true;
      std::string upper = AsciiUpperCopy(line.text);
      int32_t lineFiles = ShareValue(upper, "/F:"), lineLocks = ShareValue(upper, "/L:");
      if (lineFiles >= shareFiles && lineLocks >= shareLocks) {
        line.text = upper;
      } else {
        std::string rebuilt = upper.substr(0, ShareProgram(upper) + 5) +
                              ShareOptions(std::max(lineFiles, shareFiles), std::max(lineLocks, shareLocks));
        file.Changed(upper, rebuilt);
        line.text = rebuilt;
        line.ended = true;
      }
    }

    size_t value;
    if (!pathDone && !entries.empty() && (!sections || !outsideSection) &&
        (value = PathValueStart(line.text)) != std::string::npos) {
      pathDone = true;
      std::string before = line.text;
      for (const std::string& entry : entries) {
        if (PathEntryPresent(AsciiUpperCopy(line.text), AsciiUpperCopy(entry))) continue;
        line.text.insert(value, entry + ";");
      }
      if (line.text != before) file.Changed(before, line.text);
    }

    MarkPresentAddLines(line.text, &adds);
  }

  // The additions go in front of the last line, which usually starts
  // Windows.
  std::vector<TextLine> additions;
  auto add = [&](const std::string& text) {
    additions.push_back(TextLine{text, true});
    file.Changed("", text);
  };
  if (!pathDone && !entries.empty()) {
    std::string path = "PATH=";
    for (const std::string& entry : entries) path += entry + ";";
    add(path);
  }
  for (const AddLine& line : adds)
    if (line.pending) add(line.text);
  if (spec.share && !shareSeen) add("SHARE" + ShareOptions(shareFiles, shareLocks));
  auto at = file.lines.empty() ? file.lines.end() : file.lines.end() - 1;  // before the last line
  file.lines.insert(at, additions.begin(), additions.end());

  CommitStartupFile(ctx, file, spec.mode == ChangeMode::kAsk, PromptId::kAutoexec);
}

void ApplyConfig(const ChangeContext& ctx, const ConfigSpec& spec) {
  if (spec.mode == ChangeMode::kNone) return;
  StartupFile file;
  if (!ReadStartupFile(ctx, "CONFIG.SYS", "CONFIG.BAK", "CONFIG: ", &file)) return;
  std::vector<AddLine> adds = ExpandedAddLines(ctx.script.variables, spec.addLines);

  bool filesSeen = false, buffersSeen = false;
  for (TextLine& line : file.lines) {
    RaiseMinimum(file, line, "FILES", spec.fileMin, &filesSeen);
    RaiseMinimum(file, line, "BUFFERS", spec.bufferMin, &buffersSeen);
    MarkPresentAddLines(line.text, &adds);
  }

  auto add = [&](const std::string& text) {
    if (!file.lines.empty()) file.lines.back().ended = true;
    file.lines.push_back(TextLine{text, true});
    file.Changed("", text);
  };
  auto given = [](int32_t minimum) { return minimum != 0 && minimum != -1; };
  if (!filesSeen && given(spec.fileMin)) add("FILES = " + FormatInt(spec.fileMin));
  if (!buffersSeen && given(spec.bufferMin)) add("BUFFERS = " + FormatInt(spec.bufferMin));
  for (const AddLine& line : adds)
    if (line.pending) add(line.text);

  CommitStartupFile(ctx, file, spec.mode == ChangeMode::kAsk, PromptId::kConfig);
}

}  // namespace quorril
