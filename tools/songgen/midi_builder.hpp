// In-memory builder for Standard MIDI File bytes.
//
// Used by the tests, benchmarks, fuzz corpora and the sample-song tool. It is
// deliberately literal: every method appends exactly the bytes it documents and
// nothing else, so a test can express both well-formed files and precisely
// malformed ones (lying chunk lengths, missing status bytes, odd delta-time
// encodings, junk after End of Track, ...).
//
// Named helpers (noteOn, controlChange, ...) keep channels to 4 bits and data
// bytes to 7 bits. Anything outside that goes through channelMessage(), raw()
// or rawEvent(), which write their bytes untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "midi_bytes.hpp"

namespace quorvane::testing {

// Largest value a 4-byte variable-length quantity can carry.
inline constexpr std::uint32_t kMaxVlq = 0x0FFFFFFF;

// Variable-length quantity (7 bits per byte, most significant group first,
// continuation bit on all but the last byte). Minimal encoding, 1 to 4 bytes.
// Throws std::out_of_range for values above kMaxVlq.
Bytes encodeVlq(std::uint32_t value);
void appendVlq(Bytes& out, std::uint32_t value);

void appendBe16(Bytes& out, std::uint16_t value);
void appendBe32(Bytes& out, std::uint32_t value);

// Writes the bytes to a file, replacing it. Throws std::runtime_error on failure.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// Reads a whole file. Throws std::runtime_error on failure.
Bytes readFile(const std::filesystem::path& path);

// The delta-time in front of an event: either a tick count written as a minimal
// VLQ, or bytes written verbatim (non-minimal or over-long encodings).
class Delta {
public:
    Delta(std::uint32_t ticks);  // NOLINT(google-explicit-constructor): `noteOn(0, ...)` reads best.

    // Verbatim delta bytes, e.g. Delta::raw({0x80, 0x00}) for a padded zero.
    static Delta raw(std::initializer_list<std::uint8_t> bytes);

    // Bytes as they go into the track.
    Bytes encoded() const;
    // Ticks this delta advances by, decoded the way a lenient reader would
    // (7 bits per byte until a byte without the continuation bit).
    std::uint64_t ticks() const;

private:
    Delta() = default;
    std::uint32_t ticks_ = 0;
    std::optional<Bytes> raw_;
};

// One "MTrk" chunk (or any other tag, if overridden).
class TrackBuilder {
public:
    TrackBuilder() = default;

    // --- Channel messages (status written unless running status applies) ---
    TrackBuilder& noteOn(Delta d, int channel, int key, int velocity);
    TrackBuilder& noteOff(Delta d, int channel, int key, int velocity = 64);
    TrackBuilder& polyPressure(Delta d, int channel, int key, int pressure);
    TrackBuilder& controlChange(Delta d, int channel, int controller, int value);
    TrackBuilder& channelVolume(Delta d, int channel, int volume);  // controller 7
    TrackBuilder& programChange(Delta d, int channel, int program);
    TrackBuilder& channelPressure(Delta d, int channel, int pressure);
    // 14-bit value, 0..16383, 8192 is centre. Written LSB then MSB.
    TrackBuilder& pitchBend(Delta d, int channel, int value);

    // Any status byte followed by the given data bytes, all verbatim. The
    // status is always written (running status is not applied), and it
    // becomes the running status if it is a channel status (0x80..0xEF).
    TrackBuilder& channelMessage(Delta d, std::uint8_t status, std::initializer_list<std::uint8_t> data);
    // Delta followed by data bytes only: an event relying on running status.
    // Written as given, whether or not a running status exists.
    TrackBuilder& running(Delta d, std::initializer_list<std::uint8_t> data);

    // When on, the named channel helpers omit the status byte if it equals the
    // previous channel status and no SysEx, meta or raw bytes came in between.
    TrackBuilder& useRunningStatus(bool on = true);

    // --- System exclusive ---
    // F0 <vlq length> <data> [F7]; the length counts the terminating F7.
    TrackBuilder& sysex(Delta d, std::span<const std::uint8_t> data, bool terminate = true);
    TrackBuilder& sysex(Delta d, std::initializer_list<std::uint8_t> data, bool terminate = true);
    // F7 <vlq length> <data>: escape / SysEx continuation packet.
    TrackBuilder& sysexEscape(Delta d, std::span<const std::uint8_t> data);
    TrackBuilder& sysexEscape(Delta d, std::initializer_list<std::uint8_t> data);

    // --- Meta events: FF <type> <vlq length> <data> ---
    TrackBuilder& meta(Delta d, std::uint8_t type, std::span<const std::uint8_t> data);
    TrackBuilder& meta(Delta d, std::uint8_t type, std::initializer_list<std::uint8_t> data);
    TrackBuilder& metaText(Delta d, std::uint8_t type, std::string_view text);
    TrackBuilder& sequenceNumber(Delta d, std::uint16_t number);   // 0x00
    TrackBuilder& text(Delta d, std::string_view s);               // 0x01
    TrackBuilder& copyright(Delta d, std::string_view s);          // 0x02
    TrackBuilder& trackName(Delta d, std::string_view s);          // 0x03
    TrackBuilder& instrumentName(Delta d, std::string_view s);     // 0x04
    TrackBuilder& lyric(Delta d, std::string_view s);              // 0x05
    TrackBuilder& marker(Delta d, std::string_view s);             // 0x06
    TrackBuilder& cuePoint(Delta d, std::string_view s);           // 0x07
    TrackBuilder& deviceName(Delta d, std::string_view s);         // 0x09
    TrackBuilder& channelPrefix(Delta d, int channel);             // 0x20
    TrackBuilder& port(Delta d, int port);                         // 0x21
    TrackBuilder& endOfTrack(Delta d = 0);                         // 0x2F
    TrackBuilder& tempo(Delta d, std::uint32_t microsPerQuarter);  // 0x51, 24-bit
    TrackBuilder& smpteOffset(Delta d, int hours, int minutes, int seconds, int frames,
                              int fractionalFrames);  // 0x54
    // denominatorPower: 2 means a quarter note (x/4), 3 an eighth (x/8).
    TrackBuilder& timeSignature(Delta d, int numerator, int denominatorPower, int clocksPerClick = 24,
                                int thirtySecondsPerQuarter = 8);        // 0x58
    TrackBuilder& keySignature(Delta d, int sharpsOrFlats, bool minor);  // 0x59

    // --- Raw material ---
    // Bytes appended verbatim with no delta-time (junk after End of Track,
    // truncated events, ...). Clears the running status tracking.
    TrackBuilder& raw(std::span<const std::uint8_t> bytes);
    TrackBuilder& raw(std::initializer_list<std::uint8_t> bytes);
    // Delta-time followed by verbatim bytes, e.g. rawEvent(0, {0xF2, 0x10, 0x20})
    // for a Song Position Pointer. Clears the running status tracking.
    TrackBuilder& rawEvent(Delta d, std::initializer_list<std::uint8_t> bytes);

    // --- Chunk framing ---
    // Tag of the chunk, "MTrk" unless changed. Must be 4 characters.
    TrackBuilder& chunkTag(std::string_view tag);
    // Length written in the chunk header instead of the real body size.
    TrackBuilder& declaredLength(std::uint32_t length);

    // Event bytes without the chunk header.
    const Bytes& body() const { return body_; }
    // Chunk header plus body.
    Bytes chunk() const;
    // Sum of all delta-times so far.
    std::uint64_t ticks() const { return ticks_; }

private:
    void appendDelta(const Delta& d);
    void channelEvent(const Delta& d, std::uint8_t status, std::initializer_list<std::uint8_t> data);
    void forgetRunningStatus() { lastStatus_.reset(); }

    Bytes body_;
    std::uint64_t ticks_ = 0;
    std::string tag_ = "MTrk";
    std::optional<std::uint32_t> declaredLength_;
    bool useRunningStatus_ = false;
    std::optional<std::uint8_t> lastStatus_;
};

// A whole file: "MThd" header followed by chunks in the order they were added.
class SmfBuilder {
public:
    SmfBuilder() = default;

    SmfBuilder& format(std::uint16_t format);
    // Raw division word: ticks per quarter note when the top bit is clear.
    SmfBuilder& division(std::uint16_t division);
    // SMPTE division: -framesPerSecond in the high byte, ticks per frame low.
    SmfBuilder& smpteDivision(int framesPerSecond, int ticksPerFrame);
    // Track count written in the header; defaults to the number of tracks added.
    SmfBuilder& trackCount(std::uint16_t count);
    // Header length field; defaults to 6 plus the size of headerExtra().
    SmfBuilder& headerLength(std::uint32_t length);
    // Bytes after the format/ntrks/division words inside the header chunk.
    SmfBuilder& headerExtra(std::initializer_list<std::uint8_t> bytes);
    // Replace the "MThd" tag (4 characters).
    SmfBuilder& headerTag(std::string_view tag);

    SmfBuilder& track(const TrackBuilder& track);
    SmfBuilder& track(const std::function<void(TrackBuilder&)>& fill);
    // A chunk with any tag and payload; not counted as a track.
    SmfBuilder& chunk(std::string_view tag, std::span<const std::uint8_t> payload,
                      std::optional<std::uint32_t> declaredLength = std::nullopt);
    SmfBuilder& chunk(std::string_view tag, std::initializer_list<std::uint8_t> payload,
                      std::optional<std::uint32_t> declaredLength = std::nullopt);
    // Verbatim bytes between or after chunks.
    SmfBuilder& raw(std::span<const std::uint8_t> bytes);
    SmfBuilder& raw(std::initializer_list<std::uint8_t> bytes);

    std::size_t tracksAdded() const { return tracksAdded_; }
    Bytes bytes() const;
    void writeFile(const std::filesystem::path& path) const;

private:
    std::string headerTag_ = "MThd";
    std::uint16_t format_ = 1;
    std::uint16_t division_ = 480;
    std::optional<std::uint16_t> trackCount_;
    std::optional<std::uint32_t> headerLength_;
    Bytes headerExtra_;
    Bytes body_;  // everything after the header chunk
    std::size_t tracksAdded_ = 0;
};

}  // namespace quorvane::testing
