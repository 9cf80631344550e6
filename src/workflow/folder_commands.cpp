// SOURCE and DEST: choosing the folders and listing the source's MIDI files.

#include <filesystem>
#include <system_error>

#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"
#include "form1.hpp"
#include "core/song_listing.hpp"

namespace quorvane {

namespace {
constexpr char kSourceTitle[] = "Choose Harmara source path...";
constexpr char kDestTitle[] = "Choose Midi-Files destination path...";
}  // namespace

void Form1::Source() {
    // The dialog starts in the folder it may replace, else in the other one;
    // a cancel changes nothing.
    const std::optional<std::string> chosen =
        services_.folders.pickFolder(kSourceTitle, TextPath.empty() ? state.TextDest : TextPath);
    if (chosen) useSourceFolder(*chosen);
}

void Form1::Dest() {
    const std::optional<std::string> chosen =
        services_.folders.pickFolder(kDestTitle, state.TextDest.empty() ? TextPath : state.TextDest);
    if (chosen) useDestFolder(*chosen);
}

void Form1::clearListing() {
    ListMIDI.clear();
    LabFound.clear();
    LabNum.clear();
}

void Form1::listSource() {
    clearListing();
    // A measure still under way for a song that stays listed keeps its line.
    if (!measuring()) LabStatus.clear();
    try {
        ListMIDI = listSongs(TextPath);
    } catch (...) {
        keepCurrentIfListed();
        throw;
    }
    LabFound = std::to_string(ListMIDI.size());
    keepCurrentIfListed();
}

void Form1::keepCurrentIfListed() {
    // Another folder, or the same one without the song: it is not current,
    // and nothing cuts it until the user picks a song of this list.
    if (!state.FilePath.empty() && currentIndex() < 0) {
        forgetCurrentFile();
        LabStatus.clear();
    }
    state.Text9 = state.FilePath;
}

int Form1::currentIndex() const {
    if (state.FilePath.empty()) return -1;
    for (std::size_t i = 0; i < ListMIDI.size(); ++i) {
        if (TextPath + pathSeparator() + ListMIDI[i].diskName == state.FilePath) return static_cast<int>(i);
    }
    return -1;
}

void Form1::ListAgain() {
    if (!TextPath.empty()) listSource();
}

void Form1::useSourceFolder(const std::string& folder) {
    if (batchRunning_ || folder.empty()) return;
    guarded([&] {
        TextPath = folder;
        listSource();
    });
}

void Form1::useDestFolder(const std::string& folder) {
    if (batchRunning_ || folder.empty()) return;
    state.TextDest = folder;
}

int Form1::listIndexOf(const std::string& diskName) const {
    for (std::size_t i = 0; i < ListMIDI.size(); ++i) {
        if (ListMIDI[i].diskName == diskName) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace quorvane
