// Writes the seed corpus of the fuzz target into the folder given: the
// well-formed songs of the robustness tests, plus a few short files that
// start the fuzzer on the edges of the format.
#include <cstdio>
#include <filesystem>
#include <string>

#include "midi_builder.hpp"
#include "oracle.hpp"

namespace fs = std::filesystem;
using quorvane::testing::SmfBuilder;
using quorvane::testing::TrackBuilder;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    int count = 0;
    const auto write = [&](const quorvane::testing::Bytes& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%02d.mid", count++);
        quorvane::testing::writeFile(folder / name, bytes);
    };
    for (const auto& song : quorvane::robustness::baseSongs()) write(song.bytes);

    // The shortest file there is: one empty track.
    write(SmfBuilder().format(0).division(96).track(TrackBuilder().endOfTrack()).bytes());
    // Format 2, which only the Format 1 cutter takes.
    write(SmfBuilder()
              .format(2)
              .division(96)
              .track(TrackBuilder().tempo(0, 300000).noteOn(0, 0, 60, 90).noteOff(96, 0, 60).endOfTrack())
              .track(TrackBuilder().noteOn(0, 1, 62, 90).noteOff(48, 1, 62).endOfTrack())
              .bytes());
    // A four-byte delta-time and a four-byte meta length.
    write(SmfBuilder()
              .format(0)
              .division(480)
              .track(TrackBuilder()
                         .tempo(0, 500000)
                         .noteOn(0x0FFFFFF0, 0, 60, 90)
                         .rawEvent(0, {0xFF, 0x01, 0x80, 0x80, 0x80, 0x01, 'x'})
                         .endOfTrack())
              .bytes());
    std::printf("%d seeds in %s\n", count, folder.string().c_str());
    return 0;
}
