// SOURCE and DEST: choosing the folders and listing the source's MIDI files
// (or, from the command line, one file).

#include <filesystem>
#include <system_error>

#include "engine/errors.hpp"
#include "engine/platform_files.hpp"
#include "engine/text.hpp"
#include "form1.hpp"
#include "midi_listing.hpp"

namespace quorvane {

namespace {
constexpr char kSourceTitle[] = "Choose Harmara source path...";
constexpr char kDestTitle[] = "Choose Midi-Files destination path...";
}  // namespace

void Form1::Source() {
    clearListing();
    DefDir1();
    listSource();
}

void Form1::clearListing() {
    ListMIDI.clear();
    LabFound.clear();
    LabNum.clear();
}

void Form1::listSource() {
    state.Text9 = state.FilePath;
    // A cancelled first choice leaves the caption empty: the list then comes
    // from the root folder, as the pattern "<caption>/*.mid" says.
    ListMIDI = listMidiFiles(TextPath.empty() ? pathSeparator() : TextPath);
    LabFound = std::to_string(ListMIDI.size());
}

void Form1::Dest() { DefDir2(); }

void Form1::DefDir1() { chooseFolder(TextPath, kSourceTitle); }

void Form1::DefDir2() { chooseFolder(state.TextDest, kDestTitle); }

void Form1::chooseFile(const std::string& file, const std::string& dest) {
    guarded([&] {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(pathFromUtf8(file), error);
        if (error) throw FileError(ErrorKind::CannotOpen, file, error.message());
        const std::string name = utf8FromPath(path.filename());
        TextPath = utf8FromPath(path.parent_path());
        // Listed as its folder lists it, when it does: a twin keeps its case
        // and a numbered cut its number, so that it is cut as CUT ALL cuts it.
        ListItem alone{upperCase(name), name};
        try {
            for (const ListItem& item : listMidiFiles(TextPath)) {
                if (item.diskName == name) alone = item;
            }
        } catch (const FileError&) {
            // A folder that cannot be listed holds the file alone.
        }
        ListMIDI = {alone};
        state.TextDest = dest;
    });
}

void Form1::useSourceFolder(const std::string& folder) {
    if (batchRunning_) return;
    guarded([&] {
        clearListing();
        takeFolder(TextPath, folder);
        listSource();
    });
}

void Form1::useDestFolder(const std::string& folder) {
    if (batchRunning_) return;
    takeFolder(state.TextDest, folder);
}

int Form1::listIndexOf(const std::string& diskName) const {
    for (std::size_t i = 0; i < ListMIDI.size(); ++i) {
        if (ListMIDI[i].diskName == diskName) return static_cast<int>(i);
    }
    return -1;
}

void Form1::chooseFolder(std::string& label, const char* title) {
    label = LastFolder();
    const std::optional<std::string> chosen = services_.folders.pickFolder(title, LastFolder());
    if (chosen) takeFolder(label, *chosen);
}

void Form1::takeFolder(std::string& label, const std::string& folder) {
    label = folder;
    // A folder's path gets a separator for the next dialog; a drive root
    // (three characters, such as C:\) already ends in one.
    LastFolder() = characterCount(label) > 3 ? label + pathSeparator() : label;
}

}  // namespace quorvane
