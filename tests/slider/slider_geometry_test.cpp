#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "slider/slider_geometry.hpp"

namespace quorvane::slider_geometry {
namespace {

// The main window's sliders: cutSlider with a 124 x 13 rail picture and a 12 x 21 thumb, clipSlider with a 9 x 74
// rail picture and a 20 x 10 thumb.
SliderShape pictureSlider(std::int32_t orientation, Size surface, Size thumb, Size rail, std::int32_t value,
                          std::int32_t max) {
    SliderShape s;
    s.orientation = orientation;
    s.value = value;
    s.valueRange = max;
    s.surface = surface;
    s.thumbPresent = s.railPicturePresent = true;
    s.thumb = thumb;
    s.railPicture = rail;
    return s;
}
SliderShape cutSlider(std::int32_t value = 126, std::int32_t max = 252) {
    return pictureSlider(SliderModel::kHorizontal, {124, 21}, {12, 21}, {124, 13}, value, max);
}
SliderShape choose(std::int32_t value = 30) {
    return pictureSlider(SliderModel::kVertical, {20, 74}, {20, 10}, {9, 74}, value, 59);
}

// The widget's layout pass: sizing, then placing on the size taken.
ThumbPosition layOut(SliderShape shape) {
    if (const auto size = layoutSize(shape)) shape.surface = *size;
    return placeOnSurface(shape);
}

TEST(SliderGeometry, WorkedLayoutsAndRepaintsOfTheMainWindowsSliders) {
    SliderShape h = cutSlider();
    h.surface = {300, 40};  // whatever the host gave it: the rail picture's length is taken
    EXPECT_EQ(std::make_tuple(layoutSize(h), layOut(h)), std::make_tuple(Size{124, 21}, ThumbPosition{56.0f, 0.0f}));
    h = cutSlider();
    h.thumbAt = layOut(h);
    EXPECT_EQ(planDrawing(h),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{0, 4}, PaintThumb{56, 0}}));

    SliderShape v = choose();
    v.surface = {0, 0};
    EXPECT_EQ(std::make_tuple(layoutSize(v), layOut(v).left), std::make_tuple(Size{20, 74}, 0.0f));
    EXPECT_NEAR(layOut(v).top, 64.0 - 64.0 * 30 / 59, 1e-5);  // about 31.46
    v = choose();
    v.thumbAt = layOut(v);
    // Fractional places are painted at the nearest pixel, ties to even: 5.5 -> 6.
    EXPECT_EQ(planDrawing(v),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{6, 0}, PaintThumb{0, 31}}));

    // Dragged to Top 32: (64 - 32) / 64 * 59 = 29.5 rounds to 30, and the thumb goes back to 31.46.
    v.thumbAt.top = 32.0f;
    EXPECT_EQ(valueFromPosition(v).value, 30);
    EXPECT_NEAR(valueFromPosition(v).thumb.top, 31.4576, 1e-4);
    // While dragged the tip comes last; a thumb with no pixel to be painted at is skipped.
    v.dragging = true;
    v.thumbAt.top = 3e9f;
    EXPECT_EQ(planDrawing(v),
              (std::vector<PaintStep>{ClearSurface{kButtonFaceColour}, PaintRailPicture{6, 0}, ShowValueTip{}}));

    // Min and Max at the ends of each track.
    EXPECT_EQ(std::make_tuple(positionForValue(cutSlider(0)), positionForValue(cutSlider(252)),
                              positionForValue(choose(0)), positionForValue(choose(59))),
              std::make_tuple(0.0f, 112.0f, 64.0f, 0.0f));
    EXPECT_EQ(positionForValue(cutSlider(1, 1)), 112.0f);  // a song of one step
}

TEST(SliderGeometry, RoundsHalfwayToTheEvenNeighbourAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(std::make_tuple(roundHalfEven(2.5), roundHalfEven(3.5), roundHalfEven(-2.5), roundHalfEven(-0.7),
                              roundHalfEven(2147483647.4), roundHalfEven(-2147483648.0), roundHalfEven(2147483647.5),
                              roundHalfEven(std::nan(""))),
              std::make_tuple(2, 4, -2, -1, INT_MAX, INT_MIN, std::nullopt, std::nullopt));
    // A track (the surface less the thumb) has a length only where 32 bits hold it.
    for (const auto& [surface, thumb, track] : {std::tuple{INT_MAX, -1, std::optional<std::int32_t>{}},
                                                {INT_MIN, 1, std::nullopt},
                                                {INT_MIN, 0, INT_MIN},
                                                {0, INT_MAX, -INT_MAX}}) {
        SliderShape s = cutSlider();
        s.surface.width = surface;
        s.thumb.width = thumb;
        EXPECT_EQ(trackLength(s), track) << surface << " - " << thumb;
    }
}

TEST(SliderGeometry, PressHitsTheThumbOnlyInsideItAndDragsStayOnTheTrack) {
    SliderShape s = cutSlider(126);
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
    // A vertical thumb follows y only, down to the bottom of its 64 px track.
    for (const auto& [y, top] : {std::pair{-9.0f, 0.0f}, {20.0f, 15.0f}, {90.0f, 64.0f}}) {
        EXPECT_EQ(dragThumb(choose(), 50.0f, y, 0.0f, 5.0f), (ThumbPosition{0.0f, top})) << y;
    }
}

TEST(SliderGeometry, TipStandsOverAHorizontalThumbAndLeftOfAVerticalOne) {
    // cutSlider at (100, 200) on the screen, thumb at (56, 0): a 6 x 12 label gives a 10 x 15 tip, centred, its
    // bottom row two pixels above the control.
    SliderShape h = cutSlider();
    h.thumbAt = {56.0f, 0.0f};
    EXPECT_EQ(placeTip(h, 100, 200, {6, 12}), (TipPlacement{157, 183, 10, 15}));
    EXPECT_EQ(placeTip(h, 100, 200, {7, 12}).x, 156);  // 156.5, ties to even
    EXPECT_EQ(placeTip(h, 101, 200, {7, 12}).x, 158);

    // clipSlider at (300, 50), thumb Top 31.46: the tip ends two pixels left of the thumb, its middle level with the
    // thumb's.
    SliderShape v = choose();
    v.thumbAt = {0.0f, 31.46f};
    EXPECT_EQ(placeTip(v, 300, 50, {12, 13}), (TipPlacement{282, 78, 16, 16}));  // 77.96

    // The frame: light top and left, then dark right and bottom.
    EXPECT_EQ(tipFrameLines({10, 15}), (std::vector<PaintLine>{{0, 0, 9, 0, kLight3D},
                                                               {0, 0, 0, 14, kLight3D},
                                                               {9, 0, 9, 14, kDarkShadow3D},
                                                               {0, 14, 9, 14, kDarkShadow3D}}));
}

}  // namespace
}  // namespace quorvane::slider_geometry
