// The script's screens over the screen surface: building each template from
// its text block, the order of the choice screens and the pop-up on screen.
#include "shell/script_screens.h"

#include "model/choice_line.h"
#include "model/prompt_texts.h"
#include "platform/text.h"
#include "screens/dib_image.h"
#include "shell/setup_context.h"

namespace quorril {

namespace {

constexpr const char* kNotEnoughMemory = "Not Enough Memory";

ButtonTexts ButtonsOf(const SetupContext& ctx) {
  ButtonTexts buttons;
  buttons.ok = ctx.Prompt(PromptId::kOk);
  buttons.cancel = ctx.Prompt(PromptId::kCancel);
  return buttons;
}

void ReportNoTemplate(SetupContext& ctx) {
  ctx.ShowMessage(kNotEnoughMemory, std::string(" "), kMbOk | kMbIconWarning);
}

// The choice lines of a group's text: those whose first column is a digit.
int32_t ChoiceLines(const TextBlock& block) {
  int32_t n = 0;
  for (const std::string& line : block.lines)
    if (IsChoiceLine(line)) ++n;
  return n;
}

bool HasText(const TextBlock* block) {
  if (!block) return false;
  for (const std::string& line : block->lines)
    if (!IsEmptyTextLine(line)) return true;
  return false;
}

// The radio buttons of the exclusive groups read before the group whose
// text starts at `firstLine`: the groups' templates were laid out in script
// order, so the first radio button of the script carries WS_GROUP and each
// group checks its preset over all radio ids made so far.
int32_t RadiosBefore(const InstallScript& script, int32_t firstLine) {
  int32_t radios = 0;
  if (script.mainGroup && script.mainGroupExclusive && script.mainGroup->firstLine < firstLine)
    radios += ChoiceLines(*script.mainGroup);
  for (int32_t i = 0; i < script.conditionalGroupCount && i < int32_t(kMaxConditionalGroups); ++i) {
    const ChoiceGroup& group = script.conditionalGroups[size_t(i)];
    if (group.exclusive && group.text && group.text->firstLine < firstLine) radios += ChoiceLines(*group.text);
  }
  return radios;
}

// OK of a choice screen: the checked slots become selected; with none
// checked the person is told and the dialog stays open.
class GroupChecker : public TemplateDialogChecker {
 public:
  GroupChecker(SetupContext& ctx, int32_t firstSlot, int32_t endSlot)
      : ctx_(ctx), first_(firstSlot), end_(endSlot) {}

  bool Accept(const std::vector<int>& checked) override {
    std::vector<int32_t> chosen(size_t(end_ - first_), 0);
    bool any = false;
    for (int id : checked) {
      int32_t k = id - kFirstChoiceId;
      if (k < 0 || k >= end_ - first_) continue;
      chosen[size_t(k)] = 1;
      any = true;
    }
    // A group without a choice has nothing to select: OK goes on.
    if (!any && end_ > first_) {
      ctx_.ShowMessage(ctx_.Prompt(PromptId::kNoGroup), std::string(" "), kMbOk | kMbIconWarning);
      return false;
    }
    for (int32_t slot = first_; slot < end_; ++slot)
      ctx_.script.settings.itemChosen[size_t(slot)] = chosen[size_t(slot - first_)];
    if (any) ctx_.script.model->groupSelected = true;
    return true;
  }

 private:
  SetupContext& ctx_;
  int32_t first_, end_;
};

}  // namespace

DialogTemplate BuildBlockDialog(SetupContext& ctx, ScreenSurface& surface, const TextBlock& block,
                                BlockDialog kind, RadioRun* radios) {
  TextArea area;
  SurfaceMeasurer measurer(surface);
  MeasureResult measured = MeasureTextBlock(area, block, ctx.script.settings, measurer);
  if (measured.status != TextStatus::kOk) {
    DialogTemplate failed;
    failed.status = TemplateStatus::kBadText;
    failed.lineIndex = measured.lineIndex;
    return failed;
  }
  ByteSpan text = area.Bytes(measured.block);
  DialogFont font = DialogFontFor(block, ctx.script.settings);
  switch (kind) {
    case BlockDialog::kScreen:
      return BuildScreenTemplate(ScreenKind::kScreen, text, font, ButtonsOf(ctx));
    case BlockDialog::kExitMessage:
      return BuildScreenTemplate(ScreenKind::kExitMessage, text, font, ButtonsOf(ctx));
    case BlockDialog::kChoiceGroup:
      return BuildScreenTemplate(ScreenKind::kChoiceGroup, text, font, ButtonsOf(ctx));
    case BlockDialog::kExclusiveGroup:
      return BuildExclusiveTemplate(text, font, ButtonsOf(ctx), nullptr, radios);
    case BlockDialog::kPopup:
      break;
  }
  return BuildPopupTemplate(text, font);
}

// ---- first and last screen ----------------------------------------------------------

int ScriptScreens::ShowScreen(SetupContext& ctx, std::unique_ptr<TextBlock>& block) {
  int result = kIdOk;
  if (block) {
    DialogTemplate dialog = BuildBlockDialog(ctx, surface_, *block, BlockDialog::kScreen);
    if (dialog.status == TemplateStatus::kOk)
      result = surface_.RunTemplateDialog(dialog.bytes, TemplateDialogSetup(), ctx.Prompt(PromptId::kQuit), nullptr);
    else
      ReportNoTemplate(ctx);
    block.reset();
  }
  ctx.script.settings.screenBlockFontFace.clear();
  ctx.script.settings.screenBlockFontSize = 0;
  return result == kIdCancel ? kIdCancel : kIdOk;
}

int ScriptScreens::ShowFirstScreen(SetupContext& ctx) {
  if (!ctx.script.model) return kIdOk;
  return ShowScreen(ctx, ctx.script.model->firstScreen);
}

int ScriptScreens::ShowLastScreen(SetupContext& ctx) {
  if (!ctx.script.model) return kIdOk;
  return ShowScreen(ctx, ctx.script.model->lastScreen);
}

// ---- choice screens -------------------------------------------------------------------

bool ScriptScreens::StartsChecked(const ScriptSettings& settings, int32_t slot) const {
  if (!choiceAnswers_) return settings.itemPreset[size_t(slot)] != 0;
  for (int32_t number : *choiceAnswers_)
    if (number >= 0 && size_t(number) < kMaxChoiceItems && settings.itemNumberMap[size_t(number)] == slot) return true;
  return false;
}

int ScriptScreens::ShowGroup(SetupContext& ctx, const TextBlock& block, bool exclusive, int32_t firstSlot,
                             int32_t endSlot, int32_t radiosBefore) {
  if (firstSlot < 0) firstSlot = 0;
  if (endSlot > int32_t(kMaxChoiceItems)) endSlot = int32_t(kMaxChoiceItems);
  if (endSlot < firstSlot) endSlot = firstSlot;

  RadioRun radios;
  radios.radiosCreated = radiosBefore;
  DialogTemplate dialog = BuildBlockDialog(ctx, surface_, block, exclusive ? BlockDialog::kExclusiveGroup
                                                                            : BlockDialog::kChoiceGroup,
                                           &radios);
  if (dialog.status != TemplateStatus::kOk) {
    ReportNoTemplate(ctx);
    return kIdOk;
  }
  // The buttons of the template are the group's own slots, in order.
  if (dialog.choices < endSlot - firstSlot) endSlot = firstSlot + dialog.choices;

  TemplateDialogSetup setup;
  for (int32_t slot = firstSlot; slot < endSlot; ++slot) {
    if (!StartsChecked(ctx.script.settings, slot)) continue;
    int id = kFirstChoiceId + (slot - firstSlot);
    if (!exclusive) {
      setup.checkBoxes.push_back(id);
      continue;
    }
    setup.radioFirst = kFirstChoiceId;
    setup.radioLast = kFirstChoiceId + radios.radiosCreated;
    setup.radioChecked = id;
    break;
  }
  GroupChecker checker(ctx, firstSlot, endSlot);
  int result = surface_.RunTemplateDialog(dialog.bytes, setup, ctx.Prompt(PromptId::kQuit), &checker);
  return result == kIdCancel ? kIdCancel : kIdOk;
}

int ScriptScreens::RunGroupScreens(SetupContext& ctx) {
  if (!ctx.script.model || !ctx.script.model->mainGroup) return kIdOk;
  InstallScript& script = *ctx.script.model;

  // The top-level group's own slots end where its text ended.
  int32_t end = script.mainGroupEndItem;
  int32_t first = end - ChoiceLines(*script.mainGroup);
  if (ShowGroup(ctx, *script.mainGroup, script.mainGroupExclusive, first, end,
                RadiosBefore(script, script.mainGroup->firstLine)) == kIdCancel)
    return kIdCancel;

  for (int32_t slot = first < 0 ? 0 : first; slot < end && slot < int32_t(kMaxChoiceItems); ++slot) {
    if (!ctx.script.settings.itemChosen[size_t(slot)]) continue;
    int32_t number = -1;
    for (size_t n = 0; n < kMaxChoiceItems && number < 0; ++n)
      if (ctx.script.settings.itemNumberMap[n] == slot) number = int32_t(n);
    if (number < 0) continue;  // a later line took the number over
    for (int32_t i = 0; i < script.conditionalGroupCount && i < int32_t(kMaxConditionalGroups); ++i) {
      ChoiceGroup& group = script.conditionalGroups[size_t(i)];
      if (group.conditionNumber != number || !group.text) continue;
      if (ShowGroup(ctx, *group.text, group.exclusive, group.firstItem, group.endItem,
                    RadiosBefore(script, group.text->firstLine)) == kIdCancel)
        return kIdCancel;
    }
  }
  return kIdOk;
}

// ---- pop-up messages ---------------------------------------------------------------

void ScriptScreens::ShowPopup(SetupContext& ctx, int32_t popupId) {
  if (!ctx.script.model || popupId <= 0) return;
  InstallScript& script = *ctx.script.model;
  for (int32_t i = 0; i < script.popupCount && i < int32_t(kMaxPopups); ++i) {
    const PopupMessage& popup = script.popups[size_t(i)];
    if (popup.id != popupId || !HasText(popup.text.get())) continue;
    auto kept = popupTemplates_.find(i);
    if (kept == popupTemplates_.end()) {
      DialogTemplate dialog = BuildBlockDialog(ctx, surface_, *popup.text, BlockDialog::kPopup);
      if (dialog.status != TemplateStatus::kOk) return;
      kept = popupTemplates_.emplace(i, std::move(dialog.bytes)).first;
    }
    surface_.ShowPopup(kept->second);
    popupShown_ = i;
    return;
  }
}

void ScriptScreens::KeepProgressInFront(SetupContext&) {
  if (popupShown_ >= 0) surface_.KeepProgressInFront();
}

void ScriptScreens::ClosePopup(SetupContext&) {
  if (popupShown_ < 0) return;
  surface_.ClosePopup();
  popupShown_ = -1;
}

// ---- exit message, appearance, intro ---------------------------------------------------

void ShowExitMessage(SetupContext& ctx, ScreenSurface& surface) {
  if (!ctx.script.model || !ctx.script.model->exitMessage) return;
  DialogTemplate dialog = BuildBlockDialog(ctx, surface, *ctx.script.model->exitMessage, BlockDialog::kExitMessage);
  if (dialog.status == TemplateStatus::kOk)
    surface.RunTemplateDialog(dialog.bytes, TemplateDialogSetup(), ctx.Prompt(PromptId::kQuit), nullptr);
  else
    ReportNoTemplate(ctx);
  ctx.script.model->exitMessage.reset();
}

BitmapData BitmapDataOf(const DibImage& image) {
  BitmapData data;
  data.position = image.Position();
  if (image.Empty()) return data;
  data.width = image.Width();
  data.height = image.Height();
  data.info = image.BitmapInfo();
  data.bits = image.Bits();
  data.needsPalette = image.NeedsPalette();
  if (data.needsPalette) {
    for (const PaletteColour& c : image.PaletteColours())
      data.paletteColours.push_back(RgbColour{c.red, c.green, c.blue});
    data.paletteIndexInfo = image.PaletteIndexInfo();
  }
  return data;
}

namespace {
RgbColour Rgb(const Colour& c) { return RgbColour{c.red, c.green, c.blue}; }
}  // namespace

ScreenAppearance AppearanceOf(SetupContext& ctx) {
  ScreenAppearance appearance;
  const TitleFont& font = ctx.script.settings.titleFont;
  appearance.titleFace = font.face;
  appearance.titleBold = font.bold;
  appearance.titleItalic = font.italic;
  appearance.titleUnderline = font.underline;
  appearance.titleSize = font.size;
  if (!ctx.script.model) return appearance;
  const InstallScript& script = *ctx.script.model;
  appearance.title = script.title;
  appearance.titleColour = Rgb(script.titleColour);
  appearance.colour1 = Rgb(script.screenColour1);
  appearance.colour2 = Rgb(script.screenColour2);
  if (script.screenGraphic) {
    DibImage image;
    image.Load(ctx.files(), script.screenGraphic->file);
    image.SetPosition(script.screenGraphic->position);
    appearance.graphic = BitmapDataOf(image);
  }
  return appearance;
}

bool IntroImage(SetupContext& ctx, BitmapData* image, int32_t* seconds) {
  if (!ctx.script.model || !ctx.script.model->introScreen) return false;
  const IntroScreen& intro = *ctx.script.model->introScreen;
  DibImage dib;
  dib.Load(ctx.files(), intro.file);
  *image = BitmapDataOf(dib);
  *seconds = intro.seconds < 0 ? 0 : intro.seconds;
  return true;
}

}  // namespace quorril
