// The painting arithmetic of the setup window: background bands, graphic
// placement, title font fitting, the "checking" banner and the pop-up's
// place. Pure functions; the Win32 window carries their results out.
#include "screens/screen_painting.h"

#include <algorithm>

namespace quorril {

namespace {

int32_t Hold(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace

BackgroundPlan PlanBackground(Colour colour1, Colour colour2, int32_t top, int32_t bottom) {
  BackgroundPlan plan;
  int32_t height = bottom - top;
  int32_t divisor = height / kGradientBand;
  if (colour1 == colour2 || divisor <= 0) {
    plan.solid = true;
    plan.solidColour = colour1;
    return plan;
  }
  plan.solid = false;
  int32_t stepRed = (int32_t(colour1.red) - int32_t(colour2.red)) / divisor;
  int32_t stepGreen = (int32_t(colour1.green) - int32_t(colour2.green)) / divisor;
  int32_t stepBlue = (int32_t(colour1.blue) - int32_t(colour2.blue)) / divisor;
  int32_t red = colour1.red, green = colour1.green, blue = colour1.blue;
  int32_t count = divisor + 1;
  plan.bands.reserve(size_t(count));
  int32_t y = top;
  for (int32_t i = 0; i < count; ++i) {
    plan.bands.push_back({y, Colour{uint8_t(red), uint8_t(green), uint8_t(blue)}});
    red = Hold(red - stepRed);
    green = Hold(green - stepGreen);
    blue = Hold(blue - stepBlue);
    y += kGradientBand;
  }
  return plan;
}

GraphicPlacement PlaceGraphic(int32_t width, int32_t height, int32_t position, int32_t right, int32_t bottom) {
  GraphicPlacement place;
  if (width <= 0 || height <= 0 || position < kPositionCentre || position >= kPositionFullScreen) return place;
  int64_t areaWidth = int64_t(right) + 1;
  int64_t areaHeight = int64_t(bottom) + 1;
  if (areaWidth <= 0 || areaHeight <= 0) return place;
  place.cx = int32_t(std::min<int64_t>(areaWidth, width));
  place.cy = int32_t(std::min<int64_t>(areaHeight, height));
  place.sx = width > areaWidth ? int32_t((width - areaWidth) / 2) : 0;
  place.sy = height > areaHeight ? int32_t((height - areaHeight) / 2) : 0;
  int32_t rx = int32_t(areaWidth - place.cx);
  int32_t ry = int32_t(areaHeight - place.cy);

  if (position == kPositionTile) {
    for (int32_t y = 0; y < bottom; y += place.cy)
      for (int32_t x = 0; x < right; x += place.cx) place.destinations.push_back({x, y});
    return place;
  }
  Point at;
  switch (position) {
    case kPositionCentre: at = {rx / 2, ry / 2}; break;
    case kPositionTopLeft: at = {0, 0}; break;
    case kPositionTopMiddle: at = {rx / 2, 0}; break;
    case kPositionTopRight: at = {rx, 0}; break;
    case kPositionMiddleRight: at = {rx, ry / 2}; break;
    case kPositionBottomRight: at = {rx, ry}; break;
    case kPositionBottomMiddle: at = {rx / 2, ry}; break;
    case kPositionBottomLeft: at = {0, ry}; break;
    case kPositionMiddleLeft: at = {0, ry / 2}; break;
    default: return place;
  }
  place.destinations.push_back(at);
  return place;
}

bool GraphicNeedsBackground(bool empty, int32_t width, int32_t height, int32_t position, int32_t right,
                            int32_t bottom) {
  if (empty) return true;
  if (position == kPositionTile) return false;
  // A picture that is not drawn leaves the whole area to the background.
  if (position < kPositionCentre || position >= kPositionFullScreen) return true;
  return width <= right || height <= bottom;
}

TitleFontChoice ChooseTitleFont(const TitleFont& font, int32_t screenWidth,
                                const std::function<int32_t(int32_t size)>& widthAt) {
  TitleFontChoice choice;
  if (font.size != 0) {
    choice.size = font.size;
    choice.weight = font.bold ? 700 : 400;
    return choice;
  }
  choice.weight = 700;
  int32_t size = 40;
  while (size > 4 && int64_t(screenWidth) - 20 < int64_t(widthAt(size))) size -= 4;
  choice.size = size;
  return choice;
}

CheckingBanner LayoutCheckingBanner(int32_t width, int32_t height, int32_t screenHeight, uint8_t charset) {
  CheckingBanner banner;
  bool shiftJis = charset == kShiftJisCharset;
  int32_t margin = shiftJis ? 80 : 8;
  banner.fontFace = shiftJis ? "System" : "MS Sans Serif";
  banner.charset = charset;
  int32_t left = width / 4, right = 3 * width / 4;
  int32_t top = 2 * height / 5, bottom = 3 * height / 5;
  banner.outer = {left - 6 - margin, top - 4, right + 6 + margin, bottom + 4};
  banner.inner = {left - margin, top, right + margin, bottom};
  banner.lineFrom = {banner.inner.left, banner.inner.bottom};
  banner.lineCorner = {banner.inner.right, banner.inner.bottom};
  banner.lineTo = {banner.inner.right, banner.inner.top};
  banner.text = {width / 2, height / 2};
  banner.fontHeight = int32_t(int64_t(screenHeight) * 24 / 800);
  return banner;
}

PopupPlacement PlacePopup(int32_t screenWidth, int32_t screenHeight, const Rect& created) {
  PopupPlacement place;
  int32_t width = created.right - created.left;
  int32_t height = created.bottom - created.top;
  place.x = (screenWidth - width) / 2;
  place.y = (screenHeight - height - 244) / 2 + 60;
  place.bottomAtCreation = created.bottom;
  return place;
}

int32_t ProgressDialogTopBelowPopup(const PopupPlacement& popup) { return popup.y + popup.bottomAtCreation + 24; }

}  // namespace quorril
