// DibImage: a device-independent bitmap read from a BMP file, for the
// screen graphic and the intro screen, with its position on the window.
//
// File layout read (little-endian):
//
//   offset  0   "BM"
//           2   file size            (not used)
//           6   two reserved words   (not used)
//          10   offset of the bits from the start of the file (0: they
//               follow the colour table)
//          14   BITMAPINFOHEADER: size (40, or a larger later header whose
//               first 40 bytes are read; 12, the OS/2 core header, is
//               refused), width, height, planes, bit count, compression,
//               image size, resolution x and y, colours used, colours
//               important
//          54   BI_BITFIELDS only: the red, green and blue masks
//   14 + size   (+ 12 for the masks after a 40-byte header)
//               colour table: `colours used` RGBQUADs
//   bits        `image size` bytes
//
// Colours used 0 means 2 to the power of the bit count for 1, 4 and 8 bits
// and none above 8; the field is then set to that number. Image size 0
// means the rows padded to whole 32-bit words times the height; an
// uncompressed image whose field is smaller than that is read at that
// size. The header kept is always the 40-byte one (size 40).
//
// Refused (the image stays empty, each with its own status): a file that
// cannot be opened or does not begin with "BM", the core header or any
// header shorter than 40 bytes, a bit count other than 1, 4, 8, 16, 24 and
// 32, a compression that does not fit the bit count (only BI_RGB, BI_RLE8
// with 8 bits, BI_RLE4 with 4 bits, BI_BITFIELDS with 16 or 32 bits), a
// width or height of 0, below 0 (bottom-up rows only) or above 32767, more
// than 256 colours, an image size beyond 2^31 - 1, and a colour table or
// bits that reach beyond the end of the file or cannot all be read. No
// memory is taken before the sizes are checked against the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "screens/screen_painting.h"

namespace quorril {

class FileSystem;
class FileHandle;

constexpr uint32_t kDibHeaderSize = 40;
constexpr int32_t kMaxDibDimension = 32767;
constexpr uint32_t kMaxDibColours = 256;

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3 };

struct DibHeader {
  uint32_t size = kDibHeaderSize;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;

  // The 40 bytes of a BITMAPINFOHEADER.
  std::array<uint8_t, kDibHeaderSize> Bytes() const;
};

enum class DibStatus {
  kOk = 0,
  kCannotOpen,       // the file could not be opened
  kNotBitmap,        // shorter than 14 bytes, or not "BM"
  kCoreHeader,       // the 12-byte OS/2 core header
  kBadHeader,        // a header shorter than 40 bytes, or the file ends in it
  kBadBitCount,      // not 1, 4, 8, 16, 24 or 32 bits per pixel
  kBadCompression,   // a compression that does not fit the bit count
  kBadDimensions,    // width or height 0, negative or above 32767
  kTooManyColours,   // more than 256 colours used
  kTooLarge,         // the image size does not fit 31 bits
  kTruncated,        // colour table or bits beyond the end of the file, or unreadable
};

// A GDI palette entry (PALETTEENTRY: red, green, blue, flags 0).
struct PaletteColour {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

class DibImage {
 public:
  // Loads the file; on any failure the image is empty and the status says
  // why. The file is closed in both cases.
  DibStatus Load(FileSystem& files, const std::string& path);
  // The same from an open file, read from its start.
  DibStatus Read(FileHandle& file);
  void Release();

  bool Empty() const { return empty_; }
  int32_t Position() const { return position_; }
  void SetPosition(int32_t position) { position_ = position; }

  const DibHeader& Header() const { return header_; }
  int32_t Width() const { return header_.width; }
  int32_t Height() const { return header_.height; }
  // The number of colour-table entries (the colours-used field once loaded).
  uint32_t ColourCount() const { return header_.clrUsed; }
  // The colour table: ColourCount() RGBQUADs (blue, green, red, 0).
  const std::vector<uint8_t>& ColourTable() const { return colours_; }
  // The three masks of a BI_BITFIELDS image, else empty.
  const std::vector<uint32_t>& Masks() const { return masks_; }
  const std::vector<uint8_t>& Bits() const { return bits_; }

  // A palette is realized before drawing when more than 16 colours are used.
  bool NeedsPalette() const { return !empty_ && header_.clrUsed > 16; }
  // The palette's entries, from the colour table.
  std::vector<PaletteColour> PaletteColours() const;
  // The BITMAPINFO for DIB_RGB_COLORS: header, masks, colour table.
  std::vector<uint8_t> BitmapInfo() const;
  // The BITMAPINFO for DIB_PAL_COLORS: header, then the 16-bit indices
  // 0, 1, ..., n - 1.
  std::vector<uint8_t> PaletteIndexInfo() const;

  // Drawing on a client rectangle with right edge `right` and bottom edge
  // `bottom`: where the picture goes, and whether the background around
  // it must still be filled.
  GraphicPlacement Place(int32_t right, int32_t bottom) const;
  bool NeedsBackground(int32_t right, int32_t bottom) const;

 private:
  DibHeader header_;
  std::vector<uint8_t> colours_;
  std::vector<uint32_t> masks_;
  std::vector<uint8_t> bits_;
  int32_t position_ = kPositionCentre;
  bool empty_ = true;
};

}  // namespace quorril
