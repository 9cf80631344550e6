// Speed and heap use of the pre-reader, the measure and the two cutters.
//
// The songs are generated once at startup into a private temporary folder
// (removed at exit): about 30 KB and 5 MB of each format, and a 50 MB Format 0
// song for the heap figures, made only when its benchmark runs. Every
// iteration reads the source file and, for the cutters, writes and renames
// the cut file: file creation is part of the time.
//
// Times are wall-clock times (file system work included). Counters:
//   bytes_per_second  source bytes per second (the whole file, see below)
//   peak_heap_KiB     most heap the call held beyond what it found, through
//                     operator new (heap_meter.cpp), highest over iterations
//
// The cut falls at the song's end, so the cutters read the whole source. The
// pre-reader stops at the first Set Tempo; its "tempo at start" figures are
// per call rather than per byte, and the "no tempo" songs show its worst
// case, a scan of every track.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/cutters.hpp"
#include "platform/files.hpp"
#include "engine/pre_reader.hpp"
#include "heap_meter.hpp"
#include "engine/timeline.hpp"
#include "midi_builder.hpp"
#include "song_generator.hpp"

namespace {

namespace fs = std::filesystem;
using quorvane::CutRequest;

std::string utf8(const fs::path& path) { return quorvane::utf8FromPath(path); }

struct Song {
    std::string label;  // e.g. "5MB"
    fs::path path;
    std::string fileName;  // the listed name
    std::size_t size = 0;
    std::uint64_t endTick = 0;  // the song's last tick
};

class Workspace {
public:
    Workspace() {
        root_ = fs::temp_directory_path() / ("quorvane-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(root_ / "out");
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path root() const { return root_; }
    std::string dest() const { return utf8(root_ / "out"); }

private:
    fs::path root_;
};

Workspace* workspace = nullptr;

// A song of about `bytes` bytes. One tempo for the whole song: the Format 0
// cutter measures the cut in milliseconds at the current tempo, and a single
// tempo is what makes "the end" the same position for both cutters.
Song makeSong(const std::string& label, int format, std::size_t bytes, bool withTempo) {
    quorvane::testing::SongOptions options;
    options.seed = static_cast<std::uint32_t>(bytes) + static_cast<std::uint32_t>(format);
    options.format = format;
    options.instrumentTracks = 4;
    options.targetBytes = bytes;
    options.seconds = std::max(20.0, static_cast<double>(bytes) / 2500.0);
    options.tempoChanges = 0;
    options.longSysex = 2;
    options.longText = 2;
    quorvane::testing::GeneratedSong song = quorvane::testing::generateSong(options);
    if (!withTempo) {
        // The only Set Tempo is the first event of the first track: make it a
        // text event of the same length.
        static constexpr std::uint8_t kSetTempo[] = {0xFF, 0x51, 0x03};
        auto at = std::search(song.bytes.begin(), song.bytes.end(), std::begin(kSetTempo), std::end(kSetTempo));
        if (at != song.bytes.end()) at[1] = 0x01;
    }
    std::string name = "F";
    name += std::to_string(format);
    name += withTempo ? "_" : "NT_";
    name += label;
    name += ".MID";
    Song result{label, workspace->root() / name, name, song.bytes.size(), song.endTick};
    quorvane::testing::writeFile(result.path, song.bytes);
    return result;
}

CutRequest requestFor(const Song& song) {
    CutRequest request;
    request.source = utf8(song.path);
    request.listedName = song.fileName;
    request.destFolder = workspace->dest();
    return request;
}

// Runs `call` (which returns the path it wrote, if any) once per iteration.
template <typename Call>
void measure(benchmark::State& bench, const Song& song, Call&& call) {
    std::size_t peak = 0;
    std::string written;
    for (auto _ : bench) {
        if (!written.empty()) {
            // Each cut makes a new file, as a first cut does. (Replacing an
            // older one costs what the file system makes it cost: ext4, for
            // one, writes the new file out at once then.)
            bench.PauseTiming();
            fs::remove(fs::path(std::u8string(written.begin(), written.end())));
            bench.ResumeTiming();
        }
        const std::size_t before = quorvane::bench::liveHeapBytes();
        quorvane::bench::resetHeapPeak();
        written = call();
        peak = std::max(peak, quorvane::bench::peakHeapBytes() - before);
    }
    bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(song.size));
    bench.counters["peak_heap_KiB"] = static_cast<double>(peak) / 1024.0;
    bench.counters["source_KiB"] = static_cast<double>(song.size) / 1024.0;
}

void preRead(benchmark::State& bench, const Song& song) {
    const std::string path = utf8(song.path);
    measure(bench, song, [&] {
        benchmark::DoNotOptimize(quorvane::preRead(path));
        return std::string();
    });
}

// The measure of a song's length and tempo map: a scan of every event.
void measureSong(benchmark::State& bench, const Song& song) {
    const std::string path = utf8(song.path);
    measure(bench, song, [&] {
        benchmark::DoNotOptimize(quorvane::Timeline::read(path));
        return std::string();
    });
}

void cut(benchmark::State& bench, const Song& song, quorvane::CutResult (*cutter)(const CutRequest&)) {
    CutRequest request = requestFor(song);
    request.cutTick = song.endTick;
    measure(bench, song, [&] { return cutter(request).path; });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Workspace space;
    workspace = &space;

    constexpr std::size_t kSmall = 30 * 1024;
    constexpr std::size_t kLarge = 5 * 1024 * 1024;
    constexpr std::size_t kHuge = 50 * 1024 * 1024;
    std::vector<Song> formatOne, formatZero, noTempo;
    for (const auto& [label, bytes] : {std::pair<const char*, std::size_t>{"30KB", kSmall}, {"5MB", kLarge}}) {
        formatOne.push_back(makeSong(label, 1, bytes, true));
        formatZero.push_back(makeSong(label, 0, bytes, true));
        noTempo.push_back(makeSong(label, 1, bytes, false));
    }

    const auto unitFor = [](const Song& song) {
        return song.size > 1024 * 1024 ? benchmark::kMillisecond : benchmark::kMicrosecond;
    };
    for (const Song& song : formatOne) {
        benchmark::RegisterBenchmark(("PreRead/tempo_at_start/" + song.label).c_str(),
                                     [&song](benchmark::State& b) { preRead(b, song); })
            ->Unit(unitFor(song))
            ->UseRealTime();
    }
    for (const Song& song : noTempo) {
        benchmark::RegisterBenchmark(("PreRead/no_tempo/" + song.label).c_str(),
                                     [&song](benchmark::State& b) { preRead(b, song); })
            ->Unit(unitFor(song))
            ->UseRealTime();
    }
    for (const auto* songs : {&formatOne, &formatZero}) {
        for (const Song& song : *songs) {
            benchmark::RegisterBenchmark(("Measure/" + song.fileName.substr(0, 2) + "/" + song.label).c_str(),
                                         [&song](benchmark::State& b) { measureSong(b, song); })
                ->Unit(unitFor(song))
                ->UseRealTime();
        }
    }
    for (const Song& song : formatOne) {
        benchmark::RegisterBenchmark(("FormatOneCut/" + song.label).c_str(),
                                     [&song](benchmark::State& b) { cut(b, song, &quorvane::cutFormatOne); })
            ->Unit(unitFor(song))
            ->UseRealTime();
    }
    for (const Song& song : formatZero) {
        benchmark::RegisterBenchmark(("FormatZeroCut/" + song.label).c_str(),
                                     [&song](benchmark::State& b) { cut(b, song, &quorvane::cutFormatZero); })
            ->Unit(unitFor(song))
            ->UseRealTime();
    }
    // Heap use of the Format 0 cutter must not follow the file's size: the
    // same cutter on a song ten times larger.
    benchmark::RegisterBenchmark("FormatZeroCut/50MB",
                                 [&](benchmark::State& b) {
                                     static const Song kHugeSong = makeSong("50MB", 0, kHuge, true);
                                     cut(b, kHugeSong, &quorvane::cutFormatZero);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(3);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
