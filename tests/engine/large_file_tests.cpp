// Songs larger than the reader's and the writer's 64 KiB buffers, cut and
// compared byte for byte with what a plain event-by-event reference makes of
// the same events. The songs are shifted by a few bytes each time, so that
// the buffer edges fall on every part of an event.
#include <algorithm>
#include <random>

#include "engine/smf.hpp"
#include "engine/song_source.hpp"
#include "engine/timeline.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// 100 ticks per quarter note at 60 bpm: 10 ms per tick, so that times
// compare exactly.
constexpr std::uint16_t kDivision = 100;
constexpr std::uint32_t kTempo = 1000000;

struct Event {
    std::uint64_t time;  // ticks from the start
    std::uint32_t delta;
    Bytes body;               // as in the file: without the status byte under running status
    std::uint8_t status = 0;  // channel messages: the status; 0 for meta and SysEx
};

// About `size` bytes of notes, program changes, pitch bends (mostly running
// status where the status repeats), text and SysEx events, after a text
// event of `shift` bytes; `withPedal`: sustain pedal messages too.
std::vector<Event> makeEvents(std::size_t size, std::size_t shift, std::uint32_t seed, bool withPedal = false) {
    std::mt19937 random(seed);
    std::vector<Event> events;
    events.push_back({0, 0, cat({{0xFF, 0x01}, vlqBytes(static_cast<std::uint32_t>(shift)), Bytes(shift, 's')}), 0});
    std::uint64_t time = 0, bytes = 0;
    std::uint8_t running = 0;
    static constexpr std::uint8_t kKinds[] = {0x90, 0x80, 0xC0, 0xE0, 0xA0, 0xB0};
    while (bytes < size) {
        const unsigned roll = random() % 100;
        const std::uint32_t delta = roll < 2 ? 20000 + random() % 2000 : random() % 200;
        time += delta;
        Event event{time, delta, {}, 0};
        if (roll < 3) {
            event.body = cat({{0xFF, 0x01}, vlqBytes(roll * 100 + 40), Bytes(roll * 100 + 40, 't')});
        } else if (roll < 5) {
            event.body = cat({{0xF0}, vlqBytes(200), Bytes(199, 0x22), {0xF7}});
        } else {
            const std::uint8_t status =
                kKinds[random() % (withPedal ? 6 : 5)] | static_cast<std::uint8_t>(random() % 3);
            event.status = status;
            if (status != running || roll % 10 == 5) event.body.push_back(status);  // sometimes repeated
            const auto first = static_cast<std::uint8_t>(random() % 128);
            event.body.push_back((status & 0xF0) == 0xB0 ? std::uint8_t{64} : first);
            if (channelDataCount(status) == 2) event.body.push_back(static_cast<std::uint8_t>(random() % 128));
            running = status;
        }
        bytes += vlqBytes(delta).size() + event.body.size();
        events.push_back(std::move(event));
    }
    return events;
}

// Moves the first event at or after `tick` onto it, later events staying in place.
void landOn(std::vector<Event>& events, std::uint64_t tick) {
    const auto at = std::find_if(events.begin(), events.end(), [&](const Event& e) { return e.time >= tick; });
    if (at == events.end() || at + 1 == events.end()) return;
    const auto early = static_cast<std::uint32_t>(at->time - tick);
    at->time = tick;
    at->delta -= early;
    (at + 1)->delta += early;
}

void append(Bytes& to, std::initializer_list<Bytes> parts) {
    for (const Bytes& part : parts) to.insert(to.end(), part.begin(), part.end());
}

Bytes trackOf(const std::vector<Event>& events) {
    Bytes body = tempoEvent(kTempo);
    for (const Event& event : events) append(body, {vlqBytes(event.delta), event.body});
    return track(cat({body, kEndOfTrack}));
}

// Format 1 reference: the events before the cut, then, at the cut, a pedal
// release for each channel whose pedal is down and All Sound Off for each
// channel used, in channel order.
Bytes referenceFormatOne(const std::vector<Event>& events, std::uint64_t cut) {
    Bytes body = tempoEvent(kTempo);
    bool used[16] = {}, pedalDown[16] = {};
    std::uint64_t last = 0;
    for (const Event& event : events) {
        if (event.time >= cut) break;
        append(body, {vlqBytes(event.delta), event.body});
        last = event.time;
        if (event.status == 0) continue;
        const int channel = event.status & 0x0F;
        used[channel] = true;
        if ((event.status & 0xF0) == 0xB0) pedalDown[channel] = event.body.back() >= 64;
    }
    Bytes delta = vlqBytes(static_cast<std::uint32_t>(cut - last));
    for (std::uint8_t k = 0; k < 16; ++k) {
        if (!used[k]) continue;
        if (pedalDown[k]) {
            append(body, {delta, {std::uint8_t(0xB0 | k), 0x40, 0x00}});
            delta = {0x00};
        }
        append(body, {delta, {std::uint8_t(0xB0 | k), 0x78, 0x00}});
        delta = {0x00};
    }
    append(body, {delta, {0xFF, 0x2F, 0x00}});
    return cat({header(1, 2, kDivision), track(cat({tempoEvent(kTempo), kEndOfTrack})), track(body)});
}

// Format 0 reference: the song's own bytes up to the fade, which starts
// at nine tenths of the clip (the fade itself has tests of its own). The
// cut's header and track length come before them, its fade after them.
Bytes referenceFormatZero(const std::vector<Event>& events, std::uint64_t cut) {
    Bytes body = tempoEvent(kTempo);
    for (const Event& event : events) {
        if (event.time >= cut - cut / 10) break;
        append(body, {vlqBytes(event.delta), event.body});
    }
    return body;
}

// Names the first differing byte instead of printing 200 KiB.
void expectSame(const Bytes& actual, const Bytes& expected, const std::string& what) {
    const auto [a, b] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    EXPECT_TRUE(a == actual.end() && b == expected.end())
        << what << ": sizes " << actual.size() << " and " << expected.size() << ", first difference at byte "
        << (a - actual.begin());
}

// Cuts songs of about 200 KiB by `cutter` and compares with `reference`:
// streamed, read whole into memory, with the song's timeline given, and at
// kWholeSong.
void cutsAcrossBufferEdges(bool formatOne) {
    TempDir dir;
    for (std::size_t shift = 0; shift < 8; ++shift) {
        std::vector<Event> events = makeEvents(200 * 1024, shift, 7 + static_cast<std::uint32_t>(shift), formatOne);
        // About 70%, on a multiple of 10000 quarter notes (a bar line), where
        // the fade's start is a whole tick too.
        const std::uint64_t cut = events.back().time / kDivision * 7 / 100000 * 10000 * kDivision;
        // Events right on the fade's start and on the cut.
        landOn(events, cut - cut / 10);
        landOn(events, cut);
        const Bytes track1 = trackOf(events);
        const Bytes song = formatOne
                               ? cat({header(1, 2, kDivision), track(cat({tempoEvent(kTempo), kEndOfTrack})), track1})
                               : cat({header(0, 1, kDivision), track1});
        const Bytes expected = formatOne ? referenceFormatOne(events, cut) : referenceFormatZero(events, cut);
        const auto cutter = formatOne ? &cutFormatOne : &cutFormatZero;
        const std::string what = (formatOne ? "format 1, shift " : "format 0, shift ") + std::to_string(shift);
        CutRequest request = preparedRequest(dir.write("song.mid", song), cut);
        // Format 0: the bytes after the header and the track's length, up to the fade.
        const auto compared = [&](const Bytes& cutBytes) {
            if (formatOne) return cutBytes;
            EXPECT_TRUE(std::equal(song.begin(), song.begin() + 18, cutBytes.begin())) << what;
            return Bytes(cutBytes.begin() + 22,
                         cutBytes.begin() + 22 + std::min(cutBytes.size() - 22, expected.size()));
        };
        const Bytes streamed = readBytes(cutter(request).path);
        ASSERT_GT(streamed.size(), std::size_t{64 * 1024}) << what;  // past the write buffer
        expectSame(compared(streamed), expected, what);
        const SongSource inMemory(request.source);  // read whole, as a batch reads each song
        ASSERT_TRUE(inMemory.inMemory());
        request.song = &inMemory;
        expectSame(readBytes(cutter(request).path), streamed, what + " in memory");
        const Timeline timeline = Timeline::read(inMemory);  // as a batch measures the song first
        request.timeline = &timeline;
        expectSame(readBytes(cutter(request).path), streamed, what + " with its timeline");
        // Without a cut, the song is copied whole; so is a Format 0 song cut at its end.
        for (const std::uint64_t end : {kWholeSong, formatOne ? kWholeSong : events.back().time}) {
            const CutResult whole = cutter(preparedRequest(request.source, end));
            EXPECT_FALSE(whole.insideSong) << what;
            expectSame(readBytes(whole.path), song, what + " whole");
        }
    }
}

TEST(LargeFiles, FormatOneCutsAcrossBufferEdgesMatchTheReference) { cutsAcrossBufferEdges(true); }

TEST(LargeFiles, FormatZeroCutsAcrossBufferEdgesMatchTheReference) { cutsAcrossBufferEdges(false); }

}  // namespace
}  // namespace quorvane::test
