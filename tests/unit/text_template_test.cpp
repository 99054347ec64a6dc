// Measured text blocks: the bytes of a block, the shared text area and the
// limits of the signed-byte format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/script_model.h"
#include "screens/text_template.h"

namespace quorril {
namespace {

// Every character is `pixels` wide; the dialog base unit is `unit`.
class FixedMeasurer : public TextMeasurer {
 public:
  FixedMeasurer(int32_t pixels, int32_t unit) : pixels_(pixels), unit_(unit) {}
  int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                    const std::string& text) override {
    lastFace = face;
    lastPointSize = pointSize;
    lastItalic = italic;
    lastUnderline = underline;
    ++calls;
    return pixels_ * int32_t(text.size());
  }
  int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) override {
    unitFont = face + " " + std::to_string(pointSize);
    return unit_;
  }

  std::string lastFace, unitFont;
  int32_t lastPointSize = -1;
  bool lastItalic = false, lastUnderline = false;
  int calls = 0;

 private:
  int32_t pixels_, unit_;
};

std::vector<uint8_t> Bytes(ByteSpan span) { return std::vector<uint8_t>(span.data, span.data + span.size); }

TEST(TextTemplateTest, BlockBytesHoldCountsWidthAndLines) {
  TextArea area;
  FixedMeasurer measurer(4, 4);  // width in average characters = length
  MeasureFont font;
  font.face = "Arial";
  font.italic = true;
  MeasureResult r = MeasureText(area, {"Hello", " ,\t", "", "Hello world!"}, font, measurer);
  ASSERT_EQ(r.status, TextStatus::kOk);
  EXPECT_EQ(r.block.offset, 0u);
  std::vector<uint8_t> expected = {2, 12, 4,                                 // 2 non-empty, 12 wide, 4 lines
                                   5, 'H', 'e', 'l', 'l', 'o', 0,           //
                                   0, 0,                                     // blanks and commas: empty
                                   0, 0,                                     //
                                   12, 'H', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0};
  EXPECT_EQ(Bytes(area.Bytes(r.block)), expected);
  EXPECT_EQ(area.Used(), expected.size());
  EXPECT_EQ(measurer.calls, 2) << "empty lines are not measured";
  EXPECT_EQ(measurer.lastFace, "Arial");
  EXPECT_EQ(measurer.lastPointSize, 10) << "measured at the dialog's default size";
  EXPECT_EQ(measurer.unitFont, "Arial 10") << "the base unit of a dialog in the same font";
  EXPECT_TRUE(measurer.lastItalic);

  // The next block starts where this one ended.
  MeasureResult next = MeasureText(area, {"x"}, font, measurer);
  ASSERT_EQ(next.status, TextStatus::kOk);
  EXPECT_EQ(next.block.offset, expected.size());
  EXPECT_EQ(Bytes(area.Bytes(next.block)), (std::vector<uint8_t>{1, 1, 1, 1, 'x', 0}));
}

// A line must fit the dialog's width of one base unit per character: a
// width that is not a whole number of characters takes one more, never one
// less, or the line's last word would be wrapped out of sight.
TEST(TextTemplateTest, WidthIsTheLinesPixelsInBaseUnitsRoundedUp) {
  struct Case {
    int32_t pixelsPerCharacter, unit;
    std::vector<std::string> lines;
    uint8_t width;
  };
  const std::vector<Case> cases = {
      {7, 4, {"abcdefghij", "abc"}, 18},  // 70 pixels: 17.5 characters
      {8, 4, {"abcdefghij"}, 20},         // whole characters need no more
      {1, 6, {"a"}, 1},                   // a pixel takes a whole character
      {6, 6, {"", "  ,"}, 0},             // no shown line: no width
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    TextArea area;
    FixedMeasurer measurer(c.pixelsPerCharacter, c.unit);
    MeasureResult r = MeasureText(area, c.lines, MeasureFont(), measurer);
    ASSERT_EQ(r.status, TextStatus::kOk);
    EXPECT_EQ(area.Bytes(r.block).data[1], c.width);
  }
  TextArea area;

  FixedMeasurer wide(40, 4);  // 127 characters: 1270, beyond the signed byte
  MeasureResult held = MeasureText(area, {std::string(127, 'W')}, MeasureFont(), wide);
  ASSERT_EQ(held.status, TextStatus::kOk);
  EXPECT_EQ(area.Bytes(held.block).data[1], 127) << "held at the largest width the format holds";

  FixedMeasurer broken(4, 0);
  size_t used = area.Used();
  EXPECT_EQ(MeasureText(area, {"abc"}, MeasureFont(), broken).status, TextStatus::kNoMetrics);
  EXPECT_EQ(area.Used(), used);
}

TEST(TextTemplateTest, LinesAndBlocksBeyondTheSignedBytesAreRefusedAtTheirLine) {
  TextArea area;
  FixedMeasurer measurer(4, 4);
  std::vector<std::string> lines = {"ok", std::string(127, 'a'), std::string(200, ' '), std::string(128, 'b')};
  MeasureResult tooLong = MeasureText(area, lines, MeasureFont(), measurer);
  EXPECT_EQ(tooLong.status, TextStatus::kLineTooLong);
  EXPECT_EQ(tooLong.lineIndex, 3) << "127 characters and a long blank line pass; 128 characters do not";
  EXPECT_EQ(area.Used(), 0u) << "nothing is written for a refused block";

  std::vector<std::string> many(127, "line");
  MeasureResult full = MeasureText(area, many, MeasureFont(), measurer);
  ASSERT_EQ(full.status, TextStatus::kOk);
  EXPECT_EQ(area.Bytes(full.block).data[2], 127);
  many.push_back("");
  MeasureResult tooMany = MeasureText(area, many, MeasureFont(), measurer);
  EXPECT_EQ(tooMany.status, TextStatus::kTooManyLines);
  EXPECT_EQ(tooMany.lineIndex, 127) << "the 128th line, even an empty one";
}

TEST(TextTemplateTest, TheSharedAreaNeverOverflows) {
  TextArea area;
  FixedMeasurer measurer(4, 4);
  // 3 + 30 x (100 + 2) = 3063 bytes per block: one fits, the second does not.
  std::vector<std::string> lines(30, std::string(100, 'z'));
  ASSERT_EQ(MeasureText(area, lines, MeasureFont(), measurer).status, TextStatus::kOk);
  EXPECT_EQ(area.Used(), 3063u);
  // 1033 bytes are left: 3 + 10 x 102 = 1023 fit, the 11th line (index 10) does not.
  MeasureResult r = MeasureText(area, lines, MeasureFont(), measurer);
  EXPECT_EQ(r.status, TextStatus::kAreaFull);
  EXPECT_EQ(r.lineIndex, 10);
  EXPECT_EQ(area.Used(), 3063u);

  // A block that fits exactly is taken; after it not even a header fits.
  std::vector<std::string> exact(10, std::string(100, 'y'));
  exact.push_back(std::string(8, 'y'));  // 3 + 1020 + 10 = 1033
  ASSERT_EQ(MeasureText(area, exact, MeasureFont(), measurer).status, TextStatus::kOk);
  EXPECT_EQ(area.Used(), kTextAreaSize);
  MeasureResult none = MeasureText(area, {}, MeasureFont(), measurer);
  EXPECT_EQ(none.status, TextStatus::kAreaFull);
  EXPECT_EQ(none.lineIndex, 0);

  area.Clear();
  EXPECT_EQ(area.Used(), 0u);
  EXPECT_EQ(area.Bytes(TextTemplate{0, 3}).size, 0u) << "nothing outside the used part is handed out";
}

TEST(TextTemplateTest, BlocksOfTheModelUseTheirFontOrTheDialogFont) {
  ScriptSettings settings;
  settings.dialogFontName = "Courier";
  settings.titleFont.underline = true;
  TextBlock block;
  block.lines = {"Welcome"};
  TextArea area;
  FixedMeasurer measurer(4, 4);
  ASSERT_EQ(MeasureTextBlock(area, block, settings, measurer).status, TextStatus::kOk);
  EXPECT_EQ(measurer.lastFace, "Courier");
  EXPECT_TRUE(measurer.lastUnderline) << "the TITLE options' underline";
  block.fontFace = "Times New Roman";
  ASSERT_EQ(MeasureTextBlock(area, block, settings, measurer).status, TextStatus::kOk);
  EXPECT_EQ(measurer.lastFace, "Times New Roman");
}

TEST(TextTemplateTest, DecodingReadsBackAndRefusesMalformedBlocks) {
  TextArea area;
  FixedMeasurer measurer(4, 4);
  MeasureResult r = MeasureText(area, {"one", "", "three"}, MeasureFont(), measurer);
  TextLayout layout;
  size_t consumed = 0;
  ASSERT_TRUE(DecodeTextTemplate(area.Bytes(r.block), &layout, &consumed));
  EXPECT_EQ(consumed, r.block.size);
  EXPECT_EQ(layout.nonEmptyLines, 2);
  EXPECT_EQ(layout.totalLines, 3);
  EXPECT_EQ(layout.lines, (std::vector<std::string>{"one", "", "three"}));

  auto refuses = [](std::vector<uint8_t> bytes) {
    TextLayout out;
    return !DecodeTextTemplate(ByteSpan{bytes.data(), bytes.size()}, &out);
  };
  EXPECT_TRUE(refuses({1, 0}));                       // shorter than the header
  EXPECT_TRUE(refuses({0x80, 0, 1, 0, 0}));           // negative count
  EXPECT_TRUE(refuses({1, 0xFF, 1, 1, 'a', 0}));      // negative width
  EXPECT_TRUE(refuses({2, 0, 1, 1, 'a', 0}));         // more non-empty lines than lines
  EXPECT_TRUE(refuses({1, 0, 1, 5, 'a', 0}));         // line past the end
  EXPECT_TRUE(refuses({1, 0, 1, 1, 'a', 'b'}));       // no NUL
  EXPECT_TRUE(refuses({0, 0, 1, 0, 7}));              // empty line not 0, 0
  EXPECT_TRUE(refuses({0, 0, 1, 1, 'a', 0}));         // count disagrees with the lines
  EXPECT_TRUE(refuses({1, 0, 1, 0x90, 'a', 0}));      // negative length
  EXPECT_FALSE(refuses({1, 0, 1, 1, 'a', 0, 99}));    // bytes after the block are not read
}

}  // namespace
}  // namespace quorril
