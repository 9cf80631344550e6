// quorvane-make-samples: writes the bundled sample songs, or a batch of
// generated songs for benchmarks and manual testing.
//
//   quorvane-make-samples OUTDIR
//   quorvane-make-samples OUTDIR --songs N [--size BYTES] [--seed S] [--seconds SEC]
//
// Output is deterministic: the same arguments give the same bytes everywhere.

#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "song_generator.hpp"

namespace fs = std::filesystem;
using quorvane::testing::GeneratedSong;
using quorvane::testing::generateSong;
using quorvane::testing::SongOptions;

namespace {

struct Sample {
    const char* fileName;
    SongOptions options;
};

std::vector<Sample> bundledSamples() {
    std::vector<Sample> samples;

    // Short single-track song: one tempo change and Channel Volume swells.
    SongOptions f0;
    f0.seed = 101;
    f0.format = 0;
    f0.instrumentTracks = 3;
    f0.division = 480;
    f0.seconds = 28;
    f0.tempoChanges = 1;
    f0.longSysex = 0;
    f0.longText = 0;
    f0.title = "Format 0 Sample";
    samples.push_back({"format0_tempo_volume.mid", f0});

    // Tempo track plus lead, bass, chords and drums, one long SysEx and text.
    SongOptions f1;
    f1.seed = 202;
    f1.format = 1;
    f1.instrumentTracks = 4;
    f1.division = 480;
    f1.seconds = 45;
    f1.tempoChanges = 2;
    f1.longSysex = 1;
    f1.longText = 1;
    f1.title = "Format 1 Band";
    samples.push_back({"format1_band.mid", f1});

    // Coarse division and every status byte written out (no running status).
    SongOptions plain;
    plain.seed = 303;
    plain.format = 1;
    plain.instrumentTracks = 2;
    plain.division = 96;
    plain.seconds = 20;
    plain.tempoChanges = 1;
    plain.runningStatus = false;
    plain.longSysex = 0;
    plain.longText = 0;
    plain.title = "Division 96 Plain";
    samples.push_back({"format1_div96_plain.mid", plain});

    return samples;
}

std::string batchFileName(int index) {
    // Mixed-case names and extensions on purpose: the tool that reads them
    // must not depend on the case of ".mid".
    static constexpr std::array<std::string_view, 3> kStems{"Song_", "SONG_", "song_"};
    static constexpr std::array<std::string_view, 3> kExtensions{".mid", ".MID", ".Mid"};
    const std::size_t style = static_cast<std::size_t>(index - 1) % kStems.size();
    std::string number = std::to_string(index);
    if (number.size() < 3) {
        number.insert(0, 3 - number.size(), '0');
    }
    return std::string(kStems[style]) + number + std::string(kExtensions[style]);
}

SongOptions batchOptions(int index, std::uint32_t seed, std::size_t size, double seconds) {
    static constexpr std::array<std::uint16_t, 4> kDivisions{480, 96, 960, 192};
    SongOptions o;
    o.seed = seed + static_cast<std::uint32_t>(index) * 7919u;
    o.format = index % 2 == 1 ? 1 : 0;
    o.instrumentTracks = 2 + static_cast<int>(o.seed % 6);
    o.division = kDivisions[static_cast<std::size_t>(index) % kDivisions.size()];
    // 30 s to 3 min, longer for big files so the note density stays plausible
    // (about 20 KB per second at most).
    o.seconds = seconds > 0 ? seconds : 30.0 + static_cast<double>((o.seed * 37u) % 151u);
    if (seconds <= 0) {
        o.seconds = std::max(o.seconds, static_cast<double>(size / 20'000));
    }
    o.targetBytes = size;
    o.tempoChanges = index % 5;
    o.runningStatus = index % 3 != 0;
    o.timeSignature = index % 4 != 3;
    o.longSysex = 1 + index % 2;
    o.longText = 1;
    o.title = "Generated Song " + std::to_string(index);
    return o;
}

void writeSong(const fs::path& path, const SongOptions& options) {
    const GeneratedSong song = generateSong(options);
    quorvane::testing::writeFile(path, song.bytes);
    std::cout << path.filename().string() << ": " << song.bytes.size() << " bytes, format " << song.format << ", "
              << song.trackCount << " track(s), division " << song.division << ", "
              << static_cast<double>(song.lengthMicros) / 1e6 << " s, " << song.noteCount << " notes\n";
}

int usage(const char* message) {
    if (message != nullptr) {
        std::cerr << "quorvane-make-samples: " << message << "\n";
    }
    std::cerr << "usage: quorvane-make-samples OUTDIR\n"
                 "       quorvane-make-samples OUTDIR --songs N [--size BYTES] [--seed S] [--seconds SEC]\n"
                 "Without options, writes the bundled sample songs into OUTDIR.\n"
                 "With options, writes N generated songs (formats 0 and 1 alternating).\n";
    return 2;
}

bool parseNumber(std::string_view text, unsigned long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos || text.size() > 18) {
        return false;
    }
    value = std::stoull(std::string(text));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        return usage(nullptr);
    }

    fs::path outDir;
    bool batch = false;
    unsigned long long songs = 10;
    unsigned long long size = 0;
    unsigned long long seed = 1;
    unsigned long long seconds = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            usage(nullptr);
            return 0;
        }
        if (arg.starts_with("--")) {
            if (i + 1 >= args.size()) {
                return usage("missing value after option");
            }
            unsigned long long value = 0;
            if (!parseNumber(args[i + 1], value)) {
                return usage("option values must be non-negative integers");
            }
            ++i;
            batch = true;
            if (arg == "--songs" && value >= 1 && value <= 9999) {
                songs = value;
            } else if (arg == "--size" && value <= 1'000'000'000ull) {
                size = value;
            } else if (arg == "--seed" && value <= 0xFFFFFFFFull) {
                seed = value;
            } else if (arg == "--seconds" && value >= 1 && value <= 36'000) {
                seconds = value;
            } else {
                return usage("unknown option or value out of range");
            }
        } else if (outDir.empty()) {
            outDir = fs::path(std::string(arg));
        } else {
            return usage("only one output folder may be given");
        }
    }
    if (outDir.empty()) {
        return usage("no output folder given");
    }

    try {
        fs::create_directories(outDir);
        if (!batch) {
            for (const Sample& sample : bundledSamples()) {
                writeSong(outDir / sample.fileName, sample.options);
            }
        } else {
            for (int index = 1; index <= static_cast<int>(songs); ++index) {
                writeSong(outDir / batchFileName(index),
                          batchOptions(index, static_cast<std::uint32_t>(seed), static_cast<std::size_t>(size),
                                       static_cast<double>(seconds)));
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "quorvane-make-samples: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
