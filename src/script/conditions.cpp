// Conditions: the test of one IF line.
//
// Organisation: the operator reader and the small comparison helpers come
// first, then one function per test (isfile, ocxfilever, search, locate,
// the display tests, memory, winver/dosver, the generic comparison), the
// capture of a deferred block, and the two entry points that dispatch on the
// test word. Every test reads its arguments through the tokenizer's
// condition readers (a word there also ends at "(" and ")"), reaches the
// machine only through the ports of the context, and answers 1, 0 or -1.
//
// Tests that look at the file system and change the current directory
// (isfile with a trailing backslash, locate) put the current directory back
// before they return.
#include "script/conditions.h"

#include <cstdint>
#include <limits>

#include "model/variables.h"
#include "platform/text.h"
#include "platform/windows_path.h"
#include "script/script_context.h"

namespace quorril {

namespace {

// Reparse points (junctions) are not followed by locate: on current
// systems some of them point back up their own tree.
constexpr uint32_t kAttrReparsePoint = 0x400;

// What the tests keep of a text they read.
constexpr size_t kVersionTextCapacity = capacity::kTestedVersion;
// A file line is read in parts of at most this many characters.
constexpr size_t kSearchLinePart = capacity::kScriptLine - 1;

bool Holds(CompareOp op, int comparison) {
  switch (op) {
    case CompareOp::kEqual: return comparison == 0;
    case CompareOp::kGreater: return comparison > 0;
    case CompareOp::kLess: return comparison < 0;
    case CompareOp::kGreaterOrEqual: return comparison >= 0;
    case CompareOp::kLessOrEqual: return comparison <= 0;
    case CompareOp::kNotEqual: return comparison != 0;
    default: return false;
  }
}

template <typename T>
int Compare(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// A quoted string when a quote follows, else a condition word.
std::string ReadQuotedOrConditionWord(ScriptTokenizer& tokenizer) {
  if (tokenizer.Peek() == '"') return tokenizer.ReadQuoted();
  return tokenizer.ReadConditionWord();
}

// ---- isfile ---------------------------------------------------------------

int TestIsFile(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  return PathExists(ctx.files, ctx.state.variables, ReadQuotedOrConditionWord(tokenizer));
}

// ---- ocxfilever -----------------------------------------------------------

int TestOcxFileVersion(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  std::string classId = tokenizer.ReadQuoted();
  if (classId.empty()) return kConditionError;
  std::string bits = tokenizer.ReadConditionWord();
  if (bits != "16" && bits != "32") return kConditionError;
  CompareOp op = ReadCompareOp(tokenizer);
  if (op == CompareOp::kNone) return kConditionError;
  std::string wanted = tokenizer.ReadQuoted();
  if (wanted.empty()) return kConditionError;

  std::string key = "CLSID\\";
  if (classId.front() != '{') key += '{';
  key += classId;
  if (classId.back() != '}') key += '}';
  key += "\\InprocServer";
  if (bits == "32") key += "32";

  std::string installed = "0.0.0.0";
  std::string serverPath;
  std::string version;
  if (ctx.machine.ClassesRootDefault(key, &serverPath) && ctx.machine.FileVersionText(serverPath, &version)) {
    CutToCapacity(version, kVersionTextCapacity);
    installed = version;
  }
  return Holds(op, CompareTextNoCase(installed, wanted)) ? kConditionTrue : kConditionFalse;
}

// ---- search ---------------------------------------------------------------

// Reads a text file the way the C runtime's text streams do: CR LF comes as
// LF, Ctrl-Z ends the file, and a line is handed out in parts of at most
// kSearchLinePart characters (the part that ends a line keeps its LF).
class TextLineReader {
 public:
  explicit TextLineReader(FileHandle& file) : file_(file) {}

  bool ReadPart(std::string* part) {
    part->clear();
    while (part->size() < kSearchLinePart) {
      int c = Next();
      if (c < 0) break;
      if (c == '\r') {
        int after = Next();
        if (after == '\n') {
          c = '\n';
        } else if (after >= 0) {
          pushedBack_ = after;
        }
      }
      part->push_back(char(c));
      if (c == '\n') break;
    }
    return !part->empty();
  }

 private:
  int Next() {
    if (pushedBack_ >= 0) {
      int c = pushedBack_;
      pushedBack_ = -1;
      return c;
    }
    if (ended_) return -1;
    if (at_ == filled_) {
      int32_t n = file_.Read(buffer_, sizeof buffer_);
      if (n <= 0) {
        ended_ = true;
        return -1;
      }
      filled_ = size_t(n);
      at_ = 0;
    }
    unsigned char c = static_cast<unsigned char>(buffer_[at_++]);
    if (c == 0x1A) {
      ended_ = true;
      return -1;
    }
    return c;
  }

  FileHandle& file_;
  char buffer_[4096];
  size_t filled_ = 0;
  size_t at_ = 0;
  int pushedBack_ = -1;
  bool ended_ = false;
};

int TestSearch(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  tokenizer.SkipConditionSeparators();
  if (tokenizer.AtEnd()) return kConditionError;
  std::string text;
  // The text must be quoted; an unquoted one would be taken for the file.
  if (tokenizer.ReadRequiredQuoted(&text) < 0) return kConditionError;
  if (tokenizer.AtEnd()) return kConditionError;
  std::string file = ReadQuotedOrConditionWord(tokenizer);

  std::string skipPrefix, beginMarker, endMarker;
  if (tokenizer.Peek() == '"') skipPrefix = tokenizer.ReadQuoted();
  if (EqualsNoCase(tokenizer.ReadConditionWord(), "Begin")) {
    if (tokenizer.AcceptEquals()) beginMarker = tokenizer.ReadQuoted();
    if (EqualsNoCase(tokenizer.ReadConditionWord(), "End") && tokenizer.AcceptEquals())
      endMarker = tokenizer.ReadQuoted();
  }
  return SearchTextFile(ctx.files, ctx.state.variables, file, text, skipPrefix, beginMarker, endMarker);
}

// ---- locate ---------------------------------------------------------------

struct LocateSearch {
  FileSystem& files;
  ScriptVariables& variables;
  const std::string& pattern;
  bool found = false;

  // The directory that holds the file becomes the locate result, in the
  // form the system reports when it is current.
  void Found(const std::string& directory) {
    std::string reported = directory;
    if (files.SetCurrentDirectory(directory)) reported = files.GetCurrentDirectory();
    CutToCapacity(reported, ScriptVariables::kValueCapacity);
    variables.locateDir = reported;
    variables.locateDrive = reported.substr(0, 1);
    found = true;
  }

  bool DirectoryHolds(const std::string& directoryWithSlash) {
    std::vector<FindEntry> entries;
    return files.Find(directoryWithSlash + pattern, &entries);
  }

  // Searches the subdirectories of a directory in the order the file
  // system lists them; true when one of their trees holds the file.
  bool SearchSubdirectories(const std::string& directoryWithSlash) {
    std::vector<FindEntry> entries;
    if (!files.Find(directoryWithSlash + "*.*", &entries)) return false;
    for (const FindEntry& e : entries) {
      if (!(e.attributes & kAttrDirectory) || (e.attributes & kAttrReparsePoint)) continue;
      if (e.name == "." || e.name == "..") continue;
      if (SearchDirectory(directoryWithSlash + e.name)) return true;
    }
    return false;
  }

  bool SearchDirectory(const std::string& directory) {
    if (!files.SetCurrentDirectory(directory)) return false;
    if (DirectoryHolds(directory + "\\")) {
      Found(directory);
      return true;
    }
    return SearchSubdirectories(directory + "\\");
  }

  bool SearchDrive(const std::string& root) {
    if (DirectoryHolds(root)) {
      Found(root);
      return true;
    }
    return SearchSubdirectories(root);
  }
};

std::string DriveRoot(int driveNumber) {
  std::string root = "A:\\";
  root[0] = char('A' + driveNumber - 1);
  return root;
}

int TestLocate(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  tokenizer.SkipConditionSeparators();
  std::string pattern = ReadQuotedOrConditionWord(tokenizer);
  std::string selector = tokenizer.ReadConditionWord();
  if (!selector.empty()) ExpandLeadingVariable(ctx.state.variables, &selector);
  if (pattern.empty()) return kConditionError;

  ctx.ui.ShowCheckingBanner(ctx.state.Prompt(PromptId::kLocate));

  int driveNumber;
  if (selector.empty()) {
    driveNumber = 0;
  } else if (selector.size() == 1) {
    // Only a drive letter names a drive; other characters would give
    // numbers outside A to Z.
    if (!IsAsciiAlpha(selector[0])) return kConditionError;
    driveNumber = selector[0] & 0x9F;
  } else if (EqualsNoCase(selector, "local")) {
    driveNumber = -1;
  } else if (EqualsNoCase(selector, "network")) {
    driveNumber = -2;
  } else {
    return kConditionError;
  }
  return LocateFile(ctx.files, ctx.state.variables, pattern, driveNumber);
}

// ---- display, memory, versions --------------------------------------------

// 2 to the power of planes x bits per pixel, saturating at the largest
// 64-bit value.
uint64_t DisplayColours(const DisplayFacts& display) {
  int64_t exponent = int64_t(display.planes) * int64_t(display.bitsPerPixel);
  if (exponent <= 0) return 1;
  if (exponent >= 64) return std::numeric_limits<uint64_t>::max();
  return uint64_t(1) << exponent;
}

uint32_t ColourArgument(const std::string& word) {
  int32_t value = ParseInt(word);
  return value < 0 ? 0u : uint32_t(value);
}

int MeasureAndCompare(const ScriptContext& ctx, const std::string& op, uint32_t colours, int32_t width, int32_t height,
                      int kind) {
  DisplayFacts display = ctx.machine.Display();
  return CompareDisplay(op, colours, width, height, kind, DisplayColours(display), display.width,
                        display.height);
}

int TestVideoColour(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  std::string op = tokenizer.ReadConditionWord();
  std::string colours = tokenizer.ReadConditionWord();
  if (colours.empty()) return kConditionError;
  return MeasureAndCompare(ctx, op, ColourArgument(colours), 0, 0, 1);
}

int TestVideoResolution(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  std::string op = tokenizer.ReadConditionWord();
  std::string width = tokenizer.ReadConditionWord();
  std::string height = tokenizer.ReadConditionWord();
  if (width.empty() || height.empty()) return kConditionError;
  return MeasureAndCompare(ctx, op, 0, ParseInt(width), ParseInt(height), 2);
}

// video <op> G | X Y | G X Y; the operator word may carry the first number.
int TestVideo(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  std::string op = tokenizer.ReadConditionWord();
  std::string numbers[3];
  numbers[0] = op.size() > 1 ? op.substr(1) : tokenizer.ReadConditionWord();
  if (numbers[0].empty()) return kConditionError;
  int count = 1;
  while (count < 3) {
    numbers[count] = tokenizer.ReadConditionWord();
    if (numbers[count].empty()) break;
    ++count;
  }
  switch (count) {
    case 1: return MeasureAndCompare(ctx, op, ColourArgument(numbers[0]), 0, 0, 1);
    case 2: return MeasureAndCompare(ctx, op, 0, ParseInt(numbers[0]), ParseInt(numbers[1]), 2);
    default:
      return MeasureAndCompare(ctx, op, ColourArgument(numbers[0]), ParseInt(numbers[1]), ParseInt(numbers[2]), 3);
  }
}

int TestMemory(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  CompareOp op = ReadCompareOp(tokenizer);
  if (op == CompareOp::kNone) return kConditionError;
  std::string kilobytes = tokenizer.ReadConditionWord();
  if (kilobytes.empty()) return kConditionError;
  // In 64 bits: K x 1024 must not wrap for sizes of 4 GB and more.
  int64_t wanted = int64_t(ParseInt(kilobytes)) * 1024;
  int64_t total = int64_t(ctx.machine.TotalPhysicalMemory());
  return Holds(op, Compare(total, wanted)) ? kConditionTrue : kConditionFalse;
}

int TestVersion(ScriptTokenizer& tokenizer, double version) {
  CompareOp op = ReadCompareOp(tokenizer);
  if (op == CompareOp::kNone) return kConditionError;
  std::string word = tokenizer.ReadConditionWord();
  if (word.empty()) return kConditionError;
  if (op == CompareOp::kEqual && EqualsNoCase(word, "range")) {
    std::string low = tokenizer.ReadConditionWord();
    std::string high = tokenizer.ReadConditionWord();
    if (low.empty() || high.empty()) return kConditionError;
    return (ParseReal(low) <= version && version <= ParseReal(high)) ? kConditionTrue : kConditionFalse;
  }
  return Holds(op, Compare(version, ParseReal(word))) ? kConditionTrue : kConditionFalse;
}

// <word> <operator> <value>: texts compared by the system's ordering.
int TestGeneric(ScriptTokenizer& tokenizer, const std::string& left) {
  CompareOp op = ReadCompareOp(tokenizer);
  if (op == CompareOp::kNone) return kConditionError;
  std::string right = ReadQuotedOrConditionWord(tokenizer);
  return Holds(op, CompareTextNoCase(left, right)) ? kConditionTrue : kConditionFalse;
}

// ---- deferred blocks ------------------------------------------------------

// The first run of letters and digits after leading blanks and tabs.
std::string FirstWord(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  size_t start = i;
  while (i < line.size() && (ScriptTokenizer::IsLetter(line[i]) || IsAsciiDigit(line[i]))) ++i;
  return line.substr(start, i - start);
}

void StripLineEnd(std::string* line) {
  while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
}

// Stores the IF line and the raw lines up to its ENDIF (or the end of the
// source) for the second pass. The block joins the script only when it is
// complete; a 61st line is a syntax error.
int CaptureDeferredBlock(const ScriptContext& ctx, ScriptTokenizer& tokenizer, LineSource& source,
                         int32_t ifLineNumber) {
  DeferredBlock block;
  block.firstLineNumber = ifLineNumber;
  block.lastLineNumber = ifLineNumber;
  std::string ifLine = tokenizer.Line();
  StripLineEnd(&ifLine);
  CutToCapacity(ifLine, DeferredBlock::kLineCapacity);
  block.lines.push_back(std::move(ifLine));

  std::string line;
  int32_t lineNumber = 0;
  while (source.ReadLine(&line, &lineNumber)) {
    ctx.state.model->lineNumber = lineNumber;
    if (block.lines.size() >= DeferredBlock::kMaxLines) return kConditionError;
    StripLineEnd(&line);
    CutToCapacity(line, DeferredBlock::kLineCapacity);
    block.lastLineNumber = lineNumber;
    bool isEndif = EqualsNoCase(FirstWord(line), "ENDIF");
    block.lines.push_back(line);
    if (isEndif) break;
  }

  ctx.state.parser.deferredState = 1;
  ctx.state.model->deferredBlocks.push_back(std::move(block));
  ++ctx.state.model->deferredBlockCount;
  return kConditionStored;
}

// ---- choice tests (second pass) -----------------------------------------

int TestGroupChoice(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  if (!tokenizer.AcceptEquals()) return kConditionError;
  for (int i = 0; i < 100; ++i) {
    std::string word = tokenizer.ReadConditionWord();
    // The list ends with the line; a stray "=" is no choice number.
    if (word.empty()) return tokenizer.AtEnd() ? kConditionFalse : kConditionError;
    if (word.size() > 2 || !IsAsciiDigit(word[0])) return kConditionError;
    int32_t number = ParseInt(word);
    int32_t index = ctx.state.settings.itemNumberMap[size_t(number)];
    if (index >= 0 && size_t(index) < kMaxChoiceItems && ctx.state.settings.itemChosen[size_t(index)])
      return kConditionTrue;
  }
  return kConditionFalse;
}

int TestAnswer(const ScriptContext& ctx, ScriptTokenizer& tokenizer, const std::string& testWord) {
  if (testWord.size() < 5 || testWord[4] < '1' || testWord[4] > '5') return kConditionError;
  const std::string& answer = ctx.state.variables.ask[size_t(testWord[4] - '1')];
  CompareOp op = ReadCompareOp(tokenizer);
  if (op == CompareOp::kNone) return kConditionError;

  if (tokenizer.Peek() != '"') {
    if (!EqualsNoCase(tokenizer.ReadConditionWord(), "range")) return kConditionError;
    std::string low = tokenizer.ReadConditionWord();
    std::string high = tokenizer.ReadConditionWord();
    if (low.empty() || high.empty()) return kConditionError;
    double value = ParseReal(answer);
    return (ParseReal(low) <= value && value <= ParseReal(high)) ? kConditionTrue : kConditionFalse;
  }

  std::string text = tokenizer.ReadQuoted();
  ExpandSearchResult(ctx.state.variables, &text);
  bool holds;
  switch (op) {
    case CompareOp::kEqual: holds = CompareText(answer, text) == 0; break;
    case CompareOp::kNotEqual: holds = CompareText(answer, text) != 0; break;
    default: holds = Holds(op, CompareTextNoCase(answer, text)); break;
  }
  return holds ? kConditionTrue : kConditionFalse;
}

}  // namespace

CompareOp ReadCompareOp(ScriptTokenizer& tokenizer) {
  tokenizer.SkipSeparators();
  std::string_view rest = tokenizer.Rest();
  if (rest.empty()) return CompareOp::kNone;
  char c1 = rest[0];
  char c2 = rest.size() > 1 ? rest[1] : '\0';
  CompareOp op = CompareOp::kNone;
  size_t length = 1;
  if (c2 == '=' || c2 == '>') {
    length = 2;
    if (c1 == '=' && c2 == '=') op = CompareOp::kEqual;
    else if (c1 == '>' && c2 == '=') op = CompareOp::kGreaterOrEqual;
    else if (c1 == '<' && c2 == '=') op = CompareOp::kLessOrEqual;
    else if (c1 == '<' && c2 == '>') op = CompareOp::kNotEqual;
  } else if (c1 == '=' && c2 == '<') {
    // "=<" is refused like "=>": read as "=" it would turn a wrong
    // "less or equal" into a test for equality.
  } else if (c1 == '=') {
    op = CompareOp::kEqual;
  } else if (c1 == '>') {
    op = CompareOp::kGreater;
  } else if (c1 == '<') {
    op = CompareOp::kLess;
  }
  if (op != CompareOp::kNone) tokenizer.SetPosition(tokenizer.Position() + length);
  return op;
}

int PathExists(FileSystem& files, const ScriptVariables& variables, std::string path) {
  ExpandLeadingVariable(variables, &path);
  if (!path.empty() && path.back() == '\\') {
    // A directory: it exists when it can be made current.
    std::string saved = files.GetCurrentDirectory();
    bool exists = files.SetCurrentDirectory(path.substr(0, path.size() - 1));
    if (exists) files.SetCurrentDirectory(saved);
    return exists ? 1 : 0;
  }
  if (FileTitle(path).empty()) return 0;
  std::vector<FindEntry> entries;
  return files.Find(path, &entries) ? 1 : 0;
}

int SearchTextFile(FileSystem& files, ScriptVariables& variables, const std::string& file, const std::string& text,
                   const std::string& skipPrefix, const std::string& beginMarker, const std::string& endMarker) {
  std::string wanted = text;
  ExpandVariables(variables, &wanted);
  std::string path = file;
  ExpandLeadingVariable(variables, &path);

  std::unique_ptr<FileHandle> handle = files.Open(path, OpenMode::kRead);
  if (!handle) return 0;
  TextLineReader reader(*handle);

  bool beginSeen = beginMarker.empty();
  std::string line;
  for (int64_t count = 1; reader.ReadPart(&line); ++count) {
    if (!skipPrefix.empty() && StartsWithNoCase(line, skipPrefix)) continue;
    if (!beginSeen) {
      // The marker line itself is never searched.
      if (line.find(beginMarker) != std::string::npos) beginSeen = true;
      continue;
    }
    if (!endMarker.empty() && line.find(endMarker) != std::string::npos) return 0;
    StripLineEnd(&line);
    size_t at = FindNoCase(line, wanted);
    if (at == std::string::npos) continue;
    ScriptVariables& v = variables;
    v.search = FormatInt(count);
    v.right = line.substr(at + wanted.size());
    v.left = line.substr(0, at);
    CutToCapacity(v.right, ScriptVariables::kValueCapacity);
    CutToCapacity(v.left, ScriptVariables::kValueCapacity);
    return 1;
  }
  return 0;
}

int LocateFile(FileSystem& files, ScriptVariables& variables, const std::string& pattern, int driveNumber) {
  LocateSearch search{files, variables, pattern};
  std::string saved = files.GetCurrentDirectory();

  if (driveNumber > 0) {
    if (driveNumber <= 26) {
      std::string root = DriveRoot(driveNumber);
      if (files.SetCurrentDirectory(root)) search.SearchDrive(root);
    }
  } else {
    const std::string& sourceDir = variables.sourceDir;
    char sourceLetter = sourceDir.empty() ? '\0' : AsciiUpper(sourceDir[0]);
    for (int n = 1; n <= 26 && !search.found; ++n) {
      std::string root = DriveRoot(n);
      if (root[0] == sourceLetter) continue;
      DriveType type = files.GetDriveType(root);
      bool wanted = (type == DriveType::kFixed && driveNumber != -2) ||
                    (type == DriveType::kRemote && driveNumber != -1);
      if (wanted) search.SearchDrive(root);
    }
  }

  files.SetCurrentDirectory(saved);
  return search.found ? 1 : 0;
}

int CompareDisplay(const std::string& op, uint32_t colours, int32_t width, int32_t height, int kind,
                   uint64_t displayColours, int32_t displayWidth, int32_t displayHeight) {
  if (op.empty() || (op[0] != '<' && op[0] != '>')) return -1;
  bool less = op[0] == '<';
  uint64_t given = colours;
  bool result;
  switch (kind) {
    case 1:
      result = less ? displayColours <= given : displayColours >= given;
      break;
    case 2:
      result = less ? (displayWidth < width && displayHeight <= height)
                    : (displayWidth >= width && displayHeight >= height);
      break;
    case 3:
      result = less ? (displayColours <= given && displayWidth < width && displayHeight < height)
                    : (displayColours >= given && displayWidth >= width && displayHeight >= height);
      break;
    default:
      return -1;
  }
  return result ? 1 : 0;
}

int EvaluateCondition(const ScriptContext& ctx, ScriptTokenizer& tokenizer, LineSource& source, int32_t ifLineNumber) {
  tokenizer.SkipConditionSeparators();
  std::string word = tokenizer.ReadConditionWord();

  if (EqualsNoCase(word, "isfile")) return TestIsFile(ctx, tokenizer);
  if (EqualsNoCase(word, "ocxfilever")) return TestOcxFileVersion(ctx, tokenizer);
  if (EqualsNoCase(word, "search")) return TestSearch(ctx, tokenizer);
  if (EqualsNoCase(word, "locate")) return TestLocate(ctx, tokenizer);
  if (EqualsNoCase(word, "videocolor")) return TestVideoColour(ctx, tokenizer);
  if (EqualsNoCase(word, "videoresolution")) return TestVideoResolution(ctx, tokenizer);
  if (EqualsNoCase(word, "video")) return TestVideo(ctx, tokenizer);
  if (EqualsNoCase(word, "memory")) return TestMemory(ctx, tokenizer);
  if (EqualsNoCase(word, "winver")) return TestVersion(tokenizer, ctx.state.settings.windowsVersion);
  if (EqualsNoCase(word, "dosver")) return TestVersion(tokenizer, ctx.state.settings.dosVersion);
  if (EqualsNoCase(word, "group") || StartsWithNoCase(word, "$ask"))
    return CaptureDeferredBlock(ctx, tokenizer, source, ifLineNumber);
  return TestGeneric(tokenizer, word);
}

int EvaluateChoiceCondition(const ScriptContext& ctx, ScriptTokenizer& tokenizer) {
  tokenizer.SkipConditionSeparators();
  std::string word = tokenizer.ReadConditionWord();
  if (EqualsNoCase(word, "group")) return TestGroupChoice(ctx, tokenizer);
  if (StartsWithNoCase(word, "$ask")) return TestAnswer(ctx, tokenizer, word);
  return kConditionError;
}

}  // namespace quorril
