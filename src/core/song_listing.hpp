#pragma once

#include <string>
#include <vector>

namespace quorvane {

// One song of a folder's listing: the text shown (the name in upper case)
// and the name on disk, which opens the file on file systems that tell case
// apart. When two files of a folder differ only in case, upper case would
// give them one name: such twins are shown, logged and cut under their names
// on disk. Where two songs would make one cut name, the later one's cut is
// numbered.
struct ListedSong {
    std::string text;
    std::string diskName;
    bool keepsCase = false;  // a twin: `text` is the name on disk
    int cutNumber = 0;       // 2 or more: its cut is NAME-N-CUT.mid (see cutNumbers)
};

// The MIDI files of `folder`: plain files (no folders, no hidden files)
// whose name ends in ".mid" in any case, but not in "-cut.mid" (our own cut
// files), each listed in upper case with its name on disk, sorted by the
// listed name. Files whose names differ only in case are listed under their
// names on disk (see ListedSong), and the later of two that would make one
// cut name has a numbered cut. Throws FileError(CannotOpen) when the folder
// cannot be read.
std::vector<ListedSong> listSongs(const std::string& folder);

// One file and the folder it is in.
struct SongInFolder {
    std::string folder;
    ListedSong song;
    std::string path() const;
};

// FILE listed alone, as its folder lists it when it does (a twin keeps its
// case and a numbered cut its number, so that it is cut as a batch of the
// folder cuts it), else under its name in upper case. Throws
// FileError(CannotOpen) when FILE has no absolute path.
SongInFolder listSongAlone(const std::string& file);

}  // namespace quorvane
