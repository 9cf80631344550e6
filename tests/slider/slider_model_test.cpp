// The slider without Qt: its properties and refusals, its events, and its stored design.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "slider/property_bag.hpp"
#include "slider/slider_error.hpp"
#include "slider/slider_keys.hpp"
#include "slider/slider_model.hpp"

namespace quorvane::testing {
namespace {

using Log = std::vector<std::string>;

// A slider that writes every geometry hook and every event into one log, in the order they happen, on a surface
// of a size the test chooses.
class RecordingSlider : public TarnSlider {
public:
    RecordingSlider() {
        const auto note = [this](const char* name) { return [this, name] { log.push_back(name); }; };
        Events().ArrivedFirst = note("ArrivedFirst");
        Events().ArrivedLast = note("ArrivedLast");
        Events().ValueChanged = note("ValueChanged");
    }
    using TarnSlider::SetDragging;

    Log log;
    std::int32_t surfaceWidth = 0;
    std::int32_t surfaceHeight = 0;

protected:
    void LayoutSlider() override { log.push_back("LayoutSlider"); }
    void DrawSlider() override { log.push_back("DrawSlider"); }
    void ResetSliderPosition() override { log.push_back("ResetSliderPosition"); }
    void DragCancelled() override { log.push_back("DragCancelled"); }
    std::int32_t SurfaceWidth() const override { return surfaceWidth; }
    std::int32_t SurfaceHeight() const override { return surfaceHeight; }
};

// An assignment must be refused with the error `expected` ("number property: detail") and leave everything as
// it was, without a hook or an event.
void expectRefused(RecordingSlider& s, const std::string& expected, const std::function<void()>& assign) {
    s.log.clear();
    const auto snapshot = [&s] {
        return std::make_tuple(s.Min(), s.Max(), s.Value(), s.ValueRange(), s.LastValue(), s.ThumbTop(), s.SliderIcon(),
                               s.BackColor());
    };
    const auto before = snapshot();
    try {
        assign();
        ADD_FAILURE() << "not refused: " << expected;
    } catch (const SliderError& error) {
        EXPECT_EQ(std::to_string(error.Number()) + " " + error.Property() + ": " + error.what(), expected);
    }
    EXPECT_EQ(snapshot(), before) << expected;
    EXPECT_TRUE(s.log.empty()) << expected;
}

PropertyValue n(std::int64_t value) { return PropertyValue{value}; }

TEST(SliderModel, ANewInstanceRunsFromZeroToTenAndResetsTheThumb) {
    RecordingSlider slider;
    slider.SetMax(50);
    slider.SetValue(20);
    slider.SetRailStyle(3);
    slider.SetShowValueTip(false);
    slider.SetEnabled(false);
    slider.SetDragging(true);
    slider.log.clear();
    slider.InitProperties();
    EXPECT_EQ(std::make_tuple(slider.Min(), slider.Max(), slider.Value(), slider.ValueRange(), slider.LastValue(),
                              slider.Orientation(), slider.RailStyle(), slider.ShowValueTip(), slider.Enabled(),
                              slider.Dragging()),
              std::make_tuple(0, 10, 0, 10, 0, TarnSlider::kVertical, 0, true, true, false));
    EXPECT_EQ(slider.log, Log{"ResetSliderPosition"});
}

TEST(SliderModel, RefusedValuesNameThemselvesAndChangeNothing) {
    const std::pair<std::function<void(TarnSlider&)>, const char*> refusals[] = {
        {[](TarnSlider& s) { s.SetMax(-2); }, "380 Max: Max = -2 refused (Max must be above Min = -2)"},
        {[](TarnSlider& s) { s.SetMax(-7); }, "380 Max: Max = -7 refused (Max must be above Min = -2)"},
        {[](TarnSlider& s) { s.SetMin(8); }, "380 Min: Min = 8 refused (Min must be below Max = 8)"},
        {[](TarnSlider& s) { s.SetMin(9); }, "380 Min: Min = 9 refused (Min must be below Max = 8)"},
        {[](TarnSlider& s) { s.SetValue(-3); },
         "380 Value: Value = -3 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](TarnSlider& s) { s.SetValue(9); },
         "380 Value: Value = 9 refused (Value must lie between Min = -2 and Max = 8)"},
        {[](TarnSlider& s) { s.SetSliderIcon(Picture::Make(-1, 5)); },
         "380 SliderIcon: SliderIcon = picture of -1 x 5 pixels refused (a picture cannot have a negative size)"},
        {[](TarnSlider& s) { s.SetMin(INT_MIN); },
         "6 Min: Min = -2147483648 refused (Max - Min does not fit in 32 bits with Max = 8)"},
        {[](TarnSlider& s) { s.SetMax(INT_MAX); },
         "6 Max: Max = 2147483647 refused (Max - Min does not fit in 32 bits with Min = -2)"},
    };
    for (const auto& [assign, expected] : refusals) {
        RecordingSlider slider;
        slider.surfaceHeight = 100;
        slider.SetMax(8);
        slider.SetMin(-2);
        slider.SetValue(5);
        expectRefused(slider, expected, [&] { assign(slider); });
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

TEST(SliderModel, ChangesRepaintThenReportThenTellTheEndReachedAndRepeatsStayQuiet) {
    RecordingSlider slider;
    for (const auto& [value, expected] : {std::pair{0, Log{}},  // a new instance has already reported 0
                                          {4, Log{"DrawSlider", "ValueChanged"}},
                                          {10, Log{"DrawSlider", "ValueChanged", "ArrivedLast"}},
                                          {0, Log{"DrawSlider", "ValueChanged", "ArrivedFirst"}}}) {
        slider.log.clear();
        slider.SetValue(value);
        EXPECT_EQ(slider.log, expected) << value;
        EXPECT_EQ(slider.LastValue(), value);
    }

    // Raising Min moves Value and the thumb to the start, with the events.
    slider.SetOrientation(TarnSlider::kHorizontal);
    slider.surfaceWidth = 116;  // a 100 px track for the 16 px default thumb
    slider.SetValue(7);
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 70.0f);
    slider.log.clear();
    slider.SetMin(5);
    EXPECT_EQ(std::make_tuple(slider.Value(), slider.ValueRange(), slider.ThumbLeft()), std::make_tuple(5, 5, 0.0f));
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedFirst"}));

    // During a drag the setter leaves the thumb alone but still reports.
    slider.SetDragging(true);
    slider.log.clear();
    slider.SetValue(10);
    EXPECT_FLOAT_EQ(slider.ThumbLeft(), 0.0f);
    EXPECT_EQ(slider.log, (Log{"DrawSlider", "ValueChanged", "ArrivedLast"}));
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

TEST(SliderModel, HandlerMayReplaceItselfWhileRunning) {
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

TEST(SliderStorage, LoadsWhateverTheCaseWithoutHooksOrEventsAndSavesOnlyWhatDiffersFromANewSlider) {
    const Picture thumb = Picture::Make(12, 21);
    const MemoryPropertyBag design({{"backcolor", n(0x555555)},
                                    {"enabled", false},
                                    {"slidericon", thumb},
                                    {"orientation", n(0)},
                                    {"railpicture", Picture::Make(124, 13)},
                                    {"railstyle", n(99)},
                                    {"showvaluetip", false},
                                    {"min", n(-5)},
                                    {"max", n(100)},
                                    {"value", n(40)}});
    RecordingSlider slider;
    slider.surfaceWidth = 124;
    slider.surfaceHeight = 21;
    slider.ReadProperties(design);
    EXPECT_TRUE(slider.log.empty());
    EXPECT_EQ(std::make_tuple(slider.SliderIcon(), slider.Enabled(), slider.ShowValueTip(), slider.Min(), slider.Max(),
                              slider.Value(), slider.ValueRange(), slider.LastValue()),
              std::make_tuple(thumb, false, false, -5, 100, 40, 105, 40));
    // Placed on both axes: 45 of 105 along a 112 px track, and up a 0 px one.
    EXPECT_EQ(std::make_tuple(slider.ThumbLeft(), slider.ThumbTop()), std::make_tuple(48.0f, 0.0f));

    MemoryPropertyBag saved;  // gives the design back, under the canonical spellings
    slider.WriteProperties(saved);
    ASSERT_EQ(saved.Entries().size(), design.Entries().size());
    for (const auto& [key, value] : design.Entries()) EXPECT_EQ(saved.ReadProperty(key), value);
    // Saved again after a reset, values back at their default go; the colour
    // and the pictures are design, kept by a reset.
    slider.InitProperties();
    slider.WriteProperties(saved);
    EXPECT_EQ(saved.Keys(), (Log{"BackColor", "SliderIcon", "RailPicture"}));

    TarnSlider loaded;  // the button-face colour may be stored signed; nothing else differs
    loaded.ReadProperties(MemoryPropertyBag({{"BackColor", n(-2147483633)}}));
    MemoryPropertyBag bag;
    loaded.WriteProperties(bag);
    EXPECT_TRUE(bag.Entries().empty());
}

TEST(SliderStorage, UnusableDesignIsRefusedWhole) {
    const std::pair<MemoryPropertyBag, const char*> cases[] = {
        {MemoryPropertyBag({{"Min", n(10)}}), "380 Max: Max = 10 refused (stored Max must be above stored Min = 10)"},
        {MemoryPropertyBag({{"Min", n(5)}, {"Max", n(-5)}}),
         "380 Max: Max = -5 refused (stored Max must be above stored Min = 5)"},
        {MemoryPropertyBag({{"Enabled", n(1)}}),
         "380 Enabled: Enabled = 1 refused (a stored flag must be True or False)"},
        {MemoryPropertyBag({{"Max", n(1LL << 31)}}), "380 Max: Max = 2147483648 refused (Max does not fit in 32 bits)"},
        {MemoryPropertyBag({{"Min", n(INT_MIN)}}),
         "6 Max: Max = 10 refused (Max - Min does not fit in 32 bits with Min = -2147483648)"},
        {MemoryPropertyBag({{"Min", n(-2147483647)}, {"Max", n(2147483647)}}),
         "6 Max: Max = 2147483647 refused (Max - Min does not fit in 32 bits with Min = -2147483647)"},
    };
    for (const auto& [design, expected] : cases) {
        MemoryPropertyBag bag = design;
        bag.WriteProperty("BackColor", n(0x123456));  // read first: must not stick
        RecordingSlider slider;
        slider.SetValue(3);
        expectRefused(slider, expected, [&] { slider.ReadProperties(bag); });
    }
}

TEST(SliderStorage, BagMatchesKeysWithoutCaseAndKeepsOneEntryPerKey) {
    MemoryPropertyBag bag({{"railStyle", n(1)}, {"RAILSTYLE", n(2)}});
    bag.WriteProperty("RailStyle", n(3));
    EXPECT_EQ(bag.Keys(), Log{"railStyle"});
    EXPECT_EQ(bag.ReadProperty("railstyle"), n(3));
    EXPECT_FALSE(bag.ReadProperty("RailStyl").has_value());
    EXPECT_EQ(MemoryPropertyBag({{"Zoom", n(1)}}).ReadProperty("zOOM"), n(1));  // A to Z, both ends
    bag.RemoveProperty("RAILstyle");
    EXPECT_TRUE(bag.Entries().empty());
}

TEST(SliderKeys, NeverLeaveTheRange) {
    const struct {
        std::int32_t value, min, max;
        SliderKey key;
        std::int32_t after;
    } cases[] = {
        {10, 0, 10, SliderKey::StepUp, 10},
        {0, 0, 10, SliderKey::PageDown, 0},
        {3, 0, 5, SliderKey::PageUp, 4},                              // a tenth of a small range is still one step
        {INT_MAX - 1, INT_MIN, INT_MAX, SliderKey::PageUp, INT_MAX},  // no wrapping round
        {INT_MIN + 1, INT_MIN, INT_MAX, SliderKey::PageDown, INT_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(valueAfterKey(c.value, c.min, c.max, c.key), c.after) << c.value;
}

}  // namespace
}  // namespace quorvane::testing
