#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// The state the window keeps between user actions about the current song
// and its cut; the pre-read and the cutters fill it from the engine's values.
// Strings are UTF-8.
struct AppState {
    std::string songPath;        // full path of the current file; empty: none
    std::uint64_t cutTick = 0;   // source tick where CUT ONE ends the clip; 0: none (see cut_points.hpp)
    std::string cutFilePath;     // full path of the last cut file
    std::string listedName;      // the listed name of the current file (upper case)
    bool keepsNameCase = false;  // another file's name differs only in case: cut names keep the case
    int cutNumber = 0;           // 2 or more: the cut is NAME-N-CUT.mid, its listing's own name

    // Captions the cutters read or write.
    std::string destFolder;  // destination folder; empty: beside the source
    std::string shownPath;   // full path shown under the list
};

}  // namespace quorvane
