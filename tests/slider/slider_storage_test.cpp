#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <tuple>

#include "slider/property_bag.hpp"
#include "slider_test_support.hpp"

namespace quorvane::testing {
namespace {

// A bag that notes the keys it is asked for.
class ReadLoggingBag : public MemoryPropertyBag {
public:
    using MemoryPropertyBag::MemoryPropertyBag;
    std::optional<PropertyValue> ReadProperty(std::string_view key) const override {
        reads.emplace_back(key);
        return MemoryPropertyBag::ReadProperty(key);
    }
    mutable Log reads;
};

PropertyValue N(std::int64_t n) { return PropertyValue{n}; }

TEST(SliderStorage, SlidersWithOnlyDefaultsWriteNoKey) {
    TarnSlider loaded;  // the button-face colour may be stored signed
    loaded.ReadProperties(MemoryPropertyBag({{"BackColor", N(-2147483633)}}));
    MemoryPropertyBag bag;
    loaded.WriteProperties(bag);
    EXPECT_TRUE(bag.Entries().empty());

    TarnSlider placed;  // differs from the defaults only by its built-in thumb
    placed.InitProperties();
    placed.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), Log{"SliderIcon"});
}

TEST(SliderStorage, SavesEveryChangedPropertyInItsOrder) {
    TarnSlider slider;
    slider.SetBackColor(0x80000010u);
    slider.SetEnabled(false);
    slider.SetOrientation(0);
    slider.SetRailPicture(Picture::Make(9, 74));
    slider.SetRailStyle(3);
    slider.SetShowValueTip(false);
    slider.SetMax(20);
    slider.SetMin(-5);
    slider.SetValue(12);
    MemoryPropertyBag bag;
    slider.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), (Log{"BackColor", "Enabled", "SliderIcon", "Orientation", "RailPicture",
                               "RailStyle", "ShowValueTip", "Min", "Max", "Value"}));
    EXPECT_EQ(bag.ReadProperty("BackColor"), N(0x80000010));
}

TEST(SliderStorage, LoadsInItsOrderWhateverTheCaseWithoutHooksOrEvents) {
    const Picture thumb = Picture::Make(12, 21);
    const MemoryPropertyBag design({{"backcolor", N(0x555555)}, {"slidericon", thumb},
                                    {"orientation", N(0)}, {"railpicture", Picture::Make(124, 13)},
                                    {"railstyle", N(99)}, {"max", N(100)}, {"value", N(40)}});
    ReadLoggingBag bag(design.Entries());
    RecordingSlider slider;
    slider.surfaceWidth = 124;
    slider.surfaceHeight = 21;
    slider.ReadProperties(bag);

    EXPECT_EQ(bag.reads, (Log{"BackColor", "Enabled", "Orientation", "RailStyle", "ShowValueTip",
                              "Min", "Max", "Value", "SliderIcon", "RailPicture"}));
    EXPECT_TRUE(slider.log.empty());
    EXPECT_EQ(slider.SliderIcon(), thumb);
    EXPECT_EQ(std::make_tuple(slider.Max(), slider.Value(), slider.ValueRange(), slider.LastValue()),
              std::make_tuple(100, 40, 100, 40));
    // Placed on both axes: 40 % along a 112 px track, and 40 % up a 0 px one.
    EXPECT_NEAR(slider.ThumbLeft(), 44.8, 1e-4);
    EXPECT_FLOAT_EQ(slider.ThumbTop(), 0.0f);

    MemoryPropertyBag saved;  // gives the design back, under the canonical spellings
    slider.WriteProperties(saved);
    ASSERT_EQ(saved.Entries().size(), design.Entries().size());
    for (const auto& [key, value] : design.Entries()) EXPECT_EQ(saved.ReadProperty(key), value);
}

TEST(SliderStorage, SavingIntoAnOldBagRemovesValuesNowBackAtTheirDefault) {
    MemoryPropertyBag bag({{"max", N(100)}, {"value", N(40)}});
    TarnSlider slider;
    slider.ReadProperties(bag);
    slider.SetValue(0);
    slider.WriteProperties(bag);
    TarnSlider reloaded;
    reloaded.ReadProperties(bag);
    EXPECT_EQ(reloaded.Value(), 0);
}

TEST(SliderStorage, UnusableDesignIsRefusedWhole) {
    struct Case {
        MemoryPropertyBag bag;
        int number;
        const char* property;
    };
    const Case cases[] = {
        {MemoryPropertyBag({{"Min", N(10)}}), 380, "Max"},
        {MemoryPropertyBag({{"Min", N(5)}, {"Max", N(-5)}}), 380, "Max"},
        {MemoryPropertyBag({{"Enabled", N(1)}}), 380, "Enabled"},
        {MemoryPropertyBag({{"Max", N(1LL << 31)}}), 380, "Max"},
        {MemoryPropertyBag({{"Min", N(-2147483647)}, {"Max", N(2147483647)}}),
         SliderError::kOverflow, "Max"},
    };
    for (const Case& c : cases) {
        MemoryPropertyBag bag = c.bag;
        SCOPED_TRACE(c.property);
        RecordingSlider slider;
        slider.SetValue(3);
        slider.log.clear();
        bag.WriteProperty("BackColor", N(0x123456));  // read first: must not stick
        ExpectRefused([&] { slider.ReadProperties(bag); }, c.number, c.property);
        EXPECT_EQ(std::make_tuple(slider.BackColor(), slider.Value(), slider.Max()),
                  std::make_tuple(kButtonFaceColour, 3, 10));
        EXPECT_TRUE(slider.log.empty());
    }
}

TEST(SliderStorage, BagMatchesKeysWithoutCaseAndKeepsOneEntryPerKey) {
    MemoryPropertyBag bag({{"railStyle", N(1)}, {"RAILSTYLE", N(2)}});
    bag.WriteProperty("RailStyle", N(3));
    EXPECT_EQ(bag.Keys(), Log{"railStyle"});
    EXPECT_EQ(bag.ReadProperty("railstyle"), N(3));
    EXPECT_FALSE(bag.ReadProperty("RailStyl").has_value());
    bag.RemoveProperty("RAILstyle");
    EXPECT_TRUE(bag.Entries().empty());
}

}  // namespace
}  // namespace quorvane::testing
