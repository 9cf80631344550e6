// Damaged copies of well-formed MIDI files, for the robustness tests.
//
// Every base song is walked once to find where its structure lies (chunk
// lengths, delta-times, status bytes, SysEx and meta lengths, tempo data), so
// that the mutations can aim at exactly the bytes a reader trusts, besides
// the blind ones (flipped bits, truncations, inserted and removed bytes).
// Everything is driven by a seeded generator: the same seed gives the same
// mutants on every run and platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quorvane::robustness {

using Bytes = std::vector<std::uint8_t>;

struct Field {
    std::size_t at = 0;
    std::size_t size = 0;
};

// Where the parts of a well-formed file lie.
struct Landmarks {
    std::vector<std::size_t> chunkLengths;  // 4-byte length fields; [0] is the header's
    std::vector<Field> deltas;              // delta-time quantities
    std::vector<Field> payloadLengths;      // SysEx and meta length quantities
    std::vector<std::size_t> statusBytes;   // status bytes actually present
    std::vector<std::size_t> metaTypes;
    std::vector<std::size_t> tempoData;  // first of the three Set Tempo bytes
    std::vector<std::size_t> chunkEnds;  // one past each chunk after the header
};

// Walks a well-formed file; throws std::logic_error when it is not one (a
// base song that the walker cannot follow is a mistake in the test).
Landmarks findLandmarks(const Bytes& file);

struct BaseSong {
    std::string name;
    Bytes bytes;
    Landmarks marks;
    // Cut position (768 ticks per quarter note) at the song's last tick.
    double endCutTime = 0;
};

// Songs of both formats, with running status, SysEx and long meta events,
// tempo changes, several tracks, escapes, system messages and alien chunks.
// Kept to a few kilobytes each so that tens of thousands of mutants stay fast.
const std::vector<BaseSong>& baseSongs();

struct Mutant {
    Bytes bytes;
    std::string how;  // e.g. "flip bit 3 at 1234"
};

enum class Damage {
    Truncate,     // cut short right at or after a field a reader trusts, or anywhere
    FlipBits,     // one to three bits flipped at random places
    ReplaceByte,  // one byte replaced by a value readers single out (status bytes, 0x2F, ...)
    Lie,          // a structural field made to lie: chunk, header, SysEx or meta lengths,
                  // delta-times, status bytes, meta types, tempo data, header fields
    Reshape,      // bytes inserted, removed or repeated somewhere
    Stack,        // two to four flips, replacements, lies and reshapes, one after another
    Splice,       // the start of this song followed by the rest of another
};

// Each method returns a damaged copy of `song`.
class Mutator {
public:
    explicit Mutator(std::uint64_t seed) : rng_(seed) {}

    Mutant damaged(const BaseSong& song, Damage damage);

private:
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : static_cast<std::size_t>(rng_() % bound); }
    Mutant truncate(const BaseSong& song);
    Mutant splice(const BaseSong& first);
    void flipBitsIn(Bytes& bytes, std::string& how);
    void replaceByteIn(Bytes& bytes, std::string& how);
    void lieIn(Bytes& bytes, const Landmarks& marks, std::string& how);
    void reshapeIn(Bytes& bytes, std::string& how);
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[below(items.size())];
    }

    std::mt19937_64 rng_;
};

}  // namespace quorvane::robustness
