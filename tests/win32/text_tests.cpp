// The window's texts: captions shortened to their place, and the command line.

#include <gtest/gtest.h>

#include "win32/caption_text.hpp"
#include "win32/command_line.hpp"

namespace quorvane::win32 {
namespace {

// One pixel a character, as a fixed-width font of one-pixel letters would.
int characters(std::string_view text) {
    int count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

const TextWidth kWidth = characters;

// A text that fits is kept whole; a longer one keeps its start and end around
// an ellipsis, the first half one more, and never splits a character (each
// \u00e9 takes two bytes).
TEST(CaptionText, ALongTextKeepsItsStartAndEndAroundAnEllipsis) {
    EXPECT_EQ(elideMiddle("C:\\songs", 8, kWidth), "C:\\songs");
    EXPECT_EQ(elideMiddle("abcdefghij", 7, kWidth), "abc\u2026hij");
    EXPECT_EQ(elideMiddle("abcdefghij", 6, kWidth), "abc\u2026ij");
    EXPECT_EQ(elideMiddle("abcdefghij", 1, kWidth), "\u2026");
    EXPECT_EQ(elideMiddle("abcdefghij", 0, kWidth), "");
    EXPECT_EQ(elideMiddle("\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 4, kWidth), "\u00e9\u00e9\u2026\u00e9");
}

// The words around the longest name stay whole; a sentence whose words alone
// do not fit, or that gives no names, is cut in its middle.
TEST(CaptionText, ASentenceIsCutInsideTheLongestNameItGives) {
    EXPECT_EQ(shortenCaption("Ready to cut: A.MID", 19, {"A.MID"}, kWidth), "Ready to cut: A.MID");
    EXPECT_EQ(shortenCaption("Cut C:\\music\\long-song-name.mid to 00:30.", 30, {"C:", "C:\\music\\long-song-name.mid"},
                             kWidth),
              "Cut C:\\music\u2026ame.mid to 00:30.");
    const std::string text = "The destination folder A cannot be written.";
    EXPECT_EQ(shortenCaption(text, 10, {"A"}, kWidth), elideMiddle(text, 10, kWidth));
    EXPECT_EQ(shortenCaption(text, 10, {}, kWidth), elideMiddle(text, 10, kWidth));
}

TEST(CommandLine, TakesTheWindowsOptionsWithTheirValuesAfterThemOrJoined) {
    const CommandLine line =
        parseCommandLine({"--source", "C:\\in", "--dest=D:\\out", "--select", "2", "--screenshot=a b.png"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.source, "C:\\in");
    EXPECT_EQ(line.dest, "D:\\out");
    EXPECT_EQ(line.select, "2");
    EXPECT_EQ(line.screenshot, "a b.png");
    EXPECT_FALSE(line.help);
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_FALSE(parseCommandLine({}).source);
}

TEST(CommandLine, RefusesUnknownOptionsArgumentsAndMissingValues) {
    EXPECT_EQ(parseCommandLine({"--sauce", "x"}).error, "Unknown option 'sauce'.");
    EXPECT_EQ(parseCommandLine({"song.mid"}).error, "unexpected argument \"song.mid\"");
    EXPECT_EQ(parseCommandLine({"--dest"}).error, "Missing value after '--dest'.");
}

TEST(CommandLine, SelectsOnlyARowTheListHas) {
    EXPECT_EQ(selectedRow("1", 3), 1);
    EXPECT_EQ(selectedRow("3", 3), 3);
    for (const auto& [text, rows] : {std::pair{"0", 3}, {"4", 3}, {"2x", 3}, {"", 3}, {"1", 0}})
        EXPECT_FALSE(selectedRow(text, rows)) << text << " of " << rows;
}

}  // namespace
}  // namespace quorvane::win32
