// Fuzz target for the bitmap reader: any bytes as a BMP file.
//
// The file is loaded into a DibImage, which is then placed at every
// position in two window sizes. Checked besides the sanitizers: a refused
// file leaves an empty image; a loaded one has exactly the colour table and
// bits its header announces, no more than the file holds, at least whole
// rows for an uncompressed image, a colour count within 256, dimensions
// within 1 to 32767, and BITMAPINFO blocks of the matching size; every
// placement copies a part that lies inside the picture to a place that
// starts inside the window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/memory/memory_file_system.h"
#include "screens/dib_image.h"

using namespace quorril;

namespace {

void CheckPlacement(const DibImage& image, int32_t right, int32_t bottom) {
  for (int32_t position = -1; position <= 11; ++position) {
    DibImage placed = image;
    placed.SetPosition(position);
    GraphicPlacement p = placed.Place(right, bottom);
    if (p.destinations.empty()) continue;
    if (p.cx <= 0 || p.cy <= 0 || p.sx < 0 || p.sy < 0) std::abort();
    if (p.sx + p.cx > image.Width() || p.sy + p.cy > image.Height()) std::abort();
    for (const Point& d : p.destinations)
      if (d.x < 0 || d.y < 0 || d.x > right || d.y > bottom) std::abort();
    if (position == kPositionTile && placed.NeedsBackground(right, bottom)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryFileSystem files;
  files.AddDrive('C', DriveType::kFixed);
  files.AddFile("C:\\PIC.BMP", std::string(reinterpret_cast<const char*>(data), size));
  DibImage image;
  DibStatus status = image.Load(files, "C:\\PIC.BMP");

  if (status != DibStatus::kOk) {
    if (!image.Empty() || !image.Bits().empty() || !image.ColourTable().empty() || image.NeedsPalette() ||
        !image.BitmapInfo().empty() || !image.Place(800, 600).destinations.empty())
      std::abort();
    return 0;
  }
  const DibHeader& h = image.Header();
  if (image.Empty() || h.size != kDibHeaderSize) std::abort();
  if (h.width < 1 || h.width > kMaxDibDimension || h.height < 1 || h.height > kMaxDibDimension) std::abort();
  if (h.clrUsed > kMaxDibColours || image.ColourTable().size() != 4 * size_t(h.clrUsed)) std::abort();
  if (image.Bits().size() != h.sizeImage || image.Bits().size() > size) std::abort();
  uint64_t rows = (uint64_t(h.bitCount) * uint64_t(h.width) + 31) / 32 * 4 * uint64_t(h.height);
  if ((h.compression == kBiRgb || h.compression == kBiBitfields) && image.Bits().size() < rows) std::abort();
  size_t masks = h.compression == kBiBitfields ? 3 : 0;
  if (image.Masks().size() != masks) std::abort();
  if (image.BitmapInfo().size() != 40 + 4 * masks + 4 * size_t(h.clrUsed)) std::abort();
  if (image.PaletteIndexInfo().size() != 40 + 2 * size_t(h.clrUsed)) std::abort();
  if (image.NeedsPalette() != (h.clrUsed > 16)) std::abort();
  if (image.PaletteColours().size() != h.clrUsed) std::abort();

  CheckPlacement(image, 800, 600);
  CheckPlacement(image, 63, 31);
  return 0;
}
