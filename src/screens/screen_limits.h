// The fixed blocks that the screens of a script must fit, checked while the
// script is read.
//
// Every text block of a script (first and last screen, exit message, choice
// groups, pop-up messages) is measured into one shared text area of 4096
// bytes, in the order the blocks are read, and each block's dialog template
// is built in a block of 3072 bytes. Neither size depends on the widths of
// the font: a measured line takes its length + 2 bytes whatever it measures,
// and a template's bytes depend only on the texts, the face and the kind of
// screen. So the parser can check both limits as soon as a block has been
// read, and refuse the script with a syntax error at the line at fault,
// before anything is shown.
//
// The text area in use is the measured size of the blocks the script model
// holds at the time of the check, so the blocks of the second pass are
// counted after those of the first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "screens/dialog_templates.h"

namespace quorril {

class InstallScript;
class PromptTexts;
struct ScriptSettings;
struct TextBlock;

enum class ScreenBlockKind {
  kScreen,          // first or last screen: text, OK and Cancel
  kExitMessage,     // text and OK
  kChoiceGroup,     // check boxes
  kExclusiveGroup,  // radio buttons
  kPopup,           // text only
};

// Bytes that `lines` take in the text area (3 + per line: length + 2, or 2
// for an empty line).
size_t MeasuredTextSize(const std::vector<std::string>& lines);

// The text area taken by the blocks that the script model holds.
size_t TextAreaUse(const InstallScript& script);

// A measurer whose widths do not matter: for the sizes only.
class FixedWidthMeasurer : public TextMeasurer {
 public:
  int32_t TextWidth(const std::string&, int32_t, bool, bool, const std::string& text) override {
    return int32_t(text.size());
  }
  int32_t DialogBaseUnitX(const std::string&, int32_t) override { return 1; }
};

// Checks a block that has just been read, before it joins the model:
// -1 when its measured text fits what is left of the text area and its
// template fits 3072 bytes; otherwise the index of the line of the block
// at fault (the first line that no longer fits the text area, the line
// whose control passes the template's size; the block's last line when
// only the buttons no longer fit). A block without lines that does not
// fit gives 0.
int32_t CheckScreenBlockLimits(const InstallScript& script, const ScriptSettings& settings,
                               const PromptTexts& prompts, const TextBlock& block, ScreenBlockKind kind);

}  // namespace quorril
