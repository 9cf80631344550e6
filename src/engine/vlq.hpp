#pragma once

#include <array>
#include <cstddef>
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

// Minimal encoding of `value`; throws std::out_of_range above kVlqMax,
// which four bytes cannot hold.
Vlq encodeVlq(std::uint32_t value);

// Decodes a quantity from memory known to hold at least four bytes. Returns
// its size in bytes, or 0 when four bytes do not end it.
inline std::size_t decodeVlq(const std::uint8_t* from, std::uint32_t& value) {
    std::size_t size = 0;
    std::uint8_t byte;
    value = 0;
    do {
        byte = from[size++];
        value = (value << 7) | (byte & 0x7Fu);
    } while ((byte & 0x80) && size < 4);
    return (byte & 0x80) ? 0 : size;
}

}  // namespace quorvane
