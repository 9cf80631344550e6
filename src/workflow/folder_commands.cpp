// SOURCE and DEST: choosing the folders and listing the source's MIDI files.

#include <filesystem>
#include <system_error>

#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
#include "window_model.hpp"
#include "core/song_listing.hpp"

namespace quorvane {

namespace {
constexpr char kSourceTitle[] = "Choose Harmara source path...";
constexpr char kDestTitle[] = "Choose Midi-Files destination path...";
}  // namespace

void WindowModel::askSourceFolder() {
    // The dialog starts in the folder it may replace, else in the other one;
    // a cancel changes nothing.
    const std::optional<std::string> chosen =
        services_.folders.pickFolder(kSourceTitle, sourceFolder.empty() ? state_.destFolder : sourceFolder);
    if (chosen) useSourceFolder(*chosen);
}

void WindowModel::askDestFolder() {
    const std::optional<std::string> chosen =
        services_.folders.pickFolder(kDestTitle, state_.destFolder.empty() ? sourceFolder : state_.destFolder);
    if (chosen) useDestFolder(*chosen);
}

void WindowModel::clearListing() {
    songs.clear();
    listedCount.clear();
    cutCount.clear();
}

void WindowModel::listSource() {
    clearListing();
    // A measure still under way for a song that stays listed keeps its line.
    if (!measuring()) status.clear();
    try {
        songs = listSongs(sourceFolder);
    } catch (...) {
        keepCurrentIfListed();
        throw;
    }
    listedCount = std::to_string(songs.size());
    keepCurrentIfListed();
}

void WindowModel::keepCurrentIfListed() {
    // Another folder, or the same one without the song: it is not current,
    // and nothing cuts it until the user picks a song of this list.
    if (!state_.songPath.empty() && currentIndex() < 0) {
        forgetCurrentFile();
        status.clear();
    }
    state_.shownPath = state_.songPath;
}

int WindowModel::currentIndex() const {
    if (state_.songPath.empty()) return -1;
    for (std::size_t i = 0; i < songs.size(); ++i) {
        if (sourceFolder + pathSeparator() + songs[i].diskName == state_.songPath) return static_cast<int>(i);
    }
    return -1;
}

void WindowModel::listSourceAgain() {
    if (!sourceFolder.empty()) listSource();
}

void WindowModel::useSourceFolder(const std::string& folder) {
    if (batchRunning_ || folder.empty()) return;
    guarded([&] {
        sourceFolder = folder;
        listSource();
    });
}

void WindowModel::useDestFolder(const std::string& folder) {
    if (batchRunning_ || folder.empty()) return;
    state_.destFolder = folder;
}

int WindowModel::listIndexOf(const std::string& diskName) const {
    for (std::size_t i = 0; i < songs.size(); ++i) {
        if (songs[i].diskName == diskName) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace quorvane
