// Measured text blocks: the text of a screen (first and last screen, exit
// message, choice group, pop-up message) turned into the compact form from
// which its dialog template is built.
//
// Every block of a script is written into one shared text area of 4096
// bytes, each where the previous one ended. One measured block is:
//
//   byte 0   number of non-empty lines            (signed byte)
//   byte 1   width, in average character widths  (signed byte)
//   byte 2   number of all lines, empty included  (signed byte)
//   then per line, in order:
//     non-empty:  length L (1..127), L characters, NUL
//     empty:      0, 0
//
// A line that is empty or holds only tabs, line feeds, carriage returns,
// blanks and commas is an empty line. The width of a line is its width in
// pixels in the font of the block's dialog divided by that dialog's
// horizontal base unit, rounded up, so that a line fits the dialog's width
// of 4 dialog units per character; the block's width is the largest (at
// least 0, at most 127).
//
// Limits: the signed bytes hold lines of at most 127 characters and at most
// 127 lines; a block that breaks either, or that does not fit what is left
// of the text area, is refused with the index of the line at fault (counting
// empty lines) and nothing is written. Measuring goes through TextMeasurer,
// which the Win32 side implements with the system's fonts and tests fake.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/capacities.h"

namespace quorril {

struct TextBlock;
struct ScriptSettings;

constexpr size_t kTextAreaSize = capacity::kTextArea;
constexpr size_t kMaxTextLineLength = capacity::kTextLineLength;
constexpr size_t kMaxTextLines = capacity::kTextLines;
constexpr int32_t kMaxTextWidth = 127;

// A run of bytes owned by someone else.
struct ByteSpan {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// Font metrics for measuring, in the font the block's dialog is drawn
// with: its face at its point size (the ScreenSurface port measures them).
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Width in pixels of `text` in the face at the point size.
  virtual int32_t TextWidth(const std::string& face, int32_t pointSize, bool italic, bool underline,
                            const std::string& text) = 0;
  // The horizontal base unit of a dialog in that font, in pixels: one
  // average character width, four horizontal dialog units.
  virtual int32_t DialogBaseUnitX(const std::string& face, int32_t pointSize) = 0;
};

// The font a block is measured in, the one its dialog template names: the
// block's own face (a pop-up's face, or the face named after
// BEGINFIRSTSCREEN / BEGINLASTSCREEN), else the script's dialog font, at the
// block's point size (10 when it names none); italic and underline follow
// the TITLE options.
struct MeasureFont {
  std::string face = "MS Sans Serif";
  int32_t pointSize = 10;
  bool italic = false;
  bool underline = false;
};
MeasureFont MeasureFontFor(const TextBlock& block, const ScriptSettings& settings);

// True for a line that is shown as an empty line.
bool IsEmptyTextLine(const std::string& line);

// Where one measured block lies in the text area.
struct TextTemplate {
  size_t offset = 0;
  size_t size = 0;
};

// The shared text area of a script: blocks are appended, never moved.
class TextArea {
 public:
  TextArea() { bytes_.fill(0); }
  void Clear();
  size_t Used() const { return used_; }
  size_t Free() const { return kTextAreaSize - used_; }
  // The bytes of a block measured into this area (empty for a template
  // that does not lie inside the used part).
  ByteSpan Bytes(const TextTemplate& block) const;
  // Appends a measured block; false (nothing written) when it does not fit.
  bool Append(const std::vector<uint8_t>& block, TextTemplate* where);

 private:
  std::array<uint8_t, kTextAreaSize> bytes_;
  size_t used_ = 0;
};

enum class TextStatus {
  kOk = 0,
  kLineTooLong,   // a non-empty line of 128 characters or more
  kTooManyLines,  // a 128th line
  kAreaFull,      // the block does not fit what is left of the text area
  kNoMetrics,     // the measurer gave no usable dialog base unit
};

struct MeasureResult {
  TextStatus status = TextStatus::kOk;
  int32_t lineIndex = -1;  // the line at fault, counting empty lines
  TextTemplate block;      // where the block was written (kOk only)
};

// Measures `lines` and appends the block to `area`.
MeasureResult MeasureText(TextArea& area, const std::vector<std::string>& lines, const MeasureFont& font,
                          TextMeasurer& measurer);
// The same for a text block of the script model.
MeasureResult MeasureTextBlock(TextArea& area, const TextBlock& block, const ScriptSettings& settings,
                               TextMeasurer& measurer);

// The bytes of one measured block without writing them anywhere (used by
// MeasureText; the line limits are checked, the area is not).
MeasureResult EncodeText(const std::vector<std::string>& lines, const MeasureFont& font, TextMeasurer& measurer,
                         std::vector<uint8_t>* bytes);

// A measured block read back. Empty lines are empty strings.
struct TextLayout {
  int32_t nonEmptyLines = 0;
  int32_t width = 0;
  int32_t totalLines = 0;
  std::vector<std::string> lines;
};

// Reads a measured block from the start of `bytes`. False when the bytes
// are not a well-formed block: a count or width below 0, more non-empty
// lines than lines, a line running past the end, a missing NUL, an empty
// line whose second byte is not 0, or a non-empty count that disagrees with
// the lines. `consumed` receives the block's size.
bool DecodeTextTemplate(ByteSpan bytes, TextLayout* layout, size_t* consumed = nullptr);

}  // namespace quorril
