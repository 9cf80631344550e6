#pragma once

#include <array>
#include <cstdint>

// The MIDI messages the program reads by name or writes itself.

namespace quorvane {

// Channel message kinds (the status byte's top four bits).
inline constexpr std::uint8_t kNoteOff = 0x80;
inline constexpr std::uint8_t kNoteOn = 0x90;
inline constexpr std::uint8_t kKeyPressure = 0xA0;
inline constexpr std::uint8_t kControlChange = 0xB0;

// Controllers.
inline constexpr std::uint8_t kChannelVolume = 0x07;
inline constexpr std::uint8_t kSustainPedal = 0x40;
inline constexpr std::uint8_t kAllSoundOff = 0x78;

// Meta events (status 0xFF) and their types.
inline constexpr std::uint8_t kMetaStatus = 0xFF;
inline constexpr std::uint8_t kMetaCopyright = 0x02;
inline constexpr std::uint8_t kMetaTrackName = 0x03;
inline constexpr std::uint8_t kMetaInstrumentName = 0x04;
inline constexpr std::uint8_t kMetaMarker = 0x06;
inline constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
inline constexpr std::uint8_t kMetaSetTempo = 0x51;
inline constexpr std::uint8_t kMetaTimeSignature = 0x58;
inline constexpr std::uint8_t kMetaKeySignature = 0x59;
inline constexpr std::uint32_t kDefaultTempo = 500000;

// Data bytes that follow a channel status byte: one for program change and
// channel pressure (0xC0-0xDF), two for the others. Without a branch: the
// fast loops count it for every message of a song.
constexpr std::uint8_t channelDataCount(std::uint8_t status) {
    return static_cast<std::uint8_t>(2 - ((status & 0xE0) == 0xC0));
}

constexpr bool isControlChange(std::uint8_t status) { return (status & 0xF0) == kControlChange; }
// Note off, note on and key pressure: the messages about one note.
constexpr bool isNoteMessage(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == kNoteOff || kind == kNoteOn || kind == kKeyPressure;
}

// A channel message of three bytes, ready to write.
using ShortMessage = std::array<std::uint8_t, 3>;

constexpr ShortMessage controlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value) {
    return {static_cast<std::uint8_t>(kControlChange | channel), controller, value};
}
constexpr ShortMessage channelVolume(std::uint8_t channel, std::uint8_t volume) {
    return controlChange(channel, kChannelVolume, volume);
}
constexpr ShortMessage pedalRelease(std::uint8_t channel) { return controlChange(channel, kSustainPedal, 0); }
constexpr ShortMessage allSoundOff(std::uint8_t channel) { return controlChange(channel, kAllSoundOff, 0); }
// The End of Track meta event (after its delta-time).
constexpr ShortMessage endOfTrack() { return {kMetaStatus, kMetaEndOfTrack, 0x00}; }

}  // namespace quorvane
