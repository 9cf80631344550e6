#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace quorvane {

// A variable-length quantity as read from a file: its value and the bytes
// it was made of, so that a copy reproduces the source exactly.
struct Vlq {
    std::uint32_t value = 0;
    std::array<std::uint8_t, 4> raw{};
    std::uint8_t size = 0;

    std::span<const std::uint8_t> bytes() const { return {raw.data(), size}; }
};

// Largest value four VLQ bytes can hold.
inline constexpr std::uint32_t kVlqMax = 0x0FFFFFFF;

// Minimal encoding of value (<= kVlqMax).
Vlq encodeVlq(std::uint32_t value);

}  // namespace quorvane
