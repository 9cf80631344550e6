// Peak memory of single cuts and measures of large songs.
//
//   quorvane_bench_memory [SIZE_MB...]      (default: 50 200)
//
// Songs of each size in both formats are generated into a private temporary
// folder (removed at exit), with two worst cases of their own: a Format 0
// song of nothing but Set Tempo events (140 MB) and a Format 1 song of 65,535
// tiny tracks. Each operation runs in a child process of its own, which
// reports its peak resident memory as getrusage() tells it (ru_maxrss, the
// whole process: code, libraries, buffers). The cut keeps the whole song,
// so every byte is read and written; the batch column cuts in the middle,
// where a Format 0 fade walks the timeline. The target is under 16 MB for any
// cut or measure of any size; the exit status is 1 when one is over it. The
// batch column is one file of CUT ALL: pre-read, measure and cut of one
// opened song.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/cut_points.hpp"
#include "engine/cutters.hpp"
#include "platform/files.hpp"
#include "engine/pre_reader.hpp"
#include "engine/song_source.hpp"
#include "midi_builder.hpp"
#include "song_generator.hpp"
#include "engine/cut_points.hpp"
#include "engine/timeline.hpp"

namespace {

namespace fs = std::filesystem;
constexpr double kTargetMiB = 16.0;

// Runs `work` in a child process; its peak resident memory in MiB, or a
// negative value when it failed.
double peakInChild(const std::function<void()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        try {
            work();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "  failed: %s\n", error.what());
            ::_exit(1);
        }
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long kib = usage.ru_maxrss;  // KiB on Linux
        if (::write(channel[1], &kib, sizeof kib) != sizeof kib) ::_exit(1);
        ::_exit(0);
    }
    ::close(channel[1]);
    long kib = -1;
    const bool got = ::read(channel[0], &kib, sizeof kib) == sizeof kib;
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return got && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kib / 1024.0 : -1;
}

// Writes `count` copies of `piece` after `head`, in pieces, so that the
// writer's own memory stays small.
void writeRepeated(const fs::path& path, const quorvane::testing::Bytes& head, const quorvane::testing::Bytes& piece,
                   std::uint64_t count, const quorvane::testing::Bytes& tail) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(head.data(), 1, head.size(), out);
    for (std::uint64_t k = 0; k < count; ++k) std::fwrite(piece.data(), 1, piece.size(), out);
    std::fwrite(tail.data(), 1, tail.size(), out);
    std::fclose(out);
}

struct Song {
    std::string label;
    fs::path path;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int k = 1; k < argc; ++k) sizes.push_back(static_cast<std::size_t>(std::atoi(argv[k])));
    if (sizes.empty()) sizes = {50, 200};

    char folder[48];
    std::snprintf(folder, sizeof folder, "quorvane-memory-%u", std::random_device{}());
    const fs::path root = fs::temp_directory_path() / folder;
    fs::create_directories(root / "out");
    std::vector<Song> songs;

    for (const std::size_t megabytes : sizes) {
        for (const int format : {0, 1}) {
            char name[32], label[48];
            std::snprintf(name, sizeof name, "F%d_%zuMB.MID", format, megabytes);
            std::snprintf(label, sizeof label, "format %d, %zu MB", format, megabytes);
            Song song{label, root / name};
            // Generated in a child: the generator holds the whole song, and
            // the children measured later must not start from its memory.
            peakInChild([&] {
                quorvane::testing::SongOptions options;
                options.seed = static_cast<std::uint32_t>(megabytes * 10 + format);
                options.format = format;
                options.instrumentTracks = 4;
                options.targetBytes = megabytes << 20;
                options.seconds = static_cast<double>(options.targetBytes) / 2500.0;
                options.tempoChanges = 2;
                quorvane::testing::writeFile(song.path, quorvane::testing::generateSong(options).bytes);
            });
            songs.push_back(song);
        }
    }
    // 140 MB of Set Tempo events, one per tick, alternating two tempos.
    {
        constexpr std::uint64_t kPairs = 140ull * 1024 * 1024 / 14;
        const quorvane::testing::Bytes pair = {0x01, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
                                               0x01, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80};
        using namespace quorvane::testing;
        const Bytes head =
            cat({header(0, 1, 480), {'M', 'T', 'r', 'k'}, be32(static_cast<std::uint32_t>(kPairs * pair.size() + 4))});
        songs.push_back({"format 0, 140 MB of Set Tempo", root / "TEMPO.MID"});
        writeRepeated(songs.back().path, head, pair, kPairs, {0x00, 0xFF, 0x2F, 0x00});
    }
    // 65,535 tracks of one note each.
    {
        using namespace quorvane::testing;
        const Bytes head = header(1, 0xFFFF, 480);
        const Bytes piece = track({0x00, 0x90, 60, 90, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00});
        songs.push_back({"format 1, 65,535 tracks", root / "TRACKS.MID"});
        writeRepeated(songs.back().path, head, piece, 65535, {});
    }

    bool over = false;
    std::printf("%-32s %10s %14s %14s %14s\n", "song", "size MiB", "cut MiB", "measure MiB", "batch MiB");
    for (const Song& song : songs) {
        const std::string file = quorvane::utf8FromPath(song.path);
        const double cut = peakInChild([&] {
            quorvane::CutRequest request;
            request.source = file;
            request.listedName = quorvane::utf8FromPath(song.path.filename());
            request.destFolder = quorvane::utf8FromPath(root / "out");
            const quorvane::SongHeader header = quorvane::preRead(file);
            request.cutTick = quorvane::kWholeSong;  // no cut: everything is read and written
            if (header.format == 1)
                quorvane::cutFormatOne(request);
            else
                quorvane::cutFormatZero(request);
        });
        const double measure = peakInChild([&] {
            const auto timeline = quorvane::Timeline::read(file);
            timeline.firstTickAt(timeline.length() / 2);  // a question past what memory holds
        });
        // A file of CUT ALL: opened once for the pre-read, the measure and
        // the cut (read whole into memory only when it is small).
        const double batch = peakInChild([&] {
            const quorvane::SongSource source(file);
            quorvane::CutRequest request;
            request.source = file;
            request.song = &source;
            request.listedName = quorvane::utf8FromPath(song.path.filename());
            request.destFolder = quorvane::utf8FromPath(root / "out");
            const quorvane::SongHeader header = quorvane::preRead(source);
            const quorvane::Timeline timeline = quorvane::Timeline::read(source);
            // Cut in the middle: the fade of a Format 0 song walks the timeline too.
            request.timeline = &timeline;
            request.cutTick = quorvane::cutTickForClip(timeline, header.format == 1, timeline.length() / 2);
            if (header.format == 1)
                quorvane::cutFormatOne(request);
            else
                quorvane::cutFormatZero(request);
        });
        for (const auto& entry : fs::directory_iterator(root / "out")) fs::remove(entry.path());
        const auto shown = [&](double mib) {
            over = over || mib < 0 || mib >= kTargetMiB;
            char text[32];
            std::snprintf(text, sizeof text, mib < 0 ? "failed" : "%.1f%s", mib, mib >= kTargetMiB ? " OVER" : "");
            return std::string(text);
        };
        std::printf("%-32s %10.1f %14s %14s %14s\n", song.label.c_str(),
                    static_cast<double>(fs::file_size(song.path)) / (1 << 20), shown(cut).c_str(),
                    shown(measure).c_str(), shown(batch).c_str());
        std::fflush(stdout);
    }
    std::printf("target: under %.0f MiB of peak resident memory for any single cut or measure\n", kTargetMiB);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return over ? 1 : 0;
}
