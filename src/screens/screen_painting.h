// The arithmetic of the setup window's painting, apart from the device
// contexts that carry it out: the background (one solid fill, or a vertical
// gradient in bands of 8 pixels), where the screen graphic goes and which
// part of it is shown, the title font's size, the "checking" banner, and
// where a pop-up message and the progress dialog below it are placed.
//
// Rectangles follow the client rectangle of the window: for the graphic,
// `right` and `bottom` are the client rectangle's right and bottom edges,
// and the drawing area is taken as right + 1 by bottom + 1 pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/script_model.h"

namespace quorril {

struct Point {
  int32_t x = 0, y = 0;
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// ---- background ------------------------------------------------------------------

constexpr int32_t kGradientBand = 8;

// One band of the gradient: the rectangle (left, y, right, y + 8) is filled
// with `colour`.
struct Band {
  int32_t y = 0;
  Colour colour;
};
struct BackgroundPlan {
  bool solid = true;  // fill the whole client rectangle with `solidColour`
  Colour solidColour;
  std::vector<Band> bands;  // otherwise, top to bottom
};

// The background of a client rectangle from `top` to `bottom`, top colour
// `colour1`, bottom colour `colour2`. Equal colours give one solid fill.
// Otherwise, with h = bottom - top, there are h / 8 + 1 bands; per channel
// the step is (colour1 - colour2) / (h / 8) (integer division), subtracted
// after each band and held within 0 to 255. A client area less than 8
// pixels high (no divisor) is filled solid with colour 1.
BackgroundPlan PlanBackground(Colour colour1, Colour colour2, int32_t top, int32_t bottom);

// ---- the screen graphic ------------------------------------------------------------

enum GraphicPosition : int32_t {
  kPositionCentre = 0,
  kPositionTopLeft = 1,
  kPositionTopMiddle = 2,
  kPositionTopRight = 3,
  kPositionMiddleRight = 4,
  kPositionBottomRight = 5,
  kPositionBottomMiddle = 6,
  kPositionBottomLeft = 7,
  kPositionMiddleLeft = 8,
  kPositionTile = 9,
  kPositionFullScreen = 10,
};

// What is copied where: the part cx x cy from (sx, sy) of the picture goes
// to each destination (one, or many for TILE, none for FULLSCREEN).
struct GraphicPlacement {
  int32_t cx = 0, cy = 0;
  int32_t sx = 0, sy = 0;
  std::vector<Point> destinations;
};

// Where a picture of `width` x `height` goes at `position` in a client
// rectangle with right edge `right` and bottom edge `bottom`. A picture
// larger than the area is cut evenly on both sides. TILE repeats the same
// part for x = 0, cx, ... while x < right and y = 0, cy, ... while
// y < bottom. FULLSCREEN, a position outside 0 to 10 and an empty picture
// draw nothing.
GraphicPlacement PlaceGraphic(int32_t width, int32_t height, int32_t position, int32_t right, int32_t bottom);

// True when the area around the picture must still be filled: always for
// an empty picture, never for TILE, always for pictures that are not drawn
// (FULLSCREEN, an unknown position), otherwise when the picture is not
// wider than `right` or not higher than `bottom`.
bool GraphicNeedsBackground(bool empty, int32_t width, int32_t height, int32_t position, int32_t right,
                            int32_t bottom);

// ---- the title --------------------------------------------------------------------

constexpr Point kTitleShadowAt{23, 23};
constexpr Point kTitleAt{20, 20};

struct TitleFontChoice {
  int32_t size = 0;    // character height in pixels; the font is created with height -size
  int32_t weight = 400;
};

// The title's font. With a size from the script: that size, weight 700 when
// bold, else 400. With automatic size (0): always bold; sizes 40, 36, ...,
// 8, 4 are tried until the title's width at that size (`widthAt`) is at
// most screen width - 20; 4 when none fits.
TitleFontChoice ChooseTitleFont(const TitleFont& font, int32_t screenWidth,
                                const std::function<int32_t(int32_t size)>& widthAt);

// ---- the "checking" banner ------------------------------------------------------------

constexpr uint8_t kShiftJisCharset = 128;

struct CheckingBanner {
  Rect outer;  // filled red 63, green 63, blue 63
  Rect inner;  // filled white
  // A black one-pixel line from lineFrom through lineCorner to lineTo
  // (along the inner rectangle's bottom and right edges).
  Point lineFrom, lineCorner, lineTo;
  Point text;  // the text's centre on its baseline (TA_CENTER | TA_BASELINE)
  int32_t fontHeight = 0;
  int32_t fontWeight = 600;
  std::string fontFace;
  uint8_t charset = 0;
  Colour outerColour{63, 63, 63};
};

// The banner in a client area of `width` x `height` on a screen
// `screenHeight` pixels high, for the screen font's character set.
CheckingBanner LayoutCheckingBanner(int32_t width, int32_t height, int32_t screenHeight, uint8_t charset);

// ---- pop-up message and progress dialog ---------------------------------------------------

struct PopupPlacement {
  int32_t x = 0, y = 0;          // the new top-left corner
  int32_t bottomAtCreation = 0;  // the window's bottom before the move
};

// A pop-up window whose rectangle at creation is `created` (screen
// coordinates): x centred on the screen, y = (screen height - window height
// - 244) / 2 + 60.
PopupPlacement PlacePopup(int32_t screenWidth, int32_t screenHeight, const Rect& created);

// The progress dialog's top once a pop-up was placed in the run: the
// pop-up's top + its bottom at creation + 24.
int32_t ProgressDialogTopBelowPopup(const PopupPlacement& popup);

}  // namespace quorril
