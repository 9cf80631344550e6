#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "slider/slider_geometry.hpp"

namespace quorvane::slider_geometry {
namespace {

// The main window's sliders: Segmento with a 124 x 13 rail picture and a
// 12 x 21 thumb, Choose with a 9 x 74 rail picture and a 20 x 10 thumb.
SliderShape PictureSlider(std::int32_t orientation, Size surface, Size thumb, Size rail,
                          std::int32_t value, std::int32_t max) {
    SliderShape s;
    s.orientation = orientation;
    s.railStyle = kPictureRail;
    s.value = value;
    s.valueRange = max;
    s.surface = surface;
    s.thumbPresent = true;
    s.thumb = thumb;
    s.railPicturePresent = true;
    s.railPicture = rail;
    return s;
}
SliderShape Segmento(std::int32_t value = 126, std::int32_t max = 252) {
    return PictureSlider(TarnSlider::kHorizontal, {124, 21}, {12, 21}, {124, 13}, value, max);
}
SliderShape Choose(std::int32_t value = 30) {
    return PictureSlider(TarnSlider::kVertical, {20, 74}, {20, 10}, {9, 74}, value, 59);
}

TEST(SliderGeometry, WorkedLayoutsOfTheMainWindowsSliders) {
    SliderShape segmento = Segmento();
    segmento.surface = {300, 40};  // whatever the host gave it
    const Layout h = LayOut(segmento);
    EXPECT_EQ(h.size, (Size{124, 21}));
    EXPECT_EQ(h.thumb, (ThumbPosition{56.0f, 0.0f}));
    segmento = Segmento();
    segmento.thumbAt = h.thumb;
    EXPECT_EQ(PlanDrawing(segmento),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{0, 4},
                                      PaintThumb{56, 0}}));

    SliderShape choose = Choose();
    choose.surface = {0, 0};
    const Layout v = LayOut(choose);
    EXPECT_EQ(v.size, (Size{20, 74}));
    EXPECT_EQ(v.thumb.left, 0.0f);
    EXPECT_NEAR(v.thumb.top, 64.0 - 64.0 * 30 / 59, 1e-5);  // about 31.46
    choose = Choose();
    choose.thumbAt = v.thumb;
    // Fractional places are painted at the nearest pixel, ties to even: 5.5 -> 6.
    EXPECT_EQ(PlanDrawing(choose),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{6, 0},
                                      PaintThumb{0, 31}}));

    // Dragged to Top 32: (64 - 32) / 64 * 59 = 29.5 rounds to 30, and the
    // thumb goes back to 31.46.
    choose.thumbAt.top = 32.0f;
    const SnappedValue snapped = ValueFromPosition(choose);
    EXPECT_EQ(snapped.value, 30);
    EXPECT_NEAR(snapped.thumb.top, 31.4576, 1e-4);

    // Min and Max at the ends of each track.
    EXPECT_EQ(std::make_tuple(PositionForValue(Segmento(0)), PositionForValue(Segmento(252)),
                              PositionForValue(Choose(0)), PositionForValue(Choose(59))),
              std::make_tuple(0.0f, 112.0f, 64.0f, 0.0f));
}

TEST(SliderGeometry, RoundsHalfwayToTheEvenNeighbourAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(std::make_tuple(RoundHalfEven(2.5), RoundHalfEven(3.5), RoundHalfEven(-2.5),
                              RoundHalfEven(-0.7), RoundHalfEven(2147483647.4)),
              std::make_tuple(2, 4, -2, -1, INT_MAX));
    EXPECT_EQ(RoundHalfEven(2147483647.5), std::nullopt);
    EXPECT_EQ(RoundHalfEven(std::nan("")), std::nullopt);

    // A 100-pixel track for 0..50: odd pixels lie halfway between two values.
    SliderShape shape = Segmento(0, 50);
    shape.surface = {112, 21};
    for (const auto& [left, value, snappedLeft] :
         {std::tuple{1.0f, 0, 0.0f}, {3.0f, 2, 4.0f}, {5.0f, 2, 4.0f}, {7.0f, 4, 8.0f}}) {
        shape.thumbAt.left = left;
        const SnappedValue snapped = ValueFromPosition(shape);
        EXPECT_EQ(std::make_tuple(snapped.value, snapped.thumb.left),
                  std::make_tuple(std::optional{value}, snappedLeft))
            << left;
    }
}

TEST(SliderGeometry, NoTrackOrNoRangeReadsNoValueAndNothingLeavesTheRange) {
    SliderShape flush = Segmento(3, 10);
    flush.surface = {12, 21};  // the thumb fills the control
    EXPECT_EQ(ValueFromPosition(flush).value, std::nullopt);
    EXPECT_EQ(DragThumb(flush, 50.0f, 5.0f, 6.0f, 0.0f).left, 0.0f);

    SliderShape empty = Choose();
    empty.valueRange = 0;
    empty.thumbAt = {3.0f, 17.0f};
    EXPECT_EQ(PositionForValue(empty), std::nullopt);
    EXPECT_EQ(ValueFromPosition(empty).value, std::nullopt);
    EXPECT_EQ(ValueFromPosition(empty).thumb, empty.thumbAt);
    EXPECT_EQ(LayOut(empty).thumb, (ThumbPosition{0.0f, 17.0f}));  // only the cross axis is set

    // A thumb placed beyond its track (for a Value above a lowered Max)
    // still reads as a value inside Min..Max.
    SliderShape beyond = Segmento(0, 252);
    beyond.thumbAt.left = 150.0f;
    EXPECT_EQ(ValueFromPosition(beyond).value, 252);
    beyond.thumbAt.left = -40.0f;
    EXPECT_EQ(ValueFromPosition(beyond).value, 0);
}

TEST(SliderGeometry, EachOrientation) {
    struct Case {
        std::int32_t orientation;
        std::optional<Size> size;
        ThumbPosition reset;
        std::optional<SliderRect> rail;
        ThumbPosition dragged;
    };
    // A 10 x 6 thumb at (7, 9) on a 60 x 40 edge-rail control, grabbed at
    // its top left and dragged to (30, 30).
    const Case cases[] = {
        {TarnSlider::kHorizontal, Size{60, 6}, {0, 0}, SliderRect{5, 3, 55, 3}, {30, 9}},
        {TarnSlider::kVertical, Size{10, 40}, {0, 34}, SliderRect{5, 3, 5, 37}, {7, 30}},
        {2, std::nullopt, {7, 9}, std::nullopt, {7, 9}},
        {-1, std::nullopt, {7, 9}, std::nullopt, {7, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        SliderShape s;
        s.orientation = c.orientation;
        s.railStyle = 1;
        s.surface = {60, 40};
        s.thumbPresent = true;
        s.thumb = {10, 6};
        s.thumbAt = {7.0f, 9.0f};
        EXPECT_EQ(LayoutSize(s), c.size);
        EXPECT_EQ(ResetSliderPosition(s), c.reset);
        EXPECT_EQ(RailRectFor(s), c.rail);
        EXPECT_EQ(DragThumb(s, 30.0f, 30.0f, 0.0f, 0.0f), c.dragged);
        if (!c.size) {
            EXPECT_EQ(ValueFromPosition(s).value, std::nullopt);
            EXPECT_EQ(LayOut(s).thumb, s.thumbAt);
            EXPECT_EQ(PlaceTip(s, 100, 100, {6, 12}), (TipPlacement{0, 0, 10, 15}));
        }
    }
}

TEST(SliderGeometry, SizingKeepsTheHostsLengthForAnEdgeRailAndTakesARailPictures) {
    SliderShape s;
    s.railStyle = 3;
    s.thumb = {12, 21};
    s.orientation = TarnSlider::kHorizontal;
    s.surface = {200, 50};
    EXPECT_EQ(LayoutSize(s), (Size{200, 21}));
    s.surface = {0, 50};
    EXPECT_EQ(LayoutSize(s), (Size{12, 21}));
    s.orientation = TarnSlider::kVertical;
    s.surface = {50, 0};
    EXPECT_EQ(LayoutSize(s), (Size{12, 21}));

    // Style 99 without a rail picture: sized like an edge rail, no rail painted.
    SliderShape bare = Segmento();
    bare.railPicturePresent = false;
    bare.surface = {200, 50};
    EXPECT_EQ(LayoutSize(bare), (Size{200, 21}));
    EXPECT_EQ(PlanDrawing(bare).size(), 2u);

    // A rail picture taller than the thumb centres it.
    SliderShape tall = Segmento();
    tall.railPicture = {124, 30};
    EXPECT_EQ(LayoutSize(tall), (Size{124, 30}));
    EXPECT_EQ(CrossAxisPosition(tall).top, 4.5f);
}

TEST(SliderGeometry, RailRectRunsBetweenTheThumbCentresWithHalvesRoundedToEven) {
    SliderShape s;
    s.orientation = TarnSlider::kHorizontal;
    s.surface = {124, 21};
    s.thumb = {13, 21};
    EXPECT_EQ(RailRectFor(s), (SliderRect{6, 10, 117, 10}));  // 6.5 -> 6, 10.5 -> 10
    s.orientation = TarnSlider::kVertical;
    s.surface = {20, 74};
    s.thumb = {15, 11};
    EXPECT_EQ(RailRectFor(s), (SliderRect{8, 6, 8, 69}));  // 7.5 -> 8, 5.5 -> 6
}

TEST(SliderGeometry, RepaintPlanAndEdgeStyles) {
    SliderShape s = Segmento(0);
    s.railStyle = 1;
    s.railRect = {6, 10, 118, 10};
    s.dragging = true;
    // Sunken: dark rows above the rail's line, light ones below; the tip last.
    EXPECT_EQ(PlanDrawing(s),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour},
                                      PaintLine{6, 8, 118, 8, kButtonShadow},
                                      PaintLine{6, 11, 118, 11, kButtonHighlight},
                                      PaintLine{6, 9, 118, 9, kDarkShadow3D},
                                      PaintLine{6, 10, 118, 10, kLight3D}, PaintThumb{0, 0},
                                      ShowValueTip{}}));
    s.showValueTip = false;
    EXPECT_FALSE(std::holds_alternative<ShowValueTip>(PlanDrawing(s).back()));

    // Raised styles turn the colours round; one-border styles draw two rows.
    EXPECT_EQ(EdgeRailLines({6, 10, 118, 10}, 4),
              (std::vector<PaintLine>{{6, 9, 118, 9, kButtonHighlight}, {6, 10, 118, 10, kButtonShadow}}));
    EXPECT_EQ(EdgeRailLines({10, 5, 10, 69}, 3),
              (std::vector<PaintLine>{{9, 5, 9, 69, kButtonShadow}, {10, 5, 10, 69, kButtonHighlight}}));
    EXPECT_EQ(EdgeRailLines({6, 10, 118, 10}, 2).size(), 4u);
    for (const std::int32_t none : {0, 5, 6, -1}) {
        EXPECT_TRUE(EdgeRailLines({6, 10, 118, 10}, none).empty()) << none;
    }
}

TEST(SliderGeometry, PressHitsTheThumbOnlyInsideItAndDragsStayOnTheTrack) {
    SliderShape s = Segmento(126);
    s.thumbAt = {56.0f, 0.0f};
    EXPECT_TRUE(HitsThumb(s, 56.0f, 0.0f));
    EXPECT_TRUE(HitsThumb(s, 67.9f, 20.9f));
    EXPECT_FALSE(HitsThumb(s, 68.0f, 10.0f));
    EXPECT_FALSE(HitsThumb(s, 60.0f, 21.0f));
    EXPECT_EQ(DragThumb(s, 3.0f, 0.0f, 6.0f, 0.0f).left, 0.0f);
    EXPECT_EQ(DragThumb(s, 66.5f, 0.0f, 6.0f, 0.0f).left, 60.5f);
    EXPECT_EQ(DragThumb(s, 500.0f, 0.0f, 6.0f, 0.0f).left, 112.0f);

    // The edges of the thumb and of the control at the origin count as inside.
    s.thumbAt = {0.0f, 0.0f};
    EXPECT_TRUE(HitsThumb(s, 0.0f, 0.0f));
    EXPECT_FALSE(HitsThumb(s, -0.5f, 0.0f));
    EXPECT_TRUE(InsideSurface(s, 0.0f, 0.0f));
    EXPECT_FALSE(InsideSurface(s, -0.5f, 3.0f));
    EXPECT_FALSE(InsideSurface(s, 3.0f, -0.5f));
    EXPECT_FALSE(InsideSurface(s, 124.0f, 3.0f));
    EXPECT_FALSE(InsideSurface(s, 3.0f, 21.0f));
}

TEST(SliderGeometry, AThumbAsWideAsTheRailPictureStandsAtItsLeftEdge) {
    SliderShape choose = Choose();
    choose.thumb = {9, 10};  // as wide as the 9 x 74 rail
    choose.thumbAt = {5.0f, 0.0f};
    EXPECT_EQ(LayoutSize(choose), (Size{9, 74}));
    EXPECT_EQ(CrossAxisPosition(choose).left, 0.0f);
    choose.surface = {9, 74};
    EXPECT_EQ(PlanDrawing(choose)[1], (PaintStep{PaintRailPicture{0, 0}}));
    // Horizontal: the thumb fills the rail's length, so there is no track.
    SliderShape segmento = Segmento(3, 10);
    segmento.thumb = {124, 21};
    const Layout layout = LayOut(segmento);
    EXPECT_EQ(layout.size, (Size{124, 21}));
    segmento.surface = *layout.size;
    EXPECT_EQ(ValueFromPosition(segmento).value, std::nullopt);
    EXPECT_EQ(PositionForValue(segmento), 0.0f);
}

TEST(SliderGeometry, TipStandsOverAHorizontalThumbAndLeftOfAVerticalOne) {
    // Segmento at (100, 200) on the screen, thumb at (56, 0): a 6 x 12 label
    // gives a 10 x 15 tip, centred, its bottom row two pixels above the control.
    SliderShape h = Segmento();
    h.thumbAt = {56.0f, 0.0f};
    EXPECT_EQ(PlaceTip(h, 100, 200, {6, 12}), (TipPlacement{157, 183, 10, 15}));
    EXPECT_EQ(PlaceTip(h, 100, 200, {7, 12}).x, 156);  // 156.5, ties to even
    EXPECT_EQ(PlaceTip(h, 101, 200, {7, 12}).x, 158);

    // Choose at (300, 50), thumb Top 31.46: the tip ends two pixels left of
    // the thumb, its middle level with the thumb's.
    SliderShape v = Choose();
    v.thumbAt = {0.0f, 31.46f};
    EXPECT_EQ(PlaceTip(v, 300, 50, {12, 12}), (TipPlacement{282, 78, 16, 15}));

    // The frame: light top and left, then dark right and bottom.
    EXPECT_EQ(TipFrameLines({10, 15}),
              (std::vector<PaintLine>{{0, 0, 9, 0, kLight3D}, {0, 0, 0, 14, kLight3D},
                                      {9, 0, 9, 14, kDarkShadow3D}, {0, 14, 9, 14, kDarkShadow3D}}));
}

}  // namespace
}  // namespace quorvane::slider_geometry
