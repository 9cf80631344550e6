// Damaged copies of well-formed songs against the pre-reader and both
// cutters (see oracle.hpp): nothing may escape but FileError, nothing may
// crash or hang, and a failed cut leaves nothing behind. Every mutant comes
// from a seeded generator, so a failure names a mutant that can be rebuilt.
#include <gtest/gtest.h>

#include <random>

#include "base_songs.hpp"
#include "engine_test_util.hpp"
#include "midi_builder.hpp"
#include "oracle.hpp"

namespace quorvane::robustness {
namespace {

using testing::Bytes;

// Byte values that readers single out.
constexpr std::uint8_t kTelling[] = {0x00, 0x01, 0x2F, 0x51, 0x7F, 0x80, 0x81, 0x90, 0xB0,
                                     0xC0, 0xE0, 0xF0, 0xF1, 0xF2, 0xF7, 0xF8, 0xFF, 'M'};

enum Damage { Truncate, FlipBits, TellingByte, Insert, RemoveOrRepeat, LyingLength, HeaderField, Splice, kDamages };

std::uint32_t be32At(const Bytes& b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

// The length fields a reader trusts: the header's and every chunk's.
std::vector<std::size_t> lengthFields(const Bytes& file) {
    std::vector<std::size_t> at;
    for (std::size_t pos = 0; pos + 8 <= file.size(); pos += 8 + std::size_t{be32At(file, pos + 4)})
        at.push_back(pos + 4);
    return at;
}

class Damager {
public:
    explicit Damager(std::uint64_t seed) : rng_(seed) {}

    // A damaged copy of `song`, with what was done to it in `how`.
    Bytes damaged(const BaseSong& song, Damage damage, std::string& how) {
        Bytes b = song.bytes;
        if (b.size() < 14) damage = Insert;  // nothing left to aim at
        const std::size_t at = below(b.size());
        const std::string where = " at " + std::to_string(at);
        switch (damage) {
            case Truncate: {  // anywhere, or just past a length field
                const std::vector<std::size_t> fields = lengthFields(b);
                b.resize(below(2) ? at : std::min(b.size(), fields[below(fields.size())] + below(6)));
                how = "truncated to " + std::to_string(b.size());
                break;
            }
            case FlipBits:
                for (std::size_t i = 0, n = 1 + below(3); i < n; ++i)
                    b[below(b.size())] ^= std::uint8_t(1u << below(8));
                how = "bits flipped";
                break;
            case TellingByte:
                b[at] = kTelling[below(std::size(kTelling))];
                how = "byte " + std::to_string(b[at]) + where;
                break;
            case Insert: {  // telling bytes, or a quantity that is too long or never ends
                static const Bytes kQuantities[] = {{0x80, 0x80, 0x80, 0x80, 0x00}, {0xFF, 0xFF, 0xFF, 0xFF}, {0x83}};
                Bytes in = kQuantities[below(std::size(kQuantities))];
                if (below(2)) in.assign(1 + below(6), kTelling[below(std::size(kTelling))]);
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), in.begin(), in.end());
                how = std::to_string(in.size()) + " bytes inserted" + where;
                break;
            }
            case RemoveOrRepeat: {
                const auto from = b.begin() + static_cast<std::ptrdiff_t>(at);
                const Bytes piece(from, from + static_cast<std::ptrdiff_t>(std::min(1 + below(24), b.size() - at)));
                if (below(2)) {
                    b.erase(from, from + static_cast<std::ptrdiff_t>(piece.size()));
                } else {
                    b.insert(from, piece.begin(), piece.end());
                }
                how = std::to_string(piece.size()) + " bytes removed or repeated" + where;
                break;
            }
            case LyingLength: {
                const std::vector<std::size_t> fields = lengthFields(b);
                const std::size_t field = fields[below(fields.size())];
                const std::uint32_t truth = be32At(b, field);
                const std::uint32_t lies[] = {
                    0,         1,           5,          7,          truth - 1,
                    truth + 1, truth + 100, 0x7FFFFFFF, 0xFFFFFFFF, static_cast<std::uint32_t>(rng_())};
                const std::uint32_t lie = lies[below(std::size(lies))];
                for (int i = 0; i < 4; ++i) b[field + i] = static_cast<std::uint8_t>(lie >> (24 - 8 * i));
                how = "length " + std::to_string(lie) + " at " + std::to_string(field);
                break;
            }
            case HeaderField: {  // format, track count or division
                const std::size_t field = 8 + 2 * below(3);
                const std::uint16_t values[] = {
                    0,      1,      2,
                    3,      0x7FFF, 0x8000,
                    0xE728, 0xFFFF, static_cast<std::uint16_t>((b[field] << 8 | b[field + 1]) + 1)};
                const std::uint16_t value = values[below(std::size(values))];
                b[field] = static_cast<std::uint8_t>(value >> 8);
                b[field + 1] = static_cast<std::uint8_t>(value);
                how = "header field " + std::to_string(field) + " set to " + std::to_string(value);
                break;
            }
            default: {  // the start of this song, then the rest of another
                const Bytes& other = baseSongs()[below(baseSongs().size())].bytes;
                const std::size_t from = below(other.size());
                b.resize(at);
                b.insert(b.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
                how = "spliced" + where + " with another song from " + std::to_string(from);
                break;
            }
        }
        return b;
    }

    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : static_cast<std::size_t>(rng_() % bound); }

private:
    std::mt19937_64 rng_;
};

class DamagedFiles : public ::testing::TestWithParam<int> {
protected:
    std::optional<std::string> exercise(const Bytes& bytes, double cutTime, bool guardOldFile) {
        return checkReaders(src_.write("SONG.MID", bytes), bytes.size(), dest_.path(), cutTime, guardOldFile, tally_);
    }

    quorvane::test::TempDir src_, dest_;
    Tally tally_;
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
    const std::optional<std::string> problem = exercise(bytes, 768, false);  // the first bar line, tick 1920
    EXPECT_FALSE(problem) << *problem;
}

// Each damage (and, last, two to four of them stacked) on every base song,
// cut at its start, inside, at its end and past it.
TEST_P(DamagedFiles, NothingButARefusalOrAReadableCut) {
    constexpr int kPerSong = 200;
    Damager damager(0x5EED + GetParam());
    int reports = 0, mutants = 0;
    for (const BaseSong& song : baseSongs()) {
        for (int k = 0; k < kPerSong && reports < 10; ++k, ++mutants) {
            std::string how;
            BaseSong mutant{song.name, {}, song.endCutTime};
            if (GetParam() < kDamages) {
                mutant.bytes = damager.damaged(song, static_cast<Damage>(GetParam()), how);
            } else {
                mutant.bytes = song.bytes;
                for (std::size_t i = 0, n = 2 + damager.below(3); i < n; ++i) {
                    std::string step;
                    mutant.bytes = damager.damaged(mutant, static_cast<Damage>(damager.below(kDamages)), step);
                    how += step + "; ";
                }
            }
            const double fractions[] = {0.0, 0.25, 0.6, 0.97, 3.0};
            const double cutTime = fractions[k % std::size(fractions)] * song.endCutTime;
            if (auto problem = exercise(mutant.bytes, cutTime, k % 7 == 3)) {
                ++reports;
                ADD_FAILURE() << song.name << ", " << how << " cut at " << cutTime << ": " << *problem;
            }
        }
    }
    // Both outcomes must occur, or the damage tests less than it seems.
    EXPECT_GT(tally_.cuts, 0u) << "no mutant was cut";
    EXPECT_GT(tally_.failedCuts, 0u) << "every mutant was cut";
    std::printf("  %d mutants: %zu pre-read, %zu cuts written, %zu refused\n", mutants, tally_.preReads, tally_.cuts,
                tally_.failedCuts);
}

std::string damageName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kNames[] = {"Truncated",   "FlippedBits", "TellingByte", "Inserted", "RemovedOrRepeated",
                                         "LyingLength", "HeaderField", "Spliced",     "Stacked"};
    return kNames[info.param];
}
INSTANTIATE_TEST_SUITE_P(Damage, DamagedFiles, ::testing::Range(0, kDamages + 1), damageName);

}  // namespace
}  // namespace quorvane::robustness
