#include "engine/text.hpp"
#include "workflow/midi_listing.hpp"
#include "workflow_fixture.hpp"

namespace quorvane::test {
namespace {

class Folders : public WindowFixture {};

TEST_F(Folders, ListsMidiFilesInUpperCaseWithTheirNamesOnDisk) {
    songs.write("song.mid", {});
    songs.write("OLD.Mid", {});
    songs.write("façade.mid", {});  // upper case is not only ASCII
    songs.write("track.midi", {});
    songs.write(".hidden.mid", {});
    songs.write("song-cut.mid", {});
    songs.write("OLD-CUT.Mid", {});
    std::filesystem::create_directory(songs.path() / "folder.mid");
    openSource();
    ASSERT_EQ(form.ListMIDI.size(), 3u);
    EXPECT_EQ(form.ListMIDI[0].text, "FAÇADE.MID");
    EXPECT_EQ(form.ListMIDI[1].text, "OLD.MID");
    EXPECT_EQ(form.ListMIDI[1].diskName, "OLD.Mid");
    EXPECT_EQ(form.ListMIDI[2].text, "SONG.MID");
    EXPECT_EQ(form.LabFound, "3");
    EXPECT_EQ(form.TextPath, songs.path().string());
    EXPECT_EQ(picker.requests.at(0).title, "Choose Harmara source path...");
    EXPECT_EQ(LastFolder(), songs.path().string() + pathSeparator());
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

TEST_F(Folders, CancelledDialogsFallBackToTheLastFolder) {
    const std::string sep = pathSeparator();
    openSource();
    form.Image2_Click();  // DEST cancelled: the source folder, with a separator
    EXPECT_EQ(form.appState().TextDest, songs.path().string() + sep);
    EXPECT_EQ(picker.requests.at(1).title, "Choose Midi-Files destination path...");
    EXPECT_EQ(picker.requests.at(1).startFolder, songs.path().string() + sep);

    // The cut goes there, through a doubled separator the file system accepts.
    songs.write("X.MID", steadySong(0, 500000, 8));
    form.Image1_Click();  // SOURCE cancelled: lists from the last folder
    EXPECT_EQ(form.TextPath, songs.path().string() + sep);
    ASSERT_EQ(form.ListMIDI.size(), 1u);
    form.ListMIDI_Click(0);
    segmento.SetValue(2);
    form.Image4_Click();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
    EXPECT_TRUE(std::filesystem::exists(songs.path() / "x-cut.mid"));

    // A path of up to three characters (a drive root such as C:\) is kept as
    // it is; a longer one gets a separator.
    for (const auto& [chosen, last] :
         {std::pair{sep, sep}, std::pair{sep + "ab", sep + "ab"}, std::pair{sep + "abc", sep + "abc" + sep}}) {
        picker.answers.push_back(chosen);
        form.Image2_Click();
        EXPECT_EQ(LastFolder(), last);
    }
}

TEST_F(Folders, FirstSourceCancelledListsTheRootAndKeepsTheCurrentFile) {
    songs.write("K.MID", steadySong(0, 500000, 8));
    openSource();
    form.ListMIDI_Click(0);
    const std::string current = form.appState().FilePath;
    LastFolder().clear();
    form.Image1_Click();  // cancelled
    EXPECT_EQ(form.TextPath, "");
    EXPECT_EQ(form.appState().FilePath, current);
    EXPECT_EQ(form.appState().Text9, current);
    EXPECT_TRUE(messages.messages.empty());

    picker.answers.push_back((songs.path() / "missing").string());
    form.Image1_Click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("missing"), std::string::npos);
}

}  // namespace
}  // namespace quorvane::test
