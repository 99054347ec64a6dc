// Reading BMP files into a DibImage. The reader checks every size against
// the file before it takes memory: ReadFileHeader and ReadInfoHeader read
// the two headers, CheckFormat refuses what the drawing code cannot take,
// ComputeSizes works out the colour table, image size and where each part
// lies, and ReadParts reads them.
#include "screens/dib_image.h"

#include <cstring>

#include "platform/file_system.h"
#include "platform/little_endian.h"

namespace quorril {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr int64_t kLargestImage = 0x7FFFFFFF;


// Reads exactly `count` bytes; false when the file ends first or fails.
bool ReadAll(FileHandle& file, uint8_t* buffer, size_t count) {
  while (count > 0) {
    uint32_t chunk = count > 0x40000000u ? 0x40000000u : uint32_t(count);
    int32_t got = file.Read(buffer, chunk);
    if (got <= 0) return false;
    buffer += got;
    count -= size_t(got);
  }
  return true;
}

bool ReadAt(FileHandle& file, int64_t offset, uint8_t* buffer, size_t count) {
  if (count == 0) return true;
  if (file.Seek(offset, 0) != offset) return false;
  return ReadAll(file, buffer, count);
}

// Where the parts of the file lie once the headers are read.
struct Layout {
  int64_t fileSize = 0;
  uint32_t bitsOffset = 0;  // from the file header; 0: after the colour table
  uint32_t headerSize = 0;  // as the file gives it
  int64_t masksAt = 0;      // BI_BITFIELDS only
  int64_t coloursAt = 0;
  int64_t bitsAt = 0;
};

DibStatus ReadFileHeader(FileHandle& file, Layout* layout) {
  uint8_t header[kFileHeaderSize];
  if (!ReadAll(file, header, sizeof header)) return DibStatus::kNotBitmap;
  if (header[0] != 'B' || header[1] != 'M') return DibStatus::kNotBitmap;
  layout->bitsOffset = ReadLe32(header + 10);
  return DibStatus::kOk;
}

DibStatus ReadInfoHeader(FileHandle& file, DibHeader* h, Layout* layout) {
  uint8_t b[kDibHeaderSize];
  if (!ReadAll(file, b, 4)) return DibStatus::kBadHeader;
  layout->headerSize = ReadLe32(b);
  if (layout->headerSize == kCoreHeaderSize) return DibStatus::kCoreHeader;
  if (layout->headerSize < kDibHeaderSize) return DibStatus::kBadHeader;
  if (!ReadAll(file, b + 4, kDibHeaderSize - 4)) return DibStatus::kBadHeader;
  h->size = kDibHeaderSize;
  h->width = int32_t(ReadLe32(b + 4));
  h->height = int32_t(ReadLe32(b + 8));
  h->planes = ReadLe16(b + 12);
  h->bitCount = ReadLe16(b + 14);
  h->compression = ReadLe32(b + 16);
  h->sizeImage = ReadLe32(b + 20);
  h->xPelsPerMeter = int32_t(ReadLe32(b + 24));
  h->yPelsPerMeter = int32_t(ReadLe32(b + 28));
  h->clrUsed = ReadLe32(b + 32);
  h->clrImportant = ReadLe32(b + 36);
  return DibStatus::kOk;
}

DibStatus CheckFormat(const DibHeader& h) {
  switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return DibStatus::kBadBitCount;
  }
  bool fits = h.compression == kBiRgb || (h.compression == kBiRle8 && h.bitCount == 8) ||
              (h.compression == kBiRle4 && h.bitCount == 4) ||
              (h.compression == kBiBitfields && (h.bitCount == 16 || h.bitCount == 32));
  if (!fits) return DibStatus::kBadCompression;
  if (h.width <= 0 || h.height <= 0 || h.width > kMaxDibDimension || h.height > kMaxDibDimension)
    return DibStatus::kBadDimensions;
  if (h.clrUsed > kMaxDibColours) return DibStatus::kTooManyColours;
  return DibStatus::kOk;
}

// Fills in colours used and image size and places the parts in the file.
DibStatus ComputeSizes(DibHeader* h, Layout* layout) {
  if (h->clrUsed == 0 && h->bitCount <= 8) h->clrUsed = uint32_t(1) << h->bitCount;
  // Rows padded to whole 32-bit words; at most 32767 x 32 bits, so this
  // stays far inside 64 bits.
  int64_t rows = (int64_t(h->bitCount) * h->width + 31) / 32 * 4 * h->height;
  if (rows > kLargestImage || h->sizeImage > uint32_t(kLargestImage)) return DibStatus::kTooLarge;
  bool uncompressed = h->compression == kBiRgb || h->compression == kBiBitfields;
  if (h->sizeImage == 0 || (uncompressed && int64_t(h->sizeImage) < rows)) h->sizeImage = uint32_t(rows);

  int64_t afterHeader = int64_t(kFileHeaderSize) + layout->headerSize;
  layout->coloursAt = afterHeader;
  if (h->compression == kBiBitfields) {
    layout->masksAt = int64_t(kFileHeaderSize) + kDibHeaderSize;
    if (layout->headerSize == kDibHeaderSize) layout->coloursAt += 12;
  }
  int64_t coloursEnd = layout->coloursAt + 4 * int64_t(h->clrUsed);
  layout->bitsAt = layout->bitsOffset != 0 ? int64_t(layout->bitsOffset) : coloursEnd;
  if (coloursEnd > layout->fileSize || layout->bitsAt + int64_t(h->sizeImage) > layout->fileSize)
    return DibStatus::kTruncated;
  return DibStatus::kOk;
}

}  // namespace

std::array<uint8_t, kDibHeaderSize> DibHeader::Bytes() const {
  std::array<uint8_t, kDibHeaderSize> b{};
  WriteLe32(&b[0], size);
  WriteLe32(&b[4], uint32_t(width));
  WriteLe32(&b[8], uint32_t(height));
  WriteLe16(&b[12], planes);
  WriteLe16(&b[14], bitCount);
  WriteLe32(&b[16], compression);
  WriteLe32(&b[20], sizeImage);
  WriteLe32(&b[24], uint32_t(xPelsPerMeter));
  WriteLe32(&b[28], uint32_t(yPelsPerMeter));
  WriteLe32(&b[32], clrUsed);
  WriteLe32(&b[36], clrImportant);
  return b;
}

void DibImage::Release() {
  header_ = DibHeader();
  colours_.clear();
  colours_.shrink_to_fit();
  masks_.clear();
  bits_.clear();
  bits_.shrink_to_fit();
  empty_ = true;
}

DibStatus DibImage::Load(FileSystem& files, const std::string& path) {
  Release();
  std::unique_ptr<FileHandle> file = files.Open(path, OpenMode::kRead);
  if (!file) return DibStatus::kCannotOpen;
  return Read(*file);
}

DibStatus DibImage::Read(FileHandle& file) {
  Release();
  Layout layout;
  layout.fileSize = file.Size();
  if (file.Seek(0, 0) != 0) return DibStatus::kNotBitmap;
  DibHeader header;
  DibStatus status = ReadFileHeader(file, &layout);
  if (status == DibStatus::kOk) status = ReadInfoHeader(file, &header, &layout);
  if (status == DibStatus::kOk) status = CheckFormat(header);
  if (status == DibStatus::kOk) status = ComputeSizes(&header, &layout);
  if (status != DibStatus::kOk) return status;

  std::vector<uint8_t> colours(4 * size_t(header.clrUsed));
  std::vector<uint32_t> masks;
  std::vector<uint8_t> bits(header.sizeImage);
  if (header.compression == kBiBitfields) {
    uint8_t raw[12];
    if (!ReadAt(file, layout.masksAt, raw, sizeof raw)) return DibStatus::kTruncated;
    masks = {ReadLe32(raw), ReadLe32(raw + 4), ReadLe32(raw + 8)};
  }
  if (!ReadAt(file, layout.coloursAt, colours.data(), colours.size()) ||
      !ReadAt(file, layout.bitsAt, bits.data(), bits.size()))
    return DibStatus::kTruncated;

  header_ = header;
  colours_ = std::move(colours);
  masks_ = std::move(masks);
  bits_ = std::move(bits);
  empty_ = false;
  return DibStatus::kOk;
}

std::vector<PaletteColour> DibImage::PaletteColours() const {
  std::vector<PaletteColour> palette;
  if (empty_) return palette;
  palette.reserve(header_.clrUsed);
  for (size_t i = 0; i + 4 <= colours_.size(); i += 4)
    palette.push_back({colours_[i + 2], colours_[i + 1], colours_[i], 0});
  return palette;
}

std::vector<uint8_t> DibImage::BitmapInfo() const {
  std::vector<uint8_t> info;
  if (empty_) return info;
  auto header = header_.Bytes();
  info.assign(header.begin(), header.end());
  for (uint32_t mask : masks_) {
    uint8_t b[4];
    WriteLe32(b, mask);
    info.insert(info.end(), b, b + 4);
  }
  info.insert(info.end(), colours_.begin(), colours_.end());
  return info;
}

std::vector<uint8_t> DibImage::PaletteIndexInfo() const {
  std::vector<uint8_t> info;
  if (empty_) return info;
  auto header = header_.Bytes();
  info.assign(header.begin(), header.end());
  for (uint32_t i = 0; i < header_.clrUsed; ++i) {
    uint8_t b[2];
    WriteLe16(b, uint16_t(i));
    info.insert(info.end(), b, b + 2);
  }
  return info;
}

GraphicPlacement DibImage::Place(int32_t right, int32_t bottom) const {
  if (empty_) return GraphicPlacement();
  return PlaceGraphic(header_.width, header_.height, position_, right, bottom);
}

bool DibImage::NeedsBackground(int32_t right, int32_t bottom) const {
  return GraphicNeedsBackground(empty_, header_.width, header_.height, position_, right, bottom);
}

}  // namespace quorril
