#include <climits>

#include "engine/byte_reader.hpp"
#include "platform/text.hpp"
#include "workflow/error_text.hpp"
#include "engine/timeline.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

// A song at 768 ticks per quarter note whose End of Track lies at `ticks`.
Bytes longSong(std::uint32_t ticks) {
    Bytes events;
    for (; ticks > 0x0FFFFFFF; ticks -= 0x0FFFFFFF) events = cat({events, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0x00}});
    return cat({header(0, 1, 768), track(cat({events, endOfTrackAfter(ticks)}))});
}

TEST(SongLength, TheLatestTrackEndInMusicTimeRoundedHalfUp) {
    TempDir dir;
    const struct {
        Bytes song;
        std::int32_t length;
    } cases[] = {
        // Division 7: 5 ticks is 548.57 music ticks; 7 ticks is 768.
        {cat({header(1, 2, 7), track(cat({{0x05, 0xFF, 0x2F, 0x00}})),
              track(cat({{0x03, 0x90, 1, 1}, {0x04, 0xFF, 0x2F, 0x00}}))}),
         768},
        {cat({header(0, 1, 1536), track({0x01, 0xFF, 0x2F, 0x00})}), 1},  // half a tick rounds up
        {cat({header(0, 1, 96), track({})}), 0},                          // an empty track ends at once
        // A track without End of Track ends at its last event inside its chunk;
        // one with it ends there, whatever follows, and other meta events go on.
        {cat({header(0, 1, 96), track({0x60, 0x90, 1, 1})}), 768},
        {cat({header(0, 1, 96), track({0x00, 0xFF, 0x01, 0x01, 'x', 0x60, 0xFF, 0x2F, 0x00, 0x60, 0x90, 1, 1})}), 768},
        // The longest song 32-bit music time holds.
        {longSong(0x7FFFFFFF), 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Timeline::read(dir.write("A.MID", c.song)).musicLength(), c.length);
    }
    for (const Bytes& refused : {cat({header(0, 1, 96), track({0x00, 0xFF, 0x90, 0x00})}), longSong(0x80000000)}) {
        // Every refusal names its place in the file: a Format 0 cut reads the timeline too.
        EXPECT_NE(expectFileError([&] { Timeline::read(dir.write("D.MID", refused)); }).find(" (at byte "),
                  std::string::npos);
    }
}

// Letters change case one for one, in two bytes as in one; what is not a
// letter of these scripts, or not well-formed UTF-8, is kept.
TEST(Text, CaseOfLatinGreekAndCyrillicNames) {
    const std::pair<std::string, std::string> lowerUpper[] = {
        {"façade.mid", "FAÇADE.MID"},
        {"ünïcödé ☃.mid", "ÜNÏCÖDÉ ☃.MID"},
        {"ÿ ā ĸ ĺ ň ŋ ź ž", "Ÿ Ā ĸ Ĺ Ň Ŋ Ź Ž"},
        {"ά έ ί ό ύ ώ αβγ σ ω ϙ", "Ά Έ Ί Ό Ύ Ώ ΑΒΓ Σ Ω Ϙ"},
        {"ѐ џ а я ѡ ҋ ӏ ӂ ӑ ԯ", "Ѐ Џ А Я Ѡ Ҋ Ӏ Ӂ Ӑ Ԯ"},
        {"ı ſ µ ß \xC3 \xA7\xC3", "ı ſ µ ß \xC3 \xA7\xC3"},
    };
    for (const auto& [lower, upper] : lowerUpper) {
        EXPECT_EQ(upperCase(lower), upper);
        EXPECT_EQ(lowerCase(upper), lower);
        EXPECT_EQ(upperCase(upper), upper);
        EXPECT_EQ(lowerCase(lower), lower);
    }
    EXPECT_EQ(upperCase("ς"), "Σ");
    EXPECT_EQ(characterCount("C:\\"), 3u);
    EXPECT_EQ(characterCount("Ç:☃"), 3u);
}

// What a log line or a terminal shows of a name: control characters (C0,
// DEL, C1) and each byte that is not well-formed UTF-8 as '?', the rest kept.
TEST(Text, ControlCharactersAndBytesThatAreNotUtf8AreShownAsQuestionMarks) {
    const std::pair<std::string, std::string> shown[] = {
        {"façade ☃ \xF0\x9F\x98\x80.mid", "façade ☃ \xF0\x9F\x98\x80.mid"},
        {"a\nb\tc\x1B[2J\x7F", "a?b?c?[2J?"},
        {"\xC2\x80 \xC2\x9B \xC2\x9F \xC2\xA0", "? ? ? \xC2\xA0"},  // C1; a no-break space is kept
        {"caf\xE9 \x85", "caf? ?"},                                 // Latin-1
        // Overlong, a surrogate, past U+10FFFF, cut short.
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82", "?? ??? ???? ??"},
    };
    for (const auto& [text, expected] : shown) EXPECT_EQ(withoutControlCharacters(text), expected);
}

// Names sort with case and diacritics of Latin, Greek and Cyrillic letters
// aside, combining marks too; different letters keep the alphabet's order.
TEST(Text, SortKeysFoldCaseAndDiacritics) {
    const std::pair<std::string, std::string> alike[] = {
        {"Äpfel", "apfel"},    {"ÉTÉ", "ete"},           {"Ω", "ω"},
        {"Ά ΐ ς", "α ι σ"},    {"ЁЙ Ї", "еи і"},         {"Łódź", "lodz"},
        {"Ș Ţ", "s t"},        {"Ắ Ữ", "a u"},           {"Ӂ", "ж"},
        {"Straße", "strasse"}, {"Œuvre Æ", "oeuvre ae"}, {"A\xCC\x88pfel", "apfel"},  // decomposed, as macOS names are
    };
    for (const auto& [a, b] : alike) EXPECT_TRUE(sortKey(a) == sortKey(b)) << a << " " << b;
    const std::string ascending[] = {"0", "_", "ä", "B", "é", "Z", "þ", "Ω", "ё", "Я", "\xFF"};
    for (std::size_t k = 1; k < std::size(ascending); ++k)
        EXPECT_TRUE(sortKey(ascending[k - 1]) < sortKey(ascending[k])) << ascending[k - 1] << " " << ascending[k];
}

std::string shown(const std::function<void()>& refused, const std::string& currentFile) {
    try {
        refused();
    } catch (...) {
        return describeCommandError(std::current_exception(), currentFile);
    }
    return "not refused";
}

TEST(ErrorText, SliderErrorsNameTheirNumberAndWhatWasRefusedOnce) {
    SliderModel slider;
    slider.setMax(1);
    EXPECT_EQ(shown([&] { slider.setMax(0); }, ""),
              "Error 380: invalid property value: Max = 0 refused (Max must be above Min = 0)");
    slider.setMin(-1);
    EXPECT_EQ(shown([&] { slider.setMax(INT_MAX); }, "/songs/A.MID"),
              "Error 6: overflow: Max = 2147483647 refused "
              "(Max - Min does not fit in 32 bits with Min = -1)\n/songs/A.MID");
}

TEST(ErrorText, FileErrorsGiveTheirHeadlineFileReasonAndPlace) {
    const struct {
        FileError error;
        const char* message;  // in the window; the log line leaves out the file
    } cases[] = {
        {{ErrorKind::UnreadableMidi, "/s/A.MID", "the file ends early", 100},
         "CANNOT READ MIDI FILE: /s/A.MID: the file ends early (at byte 100)"},
        {{ErrorKind::CannotOpen, "/s/A.MID", "not a regular file"}, "CANNOT OPEN FILE: /s/A.MID: not a regular file"},
        {{ErrorKind::CannotRead, "/s/A.MID", "read error", 0}, "CANNOT READ FILE: /s/A.MID: read error (at byte 0)"},
        {{ErrorKind::CannotWrite, "/s/A-CUT.mid", "disk full"}, "CANNOT WRITE FILE: /s/A-CUT.mid: disk full"},
        {{ErrorKind::CannotCut, "/s/A.MID", "too far"}, "CANNOT CUT FILE: /s/A.MID: too far"},
        {{ErrorKind::NotPrepared, "/s/A.MID", ""}, "FILE NOT READY TO CUT: /s/A.MID"},
    };
    for (const auto& c : cases) {
        const std::exception_ptr error = std::make_exception_ptr(c.error);
        EXPECT_EQ(describeError(error, "/s/OTHER.MID"), c.message);
        std::string logged = c.message;
        logged.erase(logged.find(": " + c.error.file()), 2 + c.error.file().size());
        EXPECT_EQ(describeFileFailure(error), logged);
    }
}

// A file that opens but cannot be read says so (Linux: the process's own
// memory reads as an error at address 0).
TEST(ErrorText, AReadFailureAfterOpeningIsNotAnOpenFailure) {
    if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem to fail a read";
    ByteReader in = ByteReader::open("/proc/self/mem", "mem.mid");
    EXPECT_EQ(shown([&] { in.u8(); }, ""), "CANNOT READ FILE: mem.mid: read error (at byte 0)");
}

}  // namespace
}  // namespace quorvane::test
