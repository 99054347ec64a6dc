// In-memory dialog templates for the screens built from script text: the
// screen template (kind 0 first and last screen with OK and Cancel, kind 1
// choice group with check boxes, kind 2 exit message with OK only), the
// exclusive group template (radio buttons) and the pop-up template.
//
// The bytes are a standard DLGTEMPLATE followed by DLGITEMTEMPLATEs, all
// little-endian 16-bit words:
//
//   DWORD style, DWORD extended style 0, WORD item count,
//   short x, y, cx, cy; WORD menu 0; WORD class 0; WORD caption "" (0);
//   WORD point size; face as UTF-16 + 0            (DS_SETFONT)
//   per item, starting on a 4-byte boundary:
//     DWORD style, DWORD extended style 0, short x, y, cx, cy, WORD id,
//     WORD 0xFFFF, WORD atom (0x0080 button, 0x0082 static),
//     caption as UTF-16 + 0, WORD 0 (no creation data)
//
// Captions and the face are code-page 1252 bytes turned into UTF-16; a
// caption ends at an embedded NUL. Coordinates are dialog units. A template
// never grows beyond 3072 bytes: one that would is refused.
//
// Choice lines (model/choice_line.h): in a choice group (kind 1 or
// exclusive) each choice takes the next slot of the choice table, "[X]"
// marks the slot initially checked, and a line with neither marker makes the
// script invalid. The control stands two columns left of the marker and its
// caption is the text after the marker. Other lines of a choice group lose
// their first two characters (the number columns).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/capacities.h"
#include "screens/text_template.h"

namespace quorril {

struct TextBlock;
struct ScriptSettings;
class InstallScript;

constexpr size_t kTemplateBlockSize = capacity::kTemplateBlock;
constexpr size_t kChoiceSlots = capacity::kChoiceItems;

// Window and control styles written into the templates.
enum : uint32_t {
  kScreenDialogStyle = 0x80400040,      // WS_POPUP | WS_DLGFRAME | DS_SETFONT
  kPopupDialogStyle = 0x90400040,       // WS_POPUP | WS_VISIBLE | WS_DLGFRAME | DS_SETFONT
  kScreenStaticStyle = 0x50020000,      // WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT
  kPlainStaticStyle = 0x50000000,       // WS_CHILD | WS_VISIBLE | SS_LEFT
  kCheckBoxStyle = 0x50010003,          // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX
  kRadioStyle = 0x50010009,             // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON
  kFirstRadioStyle = 0x50030009,        // the same with WS_GROUP
  kDefaultButtonStyle = 0x50010001,     // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON
  kPushButtonStyle = 0x50010000,        // WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON
};
enum : uint16_t { kButtonAtom = 0x0080, kStaticAtom = 0x0082, kStaticId = 0xFFFF };
constexpr int32_t kFirstChoiceId = 100;

enum class ScreenKind : int32_t { kScreen = 0, kChoiceGroup = 1, kExitMessage = 2 };

// The font of a template (DS_SETFONT).
struct DialogFont {
  std::string face = "MS Sans Serif";
  int32_t pointSize = 10;  // 0 or less: 10; held at 32767 at most
};
// A screen's font: the block's face when it names one, else the script's
// dialog font; the block's size when given, else 10. (A pop-up's block
// carries the pop-up's own face and size.)
DialogFont DialogFontFor(const TextBlock& block, const ScriptSettings& settings);

// The captions of the buttons (OKPROMPT and CANCELPROMPT).
struct ButtonTexts {
  std::string ok = "OK";
  std::string cancel = "Cancel";
};

// The choice table that the choice groups fill while they are built.
struct ChoiceTable {
  int32_t slotCount = 0;                            // the next slot to give
  std::array<int32_t, kChoiceSlots> slotOfNumber;   // per choice number, -1 = none
  std::array<int32_t, kChoiceSlots> initiallyChecked{};  // per slot, 1 for "[X]"
  ChoiceTable() { slotOfNumber.fill(-1); }
};
// The script model keeps the table in three places; these copy it out and
// back (slot counter: InstallScript::choiceItemCount; slot of number:
// ScriptSettings::itemNumberMap; initially checked: itemPreset).
ChoiceTable ChoiceTableOf(const InstallScript& script, const ScriptSettings& settings);
void StoreChoiceTable(const ChoiceTable& table, InstallScript* script, ScriptSettings* settings);

// Radio buttons created so far in the run, across all exclusive groups:
// the first one carries WS_GROUP, and the group screen checks its preset
// button over the ids 100 to 100 + this count.
struct RadioRun {
  int32_t radiosCreated = 0;
};

enum class TemplateStatus {
  kOk = 0,
  kBadText,         // the measured block is not well formed
  kTooLarge,        // the template would pass 3072 bytes
  kMissingMarker,   // a choice line with neither "[ ]" nor "[X]"
  kTooManyChoices,  // a choice line beyond the 100 slots
};

struct DialogTemplate {
  TemplateStatus status = TemplateStatus::kOk;
  int32_t lineIndex = -1;     // the line at fault, counting empty lines
  std::vector<uint8_t> bytes;  // the template (kOk only)
  // Choice groups: the slot counter before and after the group's text, and
  // the number of choices in it (ids 100 ... 100 + choices - 1).
  int32_t firstSlot = 0;
  int32_t endSlot = 0;
  int32_t choices = 0;
};

// Builds a screen template from a measured block. In kind 1 the choices go
// into `table` when it is given (left unchanged when the build fails).
DialogTemplate BuildScreenTemplate(ScreenKind kind, ByteSpan text, const DialogFont& font,
                                   const ButtonTexts& buttons, ChoiceTable* table = nullptr);
// Builds an exclusive group template; the radio buttons count into `radios`
// and the choices go into `table` (each when given; unchanged on failure).
DialogTemplate BuildExclusiveTemplate(ByteSpan text, const DialogFont& font, const ButtonTexts& buttons,
                                      ChoiceTable* table = nullptr, RadioRun* radios = nullptr);
// Builds a pop-up template: static texts only, no buttons.
DialogTemplate BuildPopupTemplate(ByteSpan text, const DialogFont& font);

// The UTF-16 form of a code-page 1252 text (up to an embedded NUL).
std::u16string Cp1252ToUtf16(const std::string& text);

}  // namespace quorril
