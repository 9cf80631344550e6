#include "oracle.hpp"

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/cutters.hpp"
#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "engine/pre_reader.hpp"
#include "engine/smf.hpp"

namespace quorvane::robustness {
namespace {

namespace fs = std::filesystem;
using Problem = std::optional<std::string>;

std::vector<fs::path> folderContents(const fs::path& folder) {
    return {fs::directory_iterator(folder), fs::directory_iterator()};
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Problem checkError(const FileError& error, std::size_t size, const std::string& reader) {
    if (error.kind() != ErrorKind::UnreadableMidi) return reader + " failed with the wrong kind: " + error.what();
    if (!error.offset() || *error.offset() > size) return reader + " names no place inside the file: " + error.what();
    return std::nullopt;
}

// Runs one cutter into `dest`, which holds at most the older file `target`
// (with `guardOldFile`), and checks what it left there.
Problem checkCutter(const std::string& name, CutResult (*cut)(const CutRequest&), const fs::path& target,
                    const CutRequest& request, std::size_t size, bool guardOldFile, bool readBack, Tally& tally) {
    static const std::string kOldFile = "old";
    if (guardOldFile) std::ofstream(target, std::ios::binary) << kOldFile;
    const std::vector<fs::path> expected = guardOldFile ? std::vector{target} : std::vector<fs::path>{};
    CutResult result;
    try {
        result = cut(request);
    } catch (const FileError& error) {
        ++tally.failedCuts;
        if (Problem problem = checkError(error, size, name)) return problem;
        if (folderContents(target.parent_path()) != expected) return "the failed " + name + " left files behind";
        if (guardOldFile && contents(target) != kOldFile) return "the failed " + name + " changed the older file";
        return std::nullopt;
    } catch (const std::exception& error) {
        return name + " threw something else: " + error.what();
    }
    ++tally.cuts;
    if (pathFromUtf8(result.path) != target) return name + " wrote " + result.path;
    if (folderContents(target.parent_path()) != std::vector{target}) return name + " left other files behind";
    try {
        if (readBack) preRead(result.path);
    } catch (const FileError& error) {
        return "the " + name + "'s file does not read back: " + error.what();
    }
    return std::nullopt;
}

}  // namespace

Problem checkReaders(const fs::path& source, std::size_t size, const fs::path& dest, std::uint64_t cutTick,
                     bool guardOldFile, Tally& tally) {
    CutRequest request;
    request.source = utf8FromPath(source);
    request.listedName = "SONG.MID";
    request.destFolder = utf8FromPath(dest);
    request.cutTick = cutTick;
    bool formatOne = false, preReadOk = false;
    try {
        const SongHeader song = preRead(request.source);
        formatOne = song.format == 1;
        preReadOk = true;
    } catch (const FileError& error) {
        if (Problem problem = checkError(error, size, "pre-read")) return problem;
        // The window never cuts a file it could not pre-read, but the cutters
        // must not rely on that: they meet the damage themselves. (Their copy
        // may then carry what the pre-reader refused, so it is not read back.)
    } catch (const std::exception& error) {
        return std::string("pre-read threw something else: ") + error.what();
    }

    for (const bool one : {formatOne, !formatOne}) {  // the cutter the format calls for first
        Problem problem =
            checkCutter(one ? "Format 1 cutter" : "Format 0 cutter", one ? &cutFormatOne : &cutFormatZero,
                        dest / (one ? "SONG-CUT.mid" : "song-cut.mid"), request, size, guardOldFile, preReadOk, tally);
        for (const fs::path& left : folderContents(dest)) fs::remove(left);
        if (problem) return problem;
    }
    return std::nullopt;
}

}  // namespace quorvane::robustness
