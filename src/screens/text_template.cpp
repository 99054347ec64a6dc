// Measuring text blocks into the shared text area, and reading them back.
//
// EncodeText builds one block in a scratch buffer and checks the line
// limits; MeasureText then appends it to the area only when all of it fits,
// so a refused block leaves the area as it was.
#include "screens/text_template.h"

#include <cstring>

#include "model/script_model.h"

namespace quorril {

MeasureFont MeasureFontFor(const TextBlock& block, const ScriptSettings& settings) {
  MeasureFont font;
  font.face = block.fontFace.empty() ? settings.dialogFontName : block.fontFace;
  font.pointSize = block.fontSize > 0 ? block.fontSize : 10;
  font.italic = settings.titleFont.italic;
  font.underline = settings.titleFont.underline;
  return font;
}

bool IsEmptyTextLine(const std::string& line) {
  for (char c : line)
    if (c != '\t' && c != '\n' && c != '\r' && c != ' ' && c != ',') return false;
  return true;
}

// ---- the text area ------------------------------------------------------------------

void TextArea::Clear() {
  bytes_.fill(0);
  used_ = 0;
}

ByteSpan TextArea::Bytes(const TextTemplate& block) const {
  if (block.offset > used_ || block.size > used_ - block.offset) return {};
  return {bytes_.data() + block.offset, block.size};
}

bool TextArea::Append(const std::vector<uint8_t>& block, TextTemplate* where) {
  if (block.size() > Free()) return false;
  if (!block.empty()) std::memcpy(bytes_.data() + used_, block.data(), block.size());
  where->offset = used_;
  where->size = block.size();
  used_ += block.size();
  return true;
}

// ---- measuring -------------------------------------------------------------------------

MeasureResult EncodeText(const std::vector<std::string>& lines, const MeasureFont& font, TextMeasurer& measurer,
                         std::vector<uint8_t>* bytes) {
  MeasureResult result;
  bytes->assign(3, 0);
  const int32_t unit = measurer.DialogBaseUnitX(font.face, font.pointSize);
  if (unit <= 0) {
    result.status = TextStatus::kNoMetrics;
    return result;
  }
  int32_t nonEmpty = 0;
  int32_t width = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (i >= kMaxTextLines) {
      result.status = TextStatus::kTooManyLines;
      result.lineIndex = int32_t(i);
      return result;
    }
    if (IsEmptyTextLine(line)) {
      bytes->push_back(0);
      bytes->push_back(0);
      continue;
    }
    if (line.size() > kMaxTextLineLength) {
      result.status = TextStatus::kLineTooLong;
      result.lineIndex = int32_t(i);
      return result;
    }
    int32_t pixels = measurer.TextWidth(font.face, font.pointSize, font.italic, font.underline, line);
    if (pixels < 0) pixels = 0;
    // Rounded up: a line one pixel wider than whole characters needs one
    // character more, or its last word is wrapped away.
    const int32_t w = pixels / unit + (pixels % unit != 0 ? 1 : 0);
    if (w > width) width = w;
    ++nonEmpty;
    bytes->push_back(uint8_t(line.size()));
    bytes->insert(bytes->end(), line.begin(), line.end());
    bytes->push_back(0);
  }
  // A width beyond the signed byte is held at its largest value: the
  // dialog is then as wide as a template can make it.
  if (width > kMaxTextWidth) width = kMaxTextWidth;
  (*bytes)[0] = uint8_t(nonEmpty);
  (*bytes)[1] = uint8_t(width);
  (*bytes)[2] = uint8_t(lines.size());
  return result;
}

MeasureResult MeasureText(TextArea& area, const std::vector<std::string>& lines, const MeasureFont& font,
                          TextMeasurer& measurer) {
  std::vector<uint8_t> bytes;
  MeasureResult result = EncodeText(lines, font, measurer, &bytes);
  if (result.status != TextStatus::kOk) return result;
  if (!area.Append(bytes, &result.block)) {
    // The first line that no longer fits is the one at fault.
    // (index 0 when not even the three header bytes fit).
    result.status = TextStatus::kAreaFull;
    result.lineIndex = 0;
    size_t end = 3;
    for (size_t i = 0; i < lines.size() && end <= area.Free(); ++i) {
      end += IsEmptyTextLine(lines[i]) ? 2 : lines[i].size() + 2;
      if (end > area.Free()) result.lineIndex = int32_t(i);
    }
  }
  return result;
}

MeasureResult MeasureTextBlock(TextArea& area, const TextBlock& block, const ScriptSettings& settings,
                               TextMeasurer& measurer) {
  return MeasureText(area, block.lines, MeasureFontFor(block, settings), measurer);
}

// ---- reading back ------------------------------------------------------------------------

bool DecodeTextTemplate(ByteSpan bytes, TextLayout* layout, size_t* consumed) {
  *layout = TextLayout();
  if (bytes.data == nullptr || bytes.size < 3) return false;
  const uint8_t* p = bytes.data;
  int32_t nonEmpty = int8_t(p[0]);
  int32_t width = int8_t(p[1]);
  int32_t total = int8_t(p[2]);
  if (nonEmpty < 0 || width < 0 || total < 0 || nonEmpty > total) return false;
  size_t at = 3;
  int32_t seen = 0;
  for (int32_t i = 0; i < total; ++i) {
    if (bytes.size - at < 2) return false;
    int32_t length = int8_t(p[at]);
    if (length < 0) return false;
    if (length == 0) {
      if (p[at + 1] != 0) return false;
      layout->lines.emplace_back();
      at += 2;
      continue;
    }
    if (bytes.size - at < size_t(length) + 2) return false;
    if (p[at + 1 + size_t(length)] != 0) return false;
    layout->lines.emplace_back(reinterpret_cast<const char*>(p + at + 1), size_t(length));
    at += size_t(length) + 2;
    ++seen;
  }
  if (seen != nonEmpty) {
    layout->lines.clear();
    return false;
  }
  layout->nonEmptyLines = nonEmpty;
  layout->width = width;
  layout->totalLines = total;
  if (consumed) *consumed = at;
  return true;
}

}  // namespace quorril
