// The Format 0 cut: the copy before the fade, the fade over the last tenth
// of the clip's time, and the silence at the cut tick.
#include <optional>
#include <utility>

#include "engine/cut_points.hpp"
#include "engine/smf.hpp"
#include "engine/song_source.hpp"
#include "engine/timeline.hpp"
#include "engine/vlq.hpp"
#include "engine_test_util.hpp"
#include "song_generator.hpp"

namespace quorvane::test {
namespace {

// An event of a written track, its time made absolute.
struct Event {
    std::uint64_t tick = 0;
    std::uint8_t status = 0;        // channel status (running status resolved), 0xF0, 0xF7, 0xFF or a system byte
    std::uint8_t data[2] = {0, 0};  // channel data; a meta event's type in data[0]
    std::size_t offset = 0;         // where its delta-time starts, from the file's start

    bool isChannel() const { return status < 0xF0; }
    bool isControl(std::uint8_t controller) const { return (status & 0xF0) == 0xB0 && data[0] == controller; }
    int channel() const { return status & 0x0F; }
};

// The events of the file's first track chunk.
std::vector<Event> readEvents(const Bytes& file) {
    std::size_t at = 8 + ((file[4] << 24) | (file[5] << 16) | (file[6] << 8) | file[7]);
    const std::size_t end = at + 8 + ((file[at + 4] << 24) | (file[at + 5] << 16) | (file[at + 6] << 8) | file[at + 7]);
    at += 8;
    const auto vlq = [&] {
        std::uint32_t value = 0;
        while (file.at(at) & 0x80) value = (value << 7) | (file[at++] & 0x7F);
        return (value << 7) | file[at++];
    };
    std::vector<Event> out;
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (at < end) {
        Event event;
        event.offset = at;
        event.tick = tick += vlq();
        const std::uint8_t first = file.at(at);
        event.status = first < 0x80 ? running : file.at(at++);
        if (event.isChannel()) {
            running = event.status;
            event.data[0] = file.at(at++);
            if (channelDataCount(event.status) == 2) event.data[1] = file.at(at++);
        } else if (event.status == 0xFF || event.status == 0xF0 || event.status == 0xF7) {
            if (event.status == 0xFF) event.data[0] = file.at(at++);
            at += vlq();
        }
        out.push_back(event);
    }
    return out;
}

// A track's events from (tick, message) pairs in time order.
Bytes timed(const std::vector<std::pair<std::uint64_t, Bytes>>& events) {
    Bytes out;
    std::uint64_t tick = 0;
    for (const auto& [at, message] : events) {
        const Vlq delta = encodeVlq(static_cast<std::uint32_t>(at - tick));
        out.insert(out.end(), delta.bytes().begin(), delta.bytes().end());
        out.insert(out.end(), message.begin(), message.end());
        tick = at;
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

    // Where the fade runs, by the song's own timeline.
    struct Span {
        Timeline timeline;
        double cut, start;
        std::uint64_t firstTick;
        // The volume `level` should have come down to at `tick`.
        double ideal(int level, std::uint64_t tick) const {
            return level * (cut - timeline.seconds(tick)) / (cut - start);
        }
    };
    Span span(std::uint64_t cutTick) const {
        Timeline timeline = Timeline::read(request.source);
        const double cut = timeline.seconds(cutTick);
        // An event at nine tenths of the clip, to the microsecond, is in the fade.
        const std::uint64_t first = timeline.firstTickAt(0.9 * cut - 1e-6);
        return Span{std::move(timeline), cut, 0.9 * cut, first};
    }

    TempDir src, dest;
    CutRequest request;
    CutResult result;
};

// The closing of every cut: sustain pedals released on `pedals`, then All
// Sound Off on each channel, then End of Track, all at the cut tick.
void expectClosing(const std::vector<Event>& events, std::uint64_t cutTick, const std::vector<int>& pedals) {
    const std::size_t count = pedals.size() + 17;
    ASSERT_GE(events.size(), count);
    const auto closing = events.end() - static_cast<std::ptrdiff_t>(count);
    for (auto event = closing; event != events.end(); ++event) EXPECT_EQ(event->tick, cutTick);
    for (std::size_t k = 0; k < pedals.size(); ++k) {
        EXPECT_TRUE(closing[k].isControl(0x40) && closing[k].data[1] == 0 && closing[k].channel() == pedals[k]) << k;
    }
    for (int k = 0; k < 16; ++k) {
        const Event& off = closing[static_cast<std::ptrdiff_t>(pedals.size()) + k];
        EXPECT_TRUE(off.isControl(0x78) && off.data[1] == 0 && off.channel() == k) << k;
    }
    EXPECT_EQ(events.back().status, 0xFF);
    EXPECT_EQ(events.back().data[0], kMetaEndOfTrack);
}

// The song's events before the cut come out unchanged and in place: the
// copy's, less the Channel Volume events of the fade and the closing.
void expectSongEventsKept(const std::vector<Event>& source, const std::vector<Event>& copy, std::uint64_t fadeTick,
                          std::uint64_t cutTick) {
    const auto key = [](const Event& e) { return std::tuple(e.tick, e.status, e.data[0], e.data[1]); };
    std::vector<std::tuple<std::uint64_t, std::uint8_t, std::uint8_t, std::uint8_t>> expected, actual;
    for (const Event& e : source)
        if (e.tick < cutTick) expected.push_back(key(e));
    for (const Event& e : copy)
        if (e.tick < cutTick && !(e.tick >= fadeTick && e.isControl(0x07))) actual.push_back(key(e));
    expected.push_back({cutTick, std::uint8_t{0xFF}, kMetaEndOfTrack, std::uint8_t{0}});  // the copy's own end
    actual.push_back(key(copy.back()));
    EXPECT_EQ(actual, expected);
}

// Falling with time, not with the number of events: every fade value on
// channel 0 is the time still left to the cut over the fade's length, times
// the channel's level, whether events come sparse, dense or slower.
TEST_F(Fade, ValuesFollowTheTimeLeftToTheCut) {
    struct Case {
        const char* name;
        std::uint64_t every;  // ticks between events from tick 900
        std::optional<std::uint8_t> volume;
        std::optional<std::uint32_t> slowerFrom950;  // a tempo change in the fade
        int lastAtMost;
    };
    const Case cases[] = {
        {"sparse", 25, {}, {}, 25},
        {"dense", 2, {}, {}, 2},
        {"dense, volume 80", 1, 80, {}, 1},
        {"tempo halved in the fade", 5, {}, 2000000, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<std::uint64_t, Bytes>> events = {{0, noteOn(0)}};
        if (c.volume) events.push_back({10, control(0, 0x07, *c.volume)});
        for (std::uint64_t tick = 900; tick < kCut; tick += c.every) {
            if (c.slowerFrom950 && tick == 950) events.push_back({950, cat({{0xFF, 0x51, 0x03}, {0x1E, 0x84, 0x80}})});
            events.push_back({tick, tick == 900 ? Bytes{0x80, 60, 0} : Bytes{60, 0}});  // running status
        }
        events.push_back({1100, noteOn(0)});
        const Bytes source = song(events);
        const std::vector<Event> copy = readEvents(cut(source, kCut));
        const Span fade = span(kCut);
        const int level = c.volume.value_or(100);
        int last = level;
        for (std::size_t k = 1; k < copy.size(); ++k) {
            const Event& e = copy[k];
            if (e.tick < fade.firstTick || e.tick >= kCut) continue;
            if (e.isControl(0x07)) {
                last = e.data[1];
                EXPECT_NEAR(e.data[1], fade.ideal(level, e.tick), 1.0) << "at tick " << e.tick;
            } else {  // the song's event, right after its fade event
                EXPECT_TRUE(copy[k - 1].isControl(0x07) && copy[k - 1].tick == e.tick) << "at tick " << e.tick;
            }
        }
        EXPECT_LE(last, c.lastAtMost);
        expectSongEventsKept(readEvents(source), copy, fade.firstTick, kCut);
        EXPECT_TRUE(result.insideSong);
    }
}

// A Channel Volume of the song inside the fade sets the level the fade
// goes on from, and is written turned down by the same share.
TEST_F(Fade, AVolumeInTheFadeIsTurnedDownToo) {
    const Bytes source = song({{0, noteOn(2)},
                               {950, control(2, 0x07, 80)},  // half the fade left: 40
                               {970, {0x07, 90}},            // running status: 27
                               {980, noteOn(2)},
                               {1100, noteOn(2)}});
    const std::vector<Event> copy = readEvents(cut(source, kCut));
    std::vector<std::pair<std::uint64_t, int>> volumes;
    for (const Event& e : copy)
        if (e.isControl(0x07) && e.channel() == 2 && e.tick >= 950 && e.tick < kCut)
            volumes.push_back({e.tick, e.data[1]});
    // The fade event of each event and the song's volume turned down, at
    // the same tick; steps from the last level between.
    const std::vector<std::pair<std::uint64_t, int>> expected = {{950, 40}, {950, 40}, {960, 32}, {970, 27},
                                                                 {970, 27}, {980, 18}, {990, 9}};
    EXPECT_EQ(volumes, expected);
    EXPECT_EQ(result.channelVolumes[2], 90);
}

// A channel that sounds on without events of its own steps down every
// 100 ms; one with events of its own is turned down at them only, and one
// whose volume is 0 has nothing to lose.
TEST_F(Fade, ChannelsWithoutEventsOfTheirOwnStepDown) {
    for (const std::uint64_t busy : {std::uint64_t{0}, std::uint64_t{3}}) {
        SCOPED_TRACE(busy ? "channel 0 busy in the fade" : "no events in the fade");
        std::vector<std::pair<std::uint64_t, Bytes>> events = {
            {100, noteOn(0)}, {100, noteOn(1)}, {100, control(3, 0x07, 0)}, {100, noteOn(3)}};
        for (std::uint64_t tick = 901; busy && tick < kCut; tick += busy) events.push_back({tick, noteOn(0)});
        events.push_back({5000, noteOn(1)});
        const std::vector<Event> copy = readEvents(cut(song(events), kCut));
        const Span fade = span(kCut);
        std::array<std::vector<std::uint64_t>, 16> steps;
        for (std::size_t k = 0; k + 17 < copy.size(); ++k) {
            const Event& e = copy[k];
            if (!e.isControl(0x07) || e.tick < fade.firstTick) continue;
            const bool beforeOwnEvent = copy[k + 1].tick == e.tick && copy[k + 1].status == (0x90 | e.channel());
            if (!beforeOwnEvent) steps[static_cast<std::size_t>(e.channel())].push_back(e.tick);
            EXPECT_NEAR(e.data[1], fade.ideal(100, e.tick), 1.0) << "channel " << e.channel() << " at " << e.tick;
        }
        ASSERT_EQ(steps[1].size(), 9u);
        for (std::size_t j = 0; j < 9; ++j) EXPECT_NEAR(double(steps[1][j]), 910.0 + 10.0 * double(j), 1.0);
        EXPECT_EQ(steps[0].size(), busy ? 0u : 9u);
        EXPECT_TRUE(steps[3].empty());
        expectClosing(copy, kCut, {});
    }
}

TEST_F(Fade, EveryChannelIsSilencedAtTheCutTick) {
    struct Case {
        const char* name;
        Bytes source;
        std::uint64_t cutTick;
        std::vector<int> pedals;  // released at the cut
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
        expectClosing(readEvents(cut(c.source, c.cutTick)), c.cutTick, c.pedals);
        EXPECT_TRUE(result.insideSong);
    }
}

// Everything before the fade is the source's own bytes, across buffer
// edges too, read from the file or from memory, with or without the
// timeline given.
TEST_F(Fade, BeforeTheFadeTheCopyIsTheSource) {
    testing::SongOptions options;
    options.format = 0;
    options.instrumentTracks = 4;
    options.targetBytes = 300 * 1024;
    options.seconds = 120;
    const testing::GeneratedSong generated = testing::generateSong(options);
    const std::uint64_t cutTick = generated.endTick / 10 * 7;
    const Bytes out = cut(generated.bytes, cutTick);
    const Span fade = span(cutTick);
    const std::vector<Event> source = readEvents(generated.bytes);
    const auto firstFaded =
        std::find_if(source.begin(), source.end(), [&](const Event& e) { return e.tick >= fade.firstTick; });
    ASSERT_NE(firstFaded, source.end());
    const std::size_t prefix = firstFaded->offset;
    ASSERT_GT(prefix, std::size_t{128 * 1024});
    ASSERT_GT(out.size(), prefix);
    EXPECT_TRUE(
        std::equal(out.begin() + 22, out.begin() + static_cast<std::ptrdiff_t>(prefix), generated.bytes.begin() + 22));
    expectClosing(readEvents(out), cutTick, {});

    const SongSource inMemory(request.source);
    request.song = &inMemory;
    EXPECT_EQ(readBytes(cutFormatZero(request).path), out);
    request.timeline = &fade.timeline;
    EXPECT_EQ(readBytes(cutFormatZero(request).path), out);
}

// A cut at or past the song's end copies it byte for byte: no fade, no
// closing events, and the same track length.
TEST_F(Fade, ASongNotLongerThanTheClipIsCopiedAsItIs) {
    testing::SongOptions options;
    options.format = 0;
    options.seconds = 30;
    const testing::GeneratedSong generated = testing::generateSong(options);
    for (const std::uint64_t cutTick : {kWholeSong, std::uint64_t{generated.endTick}}) {
        EXPECT_EQ(cut(generated.bytes, cutTick), generated.bytes);
        EXPECT_FALSE(result.insideSong);
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
    EXPECT_NE(message.find("delta-time too large"), std::string::npos) << message;
    EXPECT_TRUE(dest.names().empty());
}

}  // namespace
}  // namespace quorvane::test
