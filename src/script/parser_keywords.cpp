// The keyword table of the script language: one handler per keyword line.
//
// Each handler is called with the tokenizer just after the keyword (and the
// separators and colons that follow it), fills the script model and returns
// LineResult::kSyntaxError through run.Fail() for the errors the language
// names. Texts longer than the field that receives them are cut to its
// capacity where the language names no check. The blocks (screens, groups,
// registry) live in parser_blocks.cpp, the IF structure in parser.cpp.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/variables.h"
#include "platform/text.h"
#include "script/parser_internal.h"

namespace quorril {

namespace {

using Handler = LineResult (*)(ParseRun&);

std::string Cut(std::string text, size_t capacity) {
  CutToCapacity(text, capacity);
  return text;
}

// ---- colours --------------------------------------------------------------------

struct NamedColour {
  const char* name;
  Colour colour;
};
constexpr NamedColour kColourNames[] = {
    {"Black", {0, 0, 0}},     {"Blue", {0, 0, 255}},      {"Green", {0, 255, 0}},    {"Cyan", {0, 255, 255}},
    {"Red", {255, 0, 0}},     {"Magenta", {255, 0, 255}}, {"Yellow", {255, 255, 0}}, {"White", {255, 255, 255}},
};

// A parenthesized "red, green, blue" (each modulo 256) or a colour name; an
// unknown name or an empty list leaves the colour unchanged.
void ReadColour(ScriptTokenizer& t, Colour* colour) {
  if (t.Peek() == '(') {
    std::string list = t.ReadParenthesized();
    if (list.empty()) return;
    uint8_t parts[3] = {0, 0, 0};
    size_t start = 0;
    for (int i = 0; i < 3 && start <= list.size(); ++i) {
      size_t comma = list.find(',', start);
      std::string_view part =
          std::string_view(list).substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      parts[i] = uint8_t(uint32_t(ParseInt(part)) & 0xFF);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    *colour = Colour{parts[0], parts[1], parts[2]};
    return;
  }
  std::string name = t.ReadWord();
  for (const NamedColour& named : kColourNames)
    if (EqualsNoCase(name, named.name)) *colour = named.colour;
}

LineResult TitleColour(ParseRun& run) {
  ReadColour(run.tokenizer, &run.script.titleColour);
  return LineResult::kOk;
}

LineResult ScreenColour(ParseRun& run) {
  ReadColour(run.tokenizer, &run.script.screenColour1);
  if (run.tokenizer.AtEnd())
    run.script.screenColour2 = run.script.screenColour1;
  else
    ReadColour(run.tokenizer, &run.script.screenColour2);
  return LineResult::kOk;
}

// ---- the screen: title, fonts, pictures ------------------------------------------

LineResult Title(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  if (t.AtEnd()) return run.Fail();
  run.script.title = Cut(t.ReadQuoted(), InstallScript::kTitleCapacity);
  TitleFont& font = run.state.settings.titleFont;
  for (int option = 0; option < 5 && !t.AtEnd(); ++option) {
    if (t.Peek() == '"') {
      font.face = Cut(t.ReadQuoted(), ScriptSettings::kFontNameCapacity);
      continue;
    }
    std::string word = t.ReadWord();
    if (EqualsNoCase(word, "Italic"))
      font.italic = true;
    else if (EqualsNoCase(word, "Bold"))
      font.bold = true;
    else if (EqualsNoCase(word, "Underline"))
      font.underline = true;
    else if (!word.empty() && IsAsciiDigit(word[0]))
      font.size = ParseInt(word);
    else
      return run.Fail();
  }
  return LineResult::kOk;
}

LineResult FontName(ParseRun& run) {
  std::string face = run.tokenizer.ReadQuoted();
  if (face.size() > ScriptSettings::kFontNameCapacity) return run.Fail();
  run.state.settings.dialogFontName = face;
  return LineResult::kOk;
}

LineResult ScreenGraphicLine(ParseRun& run) {
  static const char* const kPositions[] = {"TOPLEFT",      "TOPMIDDLE",  "TOPRIGHT", "MIDDLERIGHT", "BOTTOMRIGHT",
                                           "BOTTOMMIDDLE", "BOTTOMLEFT", "MIDDLELEFT", "TILE",      "FULLSCREEN"};
  ScriptTokenizer& t = run.tokenizer;
  auto graphic = std::make_unique<ScreenGraphic>();
  graphic->file = run.state.variables.sourceDir + "\\" + t.ReadQuotedOrWord();
  if (!t.AtEnd()) {
    std::string word = t.ReadWord();
    for (int i = 0; i < 10 && graphic->position == 0; ++i)
      if (EqualsNoCase(word, kPositions[i])) graphic->position = i + 1;
    if (graphic->position == 0) return run.Fail();
  }
  run.script.screenGraphic = std::move(graphic);
  return LineResult::kOk;
}

LineResult IntroScreenLine(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  auto intro = std::make_unique<IntroScreen>();
  std::string name = t.ReadQuotedOrWord();
  ExpandLeadingVariable(run.state.variables, &name);
  bool absolute = (!name.empty() && name[0] == '\\') || (name.size() >= 2 && name[1] == ':');
  intro->file = absolute ? name : run.state.variables.sourceDir + "\\" + name;
  if (!t.AtEnd()) intro->seconds = ParseInt(t.ReadWord());
  run.script.introScreen = std::move(intro);
  return LineResult::kOk;
}

// ---- destination directories and questions ------------------------------------------

enum class DirectoryKind { kDefault, kDir2, kDir3 };

LineResult DirectoryLine(ParseRun& run, DirectoryKind kind) {
  ScriptTokenizer& t = run.tokenizer;
  if (t.AtEnd()) return run.Fail();
  std::string path = t.ReadQuotedOrWord();
  ExpandLeadingVariable(run.state.variables, &path);
  std::unique_ptr<DirectorySpec>& spec = kind == DirectoryKind::kDefault ? run.script.defaultDir
                                         : kind == DirectoryKind::kDir2  ? run.script.dir2
                                                                         : run.script.dir3;
  if (!spec)
    spec = std::make_unique<DirectorySpec>();
  else
    spec->prompt.clear();

  if (path.size() >= 2 && path[1] == ':') {
    if (path.size() == 2) path += '\\';
  } else if (kind != DirectoryKind::kDefault && !path.empty() && path[0] == '$') {
    // A variable that the run sequence expands later.
  } else {
    path = (!path.empty() && path[0] == '\\' ? "C:" : "C:\\") + path;
  }

  bool noAskDrive = false, noAskDir = false;
  while (!t.AtEnd()) {
    std::string option = t.ReadWord();
    if (EqualsNoCase(option, "prompt")) {
      if (!t.AcceptEquals()) return run.Fail();
      spec->prompt = Cut(t.ReadQuoted(), DirectorySpec::kPromptCapacity);
      spec->promptGiven = true;
    } else if (EqualsNoCase(option, "NOASKDRIVE")) {
      noAskDrive = true;
    } else if (EqualsNoCase(option, "NOASKDIR")) {
      noAskDir = true;
    } else {
      return run.Fail();
    }
  }
  spec->askMode = noAskDrive && noAskDir ? 0 : noAskDrive ? 1 : noAskDir ? 2 : 3;
  CutToCapacity(path, DirectorySpec::kPathCapacity);
  spec->path = path;

  ScriptVariables& vars = run.state.variables;
  if (kind == DirectoryKind::kDefault) {
    vars.defaultDir = path;
    std::string shortPath;
    if (!run.ctx.files.GetShortPathName(path, &shortPath) || shortPath.empty()) shortPath = path;
    vars.defaultDir8 = Cut(shortPath, ScriptVariables::kValueCapacity);
    vars.defaultDrive = path.substr(0, 1);
  } else if (kind == DirectoryKind::kDir2) {
    vars.dir2 = path;
  } else {
    vars.dir3 = path;
  }
  return LineResult::kOk;
}

LineResult DefaultDir(ParseRun& run) { return DirectoryLine(run, DirectoryKind::kDefault); }
LineResult Dir2(ParseRun& run) { return DirectoryLine(run, DirectoryKind::kDir2); }
LineResult Dir3(ParseRun& run) { return DirectoryLine(run, DirectoryKind::kDir3); }

LineResult AskLine(ParseRun& run, int number) {
  ScriptTokenizer& t = run.tokenizer;
  if (run.SecondPass() || t.AtEnd()) return run.Fail();
  auto ask = std::make_unique<AskSpec>();
  std::string answer;
  if (t.ReadRequiredQuoted(&answer) < 0) return run.Fail();
  std::string word = t.ReadWord();
  if (!EqualsNoCase(word, "prompt") || !t.AcceptEquals()) return run.Fail();
  ask->prompt = Cut(t.ReadQuoted(), AskSpec::kPromptCapacity);
  ask->promptGiven = true;
  ask->defaultAnswer = Cut(answer, AskSpec::kDefaultCapacity);
  run.state.variables.ask[size_t(number - 1)] = ask->defaultAnswer;
  run.script.asks[size_t(number - 1)] = std::move(ask);
  return LineResult::kOk;
}

LineResult Ask1(ParseRun& run) { return AskLine(run, 1); }
LineResult Ask2(ParseRun& run) { return AskLine(run, 2); }
LineResult Ask3(ParseRun& run) { return AskLine(run, 3); }
LineResult Ask4(ParseRun& run) { return AskLine(run, 4); }
LineResult Ask5(ParseRun& run) { return AskLine(run, 5); }

// ---- requirements ----------------------------------------------------------------

LineResult MinCpuType(ParseRun& run) {
  std::string word = run.tokenizer.ReadWord();
  if (!StartsWithNoCase(word, "80")) return run.Fail();
  run.script.minimumProcessor = ParseInt(std::string_view(word).substr(2));
  return LineResult::kOk;
}

LineResult MinDiskSpace(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  int32_t size = ParseSize(t.ReadWord());
  if (t.AtEnd()) {
    run.script.minimumDiskSpace = size;
    return LineResult::kOk;
  }
  int32_t item = ParseInt(t.ReadWord());
  if (item < 0 || item >= int32_t(kMaxChoiceItems)) return run.Fail();
  run.state.parser.itemDiskSpace[size_t(item)] = size;
  return LineResult::kOk;
}

LineResult ProgressBar(ParseRun& run) {
  if (run.tokenizer.AtEnd()) return run.Fail();
  run.script.progressTotal = ParseSize(run.tokenizer.ReadWord());
  return LineResult::kOk;
}

// ---- files -------------------------------------------------------------------------

bool ReadOverwriteWord(const std::string& word, OverwritePolicy* policy) {
  if (EqualsNoCase(word, "YES"))
    *policy = OverwritePolicy::kYes;
  else if (EqualsNoCase(word, "NO"))
    *policy = OverwritePolicy::kNo;
  else if (EqualsNoCase(word, "NEW"))
    *policy = OverwritePolicy::kNew;
  else if (EqualsNoCase(word, "ASK"))
    *policy = OverwritePolicy::kAsk;
  else
    return false;
  return true;
}

LineResult OverwriteFile(ParseRun& run) {
  if (!ReadOverwriteWord(run.tokenizer.ReadWord(), &run.state.settings.overwrite)) return run.Fail();
  return LineResult::kOk;
}

LineResult CompressionLine(ParseRun& run) {
  std::string word = run.tokenizer.ReadWord();
  if (EqualsNoCase(word, "PKWARE"))
    run.state.settings.compressionMethod = CompressionTool::kPkware;
  else if (EqualsNoCase(word, "LHA"))
    run.state.settings.compressionMethod = CompressionTool::kLha;
  else
    return run.Fail();
  return LineResult::kOk;
}

// GROUP=: choice-item numbers made of digits, each translated through the
// item-number map into an item index.
bool ReadFileGroups(ParseRun& run, FileEntry* entry) {
  ScriptTokenizer& t = run.tokenizer;
  entry->choiceItems.fill(kEmptyChoiceSlot);
  size_t count = 0;
  for (;;) {
    t.SkipSeparators();
    std::string_view rest = t.Rest();
    size_t digits = 0;
    while (digits < rest.size() && IsAsciiDigit(rest[digits])) ++digits;
    if (digits == 0) return true;
    int32_t number = LeadingDigits(rest.substr(0, digits));
    t.SetPosition(t.Position() + digits);
    if (number >= int32_t(kMaxChoiceItems)) return false;
    int32_t index = run.state.settings.itemNumberMap[size_t(number)];
    if (index < 0 || count >= kMaxEntryGroups) return false;
    entry->choiceItems[count++] = uint16_t(index);
  }
}

LineResult File(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  FileEntry entry;
  entry.kind = EntryKind::kFile;
  entry.overwrite = run.state.settings.overwrite;
  entry.name = Cut(t.ReadQuotedOrWord(), FileEntry::kNameCapacity);
  while (!t.AtEnd()) {
    std::string option = t.ReadWord();
    if (EqualsNoCase(option, "COMPRESSED") || EqualsNoCase(option, "SELF-EXTRACT")) {
      entry.compression = EqualsNoCase(option, "COMPRESSED") ? Compression::kCompressed : Compression::kSelfExtract;
      run.script.compressedFilesPresent = true;
      // An external decompressor's output size is not known in advance:
      // the progress bar then counts files.
      run.script.progressBytesUnknown = true;
      continue;
    }
    bool known = EqualsNoCase(option, "OVERWRITE") || EqualsNoCase(option, "SOURCE") ||
                 EqualsNoCase(option, "POPID") || EqualsNoCase(option, "GROUP") || EqualsNoCase(option, "ATTRIBUTE");
    if (!known || !t.AcceptEquals()) return run.Fail();
    if (EqualsNoCase(option, "OVERWRITE")) {
      if (!ReadOverwriteWord(t.ReadWord(), &entry.overwrite)) return run.Fail();
    } else if (EqualsNoCase(option, "SOURCE")) {
      std::string source = t.ReadQuotedOrWord();
      if (!source.empty() && source.back() == '\\') source.pop_back();
      if ((source.size() >= 2 && source[1] == ':') || (!source.empty() && source[0] == '$'))
        entry.sourceKind = SourceKind::kAsGiven;
      else if (!source.empty() && source[0] == '\\')
        entry.sourceKind = SourceKind::kSourceRoot;
      else {
        entry.sourceKind = SourceKind::kBelowSource;
        source = "\\" + source;
      }
      entry.sourceDirectory = Cut(source, FileEntry::kSourceCapacity);
      entry.sourceGiven = true;
    } else if (EqualsNoCase(option, "POPID")) {
      entry.popupId = LeadingDigits(t.ReadWord());
    } else if (EqualsNoCase(option, "GROUP")) {
      if (!ReadFileGroups(run, &entry)) return run.Fail();
    } else {
      uint32_t attributes = 0;
      for (char c : t.ReadQuoted()) {
        switch (AsciiUpper(c)) {
          case 'A': attributes |= 32; break;
          case 'H': attributes |= 2; break;
          case 'R': attributes |= 1; break;
          case 'S': attributes |= 4; break;
          default: return run.Fail();
        }
      }
      entry.attributes = attributes;
    }
  }
  run.script.fileEntries.push_back(std::move(entry));
  ++run.script.fileCount;
  return LineResult::kOk;
}

// INSERTDISK reports no errors: what it cannot read it leaves out.
LineResult InsertDisk(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  FileEntry entry;
  entry.kind = EntryKind::kDisk;
  entry.name = t.ReadQuoted();
  if (t.Peek() == '"') entry.volumeLabel = Cut(t.ReadQuoted(), FileEntry::kLabelCapacity);
  if (!t.AtEnd() && EqualsNoCase(t.ReadWord(), "POPID") && t.AcceptEquals())
    entry.popupId = LeadingDigits(t.ReadWord());
  if (entry.name.empty()) entry.name = run.state.Prompt(PromptId::kNextDisk);
  CutToCapacity(entry.name, FileEntry::kDiskNameCapacity);
  if (!entry.volumeLabel.empty()) entry.kind = EntryKind::kLabelledDisk;
  run.script.fileEntries.push_back(std::move(entry));
  return LineResult::kOk;
}

LineResult Delete(ParseRun& run) {
  DeleteRecord record;
  record.file = Cut(run.tokenizer.ReadQuotedOrWord(), capacity::kDeleteName);
  if (record.file.empty()) return run.Fail();
  run.script.deletes.push_back(std::move(record));
  return LineResult::kOk;
}

LineResult Rename(ParseRun& run) {
  RenameRecord record;
  record.oldName = Cut(run.tokenizer.ReadQuotedOrWord(), capacity::kRenameOldName);
  record.newName = Cut(run.tokenizer.ReadQuotedOrWord(), capacity::kRenameNewName);
  if (record.oldName.empty() || record.newName.empty()) return run.Fail();
  run.script.renames.push_back(std::move(record));
  return LineResult::kOk;
}

// ---- system changes ----------------------------------------------------------------

// WINITEM: the word replace or remove after the line's last comma chooses
// the mode; it is cut off with its comma before the arguments are read.
LineResult WinItem(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  WinItemRecord record;
  const std::string& line = t.Line();
  size_t comma = line.rfind(',');
  if (comma != std::string::npos && comma >= t.Position()) {
    std::string_view tail = std::string_view(line).substr(comma + 1);
    while (!tail.empty() && (tail.front() == ' ' || tail.front() == '\t')) tail.remove_prefix(1);
    while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\t')) tail.remove_suffix(1);
    WinItemMode mode = EqualsNoCase(tail, "replace")  ? WinItemMode::kReplace
                       : EqualsNoCase(tail, "remove") ? WinItemMode::kRemove
                                                      : WinItemMode::kAdd;
    if (mode != WinItemMode::kAdd) {
      record.mode = mode;
      size_t position = t.Position();
      std::string cut = line.substr(0, comma);
      t.Reset(cut);
      t.SetPosition(position);
    }
  }
  record.group = Cut(t.ReadQuoted(), capacity::kItemText);
  record.command = Cut(t.ReadQuoted(), capacity::kItemCommand);
  record.title = Cut(t.ReadQuoted(), capacity::kItemText);
  if (t.Peek() == '"') {
    std::string text = t.ReadQuoted();
    if (!text.empty() && text.back() == '\\') {
      record.workingDirectory = Cut(text, capacity::kItemText);
      if (t.Peek() == '"') record.iconFile = Cut(t.ReadQuoted(), capacity::kItemText);
    } else {
      record.iconFile = Cut(text, capacity::kItemText);
    }
  }
  if (!t.AtEnd()) record.iconIndex = Cut(t.ReadWord(), capacity::kItemIconIndex);
  run.script.winItems.push_back(std::move(record));
  return LineResult::kOk;
}

LineResult IniFile(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  IniFileRecord record;
  record.section = Cut(t.ReadQuoted(), capacity::kIniName);
  record.entry = Cut(t.ReadQuoted(), capacity::kIniName);
  record.value = Cut(t.ReadQuoted(), capacity::kIniValue);
  if (!t.AtEnd()) {
    std::string file = Cut(t.ReadQuotedOrWord(), capacity::kIniName);
    if (!file.empty()) record.fileName = file;
  }
  while (!t.AtEnd()) {
    std::string option = t.ReadWord();
    if (EqualsNoCase(option, "ASK"))
      record.mode = ChangeMode::kAsk;
    else if (EqualsNoCase(option, "ADD"))
      record.add = true;
    else if (!EqualsNoCase(option, "OVERWRITE"))
      return run.Fail();
  }
  run.script.iniFiles.push_back(std::move(record));
  return LineResult::kOk;
}

// Every "$SEARCH$" (any case) becomes the line number of the last search.
void ReplaceSearchNumber(const std::string& number, std::string* text) {
  static constexpr std::string_view kName = "$SEARCH$";
  size_t at = 0;
  while ((at = FindNoCase(*text, kName, at)) != std::string::npos) {
    text->replace(at, kName.size(), number);
    at += number.size();
  }
}

LineResult AddText(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  AddTextRecord record;
  record.text = t.ReadQuoted();
  if (t.AtEnd()) return run.Fail();
  record.targetFile = Cut(t.ReadQuotedOrWord(), capacity::kAddTextFile);
  if (t.Peek() == '"') record.position = t.ReadQuoted();
  while (!t.AtEnd()) {
    std::string word = t.ReadWord();
    if (word.empty())
      t.AcceptEquals();
    else if (EqualsNoCase(word, "REPLACE"))
      record.replace = true;
  }
  ExpandSearchResult(run.state.variables, &record.text);
  ReplaceSearchNumber(run.state.variables.search, &record.position);
  CutToCapacity(record.text, capacity::kAddTextText);
  CutToCapacity(record.position, capacity::kAddTextPosition);
  run.script.addTexts.push_back(std::move(record));
  return LineResult::kOk;
}

// SHARE="/F:n /L:n": the two minimums, found in any case; blanks may stand
// between the colon and the digits.
void ReadShareValues(const std::string& text, int32_t numbers[2]) {
  std::string upper = AsciiUpperCopy(text);
  const char* const keys[2] = {"/F:", "/L:"};
  for (int i = 0; i < 2; ++i) {
    size_t at = upper.find(keys[i]);
    if (at == std::string::npos) continue;
    at += 3;
    while (at < upper.size() && (upper[at] == ' ' || upper[at] == '\t')) ++at;
    numbers[i] = LeadingDigits(std::string_view(upper).substr(at));
  }
}

LineResult Autoexec(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  AutoexecSpec& spec = run.script.autoexec;
  if (spec.mode == ChangeMode::kNone) spec.mode = ChangeMode::kChange;
  while (!t.AtEnd()) {
    std::string option = t.ReadWord();
    if (EqualsNoCase(option, "ASK")) {
      spec.mode = ChangeMode::kAsk;
    } else if (EqualsNoCase(option, "ADDPATH")) {
      if (t.AcceptEquals()) {
        std::string dir = t.ReadQuoted();
        if (!dir.empty()) spec.addPathDirectories.emplace_back(dir);
      } else {
        spec.addPath = true;
      }
    } else if (EqualsNoCase(option, "SHARE")) {
      spec.share = true;
      if (t.AcceptEquals()) ReadShareValues(t.ReadQuoted(), spec.shareNumbers);
    } else if (EqualsNoCase(option, "ADD")) {
      if (!t.AcceptEquals()) return run.Fail();
      spec.addLines.emplace_back(t.ReadQuoted());
    } else {
      return run.Fail();
    }
  }
  return LineResult::kOk;
}

LineResult Config(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  ConfigSpec& spec = run.script.config;
  if (spec.mode == ChangeMode::kNone) spec.mode = ChangeMode::kChange;
  while (!t.AtEnd()) {
    std::string option = t.ReadWord();
    if (EqualsNoCase(option, "ASK")) {
      spec.mode = ChangeMode::kAsk;
    } else if (EqualsNoCase(option, "BUFFERMIN") || EqualsNoCase(option, "FILEMIN")) {
      // Without "=" the rest of the line is passed over.
      if (!t.AcceptEquals()) return LineResult::kOk;
      int32_t value = ParseInt(t.ReadWord());
      (EqualsNoCase(option, "BUFFERMIN") ? spec.bufferMin : spec.fileMin) = value;
    } else if (EqualsNoCase(option, "ADD")) {
      if (!t.AcceptEquals()) return run.Fail();
      spec.addLines.emplace_back(t.ReadQuoted());
    } else {
      return run.Fail();
    }
  }
  return LineResult::kOk;
}

LineResult RegServer(ParseRun& run) {
  std::string name = run.tokenizer.ReadQuotedOrWord();
  if (name.empty()) return run.Fail();
  run.state.settings.components.push_back(std::move(name));
  return LineResult::kOk;
}

// ---- the end of the installation -----------------------------------------------------

LineResult ShowReadme(ParseRun& run) {
  run.script.readmeFile = Cut(run.tokenizer.ReadQuotedOrWord(), InstallScript::kReadmeCapacity);
  return LineResult::kOk;
}

LineResult RunAtStart(ParseRun& run) {
  if (run.SecondPass() || run.tokenizer.AtEnd()) return run.Fail();
  std::string command = run.tokenizer.ReadQuoted();
  if (command.empty()) return run.Fail();
  run.script.startCommand.Set(command);
  return LineResult::kOk;
}

LineResult RunAtExit(ParseRun& run) {
  if (run.tokenizer.AtEnd()) return run.Fail();
  std::string command = run.tokenizer.ReadQuoted();
  if (command.empty()) return run.Fail();
  run.script.exitCommands.emplace_back(command);
  return LineResult::kOk;
}

LineResult RebootWindows(ParseRun& run) {
  run.state.settings.rebootMode = RebootMode::kWindows;
  return LineResult::kOk;
}

LineResult RebootSystem(ParseRun& run) {
  run.state.settings.rebootMode = RebootMode::kSystem;
  return LineResult::kOk;
}

LineResult Reboot(ParseRun& run) {
  std::string word = run.tokenizer.ReadWord();
  if (EqualsNoCase(word, "Windows") || EqualsNoCase(word, "Window"))
    run.state.settings.rebootMode = RebootMode::kWindows;
  else if (EqualsNoCase(word, "System"))
    run.state.settings.rebootMode = RebootMode::kSystem;
  else
    return run.Fail();
  return LineResult::kOk;
}

LineResult Uninstall(ParseRun& run) {
  std::string word = run.tokenizer.ReadWord();
  if (EqualsNoCase(word, "YES"))
    run.state.settings.uninstall = true;
  else if (EqualsNoCase(word, "NO"))
    run.state.settings.uninstall = false;
  else
    return run.Fail();
  return LineResult::kOk;
}

// ---- prompt texts ----------------------------------------------------------------------

// A quoted text for one of the PromptTexts keys; anything after it is
// ignored and an unquoted argument empties the text. The three uninstall
// texts must not be empty.
LineResult PromptLine(ParseRun& run, const PromptInfo& info) {
  std::string text;
  int32_t length = run.tokenizer.ReadRequiredQuoted(&text);
  bool uninstallText = info.id == PromptId::kUninstallBegin || info.id == PromptId::kUninstallEnd ||
                       info.id == PromptId::kUninstallTitle;
  if (uninstallText && length <= 0) return run.Fail();
  if (!run.state.prompts.Set(info.id, text)) return run.Fail();
  return LineResult::kOk;
}

struct KeywordEntry {
  const char* name;
  Handler handler;
};

constexpr KeywordEntry kKeywords[] = {
    {"TITLE", Title},
    {"TITLECOLOR", TitleColour},
    {"SCREENCOLOR", ScreenColour},
    {"FONTNAME", FontName},
    {"SCREENGRAPHIC", ScreenGraphicLine},
    {"INTROSCREEN", IntroScreenLine},
    {"DEFAULTDIR", DefaultDir},
    {"DIR2", Dir2},
    {"DIR3", Dir3},
    {"ASK1", Ask1},
    {"ASK2", Ask2},
    {"ASK3", Ask3},
    {"ASK4", Ask4},
    {"ASK5", Ask5},
    {"MINCPUTYPE", MinCpuType},
    {"MINDISKSPACE", MinDiskSpace},
    {"PROGRESSBAR", ProgressBar},
    {"OVERWRITEFILE", OverwriteFile},
    {"COMPRESSION", CompressionLine},
    {"FILE", File},
    {"INSERTDISK", InsertDisk},
    {"DELETE", Delete},
    {"RENAME", Rename},
    {"WINITEM", WinItem},
    {"INIFILE", IniFile},
    {"ADDTEXT", AddText},
    {"AUTOEXEC", Autoexec},
    {"CONFIG", Config},
    {"BEGINREGISTRY", ParseRegistry},
    {"REGSERVER", RegServer},
    {"SHOWREADME", ShowReadme},
    {"RUNATSTART", RunAtStart},
    {"RUNATEXIT", RunAtExit},
    {"REBOOTWINDOWS", RebootWindows},
    {"REBOOTSYSTEM", RebootSystem},
    {"REBOOT", Reboot},
    {"UNINSTALL", Uninstall},
    {"BEGINFIRSTSCREEN", ParseFirstScreen},
    {"BEGINLASTSCREEN", ParseLastScreen},
    {"POPMESSAGE", ParsePopMessage},
    {"BEGINGROUP", ParseGroup},
    {"EXITMESSAGE", ParseExitMessage},
};

}  // namespace

bool IsIgnoredKeyword(std::string_view keyword) {
  static const char* const kIgnored[] = {
      "REM",             "SCREENFILLCHAR",  "WINDOWBACKGROUND", "WINDOWFOREGROUND",   "SCREENBACKGROUND",
      "SCREENFOREGROUND", "TITLEBACKGROUND", "TITLEFOREGROUND", "BOTTOMBACKGROUND",   "BOTTOMFOREGROUND",
      "PROMPTBACKGROUND", "PROMPTFOREGROUND", "EnterKeyPrompt", "EscPrompt",          "F2KeyPrompt",
      "PressKeyPrompt",  "PressKeyQuitPrompt", "ReadmePrompt",  "YesNoPrompt",        "YesNoKey",
  };
  for (const char* name : kIgnored)
    if (EqualsNoCase(keyword, name)) return true;
  return false;
}

bool DispatchKeyword(ParseRun& run, std::string_view keyword, LineResult* result) {
  for (const KeywordEntry& entry : kKeywords) {
    if (EqualsNoCase(keyword, entry.name)) {
      *result = entry.handler(run);
      return true;
    }
  }
  if (const PromptInfo* info = FindPromptKey(keyword)) {
    *result = PromptLine(run, *info);
    return true;
  }
  return false;
}

}  // namespace quorril
