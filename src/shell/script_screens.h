// The screens that the script describes, shown through the screen surface:
// the first and last screen, the choice screens, the pop-up messages while
// files are copied, the exit message, and what the main window paints.
//
// Each screen is built when it is shown: its text block is measured with the
// surface's font metrics and turned into a dialog template (the parser has
// already made sure that every block fits the text area and the template
// block). The choice table of the script model (the slot of each choice
// number, the preset slots) was filled by the parser; the choice screens
// only add the user's selections (ScriptSettings::itemChosen), so the
// templates are built without a table and a group's button id 100 + k is
// the group's k-th slot.
//
// Choice screens: the top-level group first; then, for each of its slots
// that the user selected, in slot order, every subordinate group whose
// condition number is that slot's choice number, in script order. OK with
// nothing checked shows NOGROUPPROMPT and keeps the dialog open; Cancel
// asks the quit question, and Yes ends the choice screens with kIdCancel.
//
// A screen whose template cannot be made (a block that no longer fits, for
// example after a later OKPROMPT lengthened the button) shows "Not Enough
// Memory" and is passed over as if OK had been pressed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/screen_surface.h"
#include "shell/run_sequence.h"
#include "screens/dialog_templates.h"
#include "screens/text_template.h"

namespace quorril {

class SetupContext;
class DibImage;

// The surface's font metrics as a measurer for the text blocks.
class SurfaceMeasurer : public TextMeasurer {
 public:
  explicit SurfaceMeasurer(ScreenSurface& surface) : surface_(surface) {}
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                    const std::string& text) override {
    return surface_.TextWidth(face, pointSize, italic, underline, text);
  }
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override {
    return surface_.DialogBaseUnitX(face, pointSize);
  }

 private:
  ScreenSurface& surface_;
};

// How a text block becomes a dialog.
enum class BlockDialog { kScreen, kExitMessage, kChoiceGroup, kExclusiveGroup, kPopup };

// Measures `block` with the surface's metrics and builds its template.
// `radiosBefore` counts the radio buttons of the exclusive groups that come
// before this one in the script; an exclusive group adds its own to it.
DialogTemplate BuildBlockDialog(SetupContext& ctx, ScreenSurface& surface, const TextBlock& block,
                                BlockDialog kind, RadioRun* radios = nullptr);

class ScriptScreens : public Screens {
 public:
  explicit ScriptScreens(ScreenSurface& surface) : surface_(surface) {}

  // Shows the screen and releases its text block; the screen font of the
  // blocks is reset. kIdOk, or kIdCancel when the user quit.
  int ShowFirstScreen(SetupContext& ctx) override;
  int ShowLastScreen(SetupContext& ctx) override;
  int RunGroupScreens(SetupContext& ctx) override;
  void ShowPopup(SetupContext& ctx, int32_t popupId) override;
  void KeepProgressInFront(SetupContext& ctx) override;
  void ClosePopup(SetupContext& ctx) override;

  // The pop-up on screen: the index of its record, -1 when none.
  int32_t PopupShown() const { return popupShown_; }

  // The choices of an answers file: each choice screen starts with the
  // buttons of these choice numbers checked instead of the script's
  // presets (an exclusive group with the first of them). Unset: the presets.
  void AnswerChoices(std::optional<std::vector<int32_t>> numbers) { choiceAnswers_ = std::move(numbers); }

 private:
  int ShowScreen(SetupContext& ctx, std::unique_ptr<TextBlock>& block);
  // Whether the button of a slot starts checked: its preset, or its choice
  // number among the answers.
  bool StartsChecked(const ScriptSettings& settings, int32_t slot) const;
  // One choice screen over the slots first .. end - 1.
  int ShowGroup(SetupContext& ctx, const TextBlock& block, bool exclusive, int32_t firstSlot, int32_t endSlot,
                int32_t radiosBefore);

  ScreenSurface& surface_;
  std::map<int32_t, std::vector<uint8_t>> popupTemplates_;  // by record index, built once
  int32_t popupShown_ = -1;
  std::optional<std::vector<int32_t>> choiceAnswers_;
};

// Shows the exit message (EXITMESSAGE ... EXIT, a screen with OK only) and
// releases its block; nothing when the script has none. Start-up calls it
// when the first pass ended with ParseFailure::kExitMessage.
void ShowExitMessage(SetupContext& ctx, ScreenSurface& surface);

// What the main window paints: the title with its font and colour, the two
// screen colours, and the SCREENGRAPHIC bitmap at its position (empty when
// the script names none or the file is not an accepted bitmap).
ScreenAppearance AppearanceOf(SetupContext& ctx);

// The INTROSCREEN bitmap and its display time; false when the script has no
// intro screen. A file that is not an accepted bitmap gives an empty image:
// the intro window is still shown, and draws nothing.
bool IntroImage(SetupContext& ctx, BitmapData* image, int32_t* seconds);

// A loaded bitmap as the surface draws it.
BitmapData BitmapDataOf(const DibImage& image);

}  // namespace quorril
