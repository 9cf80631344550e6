// Damaged files against the pre-reader and both cutters (see oracle.hpp):
// nothing may escape but FileError, nothing may crash or hang.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "engine_test_util.hpp"
#include "midi_builder.hpp"
#include "mutations.hpp"
#include "oracle.hpp"

namespace quorvane::robustness {
namespace {

// Reported failures per test before the rest of its mutants are skipped.
constexpr std::size_t kMaxReports = 10;

// A private source and destination folder, removed at the end of the test.
class MutationTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::printf("  %zu mutants: %zu pre-read, %zu cuts written, %zu cuts refused\n", mutants_, tally_.preReads,
                    tally_.cuts, tally_.failedCuts);
    }

    // Runs the readers on one mutant; reports the first broken promise.
    void check(const Mutant& mutant, const BaseSong& base) {
        if (reports_ >= kMaxReports) return;
        const std::size_t index = mutants_++;
        const double fractions[] = {0.0, 0.25, 0.6, 0.97, 3.0};
        const double cutTime = fractions[index % std::size(fractions)] * base.endCutTime;
        const bool guardOldFile = index % 7 == 3;
        if (const std::optional<std::string> problem = exercise(mutant.bytes, cutTime, guardOldFile)) {
            ++reports_;
            ADD_FAILURE() << "mutant " << index << " of \"" << base.name << "\" (" << mutant.how << "), cut at "
                          << cutTime << ": " << *problem;
        }
    }

    // Every family must reach both outcomes, or it tests less than it seems.
    void expectBothOutcomes() const {
        EXPECT_GT(tally_.cuts, 0u) << "no mutant was cut: the damage is too crude";
        EXPECT_GT(tally_.failedCuts, 0u) << "every mutant was cut: the damage is too mild";
    }

    std::optional<std::string> exercise(const Bytes& bytes, double cutTime, bool guardOldFile) {
        return checkReaders(src_.write("SONG.MID", bytes), bytes.size(), dest_.path(), cutTime, guardOldFile, tally_);
    }

    test::TempDir src_, dest_;
    std::size_t reports_ = 0;
    std::size_t mutants_ = 0;
    Tally tally_;
};

TEST_F(MutationTest, BaseSongsAreReadAndCutCleanly) {
    for (const BaseSong& song : baseSongs()) {
        for (int k = 0; k < 5; ++k) check(Mutant{song.bytes, "undamaged"}, song);
    }
    EXPECT_EQ(tally_.preReads, mutants_);
    EXPECT_EQ(tally_.failedCuts, 0u);
}

// The pre-reader stops at the first Set Tempo. When that one lies after the
// cut, the cut file's first Set Tempo is a later track's, which the
// pre-reader never met in the source; the Format 1 cutter copies it as it is,
// so it checks every Set Tempo it copies: a Set Tempo of 0 there would make
// its own cut file unreadable to the pre-reader.
TEST_F(MutationTest, CutFileReadsBackWhenTheFirstTempoFallsAfterTheCut) {
    using testing::SmfBuilder;
    using testing::TrackBuilder;
    TrackBuilder first;
    first.noteOn(0, 0, 60, 100).noteOff(3840, 0, 60).tempo(0, 500000).endOfTrack();
    TrackBuilder second;
    second.meta(0, 0x51, {0x00, 0x00, 0x00}).noteOn(0, 1, 62, 100).noteOff(3840, 1, 62).endOfTrack();
    const Bytes bytes = SmfBuilder().format(1).division(480).track(first).track(second).bytes();
    // One quarter note: the cut falls at the first bar line, tick 1920.
    const std::optional<std::string> problem = exercise(bytes, 768, false);
    EXPECT_FALSE(problem) << *problem;
}

struct Family {
    const char* name;
    Damage damage;
    std::size_t count;
    std::uint64_t seed;
};
void PrintTo(const Family& family, std::ostream* out) { *out << family.name; }

class Damaged : public MutationTest, public ::testing::WithParamInterface<Family> {};

TEST_P(Damaged, Songs) {
    Mutator mutator(GetParam().seed);
    for (const BaseSong& song : baseSongs()) {
        for (std::size_t k = 0; k < GetParam().count / baseSongs().size(); ++k)
            check(mutator.damaged(song, GetParam().damage), song);
    }
    expectBothOutcomes();
}

// 21,700 mutants in all, each family's spread evenly over the base songs.
INSTANTIATE_TEST_SUITE_P(MutationTest, Damaged,
                         ::testing::Values(Family{"Truncations", Damage::Truncate, 4200, 0x7275'6E63},
                                           Family{"FlippedBits", Damage::FlipBits, 4200, 0x666C'6970},
                                           Family{"TellingByteValues", Damage::ReplaceByte, 2800, 0x7465'6C6C},
                                           Family{"LyingFields", Damage::Lie, 4900, 0x6C69'6573},
                                           Family{"InsertedRemovedRepeated", Damage::Reshape, 2800, 0x7368'6170},
                                           Family{"Stacked", Damage::Stack, 2100, 0x7374'6163},
                                           Family{"SplicedSongs", Damage::Splice, 700, 0x7370'6C69}),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::robustness
