// Reading the window's stored design.

#include <gtest/gtest.h>

#include "slider/slider_model.hpp"
#include "ui/stored_design.hpp"

namespace quorvane::test {
namespace {

using ui::DesignError;
using ui::StoredDesign;

// Pictures named KNOWN and RAIL exist, each with a handle of its own.
const Picture kKnown = Picture::Make(12, 21);
const Picture kRail = Picture::Make(124, 13);
Picture loadPicture(const QString& name) {
    if (name == "KNOWN") return kKnown;
    if (name == "RAIL") return kRail;
    return Picture{};
}

StoredDesign parse(const char* json) { return StoredDesign::parse(QByteArray(json), loadPicture); }

std::string errorOf(const char* json) {
    try {
        parse(json);
    } catch (const DesignError& error) {
        return error.what();
    }
    return "no error";
}

TEST(StoredDesign, GivesEachControlItsPropertiesAndSize) {
    const StoredDesign design = parse(R"({
        "Segmento": { "_extentx": 3281, "_extenty": 556, "backcolor": "0x555555", "Orientation": 0,
                      "slidericon": { "picture": "KNOWN" }, "railpicture": { "picture": "RAIL" },
                      "railstyle": 99, "max": 100, "enabled": false },
        "Choose": { "_ExtentX": 529, "_ExtentY": 1958, "max": 59, "value": 30 } })");

    const ui::StoredControl& segmento = design.control("Segmento");
    EXPECT_EQ(segmento.extent, QSize(124, 21));
    const PropertyBag& bag = segmento.properties;
    EXPECT_EQ(bag.ReadProperty("BackColor"), PropertyValue{std::int64_t{0x555555}});
    EXPECT_EQ(bag.ReadProperty("orientation"), PropertyValue{std::int64_t{0}});
    EXPECT_EQ(bag.ReadProperty("SliderIcon"), PropertyValue{kKnown});
    EXPECT_EQ(bag.ReadProperty("RailPicture"), PropertyValue{kRail});
    EXPECT_EQ(bag.ReadProperty("RailStyle"), PropertyValue{std::int64_t{99}});
    EXPECT_EQ(bag.ReadProperty("Enabled"), PropertyValue{false});
    EXPECT_EQ(bag.ReadProperty("Value"), std::nullopt);
    EXPECT_EQ(bag.ReadProperty("_extentx"), std::nullopt);

    EXPECT_EQ(design.control("Choose").extent, QSize(20, 74));

    // A slider takes the whole design through its property bag.
    TarnSlider slider;
    slider.ReadProperties(bag);
    EXPECT_EQ(slider.Orientation(), TarnSlider::kHorizontal);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.SliderIcon(), kKnown);
    EXPECT_FALSE(slider.Enabled());
}

TEST(StoredDesign, RefusesWhatItCannotUseAndSaysWhere) {
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "_extenty": 1, "slidericon": {"picture": "NONE"}}})"),
              "Choose.slidericon: no picture named NONE");
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "_extenty": 1, "max": 5.5}})"),
              "Choose.max: 5.5 is not a whole number");
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "_extenty": 1, "backcolor": "0xZZ"}})"),
              "Choose.backcolor: \"0xZZ\" is not a number");
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "_extenty": 1, "max": 5, "Max": 6}})"),
              "Choose.max: stored twice");
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "max": 5}})"),
              "Choose: _extentx and _extenty must give the control's size");
    EXPECT_EQ(errorOf(R"({"Choose": {"_extentx": 1, "_extenty": 1, "value": null}})"),
              "Choose.value: a flag, a number or a picture is expected");
    EXPECT_NE(errorOf(R"({"Choose": )").find("design: "), std::string::npos);
    EXPECT_THROW(parse("{}").control("Segmento"), DesignError);
    EXPECT_THROW(StoredDesign::load(":/design/nothing.json", loadPicture), DesignError);
}

}  // namespace
}  // namespace quorvane::test
