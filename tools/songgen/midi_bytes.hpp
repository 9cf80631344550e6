// Literal pieces of MIDI files, for tests that spell a file out byte by byte
// (the builder in midi_builder.hpp makes whole songs). Header-only, standard
// library only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace quorvane::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

// A chunk: the four-character tag, the data's length, the data.
inline Bytes chunk(std::string_view tag, const Bytes& data) {
    return cat({Bytes(tag.begin(), tag.end()), be32(static_cast<std::uint32_t>(data.size())), data});
}
inline Bytes track(const Bytes& events) { return chunk("MTrk", events); }

// "MThd" with the standard length 6.
inline Bytes header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division) {
    return cat({{'M', 'T', 'h', 'd'},
                be32(6),
                {std::uint8_t(format >> 8), std::uint8_t(format), std::uint8_t(tracks >> 8), std::uint8_t(tracks),
                 std::uint8_t(division >> 8), std::uint8_t(division)}});
}

inline const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};
inline Bytes tempoEvent(std::uint32_t tempo) {
    return {0x00, 0xFF, 0x51, 0x03, std::uint8_t(tempo >> 16), std::uint8_t(tempo >> 8), std::uint8_t(tempo)};
}

}  // namespace quorvane::testing
