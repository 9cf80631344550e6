#pragma once

#include <cstdint>
#include <functional>

namespace quorvane {

// The events a slider raises, in their declared order. A host assigns the
// handlers it wants; an empty handler is simply not called. Every event is
// raised synchronously, so a ValueChanged handler has run when the assignment
// of Value that caused it returns.
struct SliderEvents {
    std::function<void()> Click;                         // left release inside the control
    std::function<void()> ArrivedFirst;                  // after ValueChanged, when Value reached Min
    std::function<void()> ArrivedLast;                   // after ValueChanged, when Value reached Max
    std::function<void()> ValueChanged;                  // Value differs from the last value reported
    std::function<void(std::int16_t& Shift)> MouseDown;  // end of a handled left press
    std::function<void(std::int16_t& Shift)> MouseUp;    // release that ends a drag
};

}  // namespace quorvane
