#pragma once

#include <cstdint>
#include <optional>

namespace quorvane {

class SongSource;

// Where the notes of a part of a song begin and end: the first tick at or
// after `from` where a note sounds (`from` itself when one sounds across it)
// and the tick where the last note sounding before `to` ends (`to` at most).
struct NoteSpan {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
};

// The notes of the song between `from` and `to` (ticks); nothing when no
// note sounds there. A note is a Note On with a velocity until its Note Off
// (or Note On with velocity 0) in the same track, or until its track ends.
std::optional<NoteSpan> noteSpan(const SongSource& song, std::uint64_t from, std::uint64_t to);

}  // namespace quorvane
