// How a Format 0 cut ends: the fade over the last tenth of the clip's time,
// and the silence at the cut tick. The copy before the fade is compared byte
// for byte in large_file_tests.cpp; the mido checks in tests/cli follow the
// fade through many clips of songs with tempo ramps.
#include <map>
#include <utility>

#include "engine/smf.hpp"
#include "engine_test_util.hpp"

namespace quorvane::test {
namespace {

// The events of a written file's single track with their ticks, as the
// program's own reader gives them.
std::vector<std::pair<std::uint64_t, EventHead>> readEvents(const Bytes& file) {
    ByteReader in(file, "cut");
    readHeader(in);
    nextTrack(in);
    EventReader events(in);
    std::vector<std::pair<std::uint64_t, EventHead>> out;
    for (std::uint64_t tick = 0; !in.atLimit();) {
        tick += in.vlq().value;
        out.push_back({tick, events.next()});
        if (out.back().second.kind != EventKind::Channel) in.skip(out.back().second.length.value);
    }
    return out;
}

// 100 ticks per quarter at 60 bpm: 10 ms per tick. A cut at tick 1000 is at
// 10 s, its fade from 9 s (tick 900).
constexpr std::uint64_t kCut = 1000;
Bytes song(const std::vector<std::pair<std::uint64_t, Bytes>>& events, std::uint16_t division = 100,
           std::uint32_t tempo = 1000000) {
    return cat({header(0, 1, division), track(cat({tempoEvent(tempo), timed(events), kEndOfTrack}))});
}

Bytes noteOn(std::uint8_t channel) { return {std::uint8_t(0x90 | channel), 60, 100}; }
Bytes control(std::uint8_t channel, std::uint8_t controller, std::uint8_t value) {
    return {std::uint8_t(0xB0 | channel), controller, value};
}

class Fade : public ::testing::Test {
protected:
    Bytes cut(const Bytes& source, std::uint64_t cutTick) {
        request.source = src.write("Song.mid", source);
        request.listedName = "SONG.MID";
        request.destFolder = dest.path().string();
        request.cutTick = cutTick;
        result = cutFormatZero(request);
        return readBytes(result.path);
    }

    TempDir src, dest;
    CutRequest request;
    CutResult result;
};

// The closing of every cut, byte for byte: sustain pedals released on
// `pedals`, then All Sound Off on each channel, then End of Track, all at
// the cut tick.
void expectClosing(const Bytes& file, std::uint64_t cutTick, const std::vector<std::uint8_t>& pedals) {
    Bytes closing;
    for (const std::uint8_t channel : pedals) closing = cat({closing, {std::uint8_t(0xB0 | channel), 0x40, 0, 0}});
    for (int channel = 0; channel < 16; ++channel) closing = cat({closing, {std::uint8_t(0xB0 | channel), 0x78, 0, 0}});
    closing = cat({closing, {0xFF, 0x2F, 0x00}});
    ASSERT_GE(file.size(), closing.size() + 22);
    EXPECT_EQ(Bytes(file.end() - static_cast<std::ptrdiff_t>(closing.size()), file.end()), closing);
    const auto events = readEvents(file);
    EXPECT_EQ(events[events.size() - pedals.size() - 17].first, cutTick);
}

// At 10 ms a tick the fade runs from tick 900 to the cut at 1000, and a
// channel's volume at tick t is its level times (1000 - t) / 100, rounded
// down. A channel that sounds on without events of its own steps down every
// 100 ms; one with events of its own is turned down at each of them only;
// one at volume 0 has nothing to lose, and one faded to 0 is not told again.
// A Channel Volume of the song sets the level the fade goes on from, and is
// written turned down too.
TEST_F(Fade, EachChannelFollowsTheTimeLeftAtItsEventsOrInSteps) {
    std::vector<std::pair<std::uint64_t, Bytes>> events = {{0, control(3, 0x07, 0)}, {0, control(4, 0x07, 1)}};
    for (const std::uint8_t channel : {0, 1, 2, 3, 4}) events.push_back({0, noteOn(channel)});
    for (const auto& [tick, level] : {std::pair{950, 80}, {970, 85}, {970, 90}}) {
        events.push_back({tick, control(2, 0x07, std::uint8_t(level))});
    }
    events.push_back({980, noteOn(2)});
    std::map<int, std::vector<std::pair<std::uint64_t, int>>> expected;
    for (std::uint64_t tick = 901; tick < kCut; tick += 3) {
        events.push_back({tick, noteOn(0)});
        expected[0].push_back({tick, int(kCut - tick)});
    }
    for (std::uint64_t tick = 910; tick < kCut; tick += 10) expected[1].push_back({tick, int(kCut - tick)});
    expected[2] = {{910, 90}, {920, 80}, {930, 70}, {940, 60}, {950, 40}, {950, 40}, {960, 32},
                   {970, 25}, {970, 25}, {970, 27}, {970, 27}, {980, 18}, {990, 9}};
    expected[4] = {{910, 0}};  // at 0 from the first step on: written once
    events.push_back({1100, noteOn(1)});
    std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::map<int, std::vector<std::pair<std::uint64_t, int>>> volumes;
    for (const auto& [tick, e] : readEvents(cut(song(events), kCut))) {
        const bool volume = e.kind == EventKind::Channel && (e.status & 0xF0) == 0xB0 && e.data[0] == 0x07;
        if (volume && tick >= 900 && tick < kCut) volumes[e.channel()].push_back({tick, e.data[1]});
    }
    EXPECT_EQ(volumes, expected);
    EXPECT_EQ(result.channelVolumes[2], 90);
    EXPECT_EQ(result.channelVolumes[3], 0);
}

TEST_F(Fade, EveryChannelIsSilencedAtTheCutTick) {
    struct Case {
        const char* name;
        Bytes source;
        std::uint64_t cutTick;
        std::vector<std::uint8_t> pedals;  // released at the cut
    };
    const Case cases[] = {
        {"pedals down before and in the fade",
         song({{100, control(2, 0x40, 127)},
               {100, control(9, 0x40, 127)},
               {200, control(9, 0x40, 0)},
               {290, {0xF8}},  // the next event after carried time: copied one by one
               {300, control(4, 0x40, 64)},
               {300, control(5, 0x40, 63)},
               {950, control(6, 0x40, 100)},
               {1010, noteOn(0)}}),
         kCut,
         {2, 4, 6}},
        {"a dropped system message just before the cut",
         song({{10, noteOn(0)}, {995, {0xF8}}, {1010, noteOn(0)}}),
         kCut,
         {}},
        {"the next event long after the cut", song({{0, noteOn(0)}, {0x0FFFFFFF, noteOn(0)}}), kCut, {}},
        // 250 ms per tick: closing events a tick apart would be a second apart.
        {"two ticks per quarter", song({{10, noteOn(0)}, {38, noteOn(0)}, {45, noteOn(0)}}, 2, 500000), 40, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectClosing(cut(c.source, c.cutTick), c.cutTick, c.pedals);
        EXPECT_TRUE(result.insideSong);
    }
}

// A chunk that ends without End of Track is closed as if it had one, whether
// the song is kept whole or its cut lies past that end; nothing after the
// chunk is read.
TEST_F(Fade, AChunkEndingWithoutEndOfTrackIsClosedThere) {
    const Bytes notes = {0x00, 0x90, 60, 100, 0x0A, 0x80, 60, 0};
    for (const std::uint64_t cutTick : {kWholeSong, kCut}) {
        for (const Bytes& after : {Bytes{}, chunk("XTRA", {0x00, 0x90, 0x3C})}) {
            EXPECT_EQ(cut(cat({header(0, 1, 100), track(notes), after}), cutTick),
                      cat({header(0, 1, 100), track(cat({notes, kEndOfTrack}))}));
            EXPECT_FALSE(result.insideSong);
        }
    }
}

// Time carried over dropped system messages may come to more than a
// delta-time holds where the copy needs one.
TEST_F(Fade, ACutTooFarFromTheLastEventWrittenIsRefused) {
    const Bytes source = song({{0x0FFFFFFF, {0xF8}}, {0x1FFFFFFE, {0xF8}}, {0x2FFFFFFD, noteOn(0)}}, 0x7FFF, 1);
    request.source = src.write("Song.mid", source);
    request.destFolder = dest.path().string();
    request.cutTick = 0x1FFFFFFF;
    const std::string message = expectFileError([&] { cutFormatZero(request); });
    EXPECT_TRUE(has(message, "delta-time too large"));
    EXPECT_TRUE(dest.names().empty());
}

}  // namespace
}  // namespace quorvane::test
