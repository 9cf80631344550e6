// libFuzzer entry point: the input, written to a file, goes through the
// pre-reader and through both cutters whatever its format, as the window
// would run them. The run stops (abort) on the sanitizers' findings and on
// any promise the robustness oracle checks (oracle.hpp) being broken.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/cut_points.hpp"
#include "oracle.hpp"

namespace {

namespace fs = std::filesystem;

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

// The cut tick follows the input's size, so that the corpus reaches cuts at
// the start, inside and past the end of songs of every length, and none.
std::uint64_t cutTickFor(std::size_t size) {
    static constexpr std::uint64_t kTicks[] = {0, 480, 1920, 19200, 1000000000, quorvane::kWholeSong};
    return kTicks[size % std::size(kTicks)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Workspace& space = workspace();
    {
        std::ofstream out(space.source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) broken("cannot write the input file");
    }
    quorvane::robustness::Tally tally;
    if (const auto problem =
            quorvane::robustness::checkReaders(space.source, size, space.dest, cutTickFor(size), false, tally)) {
        broken(*problem);
    }
    return 0;
}
