#include "mutations.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "engine/music_time.hpp"
#include "midi_builder.hpp"
#include "song_generator.hpp"

namespace quorvane::robustness {

namespace {

using testing::Delta;
using testing::SmfBuilder;
using testing::TrackBuilder;

std::uint32_t be32(const Bytes& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

void putBe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

void putBe16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<std::uint8_t>(value);
}

void malformed(const std::string& what, std::size_t at) {
    throw std::logic_error("base song is not well-formed: " + what + " at byte " + std::to_string(at));
}

// A quantity of one to four bytes starting at `pos`, which moves past it.
Field readVlq(const Bytes& bytes, std::size_t& pos, std::size_t end, std::uint32_t& value) {
    const Field field{pos, 0};
    value = 0;
    for (;;) {
        if (pos >= end || pos - field.at == 4) malformed("quantity", field.at);
        const std::uint8_t byte = bytes[pos++];
        value = (value << 7) | (byte & 0x7Fu);
        if (!(byte & 0x80)) break;
    }
    return Field{field.at, pos - field.at};
}

std::size_t dataCount(std::uint8_t status) {
    if (status >= 0xC0 && status <= 0xDF) return 1;
    if (status < 0xF0) return 2;
    switch (status) {
        case 0xF1:
        case 0xF3: return 1;
        case 0xF2: return 2;
        default: return 0;
    }
}

void walkTrack(const Bytes& file, std::size_t pos, std::size_t end, Landmarks& marks) {
    std::optional<std::uint8_t> running;
    std::uint32_t value = 0;
    while (pos < end) {
        marks.deltas.push_back(readVlq(file, pos, end, value));
        if (pos >= end) malformed("event", pos);
        const std::uint8_t first = file[pos];
        if (first < 0x80) {
            if (!running) malformed("data byte without running status", pos);
            pos += dataCount(*running);
            continue;
        }
        marks.statusBytes.push_back(pos++);
        if (first < 0xF0) {
            running = first;
            pos += dataCount(first);
        } else if (first == 0xF0 || first == 0xF7) {
            marks.payloadLengths.push_back(readVlq(file, pos, end, value));
            pos += value;
        } else if (first == 0xFF) {
            marks.metaTypes.push_back(pos);
            const std::uint8_t type = file[pos++];
            marks.payloadLengths.push_back(readVlq(file, pos, end, value));
            if (type == 0x51) marks.tempoData.push_back(pos);
            pos += value;
            if (type == 0x2F) return;  // whatever follows is left to the chunk length
        } else {
            pos += dataCount(first);
        }
    }
    if (pos > end) malformed("event past the chunk end", end);
}

// Cut position at the given tick of a song with the given division.
double cutTimeAt(std::uint64_t tick, std::uint32_t division) {
    return static_cast<double>(tick) * kMusicTicksPerQuarter / division;
}

BaseSong generated(std::string name, const testing::SongOptions& options) {
    const testing::GeneratedSong song = testing::generateSong(options);
    return BaseSong{std::move(name), song.bytes, {}, cutTimeAt(song.endTick, song.division)};
}

// Format 0 with everything a reader may trip over: extra header bytes, an
// alien chunk before the track, escapes, system messages, padded
// delta-times, long meta events, a tempo change and junk after End of Track.
BaseSong oddSingleTrack() {
    const std::vector<std::uint8_t> blob(200, 0x11);
    std::vector<std::uint8_t> sysex(150);
    for (std::size_t i = 0; i < sysex.size(); ++i) sysex[i] = static_cast<std::uint8_t>(i & 0x7F);
    TrackBuilder track;
    track.useRunningStatus()
        .trackName(0, "odd")
        .tempo(0, 400000)
        .sysex(0, sysex)
        .channelVolume(0, 0, 90)
        .controlChange(0, 0, 7, 80)  // running status: a Channel Volume without its status byte
        .programChange(0, 1, 5)
        .rawEvent(10, {0xF2, 0x10, 0x20})
        .rawEvent(0, {0xF8})
        .noteOn(Delta::raw({0x81, 0x00}), 0, 60, 100)
        .noteOn(0, 0, 64, 100)
        .meta(48, 0x7F, blob)
        .sysexEscape(12, {0x43, 0x10, 0x4C, 0xF7})
        .noteOff(96, 0, 60)
        .noteOff(0, 0, 64)
        .rawEvent(30, {0xF1, 0x21})
        .tempo(66, 600000)
        .noteOn(0, 1, 67, 90)
        .pitchBend(40, 1, 9000)
        .channelPressure(20, 1, 40)
        .noteOff(200, 1, 67)
        .endOfTrack(384)
        .raw({0x00, 0x90, 0x3C, 0x40});
    const std::vector<std::uint8_t> alien = {'a', 'l', 'i', 'e', 'n'};
    SmfBuilder file;
    file.format(0).division(96).headerExtra({0x00, 0x00}).chunk("XFIH", alien).track(track);
    return BaseSong{"format 0 odd", file.bytes(), {}, cutTimeAt(track.ticks(), 96)};
}

// Format 1 without any Set Tempo: the pre-reader scans every track to the
// end. An alien chunk sits between the tracks; running status crosses meta
// events.
BaseSong tempolessTracks() {
    TrackBuilder first;
    first.trackName(0, "first").timeSignature(0, 3, 2).marker(720, "B").endOfTrack(720);
    TrackBuilder second;
    second.useRunningStatus().programChange(0, 2, 40);
    for (int i = 0; i < 24; ++i) {
        second.noteOn(i == 0 ? 0 : 30, 2, 50 + i, 80).noteOff(30, 2, 50 + i);
        if (i % 6 == 5) second.rawEvent(0, {0xFF, 0x01, 0x01, 'x'}).running(0, {0x30, 0x00});
    }
    second.endOfTrack(0);
    const std::vector<std::uint8_t> alien(12, 0x7E);
    SmfBuilder file;
    file.format(1).division(120).track(first).chunk("MTxx", alien).track(second);
    return BaseSong{"format 1 without tempo", file.bytes(), {}, cutTimeAt(second.ticks(), 120)};
}

// Format 1 whose only Set Tempo is in its third track.
BaseSong lateTempo() {
    SmfBuilder file;
    file.format(1).division(192);
    for (int k = 0; k < 3; ++k) {
        file.track([k](TrackBuilder& t) {
            t.useRunningStatus().trackName(0, "part");
            if (k == 2) t.tempo(0, 700000);
            for (int i = 0; i < 16; ++i) t.noteOn(96, k, 60 + i, 70).noteOff(96, k, 60 + i);
            t.endOfTrack(0);
        });
    }
    return BaseSong{"format 1 late tempo", file.bytes(), {}, cutTimeAt(16 * 192, 192)};
}

std::vector<BaseSong> makeBaseSongs() {
    using testing::SongOptions;
    std::vector<BaseSong> songs{
        generated("format 1, running status",
                  SongOptions{.seed = 11, .format = 1, .instrumentTracks = 3, .seconds = 6, .tempoChanges = 2}),
        generated("format 0, running status",
                  SongOptions{.seed = 12, .format = 0, .instrumentTracks = 4, .seconds = 6, .tempoChanges = 3}),
        generated("format 1, six parts", SongOptions{.seed = 13,
                                                     .format = 1,
                                                     .instrumentTracks = 6,
                                                     .division = 96,
                                                     .seconds = 4,
                                                     .tempoChanges = 3,
                                                     .runningStatus = false,
                                                     .longSysex = 2}),
        generated("format 0, status bytes", SongOptions{.seed = 14,
                                                        .format = 0,
                                                        .instrumentTracks = 2,
                                                        .division = 768,
                                                        .seconds = 4,
                                                        .tempoChanges = 1,
                                                        .runningStatus = false,
                                                        .longSysex = 2,
                                                        .longText = 2}),
    };
    songs.push_back(oddSingleTrack());
    songs.push_back(tempolessTracks());
    songs.push_back(lateTempo());
    for (BaseSong& song : songs) song.marks = findLandmarks(song.bytes);
    return songs;
}

constexpr std::uint8_t kTellingBytes[] = {0x00, 0x01, 0x2F, 0x51, 0x7F, 0x80, 0x81, 0x90, 0xB0, 0xC0,
                                          0xE0, 0xF0, 0xF1, 0xF2, 0xF3, 0xF7, 0xF8, 0xFE, 0xFF, 'M'};

// A quantity as bytes: mostly minimal encodings of telling values, sometimes
// an encoding no reader should accept. `truth` is what the field holds now
// (after earlier damage, anything up to the largest quantity).
Bytes quantityBytes(std::size_t choice, std::uint32_t truth, std::uint32_t random) {
    switch (choice % 12) {
        case 0: return testing::encodeVlq(0);
        case 1: return testing::encodeVlq((truth + 1) & testing::kMaxVlq);
        case 2: return testing::encodeVlq(truth > 0 ? truth - 1 : 127);
        case 3: return testing::encodeVlq(127);
        case 4: return testing::encodeVlq(128);
        case 5: return testing::encodeVlq(0x3FFF);
        case 6: return testing::encodeVlq(testing::kMaxVlq);
        case 7: return testing::encodeVlq(random & testing::kMaxVlq);
        case 8: return {0x80, 0x80, 0x80, 0x80, 0x00};  // five bytes
        case 9: return {0xFF, 0xFF, 0xFF, 0xFF};        // never ends
        case 10: return {0x80, 0x00};                   // padded zero
        default: return {0x83};                         // swallows the next byte
    }
}

std::uint32_t quantityAt(const Bytes& bytes, const Field& field) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < field.size; ++i) value = (value << 7) | (bytes[field.at + i] & 0x7Fu);
    return value;
}

}  // namespace

Landmarks findLandmarks(const Bytes& file) {
    Landmarks marks;
    if (file.size() < 14 || std::memcmp(file.data(), "MThd", 4) != 0) malformed("header", 0);
    marks.chunkLengths.push_back(4);
    std::size_t pos = 8 + std::size_t{be32(file, 4)};
    while (pos < file.size()) {
        if (pos + 8 > file.size()) malformed("chunk header", pos);
        marks.chunkLengths.push_back(pos + 4);
        const std::size_t body = pos + 8;
        const std::size_t end = body + be32(file, pos + 4);
        if (end > file.size()) malformed("chunk length", pos + 4);
        marks.chunkEnds.push_back(end);
        if (std::memcmp(file.data() + pos, "MTrk", 4) == 0) walkTrack(file, body, end, marks);
        pos = end;
    }
    return marks;
}

const std::vector<BaseSong>& baseSongs() {
    static const std::vector<BaseSong> songs = makeBaseSongs();
    return songs;
}

Mutant Mutator::truncate(const BaseSong& song) {
    // Inside the header, right at or after a field a reader trusts, or anywhere.
    std::size_t length = below(3) == 0 ? below(14) : below(song.bytes.size());
    if (below(2)) {
        const Landmarks& marks = song.marks;
        std::vector<std::size_t> lengths;
        for (std::size_t at : marks.chunkLengths) lengths.insert(lengths.end(), {at, at + 2, at + 4});
        for (std::size_t at : marks.statusBytes) lengths.insert(lengths.end(), {at, at + 1, at + 2});
        for (std::size_t at : marks.tempoData) lengths.insert(lengths.end(), {at + 1, at + 3});
        for (std::size_t end : marks.chunkEnds) lengths.insert(lengths.end(), {end - 1, end});
        for (const Field& field : marks.payloadLengths)
            lengths.insert(lengths.end(), {field.at + 1, field.at + field.size});
        length = std::min(pick(lengths), song.bytes.size());
    }
    return Mutant{Bytes(song.bytes.begin(), song.bytes.begin() + static_cast<std::ptrdiff_t>(length)),
                  "truncated to " + std::to_string(length) + " bytes"};
}

Mutant Mutator::damaged(const BaseSong& song, Damage damage) {
    Mutant m{song.bytes, {}};
    switch (damage) {
        case Damage::Truncate: return truncate(song);
        case Damage::Splice: return splice(song);
        case Damage::FlipBits: flipBitsIn(m.bytes, m.how); break;
        case Damage::ReplaceByte: replaceByteIn(m.bytes, m.how); break;
        case Damage::Lie: lieIn(m.bytes, song.marks, m.how); break;
        case Damage::Reshape: reshapeIn(m.bytes, m.how); break;
        case Damage::Stack:
            for (std::size_t i = 0, steps = 2 + below(3); i < steps; ++i) {
                if (!m.how.empty()) m.how += "; ";
                switch (below(4)) {
                    case 0: flipBitsIn(m.bytes, m.how); break;
                    case 1: replaceByteIn(m.bytes, m.how); break;
                    case 2: lieIn(m.bytes, song.marks, m.how); break;
                    default: reshapeIn(m.bytes, m.how); break;
                }
            }
            break;
    }
    return m;
}

Mutant Mutator::splice(const BaseSong& first) {
    const BaseSong& second = pick(baseSongs());
    const std::size_t head = below(first.bytes.size() + 1);
    const std::size_t tail = below(second.bytes.size() + 1);
    Mutant m{Bytes(first.bytes.begin(), first.bytes.begin() + static_cast<std::ptrdiff_t>(head)),
             "first " + std::to_string(head) + " bytes of \"" + first.name + "\", then \"" + second.name +
                 "\" from byte " + std::to_string(tail)};
    m.bytes.insert(m.bytes.end(), second.bytes.begin() + static_cast<std::ptrdiff_t>(tail), second.bytes.end());
    return m;
}

void Mutator::flipBitsIn(Bytes& bytes, std::string& how) {
    if (bytes.empty()) return;
    const std::size_t count = 1 + below(3);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = below(bytes.size());
        const std::size_t bit = below(8);
        bytes[at] ^= static_cast<std::uint8_t>(1u << bit);
        how += (i ? ", " : "flipped bit ") + std::to_string(bit) + " at " + std::to_string(at);
    }
}

void Mutator::replaceByteIn(Bytes& bytes, std::string& how) {
    if (bytes.empty()) return;
    const std::size_t at = below(bytes.size());
    const std::uint8_t value = kTellingBytes[below(std::size(kTellingBytes))];
    bytes[at] = value;
    how += "byte " + std::to_string(at) + " set to " + std::to_string(value);
}

void Mutator::lieIn(Bytes& bytes, const Landmarks& marks, std::string& how) {
    // Landmarks belong to the base song; after an earlier reshape they may
    // point anywhere, so every write is checked against the current size.
    const auto fits = [&](std::size_t at, std::size_t size) { return at + size <= bytes.size(); };
    const auto replaceField = [&](const Field& field, const Bytes& with) {
        bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(field.at),
                    bytes.begin() + static_cast<std::ptrdiff_t>(field.at + field.size));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(field.at), with.begin(), with.end());
    };
    for (int attempt = 0; attempt < 8; ++attempt) {
        switch (below(8)) {
            case 0: {  // chunk or header length
                const std::size_t at = pick(marks.chunkLengths);
                if (!fits(at, 4)) break;
                const std::uint32_t truth = be32(bytes, at);
                const std::uint32_t random = static_cast<std::uint32_t>(rng_());
                const std::uint32_t values[] = {0,         1,           5,          6,          7,     truth - 1,
                                                truth + 1, truth + 100, 0x7FFFFFFF, 0xFFFFFFFF, random};
                const std::uint32_t value = values[below(std::size(values))];
                putBe32(bytes, at, value);
                how += "length at " + std::to_string(at) + " set to " + std::to_string(value);
                return;
            }
            case 1:    // delta-time
            case 2: {  // SysEx or meta length
                const auto& fields = below(2) ? marks.deltas : marks.payloadLengths;
                if (fields.empty()) break;
                const Field field = pick(fields);
                if (!fits(field.at, field.size)) break;
                const Bytes with =
                    quantityBytes(below(12), quantityAt(bytes, field), static_cast<std::uint32_t>(rng_()));
                replaceField(field, with);
                how += "quantity at " + std::to_string(field.at) + " replaced by " + std::to_string(with.size()) +
                       " bytes from " + std::to_string(with[0]);
                return;
            }
            case 3: {  // status byte
                if (marks.statusBytes.empty()) break;
                const std::size_t at = pick(marks.statusBytes);
                if (!fits(at, 1)) break;
                const std::uint8_t choices[] = {static_cast<std::uint8_t>(below(0x80)),
                                                static_cast<std::uint8_t>(0x80 + 0x10 * below(7) + (bytes[at] & 0x0F)),
                                                0xF0,
                                                0xF7,
                                                0xFF,
                                                static_cast<std::uint8_t>(0xF1 + below(14))};
                bytes[at] = choices[below(std::size(choices))];
                how += "status at " + std::to_string(at) + " set to " + std::to_string(bytes[at]);
                return;
            }
            case 4: {  // meta type
                if (marks.metaTypes.empty()) break;
                const std::size_t at = pick(marks.metaTypes);
                if (!fits(at, 1)) break;
                const std::uint8_t choices[] = {static_cast<std::uint8_t>(0x80 + below(0x80)), 0x2F, 0x51, 0x00, 0x7F,
                                                static_cast<std::uint8_t>(below(0x80))};
                bytes[at] = choices[below(std::size(choices))];
                how += "meta type at " + std::to_string(at) + " set to " + std::to_string(bytes[at]);
                return;
            }
            case 5: {  // Set Tempo: its data or its length
                if (marks.tempoData.empty()) break;
                const std::size_t at = pick(marks.tempoData);
                if (!fits(at, 3)) break;
                const std::uint8_t values[][3] = {{0, 0, 0}, {0xFF, 0xFF, 0xFF}, {0, 0, 1}, {0x80, 0, 0}};
                const std::size_t choice = below(std::size(values) + 4);
                if (choice < std::size(values)) {
                    std::copy(values[choice], values[choice] + 3, bytes.begin() + static_cast<std::ptrdiff_t>(at));
                    how += "tempo at " + std::to_string(at) + " set to value " + std::to_string(choice);
                } else {
                    const std::uint8_t lengths[] = {0, 1, 2, 4};
                    bytes[at - 1] = lengths[choice - std::size(values)];
                    how += "tempo length at " + std::to_string(at - 1) + " set to " + std::to_string(bytes[at - 1]);
                }
                return;
            }
            case 6: {  // header fields
                if (!fits(8, 6)) break;
                const std::size_t field = below(3);
                const std::uint16_t truth =
                    static_cast<std::uint16_t>((bytes[8 + 2 * field] << 8) | bytes[9 + 2 * field]);
                const std::uint16_t values[3][6] = {
                    {0, 1, 2, 3, 0xFFFF, 0x0100},
                    {0, 1, static_cast<std::uint16_t>(truth - 1), static_cast<std::uint16_t>(truth + 1), 0xFFFF, 2},
                    {0, 1, 0x7FFF, 0x8000, 0xE728, 0xFFFF}};
                const std::uint16_t value = values[field][below(6)];
                putBe16(bytes, 8 + 2 * field, value);
                how += "header field " + std::to_string(field) + " set to " + std::to_string(value);
                return;
            }
            default: {  // chunk tag
                const std::size_t at = pick(marks.chunkLengths) - 4;
                if (!fits(at, 4)) break;
                static constexpr const char* kTags[] = {"MTrx", "MThd", "XXXX", "MTrk", "mtrk"};
                const char* tag = kTags[below(std::size(kTags))];
                std::copy(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
                how += "tag at " + std::to_string(at) + " set to " + tag;
                return;
            }
        }
    }
    flipBitsIn(bytes, how);
}

void Mutator::reshapeIn(Bytes& bytes, std::string& how) {
    const std::size_t at = below(bytes.size() + 1);
    const auto where = bytes.begin() + static_cast<std::ptrdiff_t>(at);
    switch (below(3)) {
        case 0: {
            const std::size_t count = 1 + below(8);
            Bytes inserted(count);
            for (auto& byte : inserted)
                byte = below(2) ? kTellingBytes[below(std::size(kTellingBytes))] : static_cast<std::uint8_t>(rng_());
            bytes.insert(where, inserted.begin(), inserted.end());
            how += std::to_string(count) + " bytes inserted at " + std::to_string(at);
            return;
        }
        case 1: {
            const std::size_t count = std::min(1 + below(16), bytes.size() - at);
            bytes.erase(where, where + static_cast<std::ptrdiff_t>(count));
            how += std::to_string(count) + " bytes removed at " + std::to_string(at);
            return;
        }
        default: {
            const std::size_t count = std::min(1 + below(32), bytes.size() - at);
            const Bytes copy(where, where + static_cast<std::ptrdiff_t>(count));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
            how += std::to_string(count) + " bytes repeated at " + std::to_string(at);
            return;
        }
    }
}

}  // namespace quorvane::robustness
