// The text a user is shown for a slider's refusal: the number and its
// standard description once, then what was refused and why.

#include <gtest/gtest.h>

#include <climits>
#include <exception>
#include <functional>
#include <string>

#include "slider/slider_model.hpp"
#include "workflow/error_text.hpp"

namespace quorvane::test {
namespace {

std::string shown(const std::function<void()>& refused, const std::string& currentFile) {
    try {
        refused();
    } catch (...) {
        return describeError(std::current_exception(), currentFile);
    }
    return "not refused";
}

TEST(ErrorText, SliderErrorsNameTheirNumberAndWhatWasRefusedOnce) {
    TarnSlider slider;
    slider.SetMax(1);
    EXPECT_EQ(shown([&] { slider.SetMax(0); }, ""),
              "Error 380: invalid property value: Max = 0 refused (Max must be above Min = 0)");
    slider.SetMin(-1);
    EXPECT_EQ(shown([&] { slider.SetMax(INT_MAX); }, "/songs/A.MID"),
              "Error 6: overflow: Max = 2147483647 refused "
              "(Max - Min does not fit in 32 bits with Min = -1)\n/songs/A.MID");
}

}  // namespace
}  // namespace quorvane::test
