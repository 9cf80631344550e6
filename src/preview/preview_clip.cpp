#include "preview_clip.hpp"

#include <filesystem>
#include <random>
#include <system_error>

#include "engine/errors.hpp"
#include "platform/files.hpp"

namespace quorvane::preview {

namespace {

// A new, empty folder of our own under the system's temporary folder,
// removed with everything in it when this goes.
class PrivateFolder {
public:
    PrivateFolder() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; attempt < 16 && !error; ++attempt) {
            path_ = base / ("quorvane-preview-" + std::to_string(random()));
            if (std::filesystem::create_directory(path_, error)) return;
        }
        throw FileError(ErrorKind::CannotWrite, utf8FromPath(base), "cannot make a temporary folder for the preview");
    }
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

SongEvents cutEnding(CutRequest request, bool formatOne, double seconds) {
    const PrivateFolder folder;
    request.destFolder = utf8FromPath(folder.path());
    const CutResult cut = formatOne ? cutFormatOne(request) : cutFormatZero(request);
    const SongEvents song = readSongEvents(cut.path);
    return songEnding(song, song.lastEventSeconds, seconds);
}

}  // namespace quorvane::preview
