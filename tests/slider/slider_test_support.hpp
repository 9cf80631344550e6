#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "slider/slider_error.hpp"
#include "slider/slider_model.hpp"

namespace quorvane::testing {

// A slider that writes every geometry hook and every event into one log, in
// the order they happen, on a surface of a size the test chooses.
class RecordingSlider : public TarnSlider {
public:
    RecordingSlider() {
        Events().Click = [this] { log.push_back("Click"); };
        Events().ArrivedFirst = [this] { log.push_back("ArrivedFirst"); };
        Events().ArrivedLast = [this] { log.push_back("ArrivedLast"); };
        Events().ValueChanged = [this] { log.push_back("ValueChanged"); };
        Events().MouseDown = [this](std::int16_t&) { log.push_back("MouseDown"); };
        Events().MouseUp = [this](std::int16_t&) { log.push_back("MouseUp"); };
    }

    using TarnSlider::RaiseMouseDown;
    using TarnSlider::SetDragging;

    std::vector<std::string> log;
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

using Log = std::vector<std::string>;

// Expects assign to be refused with the given error number, naming property.
// Returns the error's detail (empty when nothing was refused).
inline std::string ExpectRefused(const std::function<void()>& assign, int number,
                                 const std::string& property) {
    try {
        assign();
        ADD_FAILURE() << property << ": value not refused";
    } catch (const SliderError& error) {
        EXPECT_EQ(error.Number(), number) << error.what();
        EXPECT_EQ(error.Property(), property) << error.what();
        return error.what();
    }
    return {};
}

}  // namespace quorvane::testing
