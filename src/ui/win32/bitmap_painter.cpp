// BitmapPainter: the palette, the memory device context and the blits.
#include "ui/win32/bitmap_painter.h"

#include <vector>

#include "screens/screen_painting.h"

namespace quorril::win32 {

void BitmapPainter::SetImage(const BitmapData& image) {
  image_ = image;
  palette_.Reset();
}

bool BitmapPainter::NeedsBackground(const RECT& client) const {
  return GraphicNeedsBackground(image_.Empty(), image_.width, image_.height, image_.position, client.right,
                                client.bottom);
}

// The picture's palette, made once. Without colours the system's default
// palette stands in (not owned).
HPALETTE BitmapPainter::PaletteForDrawing() {
  if (palette_) return palette_.Get();
  const size_t count = image_.paletteColours.size();
  if (count == 0 || count > 256) return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(count);
  PALETTEENTRY* entries = logical->palPalEntry;
  for (size_t i = 0; i < count; ++i) {
    entries[i].peRed = image_.paletteColours[i].red;
    entries[i].peGreen = image_.paletteColours[i].green;
    entries[i].peBlue = image_.paletteColours[i].blue;
    entries[i].peFlags = 0;
  }
  palette_.Reset(CreatePalette(logical));
  return palette_ ? palette_.Get() : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
}

void BitmapPainter::Draw(HDC dc, const RECT& client) {
  if (image_.Empty() || image_.info.size() < sizeof(BITMAPINFOHEADER)) return;
  const GraphicPlacement place = PlaceGraphic(image_.width, image_.height, image_.position, client.right,
                                              client.bottom);
  if (place.destinations.empty()) return;

  const bool paletted = image_.needsPalette && image_.paletteIndexInfo.size() >= sizeof(BITMAPINFOHEADER);
  HPALETTE previousPalette = nullptr;
  if (paletted) {
    previousPalette = SelectPalette(dc, PaletteForDrawing(), FALSE);
    RealizePalette(dc);
  }

  UniqueDc memory(CreateCompatibleDC(dc));
  Bitmap bitmap(CreateCompatibleBitmap(dc, image_.width, image_.height));
  if (memory && bitmap) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(paletted ? image_.paletteIndexInfo.data()
                                                                    : image_.info.data());
    SetDIBits(dc, bitmap.Get(), 0, static_cast<UINT>(image_.height), image_.bits.data(), info,
              paletted ? DIB_PAL_COLORS : DIB_RGB_COLORS);
    Selection selected(memory.Get(), bitmap.Get());
    for (const Point& at : place.destinations)
      BitBlt(dc, at.x, at.y, place.cx, place.cy, memory.Get(), place.sx, place.sy, SRCCOPY);
  }

  if (paletted && previousPalette) SelectPalette(dc, previousPalette, FALSE);
}

}  // namespace quorril::win32
