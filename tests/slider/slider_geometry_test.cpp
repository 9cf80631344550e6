#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "slider/slider_geometry.hpp"

namespace quorvane::slider_geometry {
namespace {

// The main window's sliders: Segmento with a 124 x 13 rail picture and a 12 x 21 thumb, Choose with a 9 x 74
// rail picture and a 20 x 10 thumb.
SliderShape pictureSlider(std::int32_t orientation, Size surface, Size thumb, Size rail, std::int32_t value,
                          std::int32_t max) {
    SliderShape s;
    s.orientation = orientation;
    s.railStyle = kPictureRail;
    s.value = value;
    s.valueRange = max;
    s.surface = surface;
    s.thumbPresent = s.railPicturePresent = true;
    s.thumb = thumb;
    s.railPicture = rail;
    return s;
}
SliderShape segmento(std::int32_t value = 126, std::int32_t max = 252) {
    return pictureSlider(TarnSlider::kHorizontal, {124, 21}, {12, 21}, {124, 13}, value, max);
}
SliderShape choose(std::int32_t value = 30) {
    return pictureSlider(TarnSlider::kVertical, {20, 74}, {20, 10}, {9, 74}, value, 59);
}

// The widget's layout pass: sizing, then placing on the size taken.
Layout layOut(SliderShape shape) {
    if (const auto size = layoutSize(shape)) shape.surface = *size;
    return placeOnSurface(shape);
}

TEST(SliderGeometry, WorkedLayoutsOfTheMainWindowsSliders) {
    SliderShape h = segmento();
    h.surface = {300, 40};  // whatever the host gave it
    const Layout hl = layOut(h);
    EXPECT_EQ(std::make_tuple(layoutSize(h), hl.thumb), std::make_tuple(Size{124, 21}, ThumbPosition{56.0f, 0.0f}));
    h = segmento();
    h.thumbAt = hl.thumb;
    EXPECT_EQ(planDrawing(h),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{0, 4}, PaintThumb{56, 0}}));

    SliderShape v = choose();
    v.surface = {0, 0};
    const Layout vl = layOut(v);
    EXPECT_EQ(std::make_tuple(layoutSize(v), vl.thumb.left), std::make_tuple(Size{20, 74}, 0.0f));
    EXPECT_NEAR(vl.thumb.top, 64.0 - 64.0 * 30 / 59, 1e-5);  // about 31.46
    v = choose();
    v.thumbAt = vl.thumb;
    // Fractional places are painted at the nearest pixel, ties to even: 5.5 -> 6.
    EXPECT_EQ(planDrawing(v),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{6, 0}, PaintThumb{0, 31}}));

    // Dragged to Top 32: (64 - 32) / 64 * 59 = 29.5 rounds to 30, and the thumb goes back to 31.46.
    v.thumbAt.top = 32.0f;
    EXPECT_EQ(ValueFromPosition(v).value, 30);
    EXPECT_NEAR(ValueFromPosition(v).thumb.top, 31.4576, 1e-4);

    // Min and Max at the ends of each track.
    EXPECT_EQ(std::make_tuple(positionForValue(segmento(0)), positionForValue(segmento(252)),
                              positionForValue(choose(0)), positionForValue(choose(59))),
              std::make_tuple(0.0f, 112.0f, 64.0f, 0.0f));
}

TEST(SliderGeometry, RoundsHalfwayToTheEvenNeighbourAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(std::make_tuple(roundHalfEven(2.5), roundHalfEven(3.5), roundHalfEven(-2.5), roundHalfEven(-0.7),
                              roundHalfEven(2147483647.4), roundHalfEven(-2147483648.0), roundHalfEven(2147483647.5),
                              roundHalfEven(std::nan(""))),
              std::make_tuple(2, 4, -2, -1, INT_MAX, INT_MIN, std::nullopt, std::nullopt));

    // A 100-pixel track for 0..50: odd pixels lie halfway between two values.
    SliderShape shape = segmento(0, 50);
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
    SliderShape flush = segmento(3, 10);
    flush.surface = {12, 21};  // the thumb fills the control
    EXPECT_EQ(ValueFromPosition(flush).value, std::nullopt);
    EXPECT_EQ(dragThumb(flush, 50.0f, 5.0f, 6.0f, 0.0f).left, 0.0f);
    flush.surface = {13, 21};  // a one-pixel track still reads both ends
    flush.thumbAt.left = 1.0f;
    EXPECT_EQ(ValueFromPosition(flush).value, 10);
    // Tracks at the ends of 32 bits (a picture wider than the control gives a negative one) still place the thumb.
    for (const auto& [surface, thumb, value, position] :
         {std::tuple{INT_MAX, 0, 10, static_cast<float>(INT_MAX)}, {-1, INT_MAX, 0, 0.0f}}) {
        SliderShape extreme = segmento(value, 10);
        extreme.surface.width = surface;
        extreme.thumb.width = thumb;
        EXPECT_EQ(positionForValue(extreme), position) << surface;
    }

    SliderShape empty = choose();
    empty.valueRange = 0;
    empty.thumbAt = {3.0f, 17.0f};
    EXPECT_EQ(positionForValue(empty), std::nullopt);
    EXPECT_EQ(std::make_tuple(ValueFromPosition(empty).value, ValueFromPosition(empty).thumb),
              std::make_tuple(std::nullopt, empty.thumbAt));
    EXPECT_EQ(layOut(empty).thumb, (ThumbPosition{0.0f, 17.0f}));  // only the cross axis is set

    // A thumb placed beyond its track (for a Value above a lowered Max) still reads as a value inside Min..Max.
    SliderShape beyond = segmento(0, 252);
    for (const auto& [left, value] : {std::pair{150.0f, 252}, {-40.0f, 0}}) {
        beyond.thumbAt.left = left;
        EXPECT_EQ(ValueFromPosition(beyond).value, value) << left;
    }
}

TEST(SliderGeometry, EachOrientation) {
    struct Case {
        std::int32_t orientation;
        std::optional<Size> size;
        ThumbPosition reset;
        std::optional<SliderRect> rail;
        ThumbPosition dragged;
    };
    // A 10 x 6 thumb at (7, 9) on a 60 x 40 edge-rail control, grabbed at its top left and dragged to (30, 30).
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
        EXPECT_EQ(std::make_tuple(layoutSize(s), ResetSliderPosition(s), railRectFor(s),
                                  dragThumb(s, 30.0f, 30.0f, 0.0f, 0.0f)),
                  std::make_tuple(c.size, c.reset, c.rail, c.dragged));
        if (!c.size) {
            EXPECT_EQ(ValueFromPosition(s).value, std::nullopt);
            EXPECT_EQ(layOut(s).thumb, s.thumbAt);
            EXPECT_EQ(placeTip(s, 100, 100, {6, 12}), (TipPlacement{0, 0, 10, 15}));
        }
    }
}

TEST(SliderGeometry, SizingKeepsTheHostsLengthForAnEdgeRailAndTakesARailPictures) {
    SliderShape s;
    s.railStyle = 3;
    s.thumb = {12, 21};
    for (const auto& [orientation, surface, size] : {std::tuple{TarnSlider::kHorizontal, Size{200, 50}, Size{200, 21}},
                                                     {TarnSlider::kHorizontal, Size{0, 50}, Size{12, 21}},
                                                     {TarnSlider::kVertical, Size{50, 0}, Size{12, 21}}}) {
        s.orientation = orientation;
        s.surface = surface;
        EXPECT_EQ(layoutSize(s), size) << surface.width;
    }

    // Style 99 without a rail picture: sized like an edge rail, no rail painted.
    SliderShape bare = segmento();
    bare.railPicturePresent = false;
    bare.surface = {200, 50};
    EXPECT_EQ(layoutSize(bare), (Size{200, 21}));
    EXPECT_EQ(planDrawing(bare).size(), 2u);

    // A rail picture taller than the thumb centres it. (One exactly as tall would centre it at 0, the same place
    // as not centring it.)
    SliderShape tall = segmento();
    tall.railPicture = {124, 30};
    EXPECT_EQ(layoutSize(tall), (Size{124, 30}));
    EXPECT_EQ(crossAxisPosition(tall).top, 4.5f);

    // The edge rail runs between the thumb's centres, halves rounded to even.
    s.orientation = TarnSlider::kHorizontal;
    s.surface = {124, 21};
    s.thumb = {13, 21};
    EXPECT_EQ(railRectFor(s), (SliderRect{6, 10, 117, 10}));  // 6.5 -> 6, 10.5 -> 10
    s.orientation = TarnSlider::kVertical;
    s.surface = {20, 74};
    s.thumb = {15, 11};
    EXPECT_EQ(railRectFor(s), (SliderRect{8, 6, 8, 69}));  // 7.5 -> 8, 5.5 -> 6
}

TEST(SliderGeometry, RepaintPlanAndEdgeStyles) {
    SliderShape s = segmento(0);
    s.railStyle = 1;
    s.railRect = {6, 10, 118, 10};
    s.dragging = true;
    // Sunken: dark rows above the rail's line, light ones below; the tip last, while dragged.
    EXPECT_EQ(planDrawing(s), (std::vector<PaintStep>{
                                  ClearSurface{kButtonFaceColour}, PaintLine{6, 8, 118, 8, kButtonShadow},
                                  PaintLine{6, 11, 118, 11, kButtonHighlight}, PaintLine{6, 9, 118, 9, kDarkShadow3D},
                                  PaintLine{6, 10, 118, 10, kLight3D}, PaintThumb{0, 0}, ShowValueTip{}}));
    s.dragging = false;
    s.thumbAt.left = 3e9f;  // no pixel to paint the thumb at
    EXPECT_EQ(planDrawing(s).size(), 5u);

    // Raised styles turn the colours round; one-border styles draw two rows.
    EXPECT_EQ(edgeRailLines({6, 10, 118, 10}, 4),
              (std::vector<PaintLine>{{6, 9, 118, 9, kButtonHighlight}, {6, 10, 118, 10, kButtonShadow}}));
    EXPECT_EQ(edgeRailLines({10, 5, 10, 69}, 3),
              (std::vector<PaintLine>{{9, 5, 9, 69, kButtonShadow}, {10, 5, 10, 69, kButtonHighlight}}));
    EXPECT_EQ(edgeRailLines({6, 10, 118, 10}, 2).size(), 4u);
    for (const std::int32_t none : {0, 5, 6, -1}) EXPECT_TRUE(edgeRailLines({6, 10, 118, 10}, none).empty()) << none;
}

TEST(SliderGeometry, PressHitsTheThumbOnlyInsideItAndDragsStayOnTheTrack) {
    SliderShape s = segmento(126);
    s.thumbAt = {56.0f, 0.0f};
    for (const auto& [x, y, hits] : {std::tuple{56.0f, 0.0f, true},
                                     {67.9f, 20.9f, true},
                                     {68.0f, 10.0f, false},
                                     {60.0f, 21.0f, false},
                                     {55.9f, 3.0f, false},
                                     {60.0f, -0.1f, false}}) {
        EXPECT_EQ(hitsThumb(s, x, y), hits) << x << "," << y;
    }
    for (const auto& [x, left] : {std::pair{3.0f, 0.0f}, {66.5f, 60.5f}, {500.0f, 112.0f}}) {
        EXPECT_EQ(dragThumb(s, x, 0.0f, 6.0f, 0.0f).left, left) << x;
    }
}

TEST(SliderGeometry, TipStandsOverAHorizontalThumbAndLeftOfAVerticalOne) {
    // Segmento at (100, 200) on the screen, thumb at (56, 0): a 6 x 12 label gives a 10 x 15 tip, centred, its
    // bottom row two pixels above the control.
    SliderShape h = segmento();
    h.thumbAt = {56.0f, 0.0f};
    EXPECT_EQ(placeTip(h, 100, 200, {6, 12}), (TipPlacement{157, 183, 10, 15}));
    EXPECT_EQ(placeTip(h, 100, 200, {7, 12}).x, 156);  // 156.5, ties to even
    EXPECT_EQ(placeTip(h, 101, 200, {7, 12}).x, 158);

    // Choose at (300, 50), thumb Top 31.46: the tip ends two pixels left of the thumb, its middle level with the
    // thumb's.
    SliderShape v = choose();
    v.thumbAt = {0.0f, 31.46f};
    EXPECT_EQ(placeTip(v, 300, 50, {12, 13}), (TipPlacement{282, 78, 16, 16}));  // 77.96

    // The frame: light top and left, then dark right and bottom.
    EXPECT_EQ(tipFrameLines({10, 15}), (std::vector<PaintLine>{{0, 0, 9, 0, kLight3D},
                                                               {0, 0, 0, 14, kLight3D},
                                                               {9, 0, 9, 14, kDarkShadow3D},
                                                               {0, 14, 9, 14, kDarkShadow3D}}));
    for (const auto& [window, lines] : {std::pair{Size{0, 15}, 0u}, {Size{10, 0}, 0u}, {Size{1, 1}, 4u}}) {
        EXPECT_EQ(tipFrameLines(window).size(), lines) << window.width << " x " << window.height;
    }
}

}  // namespace
}  // namespace quorvane::slider_geometry
