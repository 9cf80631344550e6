// The Windows window over the window model, driven as a user would: its
// controls receive the system's mouse and key messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "engine_test_util.hpp"
#include "scripted_services.hpp"
#include "ui/layout.hpp"
#include "win32/main_window.hpp"
#include "win32/skin.hpp"
#include "win32/value_tip.hpp"
#include "win32/window_settings.hpp"

namespace quorvane::win32 {
namespace {

namespace layout = ui::layout;
using namespace std::string_literals;

const std::vector<std::string> kSampleRows = {"FORMAT0_TEMPO_VOLUME.MID", "FORMAT1_BAND.MID",
                                              "FORMAT1_DIV96_PLAIN.MID"};

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

class Win32Window : public ::testing::Test {
protected:
    Win32Window() { window.model().batchPauseMs = 0; }

    // Handles the messages that wait, as the message loop would.
    static void pump() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    // A left click in the middle of a button, and what it queues.
    void click(layout::Button which) {
        HWND button = window.button(which).handle();
        ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
        ::SendMessageW(button, WM_LBUTTONUP, 0, at(5, 5));
        pump();
    }
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (int k = 0; k < window.list().count(); ++k) out.push_back(window.list().row(k));
        return out;
    }

    ScriptedFolderPicker folders;
    RecordingMessages messages;
    MessagePump events;
    NoPause pause;
    PlatformServices services{folders, messages, events, pause, nullptr};
    MainWindow window{services};
};

TEST_F(Win32Window, IsTheLayoutsSizeWithoutAFrameAndItsPicturesAreInTheProgram) {
    RECT frame;
    ::GetWindowRect(window.handle(), &frame);
    const auto picture = window.capture();
    using Size = std::pair<long, long>;
    const Size size{layout::kWindowWidth, layout::kWindowHeight};
    EXPECT_EQ(Size(frame.right - frame.left, frame.bottom - frame.top), size);
    EXPECT_EQ(Size(picture->width(), picture->height()), size);
    Skin skin;
    for (const layout::ButtonPlace& button : layout::kButtons) {
        EXPECT_EQ(skin.picture(button.released).width(), button.box.width) << button.released;
        EXPECT_EQ(skin.picture(button.pressed).height(), button.box.height) << button.pressed;
    }
    EXPECT_EQ(skin.picture(layout::kBackground).width(), layout::kWindowWidth);
    EXPECT_THROW(skin.picture("NOSUCHPICTURE"), std::runtime_error);
}

TEST_F(Win32Window, SourceAsksForTheFolderAndListsItsSongs) {
    folders.answers.push_back(QUORVANE_SAMPLES);
    click(layout::Source);
    ASSERT_EQ(folders.requests.size(), 1u);
    EXPECT_EQ(folders.requests[0].title, "Choose Harmara source path...");
    EXPECT_EQ(rows(), kSampleRows);
    EXPECT_EQ(window.shownCaption(layout::kListedCountCaption), "3");
    EXPECT_EQ(messages.messages, std::vector<std::string>{});
}

// A cancelled SOURCE or DEST changes nothing: folders, list, song and what the window would remember.
TEST_F(Win32Window, ACancelledFolderDialogChangesNothing) {
    test::TempDir home;
    folders.answers = {QUORVANE_SAMPLES, home.path().string()};
    click(layout::Source);
    click(layout::Dest);
    window.chooseRow(1);
    window.clipSlider().setValue(45);
    const auto state = [&] {
        WindowSettings(home.file("quorvane.ini")).save(window);
        return std::make_tuple(window.shownCaption(layout::kSourceFolderCaption),
                               window.shownCaption(layout::kDestFolderCaption), rows(), window.list().currentRow(),
                               window.model().status, test::readBytes(home.file("quorvane.ini")));
    };
    const auto before = state();
    for (const layout::Button which : {layout::Source, layout::Dest}) {
        click(which);  // no answer left: the dialog is cancelled
        EXPECT_EQ(state(), before) << which;
    }
    EXPECT_EQ(folders.requests.size(), 4u);
    EXPECT_EQ(messages.messages, std::vector<std::string>{});
}

// A broken song chosen with the mouse gives one message box, and is left unmarked.
TEST_F(Win32Window, ABrokenSongGivesOneMessage) {
    test::TempDir folder;
    folder.write("broken.mid", test::Bytes{'M', 'T', 'h', 'd', 0, 0});
    folders.answers.push_back(folder.path().string());
    click(layout::Source);
    ASSERT_EQ(rows(), std::vector<std::string>{"BROKEN.MID"});
    HWND list = window.list().handle();
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
    ::SendMessageW(list, WM_LBUTTONUP, 0, at(5, 5));
    pump();
    ::SetFocus(window.button(layout::Dest).handle());
    ::SetFocus(list);
    pump();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].rfind("CANNOT READ MIDI FILE", 0), 0u) << messages.messages[0];
    EXPECT_EQ(window.list().currentRow(), -1);
}

TEST_F(Win32Window, AButtonShowsItsPressedPictureWhileHeldAndNoneBefore) {
    PictureButton& button = window.button(layout::CutOne);
    EXPECT_EQ(button.pictureName(), "") << "the background shows the button until its first press";
    ::SendMessageW(button.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(3, 3));
    EXPECT_EQ(button.pictureName(), "CUTONEDW");
    // Released away from the button: no click.
    ::SendMessageW(button.handle(), WM_LBUTTONUP, 0, at(-40, 3));
    EXPECT_EQ(button.pictureName(), "CUTONE");
    pump();
    EXPECT_EQ(messages.messages, std::vector<std::string>{});
    // A click without a song says why nothing was cut.
    click(layout::CutOne);
    EXPECT_FALSE(window.model().status.empty());
}

TEST_F(Win32Window, TheLedOfTheButtonUnderThePointerLights) {
    const auto lit = [&] { return std::vector{window.ledLit(0), window.ledLit(1), window.ledLit(2)}; };
    EXPECT_EQ(lit(), std::vector<std::optional<bool>>(3)) << "no picture until first set";
    ::SendMessageW(window.button(layout::Dest).handle(), WM_MOUSEMOVE, 0, at(4, 4));
    EXPECT_EQ(lit(), (std::vector<std::optional<bool>>{false, true, false}));
    // The bare background darkens them all; an LED itself leaves them be.
    ::SendMessageW(window.button(layout::CutAll).handle(), WM_MOUSEMOVE, 0, at(4, 4));
    const layout::Box& led = layout::kLeds[2].box;
    ::SendMessageW(window.handle(), WM_MOUSEMOVE, 0, at(led.left + 2, led.top + 2));
    EXPECT_EQ(window.ledLit(2), true);
    ::SendMessageW(window.handle(), WM_MOUSEMOVE, 0, at(300, 10));
    EXPECT_EQ(lit(), (std::vector<std::optional<bool>>{false, false, false}));
}

TEST_F(Win32Window, TheCutSlidersKeysMoveItAndShowTheTipWithoutTakingTheFocus) {
    window.model().useSourceFolder(QUORVANE_SAMPLES);
    window.refresh();
    window.chooseRow(1);
    SliderControl& slider = window.cutSlider();
    ::SetFocus(slider.handle());
    ::SendMessageW(slider.handle(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(std::make_pair(slider.value(), window.model().cutPointTime), std::make_pair(slider.min(), "00:00"s));
    ::SendMessageW(slider.handle(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(slider.value(), slider.max());
    HWND tip = ValueTip::current();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(::IsWindowVisible(tip));
    EXPECT_EQ(ValueTip::shownText(), window.model().timeAtPosition(slider.max()));
    const LONG_PTR style = WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    EXPECT_EQ(::GetWindowLongPtrW(tip, GWL_EXSTYLE) & style, style);
    EXPECT_EQ(::GetFocus(), slider.handle()) << "the tip never takes the focus";
    ::SendMessageW(slider.handle(), WM_KEYUP, VK_END, 0);
    EXPECT_EQ(ValueTip::current(), nullptr);
}

TEST_F(Win32Window, DraggingTheClipSlidersThumbSetsTheClipLength) {
    SliderControl& slider = window.clipSlider();
    RECT box;
    ::GetClientRect(slider.handle(), &box);
    // A press at the bottom of the track (Min at the bottom), then at the top.
    ::SendMessageW(slider.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(box.right / 2, box.bottom - 1));
    EXPECT_EQ(slider.value(), slider.min());
    EXPECT_NE(ValueTip::current(), nullptr);
    ::SendMessageW(slider.handle(), WM_MOUSEMOVE, MK_LBUTTON, at(box.right / 2, 0));
    EXPECT_EQ(slider.value(), slider.max());
    ::SendMessageW(slider.handle(), WM_LBUTTONUP, 0, at(box.right / 2, 0));
    EXPECT_EQ(ValueTip::current(), nullptr);
    EXPECT_EQ(window.shownCaption(layout::kClipLengthCaption), window.model().clipLengthText);
}

// A key pressed on `control`, as the message loop takes it.
bool pressKey(MainWindow& window, HWND control, WPARAM key) {
    const MSG message{control, WM_KEYDOWN, key, 0, 0, {}};
    return window.keys().translate(message);
}

TEST_F(Win32Window, TabGoesDownTheLeftColumnThenTheRightWithTheRing) {
    HWND source = window.button(layout::Source).handle();
    ::SetFocus(source);
    const HWND order[] = {window.button(layout::Dest).handle(),
                          window.button(layout::CutAll).handle(),
                          window.clipSlider().handle(),
                          window.list().handle(),
                          window.cutSlider().handle(),
                          window.button(layout::Play).handle(),
                          window.button(layout::CutOne).handle(),
                          window.button(layout::Minimise).handle(),
                          window.button(layout::Exit).handle(),
                          source};
    for (HWND next : order) {
        EXPECT_TRUE(pressKey(window, ::GetFocus(), VK_TAB));
        EXPECT_EQ(::GetFocus(), next);
        EXPECT_EQ(window.keys().ringTarget(), next);
    }
    // A click hides the ring; the focus stays where it was.
    const MSG click{window.handle(), WM_LBUTTONDOWN, MK_LBUTTON, at(300, 10), 0, {}};
    EXPECT_FALSE(window.keys().translate(click));
    EXPECT_EQ(window.keys().ringTarget(), nullptr);
}

// F5 lists the source again; Esc without a batch stops nothing; a focused
// button keeps Space for itself, elsewhere Space plays.
TEST_F(Win32Window, TheWindowsKeysListAgainStopAndPlay) {
    test::TempDir folder;
    window.model().useSourceFolder(folder.path().string());
    window.refresh();
    std::filesystem::copy_file(std::filesystem::path(QUORVANE_SAMPLES) / "format1_band.mid",
                               folder.path() / "song.mid");
    EXPECT_TRUE(pressKey(window, window.list().handle(), VK_F5));
    EXPECT_EQ(rows(), std::vector<std::string>{"SONG.MID"});
    EXPECT_TRUE(pressKey(window, window.list().handle(), VK_ESCAPE));
    EXPECT_FALSE(window.model().batchRunning());
    HWND dest = window.button(layout::Dest).handle();
    ::SetFocus(dest);
    EXPECT_FALSE(pressKey(window, dest, VK_SPACE));
    EXPECT_TRUE(pressKey(window, window.list().handle(), VK_SPACE));
    EXPECT_EQ(messages.messages, std::vector<std::string>{});
}

// Which drops are taken is the shared rule's (face_rules_tests.cpp).
TEST_F(Win32Window, ADroppedSongIsChosenInItsFoldersList) {
    const std::filesystem::path samples(QUORVANE_SAMPLES);
    const auto request = dropRequest({(samples / "format1_div96_plain.mid").string()});
    ASSERT_TRUE(request);
    window.openDrop(*request);
    EXPECT_EQ(rows(), kSampleRows);
    EXPECT_EQ(window.list().currentRow(), 2);
    EXPECT_EQ(window.model().appState().listedName, "FORMAT1_DIV96_PLAIN.MID");
    // A folder alone lists it, choosing nothing.
    window.openDrop(*dropRequest({QUORVANE_SAMPLES}));
    EXPECT_EQ(rows(), kSampleRows);
}

TEST_F(Win32Window, RemembersItsFoldersClipLengthAndPlaceInAnIniFile) {
    test::TempDir home;
    const std::string dest = home.file("\u00e9t\u00e9 \u2603");  // a name no code page holds
    std::filesystem::create_directory(pathFromUtf8(dest));
    WindowSettings settings(home.file("Quorvane\\quorvane.ini"));
    window.model().useSourceFolder(QUORVANE_SAMPLES);
    window.model().useDestFolder(dest);
    window.clipSlider().setValue(45);
    ::SetWindowPos(window.handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    settings.save(window);

    MainWindow again(services);
    settings.restore(again);
    RECT frame;
    ::GetWindowRect(again.handle(), &frame);
    EXPECT_EQ(std::make_tuple(again.model().sourceFolder, again.model().appState().destFolder, again.list().count(),
                              again.clipSlider().value(), frame.left, frame.top),
              std::make_tuple(window.model().sourceFolder, dest, 3, 45, LONG{40}, LONG{30}));
}

TEST_F(Win32Window, ThePlayButtonPlaysOnTheSystemsSynthesizerOrSaysThereIsNone) {
    window.model().useSourceFolder(QUORVANE_SAMPLES);
    window.refresh();
    window.chooseRow(1);
    click(layout::Play);
    const std::string said = window.model().status;
    EXPECT_TRUE(said == "Playing the last 5 s before the cut." || said == "No audio device: the preview cannot play.")
        << said;
    EXPECT_EQ(window.preview().playing(), said.rfind("Playing", 0) == 0);
    click(layout::Play);
    EXPECT_FALSE(window.preview().playing());
}

}  // namespace
}  // namespace quorvane::win32
