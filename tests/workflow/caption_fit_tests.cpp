// How every face shortens a caption too long for its place.

#include <gtest/gtest.h>

#include "platform/text.hpp"
#include "workflow/caption_fit.hpp"

namespace quorvane {
namespace {

// One pixel a character, as a fixed-width font of one-pixel letters would.
int characters(std::string_view text) { return static_cast<int>(characterCount(text)); }

// A text that fits is kept whole; a longer one keeps its start and end around
// an ellipsis, the first half one more, and never splits a character (each
// \u00e9 takes two bytes). A sentence keeps the words around the longest name
// it gives; one whose words alone do not fit, or that gives no names, is cut
// in its middle.
TEST(CaptionFit, ALongTextKeepsItsEndsAndASentenceItsWords) {
    const std::string sentence = "The destination folder A cannot be written.";
    const struct {
        std::string text;
        int room;
        std::vector<std::string> names;
        std::string shown;
    } cases[] = {
        {"C:\\songs", 8, {}, "C:\\songs"},
        {"abcdefghij", 7, {}, "abc\u2026hij"},
        {"abcdefghij", 6, {}, "abc\u2026ij"},
        {"abcdefghij", 1, {}, "\u2026"},
        {"abcdefghij", 0, {}, ""},
        {"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 4, {}, "\u00e9\u00e9\u2026\u00e9"},
        {"Ready to cut: A.MID", 19, {"A.MID"}, "Ready to cut: A.MID"},
        {"Cut C:\\music\\long-song-name.mid to 00:30.",
         30,
         {"C:", "C:\\music\\long-song-name.mid"},
         "Cut C:\\music\u2026ame.mid to 00:30."},
        {sentence, 10, {"A"}, "The d\u2026ten."},
        {sentence, 10, {}, "The d\u2026ten."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shortenCaption(c.text, c.room, c.names, characters), c.shown) << c.text << " in " << c.room;
        if (c.names.empty()) {
            EXPECT_EQ(elideMiddle(c.text, c.room, characters), c.shown) << c.text << " in " << c.room;
        }
    }
}

}  // namespace
}  // namespace quorvane
