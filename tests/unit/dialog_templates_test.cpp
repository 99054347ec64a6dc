// The in-memory dialog templates of the screens, compared with templates
// laid out by hand (one byte for byte, the others field by field), and the
// choice table they fill.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/script_model.h"
#include "screens/dialog_templates.h"
#include "screens/text_template.h"
#include "support/dialog_template_decoder.h"

namespace quorril {
namespace {

// Every character but the first six of a line is one average character
// wide, so a block's width is its longest line less 6 (which keeps the
// numbers of these layout tables small).
class ColumnMeasurer : public TextMeasurer {
 public:
  int32_t TextWidth(const std::string&, int32_t, bool, bool, const std::string& text) override {
    return 4 * std::max(0, int32_t(text.size()) - 6);
  }
  int32_t DialogBaseUnitX(const std::string&, int32_t) override { return 4; }
};

// Measures `lines` into a private area and keeps the bytes.
struct Measured {
  TextArea area;
  TextTemplate block;
  explicit Measured(const std::vector<std::string>& lines) {
    ColumnMeasurer measurer;
    MeasureResult r = MeasureText(area, lines, MeasureFont(), measurer);
    EXPECT_EQ(r.status, TextStatus::kOk);
    block = r.block;
  }
  ByteSpan Span() const { return area.Bytes(block); }
};

// An expected template, field by field.
class Expect {
 public:
  // DS_SETFONT: no menu, the default class, an empty caption.
  Expect& Dialog(uint32_t style, uint16_t items, int16_t cx, int16_t cy, uint16_t points, const std::string& face) {
    t.style = style;
    count = items;
    t.cx = cx;
    t.cy = cy;
    t.hasFont = true;
    t.pointSize = points;
    t.face = support::Widen(face);
    return *this;
  }
  // A control of a predefined class, with no creation data.
  Expect& Item(uint32_t style, int16_t x, int16_t y, int16_t cx, int16_t cy, uint16_t id, uint16_t atom,
               const std::string& caption) {
    t.items.push_back(
        support::DialogItemFields{style, 0, x, y, cx, cy, id, support::Ordinal(atom), support::Name(caption), {}});
    return *this;
  }
  support::DialogTemplateFields t;
  size_t count = 0;  // as the header says
};

// Whether `bytes` are a well-formed template with exactly the expected
// fields. The decoder refuses stray padding and trailing bytes, so this
// holds only for the very bytes the expectation stands for.
::testing::AssertionResult IsTemplate(const std::vector<uint8_t>& bytes, const Expect& e) {
  support::DialogTemplateFields decoded;
  std::string why;
  if (!support::DecodeDialogTemplate(bytes, &decoded, &why)) return ::testing::AssertionFailure() << why;
  if (e.t.items.size() != e.count)
    return ::testing::AssertionFailure() << "the expectation counts " << e.count << " items but lists "
                                         << e.t.items.size();
  if (decoded != e.t) return ::testing::AssertionFailure() << "the template is\n" << decoded << "\nnot\n" << e.t;
  return ::testing::AssertionSuccess();
}

DialogFont Font(const std::string& face = "MS Sans Serif", int32_t size = 10) {
  DialogFont f;
  f.face = face;
  f.pointSize = size;
  return f;
}

TEST(PopupTemplateTest, MatchesTheHandWrittenBytes) {
  // Lines 7 and 5 characters long, measured at 8 pixels per character less
  // 24 with a base unit of 4: widths 8 and 4, so 8 columns.
  class Wide : public ColumnMeasurer {
    int32_t TextWidth(const std::string&, int32_t, bool, bool, const std::string& t) override {
      return 8 * int32_t(t.size()) - 24;
    }
  } measurer;
  TextArea area;
  MeasureResult m = MeasureText(area, {"Copying", "files"}, MeasureFont(), measurer);
  ASSERT_EQ(m.status, TextStatus::kOk);
  DialogTemplate t = BuildPopupTemplate(area.Bytes(m.block), Font("Arial", 12));
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  const std::vector<uint8_t> expected = {
      0x40, 0x00, 0x40, 0x90, 0x00, 0x00, 0x00, 0x00,  // style 0x90400040, extended 0
      0x02, 0x00, 0x00, 0x00, 0x00, 0x00,              // 2 items, x 0, y 0
      0x20, 0x00, 0x10, 0x00,                          // 32 x 16
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // menu, class, caption
      0x0C, 0x00, 'A', 0, 'r', 0, 'i', 0, 'a', 0, 'l', 0, 0, 0,  // 12 points, "Arial"
      0x00, 0x00,                                      // to a 4-byte boundary
      0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00,  // static 0x50000000
      0x00, 0x00, 0x00, 0x00, 0x20, 0x00, 0x08, 0x00,  // 0, 0, 32 x 8
      0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x00,              // id -1, static class
      'C', 0, 'o', 0, 'p', 0, 'y', 0, 'i', 0, 'n', 0, 'g', 0, 0, 0, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x00, 0x00,  // second static
      0x00, 0x00, 0x08, 0x00, 0x20, 0x00, 0x08, 0x00,  // 0, 8, 32 x 8
      0xFF, 0xFF, 0xFF, 0xFF, 0x82, 0x00,              //
      'f', 0, 'i', 0, 'l', 0, 'e', 0, 's', 0, 0, 0, 0x00, 0x00,
  };
  EXPECT_EQ(t.bytes, expected);
}

TEST(PopupTemplateTest, HasNoMinimumWidthAndSkipsEmptyLines) {
  Measured text({"", "Hi", "", ""});
  DialogTemplate t = BuildPopupTemplate(text.Span(), Font());
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  Expect e;
  e.Dialog(0x90400040, 1, 0, 32, 10, "MS Sans Serif").Item(0x50000000, 0, 8, 0, 8, 0xFFFF, 0x82, "Hi");
  EXPECT_TRUE(IsTemplate(t.bytes, e));
}

TEST(ScreenTemplateTest, ThreeLinesWithAnEmptyMiddleGiveTwoTextsAndBothButtons) {
  Measured text({"Hi", "", "Yo"});
  ButtonTexts buttons;
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kScreen, text.Span(), Font(), buttons);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  // c = 40 (the minimum), r = 4 (3 made even).
  Expect e;
  e.Dialog(0x80400040, 4, 160, 48, 10, "MS Sans Serif")
      .Item(0x50020000, 0, 0, 160, 8, 0xFFFF, 0x82, "Hi")
      .Item(0x50020000, 0, 16, 160, 8, 0xFFFF, 0x82, "Yo")
      .Item(0x50010001, 28, 32, 40, 12, 1, 0x80, "OK")
      .Item(0x50010000, 92, 32, 40, 12, 2, 0x80, "Cancel");
  EXPECT_TRUE(IsTemplate(t.bytes, e));
  EXPECT_EQ(t.bytes.size(), 190u);
}

TEST(ScreenTemplateTest, ExitMessageHasOnlyACentredOkAndWideBlocksGrow) {
  // 53 characters: width 47, made even 48 -> 192 units wide.
  std::string line(53, 'e');
  Measured text({line});
  ButtonTexts buttons;
  buttons.ok = "Fine";
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kExitMessage, text.Span(), Font("Arial", 8), buttons);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  Expect e;
  e.Dialog(0x80400040, 2, 192, 32, 8, "Arial")
      .Item(0x50020000, 0, 0, 192, 8, 0xFFFF, 0x82, line)
      .Item(0x50010001, 76, 16, 40, 12, 1, 0x80, "Fine");  // 2c - 20
  EXPECT_TRUE(IsTemplate(t.bytes, e));
}

TEST(ScreenTemplateTest, DigitLinesAreTextsOutsideChoiceGroups) {
  Measured text({"10[X] not a choice"});
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kScreen, text.Span(), Font(), ButtonTexts());
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  EXPECT_EQ(t.choices, 0);
  Expect e;
  e.Dialog(0x80400040, 3, 160, 32, 10, "MS Sans Serif")
      .Item(0x50020000, 0, 0, 160, 8, 0xFFFF, 0x82, "10[X] not a choice")
      .Item(0x50010001, 28, 16, 40, 12, 1, 0x80, "OK")
      .Item(0x50010000, 92, 16, 40, 12, 2, 0x80, "Cancel");
  EXPECT_TRUE(IsTemplate(t.bytes, e));
}

TEST(ChoiceGroupTemplateTest, CheckBoxesTextsAndTheChoiceTable) {
  Measured text({
      "  Select the parts:",  // indented by two: shown from its third character
      " Options",             // indented by one: loses its first letter
      "10[X] Program",        // preset
      "7 [ ] Seven",          // a digit and a blank: number 7
      "12  [ ] Far",          // marker at column 4: x = 8
      "5",                    // a short text line
  });
  ChoiceTable table;
  table.slotCount = 3;  // slots 0 to 2 were given by an earlier group
  ButtonTexts buttons;
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kChoiceGroup, text.Span(), Font(), buttons, &table);
  ASSERT_EQ(t.status, TemplateStatus::kMissingMarker) << "a numbered line without a marker";
  EXPECT_EQ(t.lineIndex, 5);
  EXPECT_TRUE(t.bytes.empty());
  EXPECT_EQ(table.slotCount, 3) << "the table is untouched by a failed build";
  EXPECT_EQ(table.slotOfNumber[10], -1);

  Measured good({"  Select the parts:", " Options", "10[X] Program", "7 [ ] Seven", "12  [ ] Far"});
  t = BuildScreenTemplate(ScreenKind::kChoiceGroup, good.Span(), Font(), buttons, &table);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  // c = 40, r = 6.
  Expect e;
  e.Dialog(0x80400040, 7, 160, 64, 10, "MS Sans Serif")
      .Item(0x50020000, 0, 0, 160, 8, 0xFFFF, 0x82, "Select the parts:")
      .Item(0x50020000, 0, 8, 160, 8, 0xFFFF, 0x82, "ptions")
      .Item(0x50010003, 0, 16, 160, 8, 100, 0x80, " Program")
      .Item(0x50010003, 0, 24, 160, 8, 101, 0x80, " Seven")
      .Item(0x50010003, 8, 32, 160, 8, 102, 0x80, " Far")
      .Item(0x50010001, 28, 48, 40, 12, 1, 0x80, "OK")
      .Item(0x50010000, 92, 48, 40, 12, 2, 0x80, "Cancel");
  EXPECT_TRUE(IsTemplate(t.bytes, e));
  EXPECT_EQ(t.firstSlot, 3);
  EXPECT_EQ(t.endSlot, 6);
  EXPECT_EQ(t.choices, 3);
  EXPECT_EQ(table.slotCount, 6);
  EXPECT_EQ(table.slotOfNumber[10], 3);
  EXPECT_EQ(table.slotOfNumber[7], 4);
  EXPECT_EQ(table.slotOfNumber[12], 5);
  EXPECT_EQ(table.initiallyChecked[3], 1) << "10[X] starts checked";
  EXPECT_EQ(table.initiallyChecked[4], 0);
  EXPECT_EQ(table.initiallyChecked[5], 0);
}

TEST(ChoiceGroupTemplateTest, MarkersDuplicatesAndTheSecondColumn) {
  Measured text({
      "10[ ] first [X]",  // "[ ]" is searched before "[X]"
      "11 x [X] y [ ] z",  // "[ ]" wins even when "[X]" comes first
      "10[X] again",       // the later line takes number 10
      "3[X]tight",         // marker in the second column: held at x 0
  });
  ChoiceTable table;
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kChoiceGroup, text.Span(), Font(), ButtonTexts(), &table);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  EXPECT_EQ(table.slotCount, 4);
  EXPECT_EQ(table.slotOfNumber[10], 2) << "a duplicate number refers to the later line";
  EXPECT_EQ(table.slotOfNumber[11], 1);
  EXPECT_EQ(table.slotOfNumber[3], 3);
  EXPECT_EQ(table.initiallyChecked[0], 0);
  EXPECT_EQ(table.initiallyChecked[1], 0);
  EXPECT_EQ(table.initiallyChecked[2], 1);
  EXPECT_EQ(table.initiallyChecked[3], 1);
  Expect e;
  e.Dialog(0x80400040, 6, 160, 48, 10, "MS Sans Serif")
      .Item(0x50010003, 0, 0, 160, 8, 100, 0x80, " first [X]")
      .Item(0x50010003, 36, 8, 160, 8, 101, 0x80, " z")  // marker at 11
      .Item(0x50010003, 0, 16, 160, 8, 102, 0x80, " again")
      .Item(0x50010003, 0, 24, 160, 8, 103, 0x80, "tight")
      .Item(0x50010001, 28, 32, 40, 12, 1, 0x80, "OK")
      .Item(0x50010000, 92, 32, 40, 12, 2, 0x80, "Cancel");
  EXPECT_TRUE(IsTemplate(t.bytes, e));
}

TEST(ChoiceGroupTemplateTest, TheHundredSlotsNeverOverflow) {
  Measured text({"01[ ] a", "02[ ] b"});
  ChoiceTable table;
  table.slotCount = 99;
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kChoiceGroup, text.Span(), Font(), ButtonTexts(), &table);
  EXPECT_EQ(t.status, TemplateStatus::kTooManyChoices);
  EXPECT_EQ(t.lineIndex, 1);
  EXPECT_EQ(table.slotCount, 99);
  EXPECT_EQ(table.slotOfNumber[1], -1);

  Measured one({"01[ ] a"});
  t = BuildScreenTemplate(ScreenKind::kChoiceGroup, one.Span(), Font(), ButtonTexts(), &table);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  EXPECT_EQ(table.slotCount, 100);
  EXPECT_EQ(table.slotOfNumber[1], 99);
}

TEST(ExclusiveTemplateTest, RadioButtonsWithWsGroupOnTheFirstOfTheRun) {
  Measured text({"  Pick one:", "", "20[ ] Small", "21[X] Large"});
  ChoiceTable table;
  RadioRun radios;
  ButtonTexts buttons;
  DialogTemplate t = BuildExclusiveTemplate(text.Span(), Font(), buttons, &table, &radios);
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  // c = 40, r = 4, rows 10 units high.
  Expect e;
  e.Dialog(0x80400040, 5, 160, 59, 10, "MS Sans Serif")
      .Item(0x50000000, 0, 0, 160, 10, 0xFFFF, 0x82, "Pick one:")
      .Item(0x50030009, 0, 20, 160, 10, 100, 0x80, " Small")
      .Item(0x50010009, 0, 30, 160, 10, 101, 0x80, " Large")
      .Item(0x50010001, 20, 40, 36, 12, 1, 0x80, "OK")       // 4 * ((40 - 30) / 2)
      .Item(0x50010000, 100, 40, 36, 12, 2, 0x80, "Cancel");  // 4 * (40 / 2) + 20
  EXPECT_TRUE(IsTemplate(t.bytes, e));
  EXPECT_EQ(radios.radiosCreated, 2);
  EXPECT_EQ(table.slotOfNumber[21], 1);
  EXPECT_EQ(table.initiallyChecked[1], 1);

  // A second exclusive group of the same run: its first radio button is not
  // the first of the run.
  Measured second({"30[X] Yes", "31[ ] No"});
  DialogTemplate t2 = BuildExclusiveTemplate(second.Span(), Font(), buttons, &table, &radios);
  ASSERT_EQ(t2.status, TemplateStatus::kOk);
  Expect e2;
  e2.Dialog(0x80400040, 4, 160, 39, 10, "MS Sans Serif")
      .Item(0x50010009, 0, 0, 160, 10, 100, 0x80, " Yes")
      .Item(0x50010009, 0, 10, 160, 10, 101, 0x80, " No")
      .Item(0x50010001, 20, 20, 36, 12, 1, 0x80, "OK")
      .Item(0x50010000, 100, 20, 36, 12, 2, 0x80, "Cancel");
  EXPECT_TRUE(IsTemplate(t2.bytes, e2));
  EXPECT_EQ(radios.radiosCreated, 4);
  EXPECT_EQ(t2.firstSlot, 2);
  EXPECT_EQ(t2.endSlot, 4);

  Measured bad({"40 no marker"});
  RadioRun before = radios;
  DialogTemplate t3 = BuildExclusiveTemplate(bad.Span(), Font(), buttons, &table, &radios);
  EXPECT_EQ(t3.status, TemplateStatus::kMissingMarker);
  EXPECT_EQ(t3.lineIndex, 0);
  EXPECT_EQ(radios.radiosCreated, before.radiosCreated);
}

TEST(ExclusiveTemplateTest, WideGroupsPlaceTheButtonsByTheirWidth) {
  // 57 characters: width 51, made even 52.
  Measured text({"01[ ] " + std::string(51, 'w')});
  DialogTemplate t = BuildExclusiveTemplate(text.Span(), Font(), ButtonTexts());
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  Expect e;
  e.Dialog(0x80400040, 3, 208, 39, 10, "MS Sans Serif")
      .Item(0x50030009, 0, 0, 208, 10, 100, 0x80, " " + std::string(51, 'w'))
      .Item(0x50010001, 44, 20, 36, 12, 1, 0x80, "OK")       // 4 * ((52 - 30) / 2)
      .Item(0x50010000, 124, 20, 36, 12, 2, 0x80, "Cancel");  // 4 * 26 + 20
  EXPECT_TRUE(IsTemplate(t.bytes, e));
}

TEST(TemplateLimitsTest, TemplatesNeverPass3072Bytes) {
  // Each 100-character static takes 18 + 4 + 202 + 2 = 226 bytes.
  std::vector<std::string> lines(20, std::string(100, 'q'));
  Measured text(lines);
  DialogTemplate t = BuildScreenTemplate(ScreenKind::kScreen, text.Span(), Font(), ButtonTexts());
  EXPECT_EQ(t.status, TemplateStatus::kTooLarge);
  // The header takes 54 bytes, padded to 56; item k starts at 56 + 228 k:
  // the 13th (index 12) ends at 3018, the 14th would end at 3246.
  EXPECT_EQ(t.lineIndex, 13);
  EXPECT_TRUE(t.bytes.empty());

  // Thirteen such lines fit, but the buttons do not: the end line is blamed.
  Measured thirteen(std::vector<std::string>(13, std::string(100, 'q')));
  DialogTemplate t2 = BuildScreenTemplate(ScreenKind::kScreen, thirteen.Span(), Font(), ButtonTexts());
  EXPECT_EQ(t2.status, TemplateStatus::kTooLarge);
  EXPECT_EQ(t2.lineIndex, 13);

  Measured twelve(std::vector<std::string>(12, std::string(100, 'q')));
  DialogTemplate t3 = BuildScreenTemplate(ScreenKind::kScreen, twelve.Span(), Font(), ButtonTexts());
  ASSERT_EQ(t3.status, TemplateStatus::kOk);
  EXPECT_LE(t3.bytes.size(), kTemplateBlockSize);

  // A choice group that fails for size leaves the table as it was.
  std::vector<std::string> choices;
  for (int i = 10; i < 40; ++i) choices.push_back(std::to_string(i) + "[ ] " + std::string(90, 'c'));
  Measured big(choices);
  ChoiceTable table;
  DialogTemplate t4 = BuildScreenTemplate(ScreenKind::kChoiceGroup, big.Span(), Font(), ButtonTexts(), &table);
  EXPECT_EQ(t4.status, TemplateStatus::kTooLarge);
  EXPECT_EQ(table.slotCount, 0);
}

TEST(TemplateLimitsTest, MalformedTextIsRefused) {
  std::vector<uint8_t> bytes = {1, 0, 1, 9, 'a', 0};
  ByteSpan span{bytes.data(), bytes.size()};
  EXPECT_EQ(BuildScreenTemplate(ScreenKind::kScreen, span, Font(), ButtonTexts()).status, TemplateStatus::kBadText);
  EXPECT_EQ(BuildExclusiveTemplate(span, Font(), ButtonTexts()).status, TemplateStatus::kBadText);
  EXPECT_EQ(BuildPopupTemplate(span, Font()).status, TemplateStatus::kBadText);
  EXPECT_EQ(BuildPopupTemplate(ByteSpan{}, Font()).status, TemplateStatus::kBadText);
}

TEST(TemplateTextTest, CaptionsAreCodePage1252InUtf16) {
  EXPECT_EQ(Cp1252ToUtf16("Caf\xE9 \x80 \x93x\x94 \x81\x9F\xFF"),
            std::u16string(u"Caf\u00E9 \u20AC \u201Cx\u201D \u0081\u0178\u00FF"));
  EXPECT_EQ(Cp1252ToUtf16(std::string("ab\0cd", 5)), u"ab") << "a caption ends at an embedded NUL";

  Measured text({std::string("A\0B", 3)});
  DialogTemplate t = BuildPopupTemplate(text.Span(), Font());
  ASSERT_EQ(t.status, TemplateStatus::kOk);
  Expect e;
  e.Dialog(0x90400040, 1, 0, 8, 10, "MS Sans Serif").Item(0x50000000, 0, 0, 0, 8, 0xFFFF, 0x82, "A");
  EXPECT_TRUE(IsTemplate(t.bytes, e)) << "no stray characters after the caption's end";
}

// The lines are measured in the very font the template names, face and
// size, or they would not fit the dialog that draws them.
TEST(TemplateFontTest, FontFollowsTheBlockOrTheScriptAndIsTheFontMeasuredIn) {
  ScriptSettings settings;
  settings.dialogFontName = "Script Face";
  struct Case {
    std::string face;
    int32_t size;
    std::string wantFace;
    int32_t wantSize;
  };
  const std::vector<Case> cases = {
      {"", 0, "Script Face", 10},
      {"Arial", 14, "Arial", 14},
      {"", 12, "Script Face", 12},
      {"Arial", 0, "Arial", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face + " " + std::to_string(c.size));
    TextBlock block;
    block.fontFace = c.face;
    block.fontSize = c.size;
    DialogFont f = DialogFontFor(block, settings);
    EXPECT_EQ(f.face, c.wantFace);
    EXPECT_EQ(f.pointSize, c.wantSize);
    MeasureFont m = MeasureFontFor(block, settings);
    EXPECT_EQ(m.face, c.wantFace);
    EXPECT_EQ(m.pointSize, c.wantSize);
  }

  Measured text({"x"});
  DialogTemplate zero = BuildPopupTemplate(text.Span(), Font("A", 0));
  DialogTemplate huge = BuildPopupTemplate(text.Span(), Font("A", 70000));
  ASSERT_EQ(zero.status, TemplateStatus::kOk);
  ASSERT_EQ(huge.status, TemplateStatus::kOk);
  support::DialogTemplateFields zeroFields, hugeFields;
  ASSERT_TRUE(support::DecodeDialogTemplate(zero.bytes, &zeroFields));
  ASSERT_TRUE(support::DecodeDialogTemplate(huge.bytes, &hugeFields));
  EXPECT_EQ(zeroFields.pointSize, 10) << "no size: 10 points";
  EXPECT_EQ(hugeFields.pointSize, 0x7FFF);
}

TEST(TemplateChoiceTableTest, CopiesToAndFromTheScriptModel) {
  InstallScript script;
  ScriptSettings settings;
  script.choiceItemCount = 1;
  settings.itemNumberMap[5] = 0;
  settings.itemPreset[0] = 1;
  ChoiceTable table = ChoiceTableOf(script, settings);
  EXPECT_EQ(table.slotCount, 1);
  EXPECT_EQ(table.slotOfNumber[5], 0);
  EXPECT_EQ(table.initiallyChecked[0], 1);
  Measured text({"06[X] six"});
  ASSERT_EQ(BuildScreenTemplate(ScreenKind::kChoiceGroup, text.Span(), Font(), ButtonTexts(), &table).status,
            TemplateStatus::kOk);
  StoreChoiceTable(table, &script, &settings);
  EXPECT_EQ(script.choiceItemCount, 2);
  EXPECT_EQ(settings.itemNumberMap[6], 1);
  EXPECT_EQ(settings.itemPreset[1], 1);
  EXPECT_EQ(settings.itemNumberMap[5], 0);
}

}  // namespace
}  // namespace quorril
