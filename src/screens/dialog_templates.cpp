// The template builders. Each reads the measured block back
// (DecodeTextTemplate), lays the dialog out and writes it through a
// TemplateWriter that keeps the bytes within the 3072-byte block; choice
// lines go into a copy of the choice table that is stored back only when
// the whole template was built.
#include "screens/dialog_templates.h"

#include "model/choice_line.h"
#include "model/script_model.h"
#include "platform/text.h"

namespace quorril {

namespace {

// Code-page 1252 bytes 0x80 to 0x9F; the five bytes the code page leaves
// undefined map to the control characters of the same value, as the
// system's conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Little-endian template bytes with a hard size limit: once the limit is
// passed the writer stops growing and remembers it.
class TemplateWriter {
 public:
  bool Overflowed() const { return overflow_; }
  size_t Size() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

  void Word(uint16_t w) {
    Byte(uint8_t(w & 0xFF));
    Byte(uint8_t(w >> 8));
  }
  void Short(int32_t v) { Word(uint16_t(int16_t(v))); }
  void DWord(uint32_t d) {
    Word(uint16_t(d & 0xFFFF));
    Word(uint16_t(d >> 16));
  }
  void Text(const std::string& text) {
    for (char16_t c : Cp1252ToUtf16(text)) Word(uint16_t(c));
    Word(0);
  }
  void AlignToDWord() {
    while (bytes_.size() % 4 != 0 && !overflow_) Byte(0);
  }

 private:
  void Byte(uint8_t b) {
    if (bytes_.size() >= kTemplateBlockSize) {
      overflow_ = true;
      return;
    }
    bytes_.push_back(b);
  }

  std::vector<uint8_t> bytes_;
  bool overflow_ = false;
};

struct DialogBox {
  uint32_t style = kScreenDialogStyle;
  int32_t items = 0;
  int32_t cx = 0, cy = 0;
};

void WriteDialog(TemplateWriter& w, const DialogBox& box, const DialogFont& font) {
  w.DWord(box.style);
  w.DWord(0);
  w.Word(uint16_t(box.items));
  w.Short(0);
  w.Short(0);
  w.Short(box.cx);
  w.Short(box.cy);
  w.Word(0);  // no menu
  w.Word(0);  // the default dialog class
  w.Word(0);  // empty caption
  int32_t size = font.pointSize <= 0 ? 10 : (font.pointSize > 0x7FFF ? 0x7FFF : font.pointSize);
  w.Word(uint16_t(size));
  w.Text(font.face);
}

struct Item {
  uint32_t style = kScreenStaticStyle;
  int32_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = kStaticId;
  uint16_t atom = kStaticAtom;
  std::string caption;
};

void WriteItem(TemplateWriter& w, const Item& item) {
  w.AlignToDWord();
  w.DWord(item.style);
  w.DWord(0);
  w.Short(item.x);
  w.Short(item.y);
  w.Short(item.cx);
  w.Short(item.cy);
  w.Word(item.id);
  w.Word(0xFFFF);
  w.Word(item.atom);
  w.Text(item.caption);
  w.Word(0);  // no creation data
}

Item Button(uint32_t style, uint16_t id, int32_t x, int32_t y, int32_t cx, const std::string& caption) {
  Item item;
  item.style = style;
  item.id = id;
  item.atom = kButtonAtom;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = 12;
  item.caption = caption;
  return item;
}

int32_t MakeEven(int32_t n) { return (n % 2 != 0) ? n + 1 : n; }
int32_t GroupColumns(const TextLayout& text) {
  int32_t c = MakeEven(text.width);
  return c < 40 ? 40 : c;
}
std::string WithoutNumberColumns(const std::string& line) { return line.size() > 2 ? line.substr(2) : std::string(); }

// The state of one group's build: a working copy of the choice table and
// of the radio count, stored back only when the template is complete.
class GroupBuild {
 public:
  GroupBuild(const ChoiceTable* table, const RadioRun* radios)
      : table_(table ? *table : ChoiceTable()), radios_(radios ? *radios : RadioRun()) {}

  // Turns a choice line into its control (check box or radio button).
  TemplateStatus AddChoice(const std::string& line, bool radio, Item* item) {
    ChoiceLine choice;
    if (!ReadChoiceLine(line, &choice)) return TemplateStatus::kMissingMarker;
    if (table_.slotCount < 0 || table_.slotCount >= int32_t(kChoiceSlots)) return TemplateStatus::kTooManyChoices;
    int32_t slot = table_.slotCount++;
    table_.slotOfNumber[size_t(choice.number)] = slot;
    table_.initiallyChecked[size_t(slot)] = choice.checked ? 1 : 0;
    if (radio) {
      item->style = radios_.radiosCreated == 0 ? kFirstRadioStyle : kRadioStyle;
      ++radios_.radiosCreated;
    } else {
      item->style = kCheckBoxStyle;
    }
    // The control starts two columns left of its marker; a marker in the
    // second column would put it left of the dialog, so it is held at 0.
    int32_t x = 4 * (int32_t(choice.marker) - 2);
    item->x = x < 0 ? 0 : x;
    item->id = uint16_t(kFirstChoiceId + choices_++);
    item->atom = kButtonAtom;
    item->caption = line.substr(choice.marker + 3);
    return TemplateStatus::kOk;
  }

  int32_t Choices() const { return choices_; }
  int32_t SlotCount() const { return table_.slotCount; }
  void Store(ChoiceTable* table, RadioRun* radios) const {
    if (table) *table = table_;
    if (radios) *radios = radios_;
  }

 private:
  ChoiceTable table_;
  RadioRun radios_;
  int32_t choices_ = 0;
};

DialogTemplate Fail(TemplateStatus status, int32_t lineIndex) {
  DialogTemplate result;
  result.status = status;
  result.lineIndex = lineIndex;
  return result;
}

// The rows of a group or screen: one control per non-empty line.
struct RowLayout {
  int32_t rowHeight = 8;
  int32_t width = 0;          // of every control
  uint32_t staticStyle = kScreenStaticStyle;
  bool cutNumberColumns = false;  // other lines lose their first two characters
  bool choices = false;           // digit lines are choices
  bool radio = false;
};

TemplateStatus WriteRows(TemplateWriter& w, const TextLayout& text, const RowLayout& rows, GroupBuild& group,
                         int32_t* lineIndex) {
  for (size_t i = 0; i < text.lines.size(); ++i) {
    const std::string& line = text.lines[i];
    if (line.empty()) continue;
    *lineIndex = int32_t(i);
    Item item;
    item.y = rows.rowHeight * int32_t(i);
    item.cx = rows.width;
    item.cy = rows.rowHeight;
    if (rows.choices && IsChoiceLine(line)) {
      TemplateStatus status = group.AddChoice(line, rows.radio, &item);
      if (status != TemplateStatus::kOk) return status;
    } else {
      item.style = rows.staticStyle;
      item.caption = rows.cutNumberColumns ? WithoutNumberColumns(line) : line;
    }
    WriteItem(w, item);
    if (w.Overflowed()) return TemplateStatus::kTooLarge;
  }
  return TemplateStatus::kOk;
}

DialogTemplate Finish(TemplateWriter& w, const TextLayout& text, const GroupBuild& group, int32_t firstSlot) {
  // The buttons come after the last line; a template that overflows there
  // is charged to the end line of the block.
  if (w.Overflowed()) return Fail(TemplateStatus::kTooLarge, text.totalLines);
  DialogTemplate result;
  result.bytes = w.Take();
  result.firstSlot = firstSlot;
  result.endSlot = group.SlotCount();
  result.choices = group.Choices();
  return result;
}

}  // namespace

std::u16string Cp1252ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char ch : text) {
    uint8_t b = uint8_t(ch);
    if (b == 0) break;
    out.push_back((b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b));
  }
  return out;
}

DialogFont DialogFontFor(const TextBlock& block, const ScriptSettings& settings) {
  // The font the block was measured in, so that its lines fit.
  const MeasureFont measured = MeasureFontFor(block, settings);
  DialogFont font;
  font.face = measured.face;
  font.pointSize = measured.pointSize;
  return font;
}

ChoiceTable ChoiceTableOf(const InstallScript& script, const ScriptSettings& settings) {
  ChoiceTable table;
  table.slotCount = script.choiceItemCount;
  for (size_t i = 0; i < kChoiceSlots; ++i) {
    table.slotOfNumber[i] = settings.itemNumberMap[i];
    table.initiallyChecked[i] = settings.itemPreset[i];
  }
  return table;
}

void StoreChoiceTable(const ChoiceTable& table, InstallScript* script, ScriptSettings* settings) {
  script->choiceItemCount = table.slotCount;
  for (size_t i = 0; i < kChoiceSlots; ++i) {
    settings->itemNumberMap[i] = table.slotOfNumber[i];
    settings->itemPreset[i] = table.initiallyChecked[i];
  }
}

DialogTemplate BuildScreenTemplate(ScreenKind kind, ByteSpan text, const DialogFont& font,
                                   const ButtonTexts& buttons, ChoiceTable* table) {
  TextLayout layout;
  if (!DecodeTextTemplate(text, &layout)) return Fail(TemplateStatus::kBadText, -1);
  int32_t c = GroupColumns(layout);
  int32_t r = MakeEven(layout.totalLines);
  bool exitMessage = kind == ScreenKind::kExitMessage;

  TemplateWriter w;
  DialogBox box;
  box.style = kScreenDialogStyle;
  box.items = layout.nonEmptyLines + (exitMessage ? 1 : 2);
  box.cx = 4 * c;
  box.cy = 8 * r + 16;
  WriteDialog(w, box, font);

  RowLayout rows;
  rows.width = 4 * c;
  rows.choices = rows.cutNumberColumns = kind == ScreenKind::kChoiceGroup;
  GroupBuild group(table, nullptr);
  int32_t firstSlot = group.SlotCount();
  int32_t lineIndex = -1;
  TemplateStatus status = WriteRows(w, layout, rows, group, &lineIndex);
  if (status != TemplateStatus::kOk) return Fail(status, lineIndex);

  WriteItem(w, Button(kDefaultButtonStyle, 1, exitMessage ? 2 * c - 20 : c - 12, 8 * r, 40, buttons.ok));
  if (!exitMessage) WriteItem(w, Button(kPushButtonStyle, 2, 3 * c - 28, 8 * r, 40, buttons.cancel));
  DialogTemplate result = Finish(w, layout, group, firstSlot);
  if (result.status == TemplateStatus::kOk) group.Store(table, nullptr);
  return result;
}

DialogTemplate BuildExclusiveTemplate(ByteSpan text, const DialogFont& font, const ButtonTexts& buttons,
                                      ChoiceTable* table, RadioRun* radios) {
  TextLayout layout;
  if (!DecodeTextTemplate(text, &layout)) return Fail(TemplateStatus::kBadText, -1);
  int32_t c = GroupColumns(layout);
  int32_t r = MakeEven(layout.totalLines);

  TemplateWriter w;
  DialogBox box;
  box.style = kScreenDialogStyle;
  box.items = layout.nonEmptyLines + 2;
  box.cx = 4 * c;
  box.cy = 10 * r + 19;
  WriteDialog(w, box, font);

  RowLayout rows;
  rows.rowHeight = 10;
  rows.width = 4 * c;
  rows.staticStyle = kPlainStaticStyle;
  rows.cutNumberColumns = rows.choices = rows.radio = true;
  GroupBuild group(table, radios);
  int32_t firstSlot = group.SlotCount();
  int32_t lineIndex = -1;
  TemplateStatus status = WriteRows(w, layout, rows, group, &lineIndex);
  if (status != TemplateStatus::kOk) return Fail(status, lineIndex);

  WriteItem(w, Button(kDefaultButtonStyle, 1, 4 * ((c - 30) / 2), 10 * r, 36, buttons.ok));
  WriteItem(w, Button(kPushButtonStyle, 2, 4 * (c / 2) + 20, 10 * r, 36, buttons.cancel));
  DialogTemplate result = Finish(w, layout, group, firstSlot);
  if (result.status == TemplateStatus::kOk) group.Store(table, radios);
  return result;
}

DialogTemplate BuildPopupTemplate(ByteSpan text, const DialogFont& font) {
  TextLayout layout;
  if (!DecodeTextTemplate(text, &layout)) return Fail(TemplateStatus::kBadText, -1);
  int32_t width = 4 * MakeEven(layout.width);

  TemplateWriter w;
  DialogBox box;
  box.style = kPopupDialogStyle;
  box.items = layout.nonEmptyLines;
  box.cx = width;
  box.cy = 8 * layout.totalLines;
  WriteDialog(w, box, font);

  RowLayout rows;
  rows.width = width;
  rows.staticStyle = kPlainStaticStyle;
  GroupBuild group(nullptr, nullptr);
  int32_t lineIndex = -1;
  TemplateStatus status = WriteRows(w, layout, rows, group, &lineIndex);
  if (status != TemplateStatus::kOk) return Fail(status, lineIndex);
  return Finish(w, layout, group, 0);
}

}  // namespace quorril
