// libFuzzer entry point: the input, written to a file, goes through the
// pre-reader and through both cutters whatever its format, as the window
// would run them. FileError is the only way out a reader may take. Beyond the
// sanitizers' findings, the run stops (abort) when
//  - a refused cut leaves a file in the destination folder, or
//  - a cut of a file the pre-reader accepted cannot itself be pre-read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/app_state.hpp"
#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "engine/platform_files.hpp"
#include "engine/pre_reader.hpp"
#include "engine/smf.hpp"

namespace {

namespace fs = std::filesystem;
using quorvane::AppState;

std::string utf8(const fs::path& path) { return quorvane::utf8FromPath(path); }

// A private source and destination folder for the whole run.
struct Workspace {
    fs::path root;
    fs::path source;
    fs::path dest;

    Workspace() {
        root = fs::temp_directory_path() / ("quorvane-fuzz-" + std::to_string(std::random_device{}()));
        fs::create_directories(root / "in");
        fs::create_directories(root / "out");
        source = root / "in" / "SONG.MID";
        dest = root / "out";
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

Workspace& workspace() {
    static Workspace instance;
    return instance;
}

[[noreturn]] void broken(const std::string& what) {
    std::fprintf(stderr, "\n*** %s\n", what.c_str());
    std::abort();
}

// The cut position follows the input's size, so that the corpus reaches
// cuts at the start, inside and past the end of songs of every length.
double cutTimeFor(std::size_t size) {
    static constexpr double kTimes[] = {0.0, 768.0, 3072.0, 30000.0, 1.0e9};
    return kTimes[size % std::size(kTimes)];
}

void cut(AppState state, void (*cutter)(AppState&), const char* name, bool readBack) {
    const Workspace& space = workspace();
    try {
        cutter(state);
    } catch (const quorvane::FileError&) {
        if (!fs::is_empty(space.dest)) broken(std::string("a refused cut left a file: ") + name);
        return;
    }
    if (readBack) {
        AppState back;
        back.FilePath = state.CutFilePath;
        try {
            quorvane::PreLeggi(back);
        } catch (const quorvane::FileError& error) {
            broken(std::string(name) + " wrote a file the pre-reader refuses: " + error.what());
        }
    }
    for (const auto& entry : fs::directory_iterator(space.dest)) fs::remove(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& space = workspace();
    {
        std::ofstream out(space.source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) broken("cannot write the input file");
    }
    AppState state;
    state.FilePath = utf8(space.source);
    state.FileName = "SONG.MID";
    state.TextDest = utf8(space.dest);
    bool preRead = false;
    try {
        quorvane::PreLeggi(state);
        preRead = true;
    } catch (const quorvane::FileError&) {
        // The cutters must stand damage on their own: they run with a default tempo.
        state.Tempo = quorvane::kDefaultTempo;
        state.TickMs = quorvane::tickMilliseconds(quorvane::kDefaultTempo, 480);
    }
    state.CutTime = cutTimeFor(size);
    cut(state, &quorvane::FormatoUno, "the Format 1 cutter", preRead);
    cut(state, &quorvane::FormatoZero, "the Format 0 cutter", preRead);
    return 0;
}
