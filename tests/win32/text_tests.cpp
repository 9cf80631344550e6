// The window's command line.

#include <gtest/gtest.h>

#include "win32/command_line.hpp"

namespace quorvane::win32 {
namespace {

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
