// The widget driven by real mouse events on a real QApplication, and what it paints.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPixmap>
#include <QTest>

#include <string>
#include <vector>

#include "slider/qt_colour.hpp"
#include "slider/qt_picture.hpp"
#include "slider/stored_sliders.hpp"
#include "slider/slider_widget.hpp"
#include "slider/value_tip.hpp"

namespace quorvane::testing {
namespace {

using Log = std::vector<std::string>;
constexpr auto kLeft = Qt::LeftButton;
constexpr auto kRight = Qt::RightButton;
const Qt::KeyboardModifiers kNoKeys;
const QColor kThumb(200, 30, 30), kRail(30, 30, 200);

Picture solid(int width, int height, const QColor& colour) {
    QPixmap pixmap(width, height);
    pixmap.fill(colour);
    return pictureFromPixmap(pixmap);
}
QRgb rgb(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

// A window holding the main window's cutSlider (0 to 100 along a 112 px track) in plain colours, each value it
// reports written to a log.
class SliderWidgetTest : public ::testing::Test {
protected:
    SliderWidgetTest() {
        window.setGeometry(100, 100, 300, 200);
        s.setGeometry(40, 60, 300, 40);  // the slider sizes itself
        s.loadDesign(stored_sliders::kCutPoint, solid(12, 21, kThumb), solid(124, 13, kRail));
        s.events().valueChanged = [this] { log.push_back("ValueChanged(" + std::to_string(s.value()) + ")"); };
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    ~SliderWidgetTest() override { ValueTip::dismiss(); }

    QWidget window;
    SliderWidget& s = *new SliderWidget(&window);  // the window's child: deleted with it
    Log log;
};

TEST_F(SliderWidgetTest, OnlyALeftPressDragsAndADisabledSliderTakesNeitherPressNorKey) {
    QTest::mousePress(&s, kRight, kNoKeys, QPoint(100, 10));
    EXPECT_FALSE(s.dragging());
    QTest::mouseRelease(&s, kRight, kNoKeys, QPoint(100, 10));
    s.setAcceptsInput(false);  // as the cut commands leave it while they run
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(100, 10));
    EXPECT_TRUE(!s.dragging() && ValueTip::current() == nullptr);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(100, 10));
    QTest::keyClick(&s, Qt::Key_End);
    EXPECT_TRUE(log.empty());
}

TEST_F(SliderWidgetTest, TipFollowsTheDragAboveAHorizontalThumbInTheOwnersWordsAndClosesOnRelease) {
    s.setValueTipText([](std::int32_t value) { return "0:0" + std::to_string(value); });
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(6, 10));
    ValueTip* tip = ValueTip::current();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->label->text(), "0:00");
    QTest::mouseMove(&s, QPoint(9, 10));  // thumb Left 3 is 2.68 values: 3
    ASSERT_EQ(ValueTip::current(), tip);
    EXPECT_EQ(tip->label->text(), "0:03");
    s.setValueTipText(nullptr);  // the tip on show takes the decimal text at once
    EXPECT_EQ(tip->label->text(), "3");

    // Its label's size gives the tip's; it stands two rows above the thumb, a window of its own shown without
    // taking the focus, in a light frame.
    const int lw = QFontMetrics(tip->label->font()).horizontalAdvance("3");
    const int lh = tip->label->height();
    EXPECT_EQ(tip->label->geometry(), QRect(2, 1, lw, lh));
    EXPECT_EQ(tip->size(), QSize(lw + 4, lh + 3));
    EXPECT_EQ(tip->geometry().bottom() + 1, s.mapToGlobal(QPoint(0, 0)).y() - 2);
    EXPECT_TRUE(tip->isVisible() && tip->isWindow());
    EXPECT_NE(QApplication::activeWindow(), tip);
    EXPECT_EQ(rgb(tip->grab().toImage(), 0, 1), toQColor(0x80000016u, tip->palette()).rgb());

    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(9, 10));
    EXPECT_EQ(ValueTip::current(), nullptr);
}

TEST_F(SliderWidgetTest, TipGoesWhenTheSliderIsHiddenOrDisabled) {
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(100, 10));
    ASSERT_NE(ValueTip::current(), nullptr);
    window.hide();
    EXPECT_EQ(ValueTip::current(), nullptr);
    EXPECT_FALSE(s.dragging());
    window.show();
    s.setValue(0);

    // Disabled during a drag: it ends, and the button still held moves nothing.
    QTest::mousePress(&s, kLeft, kNoKeys, QPoint(62, 10));
    s.setAcceptsInput(false);
    EXPECT_EQ(ValueTip::current(), nullptr);
    s.setAcceptsInput(true);
    QTest::mouseMove(&s, QPoint(90, 10));
    EXPECT_EQ(s.value(), 50);
    QTest::mouseRelease(&s, kLeft, kNoKeys, QPoint(90, 10));
}

TEST_F(SliderWidgetTest, RailThumbAndBackgroundInTheirColours) {
    s.setValue(50);  // thumb Left 56; the slider was given 300 x 40
    const QImage cutSlider = s.grab().toImage();
    ASSERT_EQ(cutSlider.size(), QSize(124, 21));
    EXPECT_EQ(rgb(cutSlider, 56, 0), kThumb.rgb());
    EXPECT_EQ(rgb(cutSlider, 55, 4), kRail.rgb());  // the rail's rows 4 to 16
    EXPECT_EQ(rgb(cutSlider, 100, 17), qRgb(0x55, 0x55, 0x55));
}

}  // namespace
}  // namespace quorvane::testing
