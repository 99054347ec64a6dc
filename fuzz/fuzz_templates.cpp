// Fuzz target for the screen templates: text blocks measured and turned
// into dialog templates, and raw bytes taken as a measured block.
//
// Input: byte 0 picks the builder (screen kinds 0, 1, 2, exclusive group,
// pop-up); byte 1 the source (even: the rest is script text, split into
// lines at line feeds and measured with character widths taken from the
// characters; odd: the rest is a measured block as it would lie in the
// text area); byte 2 the slots already given (0 to 100).
//
// Checked besides the sanitizers: a template is never larger than 3072
// bytes and walks cleanly (every item 4-byte aligned after zero padding,
// its class an atom, its caption ended, as many items as the header
// counts, nothing after the last); a refused build leaves the choice table
// and the radio count as they were; the table never gives more than 100
// slots and every number points at a slot that was given; the text area
// never passes 4096 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "screens/dialog_templates.h"
#include "screens/text_template.h"
#include "support/dialog_template_decoder.h"

using namespace quorril;

namespace {

class ByteMeasurer : public TextMeasurer {
 public:
  int32_t TextWidth(const std::string&, int32_t, bool, bool, const std::string& text) override {
    int32_t width = 0;
    for (char c : text) width += 1 + (uint8_t(c) % 16);
    return width;
  }
  int32_t DialogBaseUnitX(const std::string&, int32_t) override { return 6; }
};

// Walks a template as the system's dialog manager would, and holds it to
// what the builders write: no menu, the default class, no caption, a font;
// every item a button or a static of the predefined classes, with a text
// and without creation data.
void Walk(const std::vector<uint8_t>& b) {
  if (b.size() > kTemplateBlockSize) std::abort();
  support::DialogTemplateFields t;
  if (!support::DecodeDialogTemplate(b, &t)) std::abort();
  const support::NameOrOrdinal none;
  if (t.menu != none || t.windowClass != none || t.caption != none || !t.hasFont) std::abort();
  for (const support::DialogItemFields& item : t.items) {
    if (!item.windowClass.isOrdinal) std::abort();
    if (item.windowClass.ordinal != kButtonAtom && item.windowClass.ordinal != kStaticAtom) std::abort();
    if (item.text.isOrdinal || !item.creationData.empty()) std::abort();
  }
}

void CheckTable(const ChoiceTable& table) {
  if (table.slotCount < 0 || table.slotCount > int32_t(kChoiceSlots)) std::abort();
  for (int32_t slot : table.slotOfNumber)
    if (slot < -1 || slot >= table.slotCount) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  int builder = data[0] % 5;
  bool raw = data[1] & 1;
  ChoiceTable table;
  table.slotCount = data[2] % 101;
  data += 3;
  size -= 3;

  TextArea area;
  std::vector<uint8_t> rawBytes;
  ByteSpan text;
  if (raw) {
    rawBytes.assign(data, data + size);
    text = ByteSpan{rawBytes.data(), rawBytes.size()};
  } else {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == '\n')
        lines.emplace_back();
      else
        lines.back().push_back(char(data[i]));
    }
    ByteMeasurer measurer;
    // Measure twice into the same area so the second block starts inside it.
    MeasureResult first = MeasureText(area, lines, MeasureFont(), measurer);
    MeasureResult r = MeasureText(area, lines, MeasureFont(), measurer);
    if (area.Used() > kTextAreaSize) std::abort();
    if (first.status != TextStatus::kOk) {
      if (first.lineIndex < 0 && first.status != TextStatus::kNoMetrics) std::abort();
      return 0;
    }
    if (r.status != TextStatus::kOk) {
      if (r.status != TextStatus::kAreaFull || area.Used() != first.block.size) std::abort();
      r = first;
    }
    text = area.Bytes(r.block);
    TextLayout layout;
    size_t consumed = 0;
    if (!DecodeTextTemplate(text, &layout, &consumed) || consumed != text.size) std::abort();
    if (layout.lines.size() != lines.size()) std::abort();
  }

  const ChoiceTable before = table;
  RadioRun radios;
  radios.radiosCreated = int32_t(before.slotCount % 7);
  const RadioRun radiosBefore = radios;
  ButtonTexts buttons;
  DialogFont font;
  DialogTemplate t;
  switch (builder) {
    case 0: t = BuildScreenTemplate(ScreenKind::kScreen, text, font, buttons, &table); break;
    case 1: t = BuildScreenTemplate(ScreenKind::kChoiceGroup, text, font, buttons, &table); break;
    case 2: t = BuildScreenTemplate(ScreenKind::kExitMessage, text, font, buttons, &table); break;
    case 3: t = BuildExclusiveTemplate(text, font, buttons, &table, &radios); break;
    default: t = BuildPopupTemplate(text, font); break;
  }
  CheckTable(table);
  if (t.status != TemplateStatus::kOk) {
    if (!t.bytes.empty() || table.slotCount != before.slotCount || table.slotOfNumber != before.slotOfNumber ||
        radios.radiosCreated != radiosBefore.radiosCreated)
      std::abort();
    return 0;
  }
  Walk(t.bytes);
  if (builder != 4 && (t.endSlot - t.firstSlot != t.choices || t.endSlot != table.slotCount)) std::abort();
  if (builder == 3 && radios.radiosCreated != radiosBefore.radiosCreated + t.choices) std::abort();
  return 0;
}
