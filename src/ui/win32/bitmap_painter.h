// BitmapPainter: draws a screen graphic or intro picture (BitmapData) on a
// window's client area at its position, for the main window and the intro
// window.
//
// A picture of more than 16 colours has a palette: it is made at the first
// draw, kept for every later one, selected into the device context as a
// foreground palette and realized before drawing, and selected out again
// after. Such a picture's bits are copied with the palette-index header
// (DIB_PAL_COLORS); any other with its own colour table (DIB_RGB_COLORS).
// Each draw copies the bits into a compatible bitmap in a memory device
// context, blits the part that PlaceGraphic() names to each destination and
// releases both.
#pragma once

#include "platform/win32/handles.h"

#include "platform/screen_surface.h"
#include "ui/win32/gdi.h"

namespace quorril::win32 {

class BitmapPainter {
 public:
  // Takes a new picture; the palette of the previous one goes.
  void SetImage(const BitmapData& image);
  const BitmapData& Image() const { return image_; }
  bool Empty() const { return image_.Empty(); }

  // True when the area around the picture must still be filled on a client
  // rectangle `client`.
  bool NeedsBackground(const RECT& client) const;
  // Draws the picture on `dc` over the client rectangle `client`.
  void Draw(HDC dc, const RECT& client);

 private:
  HPALETTE PaletteForDrawing();

  BitmapData image_;
  Palette palette_;
};

}  // namespace quorril::win32
