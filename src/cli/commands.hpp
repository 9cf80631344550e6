#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "core/clips.hpp"
#include "core/cut_service.hpp"

namespace quorvane::cli {

// Exit statuses of the command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;
inline constexpr int kExitUsage = 2;

// A clip length as the command line takes it: seconds with or without
// decimals ("12.5") or minutes and seconds ("1:30", "2:05.5"); more than 0.
// Nothing for any other text.
std::optional<double> parseClipLength(std::string_view text);

// `afterCut` runs on each cut file once it is written (--preview); what it
// throws is that cut's failure.
using CutHook = quorvane::CutHook;

// `quorvane info FILE`: what the pre-read and the measure learn about FILE.
// With `json`, each command prints one JSON object per file on `out`
// instead (see json_lines.hpp); its messages still go to `err`.
int runInfo(const std::string& file, std::ostream& out, std::ostream& err, bool json = false);

// `quorvane cut FILE --position V [--dest DIR]`: CUT ONE of FILE at position
// V of the range `info` shows. Prints the path written.
int runCutAtPosition(const std::string& file, int position, const std::optional<std::string>& dest, std::ostream& out,
                     std::ostream& err, const CutHook& afterCut = {}, bool json = false);

// `quorvane cut FILE --seconds S [--dest DIR]`: what CUT ALL does for one
// file (the clip of S seconds), without a log.
int runCutToSeconds(const std::string& file, double seconds, const std::optional<std::string>& dest, std::ostream& out,
                    std::ostream& err, const CutHook& afterCut = {}, bool json = false);

// `quorvane cut-all FOLDER --seconds C [--dest DIR]`: CUT ALL on the folder's
// MIDI files, with its log; one progress line per file on `err`. With
// `barColumns` above 0 (`err` is a terminal that wide) one line is redrawn in
// place instead: a bar, the count and the file in hand; failures still get a
// line each. `jobs` files are cut at once (0: as many as the machine has
// cores), with the same log, files and output as one by one.
int runCutAll(const std::string& folder, double seconds, const std::optional<std::string>& dest, std::ostream& out,
              std::ostream& err, int barColumns = 0, const CutHook& afterCut = {}, int jobs = 1, bool json = false,
              const BatchClip& clip = {});

// `quorvane clip FILE --from T [--to T | --length S] [--out FILE | --dest DIR]`:
// a clip from anywhere in FILE, the song's state carried to its start. Prints
// the path written.
int runClip(const std::string& file, const ClipPlan& plan, std::ostream& out, std::ostream& err,
            const CutHook& afterCut = {}, bool json = false);

// `quorvane split SONG|FOLDER --every S | --bars N [--dest DIR] [--jobs N]`:
// each song in numbered pieces that cover it. Prints each piece written;
// `jobs` songs of a folder are split at once (0: as many as the machine has
// cores), their output in list order.
int runSplit(const std::string& target, const SplitPlan& plan, std::ostream& out, std::ostream& err,
             const CutHook& afterCut = {}, int jobs = 1, bool json = false);

}  // namespace quorvane::cli
