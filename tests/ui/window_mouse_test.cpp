// The window under the mouse: picture buttons, clicks, LEDs, dragging,
// minimise and exit.

#include "engine/text.hpp"
#include "window_fixture.hpp"

namespace quorvane::test {
namespace {

namespace layout = ui::layout;

constexpr QPoint kBareBackground(300, 50);  // beside the brand, no control there

using WindowMouse = WindowTest;

TEST_F(WindowMouse, AnyButtonShowsThePressedPictureButOnlyALeftClickOnItRunsItsCommand) {
    for (int b = 0; b < layout::kButtonCount; ++b) {
        const layout::ButtonPlace& place = layout::kButtons[b];
        ui::PictureButton& button = window.button(static_cast<layout::Button>(b));
        for (Qt::MouseButton mouse : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            press(centre(button), mouse);
            EXPECT_EQ(button.pictureName().toStdString(), place.pressed);
            EXPECT_EQ(button.picture().size(), button.size());
            // Released away from the button, so that no command runs.
            release(kBareBackground, mouse);
            EXPECT_EQ(button.pictureName().toStdString(), place.released);
        }
    }
    click(window.button(layout::kSource), Qt::RightButton);
    click(window.button(layout::kExit), Qt::MiddleButton);
    // Pressed on SOURCE, released over DEST: neither runs.
    press(centre(window.button(layout::kSource)));
    moveTo(centre(window.button(layout::kDest)));
    release(centre(window.button(layout::kDest)));
    EXPECT_TRUE(picker.requests.empty());
    EXPECT_TRUE(window.isVisible() && !window.isMinimized());
}

TEST_F(WindowMouse, EachButtonRunsItsCommand) {
    songs.write("ONE.MID", steadySong(0, 500000, 8));
    openSource();
    EXPECT_EQ(caption(window.textPath()), songs.path().string());
    EXPECT_EQ(caption(window.labFound()), "1");
    ASSERT_EQ(window.list().count(), 1);
    EXPECT_EQ(window.list().item(0)->text(), "ONE.MID");

    picker.answers.push_back(out.path().string());
    click(layout::kDest);
    EXPECT_EQ(caption(window.textDest()), out.path().string());

    click(layout::kCutAll);  // into the destination; CUT ONE is clicked in the command tests
    EXPECT_EQ(caption(window.labNum()), "Done!");
    EXPECT_EQ(out.names(), (std::vector<std::string>{"one-cut.mid"}));
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();

    click(layout::kMinimise);
    EXPECT_TRUE(window.isMinimized());
    window.showNormal();
    click(layout::kExit);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowMouse, TheLedsFollowTheMainButtonsAndStayLitOverOtherControls) {
    using Lit = std::vector<bool>;
    const auto litNow = [&] { return Lit{window.led(0).isLit(), window.led(1).isLit(), window.led(2).isLit()}; };
    for (const auto& [button, lit] : {std::pair{layout::kSource, Lit{true, false, false}},
                                      {layout::kCutAll, Lit{false, false, true}},
                                      {layout::kDest, Lit{false, true, false}}}) {
        moveTo(centre(window.button(button)));
        EXPECT_EQ(litNow(), lit) << button;
    }
    EXPECT_EQ(window.led(1).pictureName(), "LEDON2");
    for (const QPoint& at : {centre(window.button(layout::kExit)), centre(window.segmento()), centre(window.led(0))}) {
        moveTo(at);
        EXPECT_EQ(litNow(), (Lit{false, true, false})) << at.x() << "," << at.y();
    }
    moveTo(kBareBackground);  // the bare background puts them all out
    EXPECT_EQ(litNow(), (Lit{false, false, false}));
}

TEST_F(WindowMouse, OnlyALeftDragOnTheBackgroundMovesTheWindow) {
    window.move(100, 80);
    const QPoint start = window.pos();
    // Not with another button, nor from a control.
    for (const auto& [from, button] :
         {std::pair{kBareBackground, Qt::RightButton}, {centre(window.labFound()), Qt::LeftButton}}) {
        press(from, button);
        moveTo(from + QPoint(30, 30));
        release(from + QPoint(30, 30), button);
        EXPECT_EQ(window.pos(), start);
    }
    // The platform moves the window itself where it can; here it follows the pointer.
    press(kBareBackground);
    moveTo(kBareBackground + QPoint(40, 25));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
    release(kBareBackground);
    moveTo(kBareBackground + QPoint(10, 10));
    EXPECT_EQ(window.pos(), start + QPoint(40, 25));
}

}  // namespace
}  // namespace quorvane::test
