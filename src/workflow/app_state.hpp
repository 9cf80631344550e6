#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quorvane {

// Ticks per sixteenth note, held as a whole number of quarters so that it
// stays exact: a division of 30 ticks per quarter note is 7.5.
struct ExactDivision {
    std::uint32_t quarters = 0;  // = ticks per quarter note

    double value() const { return quarters / 4.0; }
    friend bool operator==(const ExactDivision&, const ExactDivision&) = default;
};

// The state the window keeps between user actions about the current song
// and its cut; the pre-read and the cutters fill it from the engine's values.
// Strings are UTF-8.
struct AppState {
    std::string songPath;        // full path of the current file; empty: none
    std::uint32_t tempo = 0;     // microseconds per quarter note
    double tickMs = 0;           // milliseconds per source tick
    ExactDivision division;      // ticks per sixteenth note
    std::uint64_t cutTick = 0;   // source tick where CUT ONE ends the clip; 0: none (see cut_points.hpp)
    std::string cutFilePath;     // full path of the last cut file
    std::string listedName;      // the listed name of the current file (upper case)
    bool keepsNameCase = false;  // another file's name differs only in case: cut names keep the case
    int cutNumber = 0;           // 2 or more: the cut is NAME-N-CUT.mid, its listing's own name
    bool isFormatOne = false;
    std::string formatText;    // "1" or "0"
    std::uint16_t format = 0;  // the header's format, as it is (2 and up cannot be cut)

    // Captions the cutters read or write.
    std::string destFolder;  // destination folder; empty: beside the source
    std::string shownPath;   // full path shown under the list
};

}  // namespace quorvane
