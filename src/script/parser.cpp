// The script parser's two passes, its line sources and the IF structure.
//
// First pass: FileLineSource reads the script through VirtualFileSystem and
// a ParseRun parses every line; IF tests on the machine are decided at once,
// tests on the user's choices store their block (conditions.cpp) and the
// run goes on after it. At the end: the per-item disk space, the
// syntax-error message, the default destination and the start command.
//
// Second pass: DeferredLineSource hands out the lines of one stored block,
// dropping the lines whose first word is in the skip set (a keyword with a
// colon attached is not in it), and a ParseRun parses them like the first
// pass.
//
// The IF state is five integers in ParserState, shared by both passes:
// skipping, last test result, in-false-branch, ELSE allowed, ENDIF allowed.
#include "script/parser.h"

#include <cstdint>
#include <memory>

#include "model/variables.h"
#include "platform/text.h"
#include "script/conditions.h"
#include "script/parser_internal.h"
#include "script/script_context.h"

namespace quorril {

namespace {

// Every line the parser reads holds at most this many characters; the rest
// of a longer line is read as the next line.
constexpr size_t kScriptLineCapacity = capacity::kScriptLine;

// ---- line sources ------------------------------------------------------------

// Format notes: VirtualFileSystem::ReadLine hands out at most capacity - 1
// characters including the line feed and drops every carriage return. A
// line of exactly 998 characters therefore comes in two reads, the second
// holding only its line feed; that second read belongs to the first line and
// is not counted. A NUL byte ends the line's text, as it would a C string.
class FileLineSource : public ParserLineSource {
 public:
  FileLineSource(const ScriptContext& ctx, VirtualFile& file) : ctx_(ctx), file_(file) {}

  bool ReadLine(std::string* line, int32_t* lineNumber) override {
    for (;;) {
      if (!ctx_.archive.ReadLine(file_, line, kScriptLineCapacity + 1)) {
        line->clear();
        return false;
      }
      bool hadLineEnd = !line->empty() && line->back() == '\n';
      if (hadLineEnd) line->pop_back();
      if (hadLineEnd && line->empty() && lastWasFull_) {
        lastWasFull_ = false;
        continue;
      }
      lastWasFull_ = !hadLineEnd && line->size() >= kScriptLineCapacity;
      size_t nul = line->find('\0');
      if (nul != std::string::npos) line->resize(nul);
      *lineNumber = ++lastLineNumber_;
      ctx_.state.model->lineNumber = lastLineNumber_;
      return true;
    }
  }

 private:
  const ScriptContext& ctx_;
  VirtualFile& file_;
  bool lastWasFull_ = false;
};

bool InSecondPassSkipSet(std::string_view word) {
  static const char* const kSkipSet[] = {
      "REM",         "TITLE",        "DEFAULTDIR",    "DIR2",          "DIR3",
      "TITLECOLOR",  "SCREENCOLOR",  "MINCPUTYPE",    "MINDISKSPACE",  "RUNATSTART",
      "SCREENGRAPHIC", "INTROSCREEN", "BEGINFIRSTSCREEN",
  };
  for (const char* name : kSkipSet)
    if (EqualsNoCase(word, name)) return true;
  return false;
}

// The lines of one stored IF block, each with its own script line number.
// Outside text mode, lines whose first blank-delimited word is in the skip
// set are dropped (BEGINFIRSTSCREEN with its block up to ENDFIRSTSCREEN),
// and the block ends after its ENDIF line.
class DeferredLineSource : public ParserLineSource {
 public:
  DeferredLineSource(const ScriptContext& ctx, const DeferredBlock& block) : ctx_(ctx), block_(block) {}

  bool FromDeferredBlock() const override { return true; }
  void SetTextMode(bool on) override { textMode_ = on; }

  bool ReadLine(std::string* line, int32_t* lineNumber) override {
    while (!ended_ && next_ < block_.lines.size()) {
      size_t index = next_++;
      const std::string& text = block_.lines[index];
      if (!textMode_) {
        std::string_view word = FirstBlankWord(text);
        if (EqualsNoCase(word, "ENDIF")) {
          ended_ = true;
        } else if (InSecondPassSkipSet(word)) {
          // A skipped line is read all the same: it counts for the line
          // number that an error at the end of the block reports.
          Count(index);
          if (EqualsNoCase(word, "BEGINFIRSTSCREEN") && !SkipFirstScreen(index)) return false;
          continue;
        }
      }
      *line = text;
      *lineNumber = NumberOf(index);
      Count(index);
      return true;
    }
    line->clear();
    return false;
  }

  bool MissingEndFirstScreen(int32_t* lineNumber, std::string* line) const override {
    if (!missingEnd_) return false;
    *lineNumber = NumberOf(missingEndIndex_);
    *line = block_.lines[missingEndIndex_];
    return true;
  }

 private:
  int32_t NumberOf(size_t index) const { return block_.firstLineNumber + int32_t(index); }
  void Count(size_t index) {
    lastLineNumber_ = NumberOf(index);
    ctx_.state.model->lineNumber = lastLineNumber_;
  }

  // Steps over the lines after a BEGINFIRSTSCREEN line up to and including
  // the next ENDFIRSTSCREEN line; false (and the source ends) without one.
  bool SkipFirstScreen(size_t headerIndex) {
    for (size_t i = headerIndex + 1; i < block_.lines.size(); ++i) {
      if (EqualsNoCase(FirstBlankWord(block_.lines[i]), "ENDFIRSTSCREEN")) {
        next_ = i + 1;
        Count(i);
        return true;
      }
    }
    missingEnd_ = true;
    missingEndIndex_ = headerIndex;
    ended_ = true;
    Count(block_.lines.size() - 1);
    return false;
  }

  const ScriptContext& ctx_;
  const DeferredBlock& block_;
  size_t next_ = 0;
  bool ended_ = false;
  bool textMode_ = false;
  bool missingEnd_ = false;
  size_t missingEndIndex_ = 0;
};

// ---- messages and the end of a pass -------------------------------------------

void ShowSyntaxError(const ScriptContext& ctx, int32_t lineNumber, const std::string& text) {
  ctx.state.parser.failure = ParseFailure::kSyntaxError;
  ctx.state.parser.lastError.lineNumber = lineNumber;
  ctx.state.parser.lastError.lineText = text;
  ShowMessageBox(ctx.ui, text, ctx.state.Prompt(PromptId::kSyntaxErrorCaption) + FormatInt(lineNumber), kMbIconWarning,
                 false);
}

// The short form of a directory when the file system knows it, else the
// long form.
std::string ShortFormOf(const ScriptContext& ctx, const std::string& path) {
  std::string shortPath;
  if (!ctx.files.GetShortPathName(path, &shortPath) || shortPath.empty()) shortPath = path;
  CutToCapacity(shortPath, ScriptVariables::kValueCapacity);
  return shortPath;
}

// Without a destination set by the script: the current directory, unless it
// lies on the source directory's drive; then "C:\NEWFILES" on the default
// drive.
void ChooseDefaultDestination(const ScriptContext& ctx) {
  ScriptVariables& vars = ctx.state.variables;
  if (!vars.defaultDir.empty()) return;
  std::string dir = ctx.files.GetCurrentDirectory();
  CutToCapacity(dir, ScriptVariables::kValueCapacity);
  if (dir.empty() || (!vars.sourceDir.empty() && AsciiUpper(dir[0]) == AsciiUpper(vars.sourceDir[0]))) {
    dir = "C:\\NEWFILES";
    dir[0] = ctx.state.settings.defaultDriveLetter;
  }
  vars.defaultDir = dir;
  vars.defaultDir8 = ShortFormOf(ctx, dir);
  vars.defaultDrive = dir.substr(0, 1);
}

// Per-item minimum disk space, by item index: 1 for each item, or the
// MINDISKSPACE value given for its number; without items the first slot
// takes the minimum free disk space.
void ComputeItemDiskSpace(const ScriptContext& ctx) {
  InstallScript& script = *ctx.state.model;
  script.itemDiskSpace.fill(0);
  if (script.choiceItemCount <= 0) {
    script.itemDiskSpace[0] = script.minimumDiskSpace;
    return;
  }
  int32_t count = script.choiceItemCount < int32_t(kMaxChoiceItems) ? script.choiceItemCount : int32_t(kMaxChoiceItems);
  for (int32_t index = 0; index < count; ++index) {
    for (size_t number = 0; number < kMaxChoiceItems; ++number) {
      if (ctx.state.settings.itemNumberMap[number] != index) continue;
      script.itemDiskSpace[size_t(index)] = 1;
      if (ctx.state.parser.itemDiskSpace[number] >= 0)
        script.itemDiskSpace[size_t(index)] = ctx.state.parser.itemDiskSpace[number];
      break;
    }
  }
}

// The end checks of a pass: an unterminated skipped branch is an error; a
// BEGINFIRSTSCREEN of a stored block without its end line shows its own
// message first. Returns the pass's result after showing the messages.
LineResult FinishRun(ParseRun& run, LineResult result) {
  const ScriptContext& ctx = run.ctx;
  int32_t headerLine = 0;
  std::string header;
  if (run.source.MissingEndFirstScreen(&headerLine, &header)) {
    ShowMessageBox(ctx.ui, ctx.state.Prompt(PromptId::kMissingEndFirstScreen), std::nullopt, kMbIconWarning, false);
    ShowSyntaxError(ctx, headerLine, header);
    return LineResult::kSyntaxError;
  }
  if (result == LineResult::kOk && ctx.state.parser.ifState.skipping) result = run.FailAtEnd();
  if (result == LineResult::kSyntaxError) ShowSyntaxError(ctx, run.errorLine, run.errorText);
  if (result == LineResult::kExitMessage) ctx.state.parser.failure = ParseFailure::kExitMessage;
  return result;
}

}  // namespace

// ---- helpers shared with the other parser files -------------------------------

std::string_view FirstBlankWord(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  size_t start = i;
  while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
  return line.substr(start, i - start);
}

std::string_view FirstLetterRun(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  size_t start = i;
  while (i < line.size() && ScriptTokenizer::IsLetter(line[i])) ++i;
  return line.substr(start, i - start);
}

int32_t LeadingDigits(std::string_view word) {
  int64_t value = 0;
  for (char c : word) {
    if (!IsAsciiDigit(c)) break;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return int32_t(value);
}

int32_t ParseSize(std::string_view word) {
  int64_t multiplier = 1;
  for (char c : word) {
    if (c == 'K' || c == 'k') {
      multiplier = 1000;
      break;
    }
    if (c == 'M' || c == 'm') {
      multiplier = 1000000;
      break;
    }
  }
  size_t i = 0;
  bool negative = false;
  if (i < word.size() && (word[i] == '-' || word[i] == '+')) negative = word[i++] == '-';
  // Whole part and fraction in integers, so that 1.85M is exactly 1,850,000.
  // Anything above the cap saturates to the 32-bit range anyway; the cap
  // keeps whole * multiplier inside 64 bits.
  constexpr int64_t kCap = 10000000000;
  int64_t whole = 0;
  for (; i < word.size() && IsAsciiDigit(word[i]); ++i) {
    whole = whole * 10 + (word[i] - '0');
    if (whole > kCap) whole = kCap;
  }
  int64_t fraction = 0, scale = 1;
  if (i < word.size() && word[i] == '.') {
    for (++i; i < word.size() && IsAsciiDigit(word[i]); ++i) {
      if (scale >= 1000000000) continue;
      fraction = fraction * 10 + (word[i] - '0');
      scale *= 10;
    }
  }
  int64_t value = whole * multiplier + fraction * multiplier / scale;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(negative ? -value : value);
}

// ---- ParseRun ----------------------------------------------------------------

ParseRun::ParseRun(const ScriptContext& context, ParserLineSource& lineSource)
    : ctx(context), state(context.state), script(*context.state.model), source(lineSource),
      tokenizer(&context.state.variables) {}

LineResult ParseRun::Fail() { return FailAt(script.lineNumber, tokenizer.Line()); }

LineResult ParseRun::FailAt(int32_t lineNumber, std::string text) {
  errorLine = lineNumber;
  errorText = std::move(text);
  script.error = true;
  return LineResult::kSyntaxError;
}

LineResult ParseRun::FailAtEnd() { return FailAt(source.LastLineNumber(), std::string()); }

LineResult ParseRun::Run() {
  std::string line;
  int32_t lineNumber = 0;
  while (source.ReadLine(&line, &lineNumber)) {
    LineResult result = ParseLine(line);
    if (result != LineResult::kOk) return result;
  }
  return LineResult::kOk;
}

LineResult ParseRun::ParseLine(const std::string& line) {
  tokenizer.Reset(line);
  std::string keyword = tokenizer.ReadKeyword();
  bool ifKeyword = EqualsNoCase(keyword, "IF") || EqualsNoCase(keyword, "ELSE") || EqualsNoCase(keyword, "ENDIF");
  if (ctx.state.parser.ifState.skipping) {
    // A false branch: only the IF structure is looked at, and not inside an
    // EXITMESSAGE ... EXIT block that the branch passes over.
    if (!ifKeyword) {
      if (EqualsNoCase(keyword, "EXITMESSAGE"))
        ctx.state.parser.inExitMessage = true;
      else if (EqualsNoCase(keyword, "EXIT"))
        ctx.state.parser.inExitMessage = false;
      return LineResult::kOk;
    }
    if (ctx.state.parser.inExitMessage) return LineResult::kOk;
  }
  if (keyword.empty()) return tokenizer.AtEnd() ? LineResult::kOk : Fail();
  if (IsIgnoredKeyword(keyword)) return LineResult::kOk;
  if (EqualsNoCase(keyword, "IF")) return ParseIf(*this);
  if (EqualsNoCase(keyword, "ELSE")) return ParseElse(*this);
  if (EqualsNoCase(keyword, "ENDIF")) return ParseEndif(*this);
  LineResult result = LineResult::kOk;
  if (DispatchKeyword(*this, keyword, &result)) return result;
  // An unknown word alone on its line is ignored.
  return tokenizer.AtEnd() ? LineResult::kOk : Fail();
}

// ---- IF, ELSE, ENDIF -------------------------------------------------------------

LineResult ParseIf(ParseRun& run) {
  IfState& state = run.state.parser.ifState;
  state.endifAllowed = true;
  if (state.skipping || run.tokenizer.AtEnd()) return run.Fail();
  state.elseAllowed = true;
  int32_t ifLine = run.LineNumber();
  int result = run.SecondPass() ? EvaluateChoiceCondition(run.ctx, run.tokenizer)
                                : EvaluateCondition(run.ctx, run.tokenizer, run.source, ifLine);
  state.lastResult = result;
  switch (result) {
    case kConditionStored:
      // The block up to its ENDIF has been stored for the second pass.
      run.state.parser.deferredState = 1;
      state.Clear();
      return LineResult::kOk;
    case kConditionTrue:
      state.skipping = false;
      state.inFalseBranch = false;
      return LineResult::kOk;
    case kConditionFalse:
      state.skipping = true;
      state.inFalseBranch = true;
      return LineResult::kOk;
    default:
      // A bad test, or a stored block without ENDIF within its 60 lines: the
      // error belongs to the IF line.
      return run.FailAt(ifLine, run.tokenizer.Line());
  }
}

LineResult ParseElse(ParseRun& run) {
  IfState& state = run.state.parser.ifState;
  if (!state.elseAllowed) return run.Fail();
  state.inFalseBranch = !state.inFalseBranch;
  state.skipping = state.inFalseBranch;
  state.elseAllowed = false;
  return LineResult::kOk;
}

LineResult ParseEndif(ParseRun& run) {
  IfState& state = run.state.parser.ifState;
  if (!state.endifAllowed) return run.Fail();
  state.Clear();
  return LineResult::kOk;
}

// ---- the passes --------------------------------------------------------------------

int ParseScript(const ScriptContext& ctx, const std::string& scriptPath) {
  if (!ctx.state.model) CreateInstallScript(ctx.state, ctx.files, ctx.machine);
  ctx.state.parser.failure = ParseFailure::kNone;
  ctx.state.parser.lastError = SyntaxErrorReport();
  std::unique_ptr<VirtualFile> file = ctx.archive.Open(scriptPath);
  if (!file) {
    ctx.state.parser.failure = ParseFailure::kScriptNotFound;
    ShowMessageBox(ctx.ui, ctx.state.Prompt(PromptId::kFileNotFound) + scriptPath + ". ", std::nullopt, kMbIconWarning,
                   false);
    return 1;
  }
  InstallScript& script = *ctx.state.model;
  script.minimumDiskSpace = 1;
  ctx.state.parser.itemDiskSpace.fill(-1);

  LineResult result;
  {
    FileLineSource source(ctx, *file);
    ParseRun run(ctx, source);
    result = run.Run();
    file.reset();
    ComputeItemDiskSpace(ctx);
    result = FinishRun(run, result);
  }
  if (result == LineResult::kOk) ChooseDefaultDestination(ctx);
  ExpandVariables(ctx.state.variables, &script.startCommand);
  return result == LineResult::kOk ? 0 : 1;
}

int ParseDeferredBlocks(const ScriptContext& ctx) {
  ctx.state.parser.pass = 1;
  ctx.state.parser.failure = ParseFailure::kNone;
  ctx.state.parser.lastError = SyntaxErrorReport();
  if (!ctx.state.model) return -1;
  InstallScript& script = *ctx.state.model;
  if (script.deferredBlocks.size() != size_t(script.deferredBlockCount)) {
    ctx.state.parser.failure = ParseFailure::kBlockCountMismatch;
    return -1;
  }
  for (const DeferredBlock& block : script.deferredBlocks) {
    DeferredLineSource source(ctx, block);
    ParseRun run(ctx, source);
    LineResult result = FinishRun(run, run.Run());
    if (result != LineResult::kOk) return -1;
    ChooseDefaultDestination(ctx);
  }
  return 0;
}

}  // namespace quorril
