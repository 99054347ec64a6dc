// The painting arithmetic: background bands, graphic placement, title
// font fitting, the "checking" banner and the pop-up's place.
#include <gtest/gtest.h>

#include <vector>

#include "screens/screen_painting.h"

namespace quorril {
namespace {

TEST(BackgroundTest, EqualColoursGiveOneSolidFill) {
  BackgroundPlan plan = PlanBackground(Colour{10, 20, 30}, Colour{10, 20, 30}, 0, 600);
  EXPECT_TRUE(plan.solid);
  EXPECT_EQ(plan.solidColour, (Colour{10, 20, 30}));
  EXPECT_TRUE(plan.bands.empty());
}

TEST(BackgroundTest, GradientRunsInBandsOfEightFromColourOneTowardColourTwo) {
  // Blue to black over 600 pixels: 76 bands, divisor 75, blue step 3.
  BackgroundPlan plan = PlanBackground(Colour{0, 0, 255}, Colour{0, 0, 0}, 0, 600);
  ASSERT_FALSE(plan.solid);
  ASSERT_EQ(plan.bands.size(), 76u);
  EXPECT_EQ(plan.bands[0].y, 0);
  EXPECT_EQ(plan.bands[0].colour, (Colour{0, 0, 255})) << "the first band is colour 1";
  EXPECT_EQ(plan.bands[1].y, 8);
  EXPECT_EQ(plan.bands[1].colour, (Colour{0, 0, 252}));
  EXPECT_EQ(plan.bands[75].y, 600);
  EXPECT_EQ(plan.bands[75].colour, (Colour{0, 0, 30})) << "255 - 75 x 3: only near colour 2";

  // Steps of either sign per channel, from integer division.
  BackgroundPlan mixed = PlanBackground(Colour{255, 0, 100}, Colour{0, 255, 100}, 0, 16);
  ASSERT_EQ(mixed.bands.size(), 3u);
  EXPECT_EQ(mixed.bands[1].colour, (Colour{128, 127, 100}));
  EXPECT_EQ(mixed.bands[2].colour, (Colour{1, 254, 100}));

  // A client area that does not start at 0 keeps its own top.
  BackgroundPlan offset = PlanBackground(Colour{0, 0, 255}, Colour{0, 0, 0}, 100, 140);
  ASSERT_EQ(offset.bands.size(), 6u);
  EXPECT_EQ(offset.bands[0].y, 100);
  EXPECT_EQ(offset.bands[5].colour, (Colour{0, 0, 0}));
}

TEST(BackgroundTest, AreasLowerThanOneBandAreFilledWithColourOne) {
  for (int32_t h : {7, 1, 0, -5}) {
    BackgroundPlan plan = PlanBackground(Colour{1, 2, 3}, Colour{200, 200, 200}, 0, h);
    EXPECT_TRUE(plan.solid) << h;
    EXPECT_EQ(plan.solidColour, (Colour{1, 2, 3})) << h;
  }
  EXPECT_FALSE(PlanBackground(Colour{1, 2, 3}, Colour{200, 200, 200}, 0, 8).solid);
}

std::vector<Point> One(int32_t x, int32_t y) { return {Point{x, y}}; }

TEST(GraphicPlacementTest, TheNinePositionsOfASmallPicture) {
  // Right edge 800, bottom edge 600: the area is 801 x 601.
  struct Case {
    int32_t position;
    Point at;
  } cases[] = {
      {kPositionCentre, {350, 275}},      {kPositionTopLeft, {0, 0}},         {kPositionTopMiddle, {350, 0}},
      {kPositionTopRight, {701, 0}},      {kPositionMiddleRight, {701, 275}}, {kPositionBottomRight, {701, 551}},
      {kPositionBottomMiddle, {350, 551}}, {kPositionBottomLeft, {0, 551}},   {kPositionMiddleLeft, {0, 275}},
  };
  for (const Case& c : cases) {
    GraphicPlacement p = PlaceGraphic(100, 50, c.position, 800, 600);
    EXPECT_EQ(p.cx, 100);
    EXPECT_EQ(p.cy, 50);
    EXPECT_EQ(p.sx, 0);
    EXPECT_EQ(p.sy, 0);
    EXPECT_EQ(p.destinations, One(c.at.x, c.at.y)) << "position " << c.position;
  }
}

TEST(GraphicPlacementTest, ALargerPictureIsCutFromItsCentreEverywhere) {
  for (int32_t position = kPositionCentre; position <= kPositionTile; ++position) {
    GraphicPlacement p = PlaceGraphic(1000, 700, position, 800, 600);
    EXPECT_EQ(p.cx, 801);
    EXPECT_EQ(p.cy, 601);
    EXPECT_EQ(p.sx, 99) << "(1000 - 801) / 2";
    EXPECT_EQ(p.sy, 49) << "(700 - 601) / 2";
    EXPECT_EQ(p.destinations, One(0, 0)) << "position " << position;
  }
  // Wider only: cut in x, placed in y.
  GraphicPlacement wide = PlaceGraphic(900, 100, kPositionBottomRight, 800, 600);
  EXPECT_EQ(wide.sx, 49);
  EXPECT_EQ(wide.sy, 0);
  EXPECT_EQ(wide.destinations, One(0, 501));
}

TEST(GraphicPlacementTest, TileRepeatsWhileInsideAndFullScreenDrawsNothing) {
  GraphicPlacement tile = PlaceGraphic(300, 200, kPositionTile, 800, 600);
  std::vector<Point> expected;
  for (int32_t y : {0, 200, 400})
    for (int32_t x : {0, 300, 600}) expected.push_back({x, y});
  EXPECT_EQ(tile.destinations, expected) << "y = 600 is not below the bottom edge 600";

  EXPECT_TRUE(PlaceGraphic(100, 50, kPositionFullScreen, 800, 600).destinations.empty());
  EXPECT_TRUE(PlaceGraphic(100, 50, 11, 800, 600).destinations.empty());
  EXPECT_TRUE(PlaceGraphic(100, 50, -1, 800, 600).destinations.empty());
  EXPECT_TRUE(PlaceGraphic(0, 50, kPositionTile, 800, 600).destinations.empty()) << "no endless tiling";
  EXPECT_TRUE(PlaceGraphic(100, 50, kPositionCentre, -1, 600).destinations.empty());
}

TEST(GraphicPlacementTest, BackgroundIsFilledAroundPicturesThatDoNotCoverTheWindow) {
  EXPECT_TRUE(GraphicNeedsBackground(true, 0, 0, kPositionCentre, 800, 600)) << "empty image";
  EXPECT_FALSE(GraphicNeedsBackground(false, 10, 10, kPositionTile, 800, 600)) << "TILE covers it";
  EXPECT_TRUE(GraphicNeedsBackground(false, 100, 50, kPositionCentre, 800, 600));
  EXPECT_TRUE(GraphicNeedsBackground(false, 800, 601, kPositionCentre, 800, 600)) << "width <= right edge";
  EXPECT_TRUE(GraphicNeedsBackground(false, 801, 600, kPositionCentre, 800, 600)) << "height <= bottom edge";
  EXPECT_FALSE(GraphicNeedsBackground(false, 801, 601, kPositionTopLeft, 800, 600));
  EXPECT_TRUE(GraphicNeedsBackground(false, 2000, 2000, kPositionFullScreen, 800, 600))
      << "a picture that is not drawn leaves the window to the background";
}

TEST(TitleFontTest, AutomaticSizeFitsFrom40Down) {
  TitleFont automatic;
  std::vector<int32_t> tried;
  auto width = [&](int32_t size) {
    tried.push_back(size);
    return size * 20;
  };
  // 700 - 20 = 680 >= 20 s for s <= 34.
  TitleFontChoice c = ChooseTitleFont(automatic, 700, width);
  EXPECT_EQ(c.size, 32);
  EXPECT_EQ(c.weight, 700) << "automatic size is always bold";
  EXPECT_EQ(tried, (std::vector<int32_t>{40, 36, 32}));

  EXPECT_EQ(ChooseTitleFont(automatic, 820, width).size, 40) << "800 >= 800";
  tried.clear();
  EXPECT_EQ(ChooseTitleFont(automatic, 50, width).size, 4) << "nothing fits: 4";
  EXPECT_EQ(tried.back(), 8);

  TitleFont fixed;
  fixed.size = 18;
  EXPECT_EQ(ChooseTitleFont(fixed, 100, width).size, 18);
  EXPECT_EQ(ChooseTitleFont(fixed, 100, width).weight, 400);
  fixed.bold = true;
  EXPECT_EQ(ChooseTitleFont(fixed, 100, width).weight, 700);
  EXPECT_EQ(kTitleShadowAt, (Point{23, 23}));
  EXPECT_EQ(kTitleAt, (Point{20, 20}));
}

TEST(CheckingBannerTest, RectanglesTextAndFont) {
  CheckingBanner b = LayoutCheckingBanner(800, 600, 600, 0);
  EXPECT_EQ(b.outer, (Rect{186, 236, 614, 364}));
  EXPECT_EQ(b.inner, (Rect{192, 240, 608, 360}));
  EXPECT_EQ(b.lineFrom, (Point{192, 360}));
  EXPECT_EQ(b.lineCorner, (Point{608, 360}));
  EXPECT_EQ(b.lineTo, (Point{608, 240}));
  EXPECT_EQ(b.text, (Point{400, 300}));
  EXPECT_EQ(b.fontHeight, 18);
  EXPECT_EQ(b.fontWeight, 600);
  EXPECT_EQ(b.fontFace, "MS Sans Serif");
  EXPECT_EQ(b.outerColour, (Colour{63, 63, 63}));

  CheckingBanner j = LayoutCheckingBanner(1024, 768, 768, kShiftJisCharset);
  EXPECT_EQ(j.inner, (Rect{256 - 80, 307, 768 + 80, 460}));
  EXPECT_EQ(j.outer, (Rect{256 - 86, 303, 768 + 86, 464}));
  EXPECT_EQ(j.fontFace, "System");
  EXPECT_EQ(j.charset, 128);
  EXPECT_EQ(j.fontHeight, 23);
}

TEST(PopupPlacementTest, PopupAndTheProgressDialogBelowIt) {
  // Created at the owner's client corner (0, 20), 200 x 100.
  PopupPlacement p = PlacePopup(800, 600, Rect{0, 20, 200, 120});
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 188) << "(600 - 100 - 244) / 2 + 60";
  EXPECT_EQ(p.bottomAtCreation, 120);
  EXPECT_EQ(ProgressDialogTopBelowPopup(p), 188 + 120 + 24);
}

}  // namespace
}  // namespace quorril
