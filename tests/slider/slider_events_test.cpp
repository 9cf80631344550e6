#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "slider_test_support.hpp"

namespace quorvane::testing {
namespace {

TEST(SliderEvents, ChangesRepaintThenReportThenTellTheEndReachedAndRepeatsStayQuiet) {
    RecordingSlider slider;
    slider.SetValue(0);  // a new instance has already reported 0
    slider.SetValue(4);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged"}));
    slider.log.clear();
    slider.SetValue(10);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedLast"}));
    slider.log.clear();
    slider.SetValue(0);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedFirst"}));
    slider.log.clear();
    slider.SetValue(0);
    EXPECT_TRUE(slider.log.empty());
}

TEST(SliderEvents, ValueChangedRunsInsideTheAssignmentAndSeesTheNewValue) {
    TarnSlider slider;
    std::vector<int> seen;
    slider.Events().ValueChanged = [&] { seen.push_back(slider.Value() * 10 + slider.LastValue()); };
    slider.SetValue(1);
    EXPECT_EQ(seen, std::vector<int>{11});
    slider.SetValue(3);
    EXPECT_EQ(seen, (std::vector<int>{11, 33}));
}

TEST(SliderEvents, RaisingMinMovesValueToItWithEventsAndThumbToTheStart) {
    RecordingSlider slider;
    slider.SetOrientation(TarnSlider::kHorizontal);
    slider.surfaceWidth = 116;  // a 100 px track for the 16 px default thumb
    slider.SetValue(7);
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 70.0f);
    slider.log.clear();
    slider.SetMin(5);
    EXPECT_EQ(std::make_tuple(slider.Value(), slider.ValueRange()), std::make_tuple(5, 5));
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedFirst"}));
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 0.0f);
}

TEST(SliderEvents, DuringADragTheSetterLeavesTheThumbAloneButStillReports) {
    RecordingSlider slider;
    slider.surfaceHeight = 116;
    slider.SetValue(5);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 50.0f);
    slider.log.clear();
    slider.SetDragging(true);
    slider.SetValue(10);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 50.0f);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedLast"}));
}

TEST(SliderEvents, TipTextIsTheOwnersChoiceAndDisablingEndsADrag) {
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
    EXPECT_EQ(slider.log, Log{"DrawSlider"});
    slider.log.clear();
    slider.SetEnabled(false);
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.log, Log{"DragCancelled"});
    slider.SetEnabled(false);  // no drag left to end
    EXPECT_EQ(slider.log, Log{"DragCancelled"});
}

TEST(SliderEvents, HandlerMayReplaceItselfWhileRunning) {
    TarnSlider slider;
    Log calls;
    const std::string name = "a handler that outgrows the small-object buffer";
    slider.Events().ValueChanged = [&calls, &slider, name] {
        slider.Events().ValueChanged = nullptr;
        calls.push_back(name);  // still uses its own captured state
    };
    slider.SetValue(1);
    slider.SetValue(2);
    EXPECT_EQ(calls, Log{name});
}

}  // namespace
}  // namespace quorvane::testing
