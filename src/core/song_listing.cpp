#include "song_listing.hpp"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "engine/cut_name.hpp"
#include "engine/errors.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"

namespace quorvane {

namespace {
// The later of two entries that would make one cut name gets a numbered cut.
void numberCuts(std::vector<ListedSong>& items) {
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const ListedSong& item : items) names.push_back(item.diskName);
    const std::vector<int> numbers = cutNumbers(names);
    for (std::size_t k = 0; k < items.size(); ++k) items[k].cutNumber = numbers[k];
}
}  // namespace

std::vector<ListedSong> listSongs(const std::string& folder) {
    std::vector<ListedSong> items;
    std::error_code error;
    std::filesystem::directory_iterator it(pathFromUtf8(folder), error);
    const std::filesystem::directory_iterator end;
    for (; !error && it != end; it.increment(error)) {
        const std::string name = utf8FromPath(it->path().filename());
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || isHiddenFile(it->path())) continue;
        const std::string listed = upperCase(name);
        const auto endsWith = [&](const std::string& end) {
            return listed.size() >= end.size() && listed.compare(listed.size() - end.size(), end.size(), end) == 0;
        };
        // Cut files are this program's own output: cutting them again would
        // only make "-CUT-CUT.mid" files on every later batch.
        if (endsWith(".MID") && !endsWith("-CUT.MID")) items.push_back({listed, name});
    }
    if (error) throw FileError(ErrorKind::CannotOpen, folder, "cannot list the folder: " + error.message());
    // As a reader orders them: case and diacritics aside, then by code point.
    std::vector<std::pair<std::u32string, ListedSong>> keyed;
    keyed.reserve(items.size());
    for (ListedSong& item : items) keyed.emplace_back(sortKey(item.diskName), std::move(item));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.diskName < b.second.diskName;
    });
    // Names that differ only in case (possible where the file system tells
    // case apart) keep their own spelling, so that each line, log line and
    // cut file belongs to one source.
    std::map<std::string, int> listedTimes;
    for (const auto& [key, item] : keyed) ++listedTimes[item.text];
    items.clear();
    for (auto& [key, item] : keyed) {
        if (listedTimes[item.text] > 1) {
            item.text = item.diskName;
            item.keepsCase = true;
        }
        items.push_back(std::move(item));
    }
    numberCuts(items);
    return items;
}

std::string SongInFolder::path() const { return folder + pathSeparator() + song.diskName; }

SongInFolder listSongAlone(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(pathFromUtf8(file), error);
    if (error) throw FileError(ErrorKind::CannotOpen, file, error.message());
    const std::string name = utf8FromPath(path.filename());
    SongInFolder alone{utf8FromPath(path.parent_path()), {upperCase(name), name}};
    try {
        for (const ListedSong& song : listSongs(alone.folder)) {
            if (song.diskName == name) alone.song = song;
        }
    } catch (const FileError&) {
        // A folder that cannot be listed holds the file alone.
    }
    return alone;
}

}  // namespace quorvane
