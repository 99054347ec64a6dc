// The block keywords: the text blocks of the screens (BEGINFIRSTSCREEN,
// BEGINLASTSCREEN, POPMESSAGE, EXITMESSAGE), the choice groups (BEGINGROUP)
// and the registry block (BEGINREGISTRY).
//
// A text block is the raw lines after its header up to the line whose first
// run of letters (after blanks and tabs) is the end keyword, in any case;
// the end of the script also ends it. The lines are kept as they stand,
// leading blanks included, for the screens that are built from them; no
// variable substitution and no keyword dispatch happens inside. While a
// block is read inside a stored IF block, the line source hands out raw
// lines (text mode).
//
// The measured form of a block keeps line lengths and counts in signed
// bytes, so a non-blank line of 128 characters or more, or a 128th line,
// is refused as a syntax error of that line. The tables of the model hold
// 16 pop-ups, 16 conditional groups and 100 choice items; the line that
// would go beyond is a syntax error too. So is the line at which the blocks
// read so far no longer fit the shared text area, or at which a block's
// dialog template would pass its fixed block (screens/screen_limits.h).
#include <memory>
#include <string>

#include "model/choice_line.h"
#include "platform/text.h"
#include "screens/screen_limits.h"
#include "screens/text_template.h"
#include "script/parser_internal.h"
#include "script/registry_block_reader.h"

namespace quorril {

namespace {

// Called for each line of a block before it is kept; returns false (and
// marks the syntax error) to stop the block.
using LineCheck = LineResult (*)(ParseRun& run, const std::string& line, int32_t lineNumber);

LineResult AcceptLine(ParseRun&, const std::string&, int32_t) { return LineResult::kOk; }

// A block that has been read must fit the text area after the blocks before
// it, and its template the template block; otherwise the line at fault is a
// syntax error.
LineResult CheckBlockLimits(ParseRun& run, const TextBlock& block, ScreenBlockKind kind) {
  int32_t index = CheckScreenBlockLimits(run.script, run.state.settings, run.state.prompts, block, kind);
  if (index < 0) return LineResult::kOk;
  if (size_t(index) >= block.lines.size()) return run.FailAt(run.LineNumber(), std::string());
  return run.FailAt(block.firstLine + index, block.lines[size_t(index)]);
}

LineResult ReadTextBlock(ParseRun& run, const char* endKeyword, TextBlock* block, LineCheck check) {
  ParserLineSource& source = run.source;
  int32_t savedDeferredState = run.state.parser.deferredState;
  source.SetTextMode(true);
  if (source.FromDeferredBlock()) run.state.parser.deferredState = 2;
  block->firstLine = run.LineNumber() + 1;
  LineResult result = LineResult::kOk;
  std::string line;
  int32_t lineNumber = 0;
  while (source.ReadLine(&line, &lineNumber)) {
    if (EqualsNoCase(FirstLetterRun(line), endKeyword)) break;
    if (block->lines.size() >= kMaxTextLines ||
        (line.size() > kMaxTextLineLength && !IsEmptyTextLine(line))) {
      result = run.FailAt(lineNumber, line);
      break;
    }
    result = check(run, line, lineNumber);
    if (result != LineResult::kOk) break;
    block->lines.push_back(line);
  }
  source.SetTextMode(false);
  run.state.parser.deferredState = savedDeferredState;
  return result;
}

// BEGINFIRSTSCREEN and BEGINLASTSCREEN: an optional quoted font face and an
// optional size, in force while the block is read.
LineResult ReadScreen(ParseRun& run, const char* endKeyword, std::unique_ptr<TextBlock>* target) {
  ScriptTokenizer& t = run.tokenizer;
  ScriptSettings& settings = run.state.settings;
  auto block = std::make_unique<TextBlock>();
  if (t.Peek() == '"') {
    block->fontFace = t.ReadQuoted();
    CutToCapacity(block->fontFace, ScriptSettings::kFontNameCapacity + 1);
  }
  if (!t.AtEnd()) block->fontSize = ParseInt(t.ReadWord());
  settings.screenBlockFontFace = block->fontFace;
  settings.screenBlockFontSize = block->fontSize;
  LineResult result = ReadTextBlock(run, endKeyword, block.get(), AcceptLine);
  if (result == LineResult::kOk) result = CheckBlockLimits(run, *block, ScreenBlockKind::kScreen);
  settings.screenBlockFontFace.clear();
  settings.screenBlockFontSize = 0;
  if (result == LineResult::kOk) *target = std::move(block);
  return result;
}

// ---- choice groups -----------------------------------------------------------------

// A choice line (model/choice_line.h) takes the next item index; its
// number maps to it, and "[X]" presets it.
LineResult CountChoiceLine(ParseRun& run, const std::string& line, int32_t lineNumber) {
  if (!IsChoiceLine(line)) return LineResult::kOk;
  InstallScript& script = run.script;
  ScriptSettings& settings = run.state.settings;
  if (script.choiceItemCount >= int32_t(kMaxChoiceItems)) return run.FailAt(lineNumber, line);
  ChoiceLine choice;
  if (!ReadChoiceLine(line, &choice)) return run.FailAt(lineNumber, line);
  int32_t index = script.choiceItemCount++;
  settings.itemNumberMap[size_t(choice.number)] = index;
  settings.itemPreset[size_t(index)] = choice.checked ? 1 : 0;
  return LineResult::kOk;
}

}  // namespace

LineResult ParseFirstScreen(ParseRun& run) {
  if (run.SecondPass()) return run.Fail();
  return ReadScreen(run, "ENDFIRSTSCREEN", &run.script.firstScreen);
}

LineResult ParseLastScreen(ParseRun& run) { return ReadScreen(run, "ENDLASTSCREEN", &run.script.lastScreen); }

LineResult ParsePopMessage(ParseRun& run) {
  ScriptTokenizer& t = run.tokenizer;
  std::string id = t.ReadWord();
  if (id.empty() || !IsAsciiDigit(id[0])) return run.Fail();
  std::string face = run.state.settings.dialogFontName;
  if (t.Peek() == '"') {
    face = t.ReadQuoted();
    if (face.size() > PopupMessage::kFontNameCapacity) return run.Fail();
  }
  int32_t size = t.AtEnd() ? 0 : ParseInt(t.ReadWord());
  if (run.script.popupCount >= int32_t(kMaxPopups)) return run.Fail();

  auto block = std::make_unique<TextBlock>();
  block->fontFace = face;
  block->fontSize = size != 0 ? size : 10;
  LineResult result = ReadTextBlock(run, "ENDPOP", block.get(), AcceptLine);
  if (result == LineResult::kOk) result = CheckBlockLimits(run, *block, ScreenBlockKind::kPopup);
  if (result != LineResult::kOk) return result;
  PopupMessage& popup = run.script.popups[size_t(run.script.popupCount++)];
  popup.id = ParseInt(id);
  popup.fontName = face;
  popup.fontSize = block->fontSize;
  popup.text = std::move(block);
  return LineResult::kOk;
}

// EXITMESSAGE ends the pass: its block is stored for the exit message's
// screen, which the caller of the pass shows.
LineResult ParseExitMessage(ParseRun& run) {
  int32_t headerLine = run.LineNumber();
  std::string header = run.tokenizer.Line();
  auto block = std::make_unique<TextBlock>();
  LineResult result = ReadTextBlock(run, "EXIT", block.get(), AcceptLine);
  if (result == LineResult::kOk) result = CheckBlockLimits(run, *block, ScreenBlockKind::kExitMessage);
  if (result != LineResult::kOk) return result;
  run.script.exitMessage = std::move(block);
  run.state.parser.lastError.lineNumber = headerLine;
  run.state.parser.lastError.lineText = header;
  return LineResult::kExitMessage;
}

LineResult ParseGroup(ParseRun& run) {
  if (run.SecondPass()) return run.Fail();
  ScriptTokenizer& t = run.tokenizer;
  InstallScript& script = run.script;
  std::string first = t.ReadWord();
  std::string second = t.ReadWord();
  bool exclusive = EqualsNoCase(first, "EXCLUSIVE");
  bool conditional = (!first.empty() && IsAsciiDigit(first[0])) || (!second.empty() && IsAsciiDigit(second[0]));
  int32_t conditionNumber = conditional ? ParseInt(exclusive ? second : first) : -1;
  if (conditional && script.conditionalGroupCount >= int32_t(kMaxConditionalGroups)) return run.Fail();

  int32_t firstItem = script.choiceItemCount;
  auto block = std::make_unique<TextBlock>();
  LineResult result = ReadTextBlock(run, "ENDGROUP", block.get(), CountChoiceLine);
  if (result == LineResult::kOk)
    result =
        CheckBlockLimits(run, *block, exclusive ? ScreenBlockKind::kExclusiveGroup : ScreenBlockKind::kChoiceGroup);
  if (result != LineResult::kOk) return result;

  if (!conditional) {
    script.mainGroup = std::move(block);
    script.mainGroupExclusive = exclusive;
    script.mainGroupEndItem = script.choiceItemCount;
    return LineResult::kOk;
  }
  ChoiceGroup& group = script.conditionalGroups[size_t(script.conditionalGroupCount++)];
  group.text = std::move(block);
  group.conditionNumber = conditionNumber;
  // The mask has one bit per item read before the group; beyond 32 items it
  // has no bit left.
  group.mask = firstItem < 32 ? uint32_t(1) << firstItem : 0;
  group.firstItem = firstItem;
  group.endItem = script.choiceItemCount;
  group.exclusive = exclusive;
  return LineResult::kOk;
}

LineResult ParseRegistry(ParseRun& run) {
  RegistryReadStatus status = ReadRegistryBlock(run.source, run.tokenizer, &run.script.registryBlocks);
  if (status == RegistryReadStatus::kOk) return LineResult::kOk;
  if (status == RegistryReadStatus::kEndOfScript) return run.FailAtEnd();
  return run.Fail();
}

}  // namespace quorril
