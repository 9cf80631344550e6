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

TEST(CaptionText, ATextThatFitsIsKeptWhole) {
    EXPECT_EQ(elideMiddle("C:\\songs", 8, kWidth), "C:\\songs");
    EXPECT_EQ(shortenCaption("Ready to cut: A.MID", 19, {"A.MID"}, kWidth), "Ready to cut: A.MID");
}

TEST(CaptionText, ALongTextKeepsItsStartAndEndAroundAnEllipsis) {
    EXPECT_EQ(elideMiddle("abcdefghij", 7, kWidth), "abc\u2026hij");
    EXPECT_EQ(elideMiddle("abcdefghij", 6, kWidth), "abc\u2026ij");  // the first half one more
    EXPECT_EQ(elideMiddle("abcdefghij", 1, kWidth), "\u2026");
    EXPECT_EQ(elideMiddle("abcdefghij", 0, kWidth), "");
}

TEST(CaptionText, NoCharacterIsSplit) {
    // Each of these letters takes two bytes: a cut between them would leave
    // half a letter.
    const std::string shown = elideMiddle("\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 4, kWidth);
    EXPECT_EQ(shown, "\u00e9\u00e9\u2026\u00e9");
}

TEST(CaptionText, ASentenceIsCutInsideTheLongestNameItGives) {
    const std::string text = "Cut C:\\music\\long-song-name.mid to 00:30.";
    // The words around the name stay whole; the shorter name is not the one cut.
    EXPECT_EQ(shortenCaption(text, 30, {"C:", "C:\\music\\long-song-name.mid"}, kWidth),
              "Cut C:\\music\u2026ame.mid to 00:30.");
}

TEST(CaptionText, ASentenceWhoseWordsAloneDoNotFitIsCutInItsMiddle) {
    const std::string text = "The destination folder A cannot be written.";
    EXPECT_EQ(shortenCaption(text, 10, {"A"}, kWidth), elideMiddle(text, 10, kWidth));
    // Without names, as any caption.
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
    EXPECT_FALSE(selectedRow("0", 3));
    EXPECT_FALSE(selectedRow("4", 3));
    EXPECT_FALSE(selectedRow("2x", 3));
    EXPECT_FALSE(selectedRow("", 3));
    EXPECT_FALSE(selectedRow("1", 0));
}

}  // namespace
}  // namespace quorvane::win32
