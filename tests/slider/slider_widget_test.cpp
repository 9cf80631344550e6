// The widget driven by real mouse events on a real QApplication.

#include <QFontMetrics>
#include <QGuiApplication>

#include <cmath>

#include "slider_widget_support.hpp"

namespace quorvane::testing {
namespace {

constexpr auto kLeft = Qt::LeftButton;
constexpr auto kRight = Qt::RightButton;
const Qt::KeyboardModifiers kNoKeys;

TEST(SliderWidget, PressOnTheRailCentresTheThumbOnThePointerAndReportsTheValueFirst) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    QTest::mousePress(&s, kLeft, Qt::ShiftModifier, QPoint(62, 10));
    EXPECT_EQ(host.log, (Log{"ValueChanged(126)", "MouseDown 1"}));
    EXPECT_EQ(s.ThumbLeft(), 56.0f);  // centre 62, under the pointer
    EXPECT_TRUE(s.Dragging());
    QTest::mouseRelease(&s, kLeft, Qt::ControlModifier, QPoint(62, 10));
    EXPECT_EQ(host.log, (Log{"ValueChanged(126)", "MouseDown 1", "Click(126)", "MouseUp 2"}));
    EXPECT_FALSE(s.Dragging());

    // Near the left end the centre cannot follow: the thumb stops at Min.
    host.log.clear();
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(3, 10));
    EXPECT_EQ(host.log, (Log{"ValueChanged(0)", "ArrivedFirst(0)", "MouseDown 0"}));
    EXPECT_EQ(s.ThumbLeft(), 0.0f);
}

TEST(SliderWidget, PressOnTheThumbKeepsItWhereItWasGrabbed) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    s.SetValue(126);
    host.log.clear();
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(60, 5));
    EXPECT_EQ(host.log, Log{"MouseDown 0"});
    EXPECT_EQ(s.ThumbLeft(), 56.0f);
    QTest::mouseMove(&s, QPoint(69, 5));  // thumb Left 65 is 146.25 values
    EXPECT_EQ(s.Value(), 146);
    EXPECT_NEAR(69 - s.ThumbLeft(), 4.0, 112.0 / 252);  // grabbed 4 px into the thumb
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(69, 5));
    EXPECT_EQ(host.log, (Log{"MouseDown 0", "ValueChanged(146)", "Click(146)", "MouseUp 0"}));
}

TEST(SliderWidget, RightPressDoesNothingAndEveryReleaseEndsTheDragButOnlyALeftOneInsideClicks) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    QTest::mousePress(&s, kRight, kNoKeys, QPoint(100, 10));
    EXPECT_FALSE(s.Dragging());
    QTest::mouseRelease(&s, kRight, kNoKeys, QPoint(100, 10));
    EXPECT_TRUE(host.log.empty());

    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(6, 10));
    QTest::mousePress(&s, kRight, kNoKeys, QPoint(6, 10));
    EXPECT_TRUE(s.Dragging());
    QTest::mouseRelease(&s, kRight, kNoKeys, QPoint(6, 10));
    EXPECT_FALSE(s.Dragging());
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseMove(&s, QPoint(100, 10));  // left still held: no longer a drag
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(100, 10));
    EXPECT_EQ(s.Value(), 0);
    EXPECT_EQ(host.log, (Log{"MouseDown 0", "MouseUp 0", "Click(0)"}));

    host.log.clear();
    for (const QPoint at : {QPoint(124, 10), QPoint(10, -1), QPoint(123, 20)}) {
        QTest::mousePress(&s, kLeft, kNoKeys, QPoint(6, 10));
        QTest::mouseRelease(&s, kLeft, kNoKeys, at);
    }
    EXPECT_EQ(host.log, (Log{"MouseDown 0", "MouseUp 0", "MouseDown 0", "MouseUp 0", "MouseDown 0",
                             "Click(0)", "MouseUp 0"}));
}

TEST(SliderWidget, DisabledSliderOnlyClicksAndWithoutValueTipNoTipAppears) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    s.SetEnabled(false);
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(100, 10));
    QTest::mouseMove(&s, QPoint(110, 10));
    EXPECT_FALSE(s.Dragging());
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(110, 10));
    EXPECT_EQ(host.log, Log{"Click(0)"});

    s.SetEnabled(true);
    s.SetShowValueTip(false);
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(62, 10));
    QTest::mouseMove(&s, QPoint(80, 10));  // thumb Left 74 is 166.5 values: 166
    EXPECT_EQ(s.Value(), 166);
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(80, 10));
}

TEST(SliderWidget, TipFollowsTheDragAboveAHorizontalThumbInTheOwnersWordsAndClosesOnRelease) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    s.SetValueTipText([](std::int32_t value) { return "0:0" + std::to_string(value); });
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(6, 10));
    frmValueTip* tip = frmValueTip::Loaded();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->lblTip->text(), "0:00");
    QTest::mouseMove(&s, QPoint(9, 10));  // thumb Left 3 is 6.75 values: 7
    ASSERT_EQ(frmValueTip::Loaded(), tip);
    EXPECT_EQ(tip->lblTip->text(), "0:07");
    s.SetValueTipText(nullptr);  // the tip on show takes the decimal text at once
    EXPECT_EQ(tip->lblTip->text(), "7");

    const QPoint origin = s.mapToGlobal(QPoint(0, 0));
    const int lw = QFontMetrics(tip->lblTip->font()).horizontalAdvance("7");
    const int lh = tip->lblTip->height();
    EXPECT_EQ(tip->lblTip->geometry(), QRect(2, 1, lw, lh));
    const QRect frame = tip->geometry();
    EXPECT_EQ(frame.size(), QSize(lw + 4, lh + 3));
    EXPECT_EQ(frame.bottom() + 1, origin.y() - 2);  // two rows between tip and thumb
    EXPECT_LE(std::abs((frame.left() + frame.right()) / 2.0 - (origin.x() + s.ThumbLeft() + 5.5)), 0.5);
    // A window of its own, shown without taking the focus.
    EXPECT_TRUE(tip->isVisible() && tip->isWindow());
    EXPECT_NE(QApplication::activeWindow(), tip);

    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(9, 10));
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
}

TEST(SliderWidget, DisablingDuringADragEndsItAndClosesTheTip) {
    SliderHost host;
    TarnSliderWidget& s = *host.segmento;
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(62, 10));
    ASSERT_NE(frmValueTip::Loaded(), nullptr);
    s.SetEnabled(false);
    EXPECT_FALSE(s.Dragging());
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseMove(&s, QPoint(80, 10));
    s.SetEnabled(true);  // the button is still held, but the drag is over
    QTest::mouseMove(&s, QPoint(90, 10));
    EXPECT_EQ(s.Value(), 126);
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(90, 10));
    EXPECT_EQ(host.log, (Log{"ValueChanged(126)", "MouseDown 0", "Click(126)"}));

    // A press whose ValueChanged disables the slider starts no drag and no tip.
    s.Events().ValueChanged = [&s] { s.SetEnabled(false); };
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(100, 10));
    EXPECT_FALSE(s.Dragging());
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(100, 10));
}

TEST(SliderWidget, TipStandsLeftOfAVerticalThumbAndGoesWhenTheSliderIsHidden) {
    SliderHost host;
    TarnSliderWidget& c = *host.choose;
    QTest::mousePress(&c, kLeft, kNoKeys, QPoint(10, 35));
    const frmValueTip* tip = frmValueTip::Loaded();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->lblTip->text(), "30");
    const QPoint origin = c.mapToGlobal(QPoint(0, 0));
    const int lh = tip->lblTip->height();
    const QRect frame = tip->geometry();
    EXPECT_EQ(frame.right() + 1, origin.x() - 2);
    EXPECT_EQ(frame.top(), std::lround(origin.y() + c.ThumbTop() + (10 - lh - 4) * 0.5));

    host.window->hide();
    EXPECT_EQ(frmValueTip::Loaded(), nullptr);
    EXPECT_FALSE(c.Dragging());
}

TEST(SliderWidget, HeldButtonKeepsDeliveringToTheSliderOutsideIt) {
    // Through the window, as the platform delivers them.
    SliderHost host;
    QWindow* window = host.window->windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mousePress(window, kLeft, kNoKeys, QPoint(46, 70));  // Segmento's thumb
    QTest::mouseMove(window, QPoint(290, 190));
    EXPECT_EQ(host.segmento->Value(), 252);
    QTest::mouseMove(window, QPoint(-50, -20));
    EXPECT_EQ(host.segmento->Value(), 0);
    QTest::mouseRelease(window, kLeft, kNoKeys, QPoint(-50, -20));
    EXPECT_EQ(host.log, (Log{"MouseDown 0", "ValueChanged(252)", "ArrivedLast(252)", "ValueChanged(0)",
                             "ArrivedFirst(0)", "MouseUp 0"}));
    EXPECT_EQ(host.choose->Value(), 30);
}

TEST(SliderWidget, DragWithoutATrackLeavesTheValueAlone) {
    SliderHost host;
    // The thumb is as long as the rail picture: no track. A value read from it
    // would divide by zero, and 0 lies outside 5..10.
    TarnSliderWidget flush(host.window.get());
    flush.SetOrientation(TarnSlider::kHorizontal);
    flush.SetRailStyle(99);
    flush.SetSliderIcon(pictureFromPixmap(Solid(20, 10, kThumbColour)));
    flush.SetRailPicture(pictureFromPixmap(Solid(20, 30, kRailColour)));
    flush.SetMin(5);
    flush.SetValue(7);
    host.Record(flush);
    flush.show();
    ASSERT_EQ(flush.size(), QSize(20, 30));
    QTest::mousePress(&flush, kLeft, kNoKeys, QPoint(10, 2));  // above the thumb
    QTest::mouseMove(&flush, QPoint(15, 25));
    QTest::mouseRelease(&flush, kLeft, kNoKeys, QPoint(15, 25));
    EXPECT_EQ(flush.Value(), 7);
    EXPECT_EQ(host.log, (Log{"MouseDown 0", "Click(7)", "MouseUp 0"}));
}

}  // namespace
}  // namespace quorvane::testing
