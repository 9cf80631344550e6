#pragma once

#include <cstdint>

namespace quorvane {

// The keys a slider takes, as any standard slider does. Up and Right move
// towards Max whatever the orientation, Down and Left towards Min.
enum class SliderKey { StepUp, StepDown, PageUp, PageDown, First, Last };

// The value `key` moves a slider at `value` in [min, max] to: a step is one,
// a page a tenth of the range (at least one), First and Last are the ends.
// Never outside [min, max].
std::int32_t valueAfterKey(std::int32_t value, std::int32_t min, std::int32_t max, SliderKey key);

}  // namespace quorvane
