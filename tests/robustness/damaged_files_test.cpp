// Damaged copies of well-formed songs against the pre-reader and both
// cutters (see oracle.hpp): nothing may escape but FileError, nothing may
// crash or hang, and a failed cut leaves nothing behind. The mutants come
// from a seeded generator: a failure names the song and the mutant's number,
// and the same run makes the same mutant again.
#include <random>

#include "engine_test_util.hpp"
#include "midi_builder.hpp"
#include "oracle.hpp"

namespace quorvane::robustness {
namespace {

using testing::Bytes;

// Byte values that readers single out, and quantities too long or never ending.
constexpr std::uint8_t kTelling[] = {0x00, 0x01, 0x2F, 0x51, 0x7F, 0x80, 0x81, 0x90, 0xB0,
                                     0xC0, 0xE0, 0xF0, 0xF1, 0xF2, 0xF7, 0xF8, 0xFF, 'M'};
const Bytes kBadQuantities[] = {{0x80, 0x80, 0x80, 0x80, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF}, {0x83}};

enum Damage { Truncate, FlipBits, TellingByte, Reshape, LyingField, Splice, DamageCount };
constexpr const char* kDamageNames[] = {"Truncated",  "FlippedBits", "TellingByte", "Reshaped",
                                        "LyingField", "Spliced",     "Stacked"};

std::uint32_t be32At(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// A damaged copy of a song, aimed at the fields a reader trusts or blind;
// the same seed gives the same mutants.
class Damager {
public:
    explicit Damager(std::uint64_t seed) : rng_(seed) {}
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : static_cast<std::size_t>(rng_() % bound); }

    Bytes damaged(Bytes b, Damage damage) {
        if (b.size() < 14) damage = Reshape;  // nothing left to aim at
        const std::size_t at = below(b.size());
        // The length fields: the header's and every chunk's.
        std::vector<std::size_t> lengths;
        for (std::size_t pos = 0; pos + 8 <= b.size(); pos += 8 + std::size_t{be32At(b, pos + 4)}) {
            lengths.push_back(pos + 4);
        }
        const std::size_t field = lengths.empty() ? 0 : lengths[below(lengths.size())];
        const auto from = b.begin() + static_cast<std::ptrdiff_t>(at);
        switch (damage) {
            case Truncate:  // anywhere, or just past a length field
                b.resize(below(2) ? at : std::min(b.size(), field + below(6)));
                break;
            case FlipBits:
                for (std::size_t i = 0, n = 1 + below(3); i < n; ++i)
                    b[below(b.size())] ^= std::uint8_t(1u << below(8));
                break;
            case TellingByte: b[at] = kTelling[below(std::size(kTelling))]; break;
            case Reshape: {  // inserted, removed or repeated bytes
                Bytes piece(from, from + static_cast<std::ptrdiff_t>(std::min(1 + below(24), b.size() - at)));
                const std::size_t choice = below(4);
                if (choice == 0) piece = kBadQuantities[below(std::size(kBadQuantities))];
                if (choice == 1) piece.assign(1 + below(6), kTelling[below(std::size(kTelling))]);
                if (choice == 2) {
                    b.erase(from, from + static_cast<std::ptrdiff_t>(piece.size()));
                } else {
                    b.insert(from, piece.begin(), piece.end());
                }
                break;
            }
            case LyingField:
                if (below(3) == 0) {  // format, track count or division
                    const std::size_t at16 = 8 + 2 * below(3);
                    const std::uint16_t values[] = {0, 1, 2, 3, 0x7FFF, 0x8000, 0xE728, 0xFFFF};
                    const std::uint16_t value = values[below(std::size(values))];
                    b[at16] = static_cast<std::uint8_t>(value >> 8);
                    b[at16 + 1] = static_cast<std::uint8_t>(value);
                } else {
                    const std::uint32_t truth = be32At(b, field);
                    const std::uint32_t lies[] = {
                        0,         1,           5,          7,          truth - 1,
                        truth + 1, truth + 100, 0x7FFFFFFF, 0xFFFFFFFF, static_cast<std::uint32_t>(rng_())};
                    const std::uint32_t lie = lies[below(std::size(lies))];
                    for (int i = 0; i < 4; ++i) b[field + i] = static_cast<std::uint8_t>(lie >> (24 - 8 * i));
                }
                break;
            default: {  // the start of this song, then the rest of another
                const Bytes& other = baseSongs()[below(baseSongs().size())].bytes;
                b.resize(at);
                b.insert(b.end(), other.begin() + static_cast<std::ptrdiff_t>(below(other.size())), other.end());
                break;
            }
        }
        return b;
    }

private:
    std::mt19937_64 rng_;
};

class DamagedFiles : public ::testing::TestWithParam<int> {
protected:
    std::optional<std::string> exercise(const Bytes& bytes, std::uint64_t cutTick, bool guardOldFile) {
        return checkReaders(src.write("SONG.MID", bytes), bytes.size(), dest.path(), cutTick, guardOldFile, tally);
    }

    quorvane::test::TempDir src, dest;
    Tally tally;
};

// The pre-reader stops at the first Set Tempo. When that one lies after the
// cut, the cut file's first Set Tempo is a later track's, which the
// pre-reader never met; a Set Tempo of 0 there would make the cut file
// unreadable, so the Format 1 cutter checks every one it copies.
TEST_F(DamagedFiles, CutFileReadsBackWhenTheFirstTempoFallsAfterTheCut) {
    testing::TrackBuilder first, second;
    first.noteOn(0, 0, 60, 100).noteOff(3840, 0, 60).tempo(0, 500000).endOfTrack();
    second.meta(0, 0x51, {0x00, 0x00, 0x00}).noteOn(0, 1, 62, 100).noteOff(3840, 1, 62).endOfTrack();
    const Bytes bytes = testing::SmfBuilder().format(1).division(480).track(first).track(second).bytes();
    const std::optional<std::string> problem = exercise(bytes, 1920, false);  // the first bar line
    EXPECT_FALSE(problem) << *problem;
}

// Each damage (and, last, two to four of them stacked) on every base song,
// cut at its start, inside, at its end, past it and not at all.
TEST_P(DamagedFiles, NothingButARefusalOrAReadableCut) {
    Damager damager(0x5EED + GetParam());
    const bool stacked = GetParam() == DamageCount;
    int reports = 0;
    for (const BaseSong& song : baseSongs()) {
        for (int k = 0; k < 250 && reports < 10; ++k) {
            Bytes mutant = song.bytes;
            for (std::size_t i = 0, n = stacked ? 2 + damager.below(3) : 1; i < n; ++i) {
                const auto damage = static_cast<Damage>(stacked ? damager.below(DamageCount) : GetParam());
                mutant = damager.damaged(std::move(mutant), damage);
            }
            const std::uint64_t cuts[] = {
                0, song.endTick / 4, song.endTick * 3 / 5, song.endTick * 97 / 100, song.endTick * 3, kWholeSong};
            const std::uint64_t cutTick = cuts[k % std::size(cuts)];
            if (auto problem = exercise(mutant, cutTick, k % 7 == 3)) {
                ++reports;
                ADD_FAILURE() << song.name << ", mutant " << k << " cut at tick " << cutTick << ": " << *problem;
            }
        }
    }
    // Both outcomes must occur, or the damage tests less than it seems.
    EXPECT_GT(tally.cuts, 0u) << "no mutant was cut";
    EXPECT_GT(tally.failedCuts, 0u) << "every mutant was cut";
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedFiles, ::testing::Range(0, DamageCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(kDamageNames[info.param]);
                         });

}  // namespace
}  // namespace quorvane::robustness
