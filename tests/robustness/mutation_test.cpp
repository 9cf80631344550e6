// Damaged files against the pre-reader and both cutters (see oracle.hpp):
// nothing may escape but FileError, nothing may crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "midi_builder.hpp"
#include "mutations.hpp"
#include "oracle.hpp"

namespace quorvane::robustness {
namespace {

namespace fs = std::filesystem;

// Mutants per family, spread evenly over the base songs.
constexpr std::size_t kTruncations = 4200;
constexpr std::size_t kFlips = 4200;
constexpr std::size_t kReplacements = 2800;
constexpr std::size_t kLies = 4900;
constexpr std::size_t kReshapes = 2800;
constexpr std::size_t kStacks = 2100;
constexpr std::size_t kSplices = 700;
static_assert(kTruncations + kFlips + kReplacements + kLies + kReshapes + kStacks + kSplices >= 20000);

// Reported failures per test before the rest of its mutants are skipped.
constexpr std::size_t kMaxReports = 10;

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A private source and destination folder under the system's temporary
// folder, removed with everything in it at the end of the test.
class MutationTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        std::string name = info->name();
        std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests: "Songs/FlippedBits"
        root_ = fs::temp_directory_path() / ("quorvane-robustness-" + name + "-" + std::to_string(random()));
        fs::create_directories(root_ / "in");
        fs::create_directories(root_ / "out");
        source_ = root_ / "in" / "SONG.MID";
        dest_ = root_ / "out";
    }

    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
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
        writeBytes(source_, bytes);
        return checkReaders(source_, bytes.size(), dest_, cutTime, guardOldFile, tally_);
    }

    fs::path root_;
    fs::path source_;
    fs::path dest_;
    std::size_t reports_ = 0;
    std::size_t mutants_ = 0;
    Tally tally_;
};

// Makes an equal share of `quota` mutants from each base song.
template <typename Make>
void forEachSong(std::size_t quota, Make&& make) {
    const std::vector<BaseSong>& songs = baseSongs();
    for (const BaseSong& song : songs) {
        for (std::size_t k = 0; k < quota / songs.size(); ++k) make(song);
    }
}

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

TEST_F(MutationTest, Truncations) {
    Mutator mutator(0x7275'6E63);
    for (const BaseSong& song : baseSongs()) {
        const std::size_t quota = kTruncations / baseSongs().size();
        // Right at and right after the fields a reader trusts, then anywhere.
        std::vector<std::size_t> lengths;
        for (std::size_t n = 0; n < 14; ++n) lengths.push_back(n);
        const Landmarks& marks = song.marks;
        for (std::size_t at : marks.chunkLengths) lengths.insert(lengths.end(), {at, at + 2, at + 4});
        for (std::size_t at : marks.statusBytes) lengths.insert(lengths.end(), {at, at + 1, at + 2});
        for (std::size_t at : marks.tempoData) lengths.insert(lengths.end(), {at + 1, at + 3});
        for (std::size_t end : marks.chunkEnds) lengths.insert(lengths.end(), {end - 1, end});
        for (const Field& field : marks.payloadLengths)
            lengths.insert(lengths.end(), {field.at + 1, field.at + field.size});
        std::sort(lengths.begin(), lengths.end());
        lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
        // At most half the quota on landmarks, evenly spread.
        std::vector<std::size_t> chosen;
        const std::size_t aimed = std::min(lengths.size(), quota / 2);
        for (std::size_t k = 0; k < aimed; ++k) chosen.push_back(lengths[k * lengths.size() / aimed]);
        while (chosen.size() < quota) chosen.push_back(mutator.below(song.bytes.size()));
        for (std::size_t length : chosen) check(mutator.truncate(song, length), song);
    }
    expectBothOutcomes();
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
    forEachSong(GetParam().count, [&](const BaseSong& song) { check(mutator.damaged(song, GetParam().damage), song); });
    expectBothOutcomes();
}

INSTANTIATE_TEST_SUITE_P(MutationTest, Damaged,
                         ::testing::Values(Family{"FlippedBits", Damage::FlipBits, kFlips, 0x666C'6970},
                                           Family{"TellingByteValues", Damage::ReplaceByte, kReplacements, 0x7465'6C6C},
                                           Family{"LyingFields", Damage::Lie, kLies, 0x6C69'6573},
                                           Family{"InsertedRemovedRepeated", Damage::Reshape, kReshapes, 0x7368'6170},
                                           Family{"Stacked", Damage::Stack, kStacks, 0x7374'6163}),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

TEST_F(MutationTest, SplicedSongs) {
    Mutator mutator(0x7370'6C69);
    const std::vector<BaseSong>& songs = baseSongs();
    for (std::size_t k = 0; k < kSplices; ++k) {
        const BaseSong& first = songs[k % songs.size()];
        const BaseSong& second = songs[(k / songs.size() + k + 1) % songs.size()];
        check(mutator.splice(first, second), first);
    }
    expectBothOutcomes();
}

}  // namespace
}  // namespace quorvane::robustness
