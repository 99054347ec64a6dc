// The limit checks of the screen blocks: the text area is counted from the
// line lengths; the template is built with a measurer of fixed widths and
// the builders' own 3072-byte limit.
#include "screens/screen_limits.h"

#include "model/prompt_texts.h"
#include "model/script_model.h"

namespace quorril {

namespace {

size_t LineSize(const std::string& line) { return IsEmptyTextLine(line) ? 2 : line.size() + 2; }

size_t BlockSize(const TextBlock* block) { return block ? MeasuredTextSize(block->lines) : 0; }

int32_t LastLine(const TextBlock& block) { return block.lines.empty() ? 0 : int32_t(block.lines.size()) - 1; }

// The first line that no longer fits the text area after `used` bytes;
// -1 when the whole block fits.
int32_t AreaOverflow(const TextBlock& block, size_t used) {
  size_t end = used + 3;
  if (end > kTextAreaSize) return 0;
  for (size_t i = 0; i < block.lines.size(); ++i) {
    end += LineSize(block.lines[i]);
    if (end > kTextAreaSize) return int32_t(i);
  }
  return -1;
}

}  // namespace

size_t MeasuredTextSize(const std::vector<std::string>& lines) {
  size_t size = 3;
  for (const std::string& line : lines) size += LineSize(line);
  return size;
}

size_t TextAreaUse(const InstallScript& script) {
  size_t used = BlockSize(script.firstScreen.get()) + BlockSize(script.lastScreen.get()) +
                BlockSize(script.exitMessage.get()) + BlockSize(script.mainGroup.get());
  for (int32_t i = 0; i < script.conditionalGroupCount && i < int32_t(kMaxConditionalGroups); ++i)
    used += BlockSize(script.conditionalGroups[size_t(i)].text.get());
  for (int32_t i = 0; i < script.popupCount && i < int32_t(kMaxPopups); ++i)
    used += BlockSize(script.popups[size_t(i)].text.get());
  return used;
}

int32_t CheckScreenBlockLimits(const InstallScript& script, const ScriptSettings& settings,
                               const PromptTexts& prompts, const TextBlock& block, ScreenBlockKind kind) {
  int32_t areaLine = AreaOverflow(block, TextAreaUse(script));
  if (areaLine >= 0) return areaLine;

  // The line limits of the measured form (127 characters, 127 lines).
  FixedWidthMeasurer measurer;
  std::vector<uint8_t> text;
  MeasureResult measured = EncodeText(block.lines, MeasureFontFor(block, settings), measurer, &text);
  if (measured.status != TextStatus::kOk) return measured.lineIndex < 0 ? 0 : measured.lineIndex;

  ByteSpan span{text.data(), text.size()};
  DialogFont font = DialogFontFor(block, settings);
  ButtonTexts buttons;
  buttons.ok = prompts.Get(PromptId::kOk);
  buttons.cancel = prompts.Get(PromptId::kCancel);
  DialogTemplate built;
  switch (kind) {
    case ScreenBlockKind::kScreen:
      built = BuildScreenTemplate(ScreenKind::kScreen, span, font, buttons);
      break;
    case ScreenBlockKind::kExitMessage:
      built = BuildScreenTemplate(ScreenKind::kExitMessage, span, font, buttons);
      break;
    case ScreenBlockKind::kChoiceGroup:
      built = BuildScreenTemplate(ScreenKind::kChoiceGroup, span, font, buttons);
      break;
    case ScreenBlockKind::kExclusiveGroup:
      built = BuildExclusiveTemplate(span, font, buttons);
      break;
    case ScreenBlockKind::kPopup:
      built = BuildPopupTemplate(span, font);
      break;
  }
  if (built.status == TemplateStatus::kOk) return -1;
  if (built.lineIndex < 0 || built.lineIndex > LastLine(block)) return LastLine(block);
  return built.lineIndex;
}

}  // namespace quorril
