// The slider without Qt: its properties and refusals, its events, and the window's design.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "slider/slider_error.hpp"
#include "slider/slider_model.hpp"
#include "slider/stored_sliders.hpp"

namespace quorvane::testing {
namespace {

using Log = std::vector<std::string>;

// A slider that writes every geometry hook and its event into one log, in the order they happen, on a surface
// of a size the test chooses.
class RecordingSlider : public SliderModel {
public:
    RecordingSlider() {
        Events().ValueChanged = [this] { log.push_back("ValueChanged"); };
    }
    using SliderModel::SetDragging;

    Log log;
    std::int32_t surfaceWidth = 0;
    std::int32_t surfaceHeight = 0;

protected:
    void LayoutSlider() override { log.push_back("LayoutSlider"); }
    void DrawSlider() override { log.push_back("DrawSlider"); }
    void DragCancelled() override { log.push_back("DragCancelled"); }
    std::int32_t SurfaceWidth() const override { return surfaceWidth; }
    std::int32_t SurfaceHeight() const override { return surfaceHeight; }
};

TEST(SliderModel, RefusedValuesNameThemselvesAndChangeNothing) {
    const std::pair<std::function<void(SliderModel&)>, const char*> refusals[] = {
        {[](SliderModel& s) { s.SetMin(8); }, "380: Min = 8 refused (Min must be below Max = 8)"},
        {[](SliderModel& s) { s.SetValue(-3); },
         "380: Value = -3 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](SliderModel& s) { s.SetValue(9); }, "380: Value = 9 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](SliderModel& s) { s.SetMin(INT_MIN); },
         "6: Min = -2147483648 refused (Max - Min does not fit in 32 bits with Max = 8)"},
    };
    for (const auto& [assign, expected] : refusals) {
        RecordingSlider slider;
        slider.surfaceHeight = 100;
        slider.SetMax(8);
        slider.SetMin(-2);
        slider.SetValue(5);
        slider.log.clear();
        const auto snapshot = [&] {
            return std::make_tuple(slider.Min(), slider.Max(), slider.Value(), slider.ValueRange(), slider.ThumbTop());
        };
        const auto before = snapshot();
        try {
            assign(slider);
            ADD_FAILURE() << "not refused: " << expected;
        } catch (const SliderError& error) {
            EXPECT_EQ(std::to_string(error.Number()) + ": " + error.what(), expected);
        }
        EXPECT_EQ(snapshot(), before) << expected;
        EXPECT_TRUE(slider.log.empty()) << expected;
    }
}

TEST(SliderModel, LoweringMaxBelowValueKeepsValueAndThumbUntilTheNextAssignment) {
    RecordingSlider slider;
    slider.surfaceHeight = 110;
    slider.SetValue(8);
    const float thumbTop = slider.ThumbTop();
    slider.log.clear();
    slider.SetMax(5);
    EXPECT_EQ(std::make_tuple(slider.Value(), slider.ValueRange(), slider.ThumbTop()), std::make_tuple(8, 5, thumbTop));
    EXPECT_TRUE(slider.log.empty());
    EXPECT_THROW(slider.SetValue(8), SliderError);
    // Raised to Value again, Max shows it at the top.
    slider.SetMax(8);
    EXPECT_EQ(std::make_tuple(slider.ThumbTop(), slider.log), std::make_tuple(0.0f, Log{"DrawSlider"}));
}

TEST(SliderModel, ChangesRepaintThenReportRepeatsStayQuietAndADragKeepsItsThumb) {
    RecordingSlider slider;
    slider.surfaceHeight = 100;  // a 100 px track for a thumb without a picture, Min at the bottom
    for (const auto& [value, expected] : {std::pair{0, Log{}},  // a new instance has already reported 0
                                          {4, Log{"DrawSlider", "ValueChanged"}},
                                          {4, Log{}}}) {
        slider.log.clear();
        slider.SetValue(value);
        EXPECT_EQ(slider.log, expected) << value;
    }
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 60.0f);

    // During a drag the setter leaves the thumb to the mouse but still reports.
    slider.SetDragging(true);
    slider.log.clear();
    slider.SetValue(10);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 60.0f);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged"}));
}

TEST(SliderModel, TipTextIsTheOwnersChoiceAndDisablingEndsADrag) {
    RecordingSlider slider;
    slider.SetValue(7);
    EXPECT_EQ(slider.ValueTipText(), "7");  // decimal by default
    slider.SetValueTipText([](std::int32_t value) { return "0:0" + std::to_string(value); });
    EXPECT_EQ(slider.ValueTipText(), "0:07");
    slider.SetValueTipText([](std::int32_t) -> std::string { throw std::runtime_error("no song"); });
    EXPECT_EQ(slider.ValueTipText(), "7");

    slider.SetDragging(true);
    slider.log.clear();
    slider.SetValueTipText(nullptr);  // a tip on show is redrawn with the new wording
    slider.SetEnabled(false);
    slider.SetEnabled(false);  // no drag left to end
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "DragCancelled"}));
}

TEST(SliderModel, TakesTheWindowsDesignWithoutEventsThenLaysItselfOut) {
    const Picture thumb{std::make_shared<const PictureData>(), 20, 10};
    const Picture rail{std::make_shared<const PictureData>(), 9, 74};
    RecordingSlider slider;
    slider.SetValue(3);
    slider.log.clear();
    slider.LoadDesign(stored_sliders::kClipLength, thumb, rail);
    EXPECT_EQ(slider.log, Log{"LayoutSlider"});
    EXPECT_EQ(std::make_tuple(slider.BackColor(), slider.Orientation(), slider.SliderIcon(), slider.RailPicture(),
                              slider.Min(), slider.Max(), slider.Value(), slider.ValueRange()),
              std::make_tuple(Colour{0x676767}, SliderModel::kVertical, thumb, rail, 0, 59, 30, 59));
    // The design's value counts as reported.
    slider.log.clear();
    slider.SetValue(30);
    EXPECT_TRUE(slider.log.empty());
}

}  // namespace
}  // namespace quorvane::testing
