// What the slider and its tip look like: pixels of grabbed images.

#include <QApplication>

#include "slider/qt_colour.hpp"
#include "slider_widget_support.hpp"

namespace quorvane::testing {
namespace {

QRgb PaletteRgb(const QWidget& widget, QPalette::ColorRole role) {
    return widget.palette().color(QPalette::Active, role).rgb();
}

TEST(SliderRendering, PictureRailsAndThumbsOnTheBackColourAtTheirOwnSizes) {
    SliderHost host;  // Segmento was given 300 x 40
    host.segmento->SetValue(126);  // thumb Left 56
    const QImage segmento = host.segmento->grab().toImage();
    ASSERT_EQ(segmento.size(), QSize(124, 21));
    EXPECT_EQ(Rgb(segmento, 56, 0), kThumbColour.rgb());
    EXPECT_EQ(Rgb(segmento, 55, 4), kRailColour.rgb());  // the rail's rows 4 to 16
    EXPECT_EQ(Rgb(segmento, 100, 17), qRgb(0x55, 0x55, 0x55));

    const QImage choose = host.choose->grab().toImage();  // thumb Top 31.46, drawn at 31
    EXPECT_EQ(Rgb(choose, 0, 31), kChooseThumbColour.rgb());
    EXPECT_EQ(Rgb(choose, 6, 41), kChooseRailColour.rgb());  // the rail's columns 6 to 14
}

TEST(SliderRendering, EdgeRailInThePalettesShadesAndSystemBackColours) {
    SliderHost host;
    TarnSliderWidget slider(host.window.get());  // a new slider: the built-in thumb
    slider.SetOrientation(TarnSlider::kHorizontal);
    slider.SetRailStyle(1);  // sunken
    slider.show();
    slider.resize(100, 50);
    slider.SetBackColor(0xFF0000);  // colours are 0x00BBGGRR: blue
    ASSERT_EQ(slider.size(), QSize(100, 16));
    const QImage image = slider.grab().toImage();
    EXPECT_EQ(Rgb(image, 50, 0), qRgb(0, 0, 255));
    // The rail runs along row 8 from x 8 to 92: a groove of four rows.
    EXPECT_EQ(Rgb(image, 50, 7), PaletteRgb(slider, QPalette::Shadow));
    EXPECT_EQ(Rgb(image, 92, 9), PaletteRgb(slider, QPalette::Light));
    EXPECT_EQ(Rgb(image, 93, 9), qRgb(0, 0, 255));
    EXPECT_EQ(Rgb(image, 8, 8), qRgb(192, 192, 192));  // the built-in thumb, over the rail

    // The button-face system colour follows the palette.
    QPalette changed = slider.palette();
    changed.setColor(QPalette::Button, QColor(10, 20, 30));
    slider.setPalette(changed);
    slider.SetBackColor(kButtonFaceColour);
    EXPECT_EQ(Rgb(slider.grab().toImage(), 50, 0), qRgb(10, 20, 30));
}

TEST(SliderRendering, TipHasALightAndDarkFrameAroundItsLabel) {
    SliderHost host;
    QTest::mousePress(host.segmento, Qt::LeftButton, {}, QPoint(6, 10));
    frmValueTip* tip = frmValueTip::Loaded();
    ASSERT_NE(tip, nullptr);
    const QImage image = tip->grab().toImage();
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    const QRgb light = toQColor(0x80000016u, tip->palette()).rgb();
    const QRgb dark = toQColor(0x80000015u, tip->palette()).rgb();
    EXPECT_EQ(Rgb(image, 0, 1), light);
    EXPECT_EQ(Rgb(image, right, 0), dark);  // where light and dark meet: dark
    EXPECT_EQ(Rgb(image, right - 1, bottom - 1), PaletteRgb(*tip, QPalette::ToolTipBase));
    QTest::mouseRelease(host.segmento, Qt::LeftButton, {}, QPoint(6, 10));
}

}  // namespace
}  // namespace quorvane::testing
