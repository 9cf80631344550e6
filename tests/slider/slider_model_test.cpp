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
        events().valueChanged = [this] { log.push_back("ValueChanged"); };
    }
    using SliderModel::dragTo;
    using SliderModel::pressAt;
    using SliderModel::setDragging;

    Log log;
    std::int32_t width = 0;
    std::int32_t height = 0;

protected:
    void layoutSlider() override { log.push_back("LayoutSlider"); }
    void drawSlider() override { log.push_back("DrawSlider"); }
    void dragCancelled() override { log.push_back("DragCancelled"); }
    void thumbDragged() override { log.push_back("ThumbDragged"); }
    std::int32_t surfaceWidth() const override { return width; }
    std::int32_t surfaceHeight() const override { return height; }
};

TEST(SliderModel, RefusedValuesNameThemselvesAndChangeNothing) {
    const std::pair<std::function<void(SliderModel&)>, const char*> refusals[] = {
        {[](SliderModel& s) { s.setMin(8); }, "380: Min = 8 refused (Min must be below Max = 8)"},
        {[](SliderModel& s) { s.setValue(-3); },
         "380: Value = -3 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](SliderModel& s) { s.setValue(9); }, "380: Value = 9 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](SliderModel& s) { s.setMin(INT_MIN); },
         "6: Min = -2147483648 refused (Max - Min does not fit in 32 bits with Max = 8)"},
    };
    for (const auto& [assign, expected] : refusals) {
        RecordingSlider slider;
        slider.height = 100;
        slider.setMax(8);
        slider.setMin(-2);
        slider.setValue(5);
        slider.log.clear();
        const auto snapshot = [&] {
            return std::make_tuple(slider.min(), slider.max(), slider.value(), slider.valueRange(), slider.thumbTop());
        };
        const auto before = snapshot();
        try {
            assign(slider);
            ADD_FAILURE() << "not refused: " << expected;
        } catch (const SliderError& error) {
            EXPECT_EQ(std::to_string(error.number()) + ": " + error.what(), expected);
        }
        EXPECT_EQ(snapshot(), before) << expected;
        EXPECT_TRUE(slider.log.empty()) << expected;
    }
}

TEST(SliderModel, LoweringMaxBelowValueKeepsValueAndThumbUntilTheNextAssignment) {
    RecordingSlider slider;
    slider.height = 110;
    slider.setValue(8);
    const float thumbTop = slider.thumbTop();
    slider.log.clear();
    slider.setMax(5);
    EXPECT_EQ(std::make_tuple(slider.value(), slider.valueRange(), slider.thumbTop()), std::make_tuple(8, 5, thumbTop));
    EXPECT_TRUE(slider.log.empty());
    EXPECT_THROW(slider.setValue(8), SliderError);
    // Raised to Value again, Max shows it at the top.
    slider.setMax(8);
    EXPECT_EQ(std::make_tuple(slider.thumbTop(), slider.log), std::make_tuple(0.0f, Log{"DrawSlider"}));
}

TEST(SliderModel, ChangesRepaintThenReportRepeatsStayQuietAndADragKeepsItsThumb) {
    RecordingSlider slider;
    slider.height = 100;  // a 100 px track for a thumb without a picture, Min at the bottom
    for (const auto& [value, expected] : {std::pair{0, Log{}},  // a new instance has already reported 0
                                          {4, Log{"DrawSlider", "ValueChanged"}},
                                          {4, Log{}}}) {
        slider.log.clear();
        slider.setValue(value);
        EXPECT_EQ(slider.log, expected) << value;
    }
    EXPECT_FLOAT_EQ(slider.thumbTop(), 60.0f);

    // During a drag the setter leaves the thumb to the mouse but still reports.
    slider.setDragging(true);
    slider.log.clear();
    slider.setValue(10);
    EXPECT_FLOAT_EQ(slider.thumbTop(), 60.0f);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged"}));
}

// The pointer's rule, for every widget: a press beside the thumb puts the thumb's centre under the pointer and
// Value follows; a press on the thumb keeps it where it was grabbed, and a drag moves it by that point.
TEST(SliderModel, APressBesideTheThumbCentresItAndAPressOnItKeepsItsGrip) {
    const Picture thumb{std::make_shared<const PictureData>(), 12, 21};
    RecordingSlider slider;  // the cut point: 0 to 100 along a 112 px track
    slider.width = 124;
    slider.height = 21;
    slider.loadDesign(stored_sliders::kCutPoint, thumb, {});
    slider.log.clear();
    EXPECT_TRUE(slider.pressAt(62.0f, 10.0f));
    EXPECT_EQ(std::make_tuple(slider.thumbLeft(), slider.value(), slider.grabOffsetX(), slider.log),
              std::make_tuple(56.0f, 50, 6.0f, Log{"ThumbDragged", "DrawSlider", "ValueChanged"}));
    slider.setDragging(false);
    slider.log.clear();
    EXPECT_TRUE(slider.pressAt(60.0f, 5.0f));
    EXPECT_EQ(std::make_tuple(slider.thumbLeft(), slider.grabOffsetX(), slider.log),
              std::make_tuple(56.0f, 4.0f, Log{}));
    slider.dragTo(69.0f, 5.0f);  // thumb Left 65 is 58.04 values
    EXPECT_EQ(slider.value(), 58);
    // Pressed where a ValueChanged handler disables the slider: no drag goes on.
    slider.setDragging(false);
    slider.events().valueChanged = [&] { slider.setAcceptsInput(false); };
    EXPECT_FALSE(slider.pressAt(3.0f, 10.0f));
    EXPECT_EQ(std::make_pair(slider.value(), slider.thumbLeft()), std::make_pair(0, 0.0f));
}

TEST(SliderModel, TipTextIsTheOwnersChoiceAndDisablingEndsADrag) {
    RecordingSlider slider;
    slider.setValue(7);
    EXPECT_EQ(slider.valueTipText(), "7");  // decimal by default
    slider.setValueTipText([](std::int32_t value) { return "0:0" + std::to_string(value); });
    EXPECT_EQ(slider.valueTipText(), "0:07");
    slider.setValueTipText([](std::int32_t) -> std::string { throw std::runtime_error("no song"); });
    EXPECT_EQ(slider.valueTipText(), "7");

    slider.setDragging(true);
    slider.log.clear();
    slider.setValueTipText(nullptr);  // a tip on show is redrawn with the new wording
    slider.setAcceptsInput(false);
    slider.setAcceptsInput(false);  // no drag left to end
    EXPECT_FALSE(slider.dragging());
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "DragCancelled"}));
}

TEST(SliderModel, TakesTheWindowsDesignWithoutEventsThenLaysItselfOut) {
    const Picture thumb{std::make_shared<const PictureData>(), 20, 10};
    const Picture rail{std::make_shared<const PictureData>(), 9, 74};
    RecordingSlider slider;
    slider.setValue(3);
    slider.log.clear();
    slider.loadDesign(stored_sliders::kClipLength, thumb, rail);
    EXPECT_EQ(slider.log, Log{"LayoutSlider"});
    EXPECT_EQ(std::make_tuple(slider.backColor(), slider.orientation(), slider.sliderIcon(), slider.railPicture(),
                              slider.min(), slider.max(), slider.value(), slider.valueRange()),
              std::make_tuple(Colour{0x676767}, SliderModel::kVertical, thumb, rail, 0, 59, 30, 59));
    // The design's value counts as reported.
    slider.log.clear();
    slider.setValue(30);
    EXPECT_TRUE(slider.log.empty());
}

}  // namespace
}  // namespace quorvane::testing
