#include "song_generator.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string_view>

namespace quorvane::testing {

namespace {

// std::mt19937's sequence is fixed by the standard; the library distributions
// are not, so ranges are reduced by hand. The small modulo bias is irrelevant.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : engine_(seed) {}

    std::uint32_t next() { return static_cast<std::uint32_t>(engine_() & 0xFFFFFFFFu); }

    // Integer in [lo, hi].
    int range(int lo, int hi) {
        if (hi <= lo) {
            return lo;
        }
        return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1));
    }

    bool percent(int p) { return static_cast<int>(next() % 100u) < p; }

    template <typename T, std::size_t kN>
    const T& pick(const std::array<T, kN>& items) {
        return items[next() % kN];
    }

private:
    std::mt19937 engine_;
};

enum class Kind : std::uint8_t { Meta, Sysex, Channel };

// Events at the same tick are written in this order.
enum Order : std::uint8_t {
    Meta = 0,
    Sysex = 1,
    NoteOff = 2,
    Program = 3,
    Control = 4,
    Bend = 5,
    NoteOn = 6,
};

struct Event {
    std::uint32_t tick;
    Order order;
    Kind kind;
    std::uint8_t status;  // channel status, or meta type
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    std::uint32_t blob = 0;  // payload index for meta and SysEx events
};

enum class Role { Lead, Bass, Chords, Drums, Arpeggio };

struct RoleStyle {
    std::string_view name;
    std::uint32_t eventsPerBarMilli;  // note starts per bar at natural density, x1000
    int lowKey, highKey;
    int minSixteenths, maxSixteenths;
    int minVelocity, maxVelocity;
    int chordSize;
    std::array<int, 4> programs;
};

const RoleStyle& styleOf(Role role) {
    static const RoleStyle kLead{"Lead", 6000, 60, 84, 1, 4, 70, 110, 1, {0, 56, 73, 80}};
    static const RoleStyle kBass{"Bass", 4000, 28, 48, 2, 4, 80, 115, 1, {32, 33, 34, 38}};
    static const RoleStyle kChords{"Chords", 2000, 48, 76, 4, 16, 55, 90, 3, {48, 49, 88, 4}};
    static const RoleStyle kDrums{"Drums", 10000, 35, 51, 1, 1, 60, 120, 1, {0, 0, 0, 0}};
    static const RoleStyle kArpeggio{"Arpeggio", 8000, 48, 79, 1, 2, 50, 95, 1, {5, 11, 46, 8}};
    switch (role) {
        case Role::Lead: return kLead;
        case Role::Bass: return kBass;
        case Role::Chords: return kChords;
        case Role::Drums: return kDrums;
        case Role::Arpeggio: return kArpeggio;
    }
    return kLead;
}

Role roleOfPart(int part) {
    static constexpr std::array<Role, 5> kFirst{Role::Lead, Role::Bass, Role::Chords, Role::Drums, Role::Arpeggio};
    static constexpr std::array<Role, 4> kMore{Role::Lead, Role::Chords, Role::Arpeggio, Role::Bass};
    if (part < static_cast<int>(kFirst.size())) {
        return kFirst[static_cast<std::size_t>(part)];
    }
    return kMore[static_cast<std::size_t>(part - static_cast<int>(kFirst.size())) % kMore.size()];
}

// Channels for melodic parts; channel 10 (index 9) is kept for the drum part.
int channelOfPart(int part, Role role) {
    if (role == Role::Drums) {
        return 9;
    }
    int melodic = 0;
    for (int p = 0; p < part; ++p) {
        if (roleOfPart(p) != Role::Drums) {
            ++melodic;
        }
    }
    const int channel = melodic % 15;
    return channel >= 9 ? channel + 1 : channel;
}

constexpr std::array<int, 7> kMajor{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor{0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> kDrumKeys{36, 38, 42, 42, 46, 49, 51};

constexpr std::array<std::string_view, 24> kWords{"silver", "river",  "morning", "echo",   "lantern", "harbor",
                                                  "quiet",  "meadow", "signal",  "velvet", "orbit",   "ember",
                                                  "canyon", "drift",  "north",   "paper",  "window",  "thunder",
                                                  "amber",  "cedar",  "hollow",  "tide",   "glass",   "spiral"};

constexpr std::array<std::string_view, 6> kSections{"Intro", "Verse", "Chorus", "Verse", "Bridge", "Chorus"};

// Key signature (sharps positive, flats negative) of a major key by pitch class.
constexpr std::array<int, 12> kMajorKeySignature{0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};

std::string wordsOfLength(Rng& rng, std::size_t length) {
    std::string text;
    while (text.size() < length) {
        if (!text.empty()) {
            text += ' ';
        }
        text += rng.pick(kWords);
    }
    text.resize(length);
    return text;
}

struct Timeline {
    int numerator = 4;
    int denominatorPower = 2;
    std::uint32_t beatTicks = 0;
    std::uint32_t barTicks = 0;
    std::uint32_t endTick = 0;
    std::uint64_t lengthMicros = 0;
    std::vector<TempoChange> tempos;
};

// Lays out bars until the requested playing time is reached, placing tempo
// changes on beats at evenly spaced moments of the song.
Timeline makeTimeline(const SongOptions& options, Rng& rng) {
    Timeline tl;
    if (options.timeSignature) {
        const int pickMeter = rng.range(0, 99);
        if (pickMeter >= 85) {
            tl.numerator = 6;  // 6/8
            tl.denominatorPower = 3;
        } else if (pickMeter >= 60) {
            tl.numerator = 3;  // 3/4
        }
    }
    const std::uint32_t division = options.division;
    tl.beatTicks = std::max<std::uint32_t>(1, (division * 4u) >> tl.denominatorPower);
    tl.barTicks = tl.beatTicks * static_cast<std::uint32_t>(tl.numerator);

    const int baseBpm = rng.range(84, 150);
    const std::uint32_t baseTempo = static_cast<std::uint32_t>(60'000'000 / baseBpm);
    std::uint32_t tempo = baseTempo;
    tl.tempos.push_back({0, tempo});

    const double seconds = std::max(options.seconds, 0.001);
    const auto target = static_cast<std::uint64_t>(std::llround(seconds * 1'000'000.0));
    const auto changes = static_cast<std::uint64_t>(std::max(options.tempoChanges, 0));

    std::uint64_t tick = 0;
    std::uint64_t tickMicrosSum = 0;  // sum of ticks * microsPerQuarter; divide by division for time
    std::uint64_t nextChange = 0;
    for (;;) {
        const std::uint64_t now = tickMicrosSum / division;
        if (tick > 0 && tick % tl.barTicks == 0 && now >= target) {
            break;
        }
        if (tick > 0 && nextChange < changes && now >= target * (nextChange + 1) / (changes + 1)) {
            // A clearly audible step of 8 to 20 %, turned back towards the
            // initial tempo once it has drifted a quarter away.
            const bool slower = rng.percent(50);
            const auto percent = static_cast<std::uint64_t>(rng.range(8, 20));
            std::uint64_t changed = tempo * (slower ? 100 + percent : 100 - percent) / 100;
            if (changed > std::uint64_t{baseTempo} * 5 / 4 || changed < std::uint64_t{baseTempo} * 3 / 4) {
                changed = tempo * (slower ? 100 - percent : 100 + percent) / 100;
            }
            tempo = std::clamp<std::uint32_t>(static_cast<std::uint32_t>(changed), 250'000, 1'500'000);
            tl.tempos.push_back({static_cast<std::uint32_t>(tick), tempo});
            ++nextChange;
        }
        tickMicrosSum += static_cast<std::uint64_t>(tl.beatTicks) * tempo;
        tick += tl.beatTicks;
        if (tick > kMaxVlq) {
            throw std::invalid_argument("song too long for the chosen division");
        }
    }
    tl.endTick = static_cast<std::uint32_t>(tick);
    tl.lengthMicros = tickMicrosSum / division;
    return tl;
}

class SongWriter {
public:
    SongWriter(const SongOptions& options, std::uint32_t densityPermille)
        : options_(options), density_(densityPermille), rng_(options.seed) {}

    GeneratedSong build();

private:
    std::size_t trackOfPart(int part) const { return options_.format == 0 ? 0 : static_cast<std::size_t>(part) + 1; }
    std::uint32_t addBlob(Bytes bytes) {
        blobs_.push_back(std::move(bytes));
        return static_cast<std::uint32_t>(blobs_.size() - 1);
    }
    void meta(std::size_t track, std::uint32_t tick, std::uint8_t type, Bytes data) {
        tracks_[track].push_back({tick, Meta, Kind::Meta, type, 0, 0, addBlob(std::move(data))});
    }
    void metaText(std::size_t track, std::uint32_t tick, std::uint8_t type, std::string_view text) {
        meta(track, tick, type, Bytes(text.begin(), text.end()));
    }
    void sysex(std::size_t track, std::uint32_t tick, Bytes data) {
        tracks_[track].push_back({tick, Sysex, Kind::Sysex, 0xF0, 0, 0, addBlob(std::move(data))});
    }
    void channel(std::size_t track, std::uint32_t tick, Order order, int status, int d1, int d2 = 0) {
        tracks_[track].push_back({tick, order, Kind::Channel, static_cast<std::uint8_t>(status),
                                  static_cast<std::uint8_t>(d1 & 0x7F), static_cast<std::uint8_t>(d2 & 0x7F), 0});
    }
    std::uint32_t randomBarStart() {
        const int bars = static_cast<int>(timeline_.endTick / timeline_.barTicks);
        return static_cast<std::uint32_t>(rng_.range(0, bars - 1)) * timeline_.barTicks;
    }
    Bytes longSysexPayload() {
        Bytes data;
        data.push_back(0x7D);  // non-commercial manufacturer id
        const int length = rng_.range(128, 400);
        for (int i = 0; i < length; ++i) {
            data.push_back(static_cast<std::uint8_t>(rng_.range(0, 127)));
        }
        return data;
    }

    void writeConductor();
    void writePart(int part);
    Bytes encode() const;

    const SongOptions& options_;
    std::uint32_t density_;
    Rng rng_;
    Timeline timeline_;
    std::vector<std::vector<Event>> tracks_;
    std::vector<Bytes> blobs_;
    int root_ = 0;
    bool minor_ = false;
    std::size_t notes_ = 0;
    // Per channel and key: tick the last note ends, so notes never overlap.
    std::array<std::array<std::uint32_t, 128>, 16> busyUntil_{};
    std::size_t volumeEvents_ = 0;
};

GeneratedSong SongWriter::build() {
    if (options_.format != 0 && options_.format != 1) {
        throw std::invalid_argument("song format must be 0 or 1");
    }
    if (options_.instrumentTracks < 1) {
        throw std::invalid_argument("a song needs at least one instrument track");
    }
    if (options_.division == 0 || options_.division > 0x7FFF) {
        throw std::invalid_argument("division must be 1..32767 ticks per quarter note");
    }
    timeline_ = makeTimeline(options_, rng_);
    root_ = rng_.range(0, 11);
    minor_ = rng_.percent(40);
    tracks_.assign(options_.format == 0 ? 1 : static_cast<std::size_t>(options_.instrumentTracks) + 1, {});

    writeConductor();
    for (int part = 0; part < options_.instrumentTracks; ++part) {
        writePart(part);
    }

    GeneratedSong song;
    song.bytes = encode();
    song.format = options_.format;
    song.trackCount = static_cast<int>(tracks_.size());
    song.division = options_.division;
    song.endTick = timeline_.endTick;
    song.lengthMicros = timeline_.lengthMicros;
    song.tempoMap = timeline_.tempos;
    song.noteCount = notes_;
    song.channelVolumeEvents = volumeEvents_;
    song.densityPermille = density_;
    return song;
}

// Tempo map and song-wide meta events: track 0 in format 1, the front of the
// only track in format 0.
void SongWriter::writeConductor() {
    metaText(0, 0, 0x03, options_.title);
    metaText(0, 0, 0x02, "Generated by Quorvane");
    if (options_.timeSignature) {
        meta(0, 0, 0x58,
             {static_cast<std::uint8_t>(timeline_.numerator), static_cast<std::uint8_t>(timeline_.denominatorPower), 24,
              8});
    }
    const int majorRoot = minor_ ? (root_ + 3) % 12 : root_;
    const int sharpsOrFlats = kMajorKeySignature[static_cast<std::size_t>(majorRoot)];
    meta(0, 0, 0x59, {static_cast<std::uint8_t>(sharpsOrFlats & 0xFF), static_cast<std::uint8_t>(minor_ ? 1 : 0)});

    for (const TempoChange& change : timeline_.tempos) {
        meta(0, change.tick, 0x51,
             {static_cast<std::uint8_t>(change.microsPerQuarter >> 16),
              static_cast<std::uint8_t>((change.microsPerQuarter >> 8) & 0xFF),
              static_cast<std::uint8_t>(change.microsPerQuarter & 0xFF)});
    }
    for (int i = 0; i < std::max(options_.longText, 0); ++i) {
        const std::uint32_t tick = i == 0 ? 0 : randomBarStart();
        metaText(0, tick, 0x01, wordsOfLength(rng_, static_cast<std::size_t>(rng_.range(128, 320))));
    }
    const std::uint32_t sectionTicks = timeline_.barTicks * 8;
    for (std::uint32_t tick = 0, n = 0; tick < timeline_.endTick; tick += sectionTicks, ++n) {
        metaText(0, tick, 0x06, kSections[n % kSections.size()]);
    }
}

void SongWriter::writePart(int part) {
    const Role role = roleOfPart(part);
    const RoleStyle& style = styleOf(role);
    const int ch = channelOfPart(part, role);
    const std::size_t track = trackOfPart(part);
    const std::uint32_t end = timeline_.endTick;
    const std::uint32_t bar = timeline_.barTicks;
    const std::uint32_t beat = timeline_.beatTicks;
    const std::uint32_t sixteenth = std::max<std::uint32_t>(1, options_.division / 4u);

    // Names and set-up at tick 0.
    const std::string name = part < 5 ? std::string(style.name) : std::string(style.name) + " " + std::to_string(part);
    if (options_.format == 1) {
        metaText(track, 0, 0x03, name);
    } else {
        meta(track, 0, 0x20, {static_cast<std::uint8_t>(ch)});
    }
    metaText(track, 0, 0x04, name);
    if (part == 0) {
        metaText(track, 0, 0x09, "Quorvane GM Synth");
        sysex(track, 0, {0x7E, 0x7F, 0x09, 0x01});  // General MIDI on
        for (int i = 0; i < std::max(options_.longSysex, 0); ++i) {
            sysex(track, i == 0 ? 0 : randomBarStart(), longSysexPayload());
        }
    }
    if (options_.programChanges && role != Role::Drums) {
        channel(track, 0, Program, 0xC0 | ch, rng_.pick(style.programs) + rng_.range(0, 3));
    }
    int volume = rng_.range(80, 110);
    if (options_.channelVolume) {
        channel(track, 0, Control, 0xB0 | ch, 7, volume);
        ++volumeEvents_;
    }
    channel(track, 0, Control, 0xB0 | ch, 10, rng_.range(24, 104));

    // Pitches this part may play. Very dense songs (stress files) widen the
    // range chromatically so that notes still find free keys.
    std::vector<int> keys;
    const bool crowded = density_ > 4000;
    if (role == Role::Drums) {
        if (crowded) {
            for (int key = 35; key <= 81; ++key) {
                keys.push_back(key);
            }
        } else {
            keys.assign(kDrumKeys.begin(), kDrumKeys.end());
        }
    } else {
        const auto& scale = minor_ ? kMinor : kMajor;
        const int low = crowded ? std::max(0, style.lowKey - 12) : style.lowKey;
        const int high = crowded ? std::min(127, style.highKey + 12) : style.highKey;
        for (int key = low; key <= high; ++key) {
            const int degree = (key - root_ + 120) % 12;
            if (crowded || std::find(scale.begin(), scale.end(), degree) != scale.end()) {
                keys.push_back(key);
            }
        }
    }
    const int noteOffStatus = rng_.percent(50) ? 0x80 : 0x90;  // 0x90 means Note On with velocity 0
    std::array<std::uint32_t, 128>& busyUntil = busyUntil_[static_cast<std::size_t>(ch)];

    const std::uint64_t eventsMilli =
        std::max<std::uint64_t>(1, std::uint64_t{style.eventsPerBarMilli} * density_ / 1000);
    // Keep polyphony bounded at high densities so notes still find free keys.
    const std::uint64_t maxDuration = std::max<std::uint64_t>(1, std::uint64_t{bar} * 1000 / eventsMilli * 8);

    std::vector<std::uint32_t> starts;
    for (std::uint32_t barStart = 0; barStart < end; barStart += bar) {
        std::uint64_t count = eventsMilli / 1000 + (rng_.next() % 1000 < eventsMilli % 1000 ? 1 : 0);
        if (role == Role::Lead && rng_.percent(8)) {
            count = 0;  // a bar of rest
        }
        std::uint32_t grid = sixteenth;
        if (count > bar / grid) {
            grid = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(bar / count));
        }
        const int slots = static_cast<int>(bar / grid);
        starts.clear();
        for (std::uint64_t i = 0; i < count; ++i) {
            starts.push_back(barStart + grid * static_cast<std::uint32_t>(rng_.range(0, slots - 1)));
        }
        std::sort(starts.begin(), starts.end());

        for (std::uint32_t start : starts) {
            std::uint64_t duration =
                sixteenth * static_cast<std::uint64_t>(rng_.range(style.minSixteenths, style.maxSixteenths));
            duration = std::clamp<std::uint64_t>(std::min(duration, maxDuration), 1, end - start);
            const auto stop = static_cast<std::uint32_t>(start + duration);
            int velocity = rng_.range(style.minVelocity, style.maxVelocity);
            if ((start - barStart) % beat == 0) {
                velocity = std::min(127, velocity + 10);
            }
            const auto keyAt = [&keys](int index) { return keys[static_cast<std::size_t>(index)]; };
            const auto isFree = [&](int key) { return busyUntil[static_cast<std::size_t>(key)] <= start; };
            const int lastIndex = static_cast<int>(keys.size()) - 1;
            const int first = rng_.range(0, lastIndex);
            for (int n = 0; n < style.chordSize; ++n) {
                int key = -1;
                if (style.chordSize > 1) {
                    const int index = first + 2 * n;  // stacked thirds within the scale
                    if (index <= lastIndex && isFree(keyAt(index))) {
                        key = keyAt(index);
                    }
                } else {
                    // A busy key gets a few other tries before the note is dropped.
                    int candidate = keyAt(first);
                    for (int attempt = 0; attempt < 6 && key < 0; ++attempt) {
                        if (isFree(candidate)) {
                            key = candidate;
                        } else {
                            candidate = keyAt(rng_.range(0, lastIndex));
                        }
                    }
                }
                if (key < 0) {
                    continue;
                }
                busyUntil[static_cast<std::size_t>(key)] = stop;
                channel(track, start, NoteOn, 0x90 | ch, key, velocity);
                channel(track, stop, NoteOff, noteOffStatus | ch, key, noteOffStatus == 0x80 ? 64 : 0);
                ++notes_;
            }
        }

        // Expression: volume swells (at least one, mid-song), pitch bends,
        // sustain pedal.
        const bool middleBar = barStart == (end / bar / 2) * bar;
        if (options_.channelVolume && barStart > 0 && (rng_.percent(12) || middleBar)) {
            const int target = rng_.range(60, 120);
            const int steps = rng_.range(3, 6);
            for (int s = 1; s <= steps; ++s) {
                const std::uint32_t tick =
                    barStart + beat * static_cast<std::uint32_t>(s) / static_cast<std::uint32_t>(steps);
                channel(track, tick, Control, 0xB0 | ch, 7, volume + (target - volume) * s / steps);
                ++volumeEvents_;
            }
            volume = target;
        }
        if (role == Role::Lead && rng_.percent(15)) {
            const int peak = 8192 + rng_.range(512, 3000);
            for (int s = 1; s <= 4; ++s) {
                const int value = 8192 + (peak - 8192) * s / 4;
                channel(track, barStart + beat + beat * static_cast<std::uint32_t>(s) / 4, Bend, 0xE0 | ch,
                        value & 0x7F, value >> 7);
            }
            channel(track, barStart + 2 * beat + beat / 2, Bend, 0xE0 | ch, 0, 64);
        }
        if (role == Role::Chords && rng_.percent(25)) {
            channel(track, barStart, Control, 0xB0 | ch, 64, 127);
            channel(track, std::min(barStart + bar, end), Control, 0xB0 | ch, 64, 0);
        }
    }
}

Bytes SongWriter::encode() const {
    SmfBuilder file;
    file.format(static_cast<std::uint16_t>(options_.format)).division(options_.division);
    for (const std::vector<Event>& source : tracks_) {
        std::vector<Event> events = source;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        TrackBuilder t;
        t.useRunningStatus(options_.runningStatus);
        std::uint32_t last = 0;
        for (const Event& e : events) {
            const Delta d = e.tick - last;
            last = e.tick;
            switch (e.kind) {
                case Kind::Meta: t.meta(d, e.status, blobs_[e.blob]); break;
                case Kind::Sysex: t.sysex(d, blobs_[e.blob]); break;
                case Kind::Channel: {
                    const int ch = e.status & 0x0F;
                    switch (e.status & 0xF0) {
                        case 0x80: t.noteOff(d, ch, e.data1, e.data2); break;
                        case 0x90: t.noteOn(d, ch, e.data1, e.data2); break;
                        case 0xA0: t.polyPressure(d, ch, e.data1, e.data2); break;
                        case 0xB0: t.controlChange(d, ch, e.data1, e.data2); break;
                        case 0xC0: t.programChange(d, ch, e.data1); break;
                        case 0xD0: t.channelPressure(d, ch, e.data1); break;
                        default: t.pitchBend(d, ch, e.data1 | (e.data2 << 7)); break;
                    }
                    break;
                }
            }
        }
        t.endOfTrack(timeline_.endTick - last);
        file.track(t);
    }
    return file.bytes();
}

}  // namespace

GeneratedSong generateSong(const SongOptions& options) {
    if (options.targetBytes == 0) {
        return SongWriter(options, 1000).build();
    }
    // Size grows roughly linearly with density: secant steps from the natural
    // density, keeping the closest result.
    const auto target = static_cast<std::int64_t>(options.targetBytes);
    std::int64_t d1 = 1000;
    GeneratedSong best = SongWriter(options, 1000).build();
    std::int64_t s1 = static_cast<std::int64_t>(best.bytes.size());
    std::int64_t d2 = std::clamp<std::int64_t>(d1 * target / std::max<std::int64_t>(s1, 1), 1, 8 * d1);
    for (int pass = 0; pass < 8; ++pass) {
        if (std::llabs(static_cast<std::int64_t>(best.bytes.size()) - target) * 100 <= target) {
            break;
        }
        GeneratedSong song = SongWriter(options, static_cast<std::uint32_t>(d2)).build();
        const auto s2 = static_cast<std::int64_t>(song.bytes.size());
        if (std::llabs(s2 - target) < std::llabs(static_cast<std::int64_t>(best.bytes.size()) - target)) {
            best = std::move(song);
        }
        if (d2 > d1 && s2 <= s1) {
            break;  // saturated: more density no longer adds notes
        }
        std::int64_t d3 = (s2 != s1 && (s2 - s1) * (d2 - d1) > 0) ? d2 + (target - s2) * (d2 - d1) / (s2 - s1)
                                                                  : d2 * target / std::max<std::int64_t>(s2, 1);
        d3 = std::clamp<std::int64_t>(d3, std::max<std::int64_t>(1, d2 / 8), d2 * 8);
        d3 = std::min<std::int64_t>(d3, 5'000'000);
        if (d3 == d2) {
            break;
        }
        d1 = d2;
        s1 = s2;
        d2 = d3;
    }
    return best;
}

}  // namespace quorvane::testing
