// Writes files with known contents for check_probe.py, which reads them back
// with an independent reader (mido) and compares against literal expectations.
//
//   quorvane-support-probe OUTDIR

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "midi_builder.hpp"
#include "song_generator.hpp"

namespace fs = std::filesystem;
using namespace quorvane::testing;

namespace {

// Every event kind the builder can write, with delta-times at each VLQ length
// boundary, in a file that a strict reader accepts.
Bytes eventsProbe() {
    Bytes sysexData;
    for (int i = 0; i < 200; ++i) {
        sysexData.push_back(static_cast<std::uint8_t>(i % 128));
    }
    return SmfBuilder()
        .format(1)
        .division(96)
        .headerExtra({0xAB, 0xCD})
        .track([](TrackBuilder& t) {
            t.trackName(0, "Probe")
                .tempo(0, 500000)
                .timeSignature(0, 3, 2)
                .text(Delta::raw({0x80, 0x00}), std::string(300, 'x'))
                .tempo(Delta::raw({0x81, 0x80, 0x80, 0x00}), 1000000)
                .endOfTrack(0);
        })
        .track([&](TrackBuilder& t) {
            t.useRunningStatus()
                .noteOn(0, 0, 60, 100)
                .noteOn(127, 0, 64, 101)
                .noteOn(128, 0, 67, 102)
                .noteOff(16383, 0, 60)
                .noteOff(16384, 0, 64)
                .controlChange(2097151, 1, 10, 99)
                .channelVolume(2097152, 1, 98)
                .programChange(kMaxVlq, 2, 5)
                .pitchBend(0, 2, 8192)
                .pitchBend(0, 2, 16383)
                .sysex(0, sysexData)
                .sysexEscape(0, {0x01, 0x02, 0xF7})
                .channelMessage(0, 0x91, {62, 90})
                .running(5, {62, 0})
                .deviceName(0, "Probe Device")
                .noteOn(0, 1, 63, 80)
                .rawEvent(0, {0xF2, 0x10, 0x20})
                .noteOff(0, 0, 67, 0)
                .endOfTrack(0);
        })
        .bytes();
}

// Structure that only a lenient reader copes with: a header that lies about
// the track count, alien chunks, bytes after End of Track, a lying length.
Bytes oddProbe() {
    TrackBuilder lying;
    lying.declaredLength(1000).noteOn(0, 0, 60, 100);
    return SmfBuilder()
        .format(0)
        .division(480)
        .trackCount(3)
        .chunk("XFIH", {1, 2, 3})
        .track([](TrackBuilder& t) { t.noteOn(0, 0, 60, 100).noteOff(96, 0, 60).endOfTrack(0).raw({0xDE, 0xAD}); })
        .chunk("JUNK", {9, 9, 9, 9}, 2)
        .track(lying)
        .raw({0x00, 0x01})
        .bytes();
}

Bytes smpteProbe() {
    return SmfBuilder()
        .format(0)
        .smpteDivision(25, 40)
        .headerTag("MThd")
        .headerLength(5)
        .track([](TrackBuilder& t) { t.chunkTag("MTrX").endOfTrack(); })
        .bytes();
}

struct SongCase {
    const char* name;
    SongOptions options;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quorvane-support-probe OUTDIR\n";
        return 2;
    }
    try {
        const fs::path out(argv[1]);
        fs::create_directories(out);
        writeFile(out / "probe_events.mid", eventsProbe());
        writeFile(out / "probe_odd.mid", oddProbe());
        writeFile(out / "probe_smpte.mid", smpteProbe());

        // Generated songs across the option space; expectations go to a
        // side file so the checker can compare what the generator claims.
        const std::vector<SongCase> cases{
            {"song_f0_one_part.mid",
             {.seed = 11, .format = 0, .instrumentTracks = 1, .division = 480, .seconds = 31, .tempoChanges = 0}},
            {"song_f1_nine_parts.mid",
             {.seed = 12, .format = 1, .instrumentTracks = 9, .division = 96, .seconds = 40, .tempoChanges = 7,
              .runningStatus = false, .timeSignature = false, .longSysex = 3, .longText = 2}},
            {"song_f0_28k.mid",
             {.seed = 13, .format = 0, .instrumentTracks = 5, .division = 960, .seconds = 90, .targetBytes = 28'000}},
            {"song_f1_300k.mid",
             {.seed = 14, .format = 1, .instrumentTracks = 4, .division = 192, .seconds = 120,
              .targetBytes = 300'000, .programChanges = false}},
        };

        std::ofstream expected(out / "songs.txt");
        expected << "# file format tracks division end_tick length_micros tempo_events notes target_bytes"
                    " running_status time_signature program_changes long_sysex long_text\n";
        for (const SongCase& c : cases) {
            const GeneratedSong song = generateSong(c.options);
            if (generateSong(c.options).bytes != song.bytes) {
                std::cerr << c.name << ": two runs with the same options differ\n";
                return 1;
            }
            writeFile(out / c.name, song.bytes);
            expected << c.name << ' ' << song.format << ' ' << song.trackCount << ' ' << song.division << ' '
                     << song.endTick << ' ' << song.lengthMicros << ' ' << song.tempoMap.size() << ' '
                     << song.noteCount << ' ' << c.options.targetBytes << ' ' << c.options.runningStatus << ' '
                     << c.options.timeSignature << ' ' << c.options.programChanges << ' ' << c.options.longSysex << ' '
                     << c.options.longText << '\n';
        }
        if (!expected) {
            std::cerr << "cannot write songs.txt\n";
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
