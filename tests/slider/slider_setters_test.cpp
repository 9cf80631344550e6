#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "slider_test_support.hpp"

namespace quorvane::testing {
namespace {

// Everything a refused assignment must leave as it was.
auto Snapshot(const TarnSlider& s) {
    return std::make_tuple(s.Min(), s.Max(), s.Value(), s.ValueRange(), s.LastValue(),
                           s.ThumbTop(), s.SliderIcon());
}

TEST(SliderSetters, NewInstanceRunsFromZeroToTenAndResetsTheThumb) {
    RecordingSlider slider;
    slider.SetMax(50);
    slider.SetValue(20);
    slider.log.clear();
    slider.InitProperties();
    EXPECT_EQ(std::make_tuple(slider.Min(), slider.Max(), slider.Value(), slider.ValueRange(),
                              slider.LastValue()),
              std::make_tuple(0, 10, 0, 10, 0));
    EXPECT_EQ(slider.Orientation(), TarnSlider::kVertical);
    EXPECT_EQ(slider.log, Log{"ResetSliderPosition"});
}

TEST(SliderSetters, RefusedValuesRaise380NamingThemAndChangeNothing) {
    struct Refusal {
        std::function<void(TarnSlider&)> assign;
        const char* property;
        const char* detail;  // what was refused and why; the number is added when shown
    };
    const Refusal refusals[] = {
        {[](TarnSlider& s) { s.SetMax(2); }, "Max", "Max = 2 refused (Max must be above Min = 2)"},
        {[](TarnSlider& s) { s.SetMax(-7); }, "Max", "Max = -7 refused (Max must be above Min = 2)"},
        {[](TarnSlider& s) { s.SetMin(8); }, "Min", "Min = 8 refused (Min must be below Max = 8)"},
        {[](TarnSlider& s) { s.SetMin(9); }, "Min", "Min = 9 refused (Min must be below Max = 8)"},
        {[](TarnSlider& s) { s.SetValue(1); }, "Value",
         "Value = 1 refused (Value must lie between Min = 2 and Max = 8)"},
        {[](TarnSlider& s) { s.SetValue(9); }, "Value",
         "Value = 9 refused (Value must lie between Min = 2 and Max = 8)"},
        {[](TarnSlider& s) { s.SetSliderIcon(Picture::Make(-1, 5)); }, "SliderIcon",
         "SliderIcon = picture of -1 x 5 pixels refused (a picture cannot have a negative size)"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.detail);
        RecordingSlider slider;
        slider.surfaceHeight = 100;
        slider.SetMax(8);
        slider.SetMin(2);
        slider.SetValue(5);
        slider.log.clear();
        const auto before = Snapshot(slider);
        try {
            refusal.assign(slider);
            ADD_FAILURE() << "not refused";
        } catch (const SliderError& error) {
            EXPECT_EQ(error.Number(), 380);
            EXPECT_EQ(error.Property(), refusal.property);
            EXPECT_STREQ(error.what(), refusal.detail);
        }
        EXPECT_EQ(Snapshot(slider), before);
        EXPECT_TRUE(slider.log.empty());
    }
}

TEST(SliderSetters, RangeWiderThan32BitsIsRefusedWithOverflowAndChangesNothing) {
    RecordingSlider slider;
    slider.SetValue(4);
    const auto before = Snapshot(slider);
    EXPECT_EQ(ExpectRefused([&] { slider.SetMin(INT_MIN); }, SliderError::kOverflow, "Min"),
              "Min = -2147483648 refused (Max - Min does not fit in 32 bits with Max = 10)");
    EXPECT_EQ(Snapshot(slider), before);

    slider.SetMin(-10);
    const auto lowered = Snapshot(slider);
    EXPECT_EQ(ExpectRefused([&] { slider.SetMax(INT_MAX); }, SliderError::kOverflow, "Max"),
              "Max = 2147483647 refused (Max - Min does not fit in 32 bits with Min = -10)");
    EXPECT_EQ(Snapshot(slider), lowered);
}

TEST(SliderSetters, LoweringMaxBelowValueKeepsValueAndThumbUntilTheNextAssignment) {
    RecordingSlider slider;
    slider.surfaceHeight = 110;
    slider.SetValue(8);
    const float thumbTop = slider.ThumbTop();
    slider.log.clear();
    slider.SetMax(5);
    EXPECT_EQ(std::make_tuple(slider.Value(), slider.ValueRange(), slider.ThumbTop()),
              std::make_tuple(8, 5, thumbTop));
    EXPECT_TRUE(slider.log.empty());
    EXPECT_THROW(slider.SetValue(8), SliderError);
    slider.SetValue(5);
}

}  // namespace
}  // namespace quorvane::testing
