// Shows Segmento and Choose as the main window has them and prints each event
// they raise. With --screenshot it saves a picture of them; with --measure it
// times a drag, one mouse move at a time.

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "slider/qt_picture.hpp"
#include "slider/stored_sliders.hpp"
#include "slider/tarn_slider_widget.hpp"
#include "slider/value_tip.hpp"

namespace {

using quorvane::TarnSlider;
using quorvane::TarnSliderWidget;

bool g_printEvents = true;

// A raised knob with a centre groove, as the window's thumbs look.
QPixmap thumbPixmap(int width, int height, bool vertical) {
    QPixmap pixmap(width, height);
    QPainter painter(&pixmap);
    QLinearGradient shade(0, 0, vertical ? 0 : width, vertical ? height : 0);
    shade.setColorAt(0, QColor(0xE8, 0xE8, 0xE8));
    shade.setColorAt(1, QColor(0x90, 0x90, 0x90));
    painter.fillRect(pixmap.rect(), shade);
    painter.setPen(QColor(0x30, 0x30, 0x30));
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.setPen(QColor(0xC0, 0x30, 0x20));
    if (vertical) {
        painter.drawLine(3, height / 2, width - 4, height / 2);
    } else {
        painter.drawLine(width / 2, 3, width / 2, height - 4);
    }
    return pixmap;
}

// A dark groove with a lit centre line along the track.
QPixmap railPixmap(int width, int height, bool vertical) {
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(0x22, 0x22, 0x22));
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x10, 0x10, 0x10));
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.setPen(QColor(0x40, 0xA0, 0xFF));
    if (vertical) {
        painter.drawLine(width / 2, 2, width / 2, height - 3);
    } else {
        painter.drawLine(2, height / 2, width - 3, height / 2);
    }
    return pixmap;
}

void printEvents(TarnSliderWidget& slider, const char* name) {
    const auto print = [&slider, name](const std::string& event) {
        if (!g_printEvents) return;
        std::printf("%-8s %-12s Value = %d\n", name, event.c_str(), slider.Value());
        std::fflush(stdout);
    };
    auto& events = slider.Events();
    events.Click = [print] { print("Click"); };
    events.ArrivedFirst = [print] { print("ArrivedFirst"); };
    events.ArrivedLast = [print] { print("ArrivedLast"); };
    events.ValueChanged = [print] { print("ValueChanged"); };
    events.MouseDown = [print](std::int16_t& shift) {
        print("MouseDown" + std::string(shift ? " +" + std::to_string(shift) : ""));
    };
    events.MouseUp = [print](std::int16_t& shift) {
        print("MouseUp" + std::string(shift ? " +" + std::to_string(shift) : ""));
    };
}

struct Demo {
    QWidget window;
    TarnSliderWidget* segmento;
    TarnSliderWidget* choose;

    Demo() {
        window.setWindowTitle(QStringLiteral("TarnSlider"));
        window.setFixedSize(240, 130);
        QPalette background = window.palette();
        background.setColor(QPalette::Window, QColor(0x44, 0x44, 0x44));
        window.setPalette(background);
        window.setAutoFillBackground(true);

        const auto make = [this](const quorvane::stored_sliders::StoredSlider& stored, QPoint at, bool vertical) {
            auto* slider = new TarnSliderWidget(&window);
            slider->setObjectName(
                QString::fromLatin1(stored.control.data(), static_cast<qsizetype>(stored.control.size())));
            slider->move(at);
            slider->SetBackColor(stored.backColor);
            slider->SetOrientation(stored.orientation);
            slider->SetRailStyle(stored.railStyle);
            slider->SetSliderIcon(
                quorvane::pictureFromPixmap(thumbPixmap(stored.thumb.width, stored.thumb.height, vertical)));
            slider->SetRailPicture(
                quorvane::pictureFromPixmap(railPixmap(stored.rail.width, stored.rail.height, vertical)));
            slider->SetMax(stored.max);
            slider->SetValue(stored.value);
            return slider;
        };
        segmento = make(quorvane::stored_sliders::kSegmento, QPoint(20, 80), false);
        choose = make(quorvane::stored_sliders::kChoose, QPoint(190, 30), true);

        auto* caption = new QLabel(QStringLiteral("Segmento 124 x 21, Choose 20 x 74"), &window);
        caption->setStyleSheet(QStringLiteral("color: #ddd"));
        caption->move(20, 20);

        printEvents(*segmento, "Segmento");
        printEvents(*choose, "Choose");
    }
};

void sendMouse(QWidget& target, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, target.mapToGlobal(at), button, held, Qt::NoModifier,
                      QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(&target, &event);
}

// Presses the thumb of a horizontal slider, moves the pointer `moves` times
// to xAt(i) (the thumb's Left wanted), releases, and returns the mean time of
// one move in microseconds. With `paint` the window is repainted after each
// move, as the event loop would between two moves.
double timeDrag(TarnSliderWidget& slider, int moves, const std::function<double(int)>& xAt, bool paint) {
    const double grab = slider.SliderIcon().width / 2.0;
    const QPointF press(slider.ThumbLeft() + grab, 10);
    sendMouse(slider, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < moves; ++i) {
        sendMouse(slider, QEvent::MouseMove, {xAt(i) + grab, 10}, Qt::NoButton, Qt::LeftButton);
        if (paint) QApplication::processEvents();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    sendMouse(slider, QEvent::MouseButtonRelease, press, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
    return std::chrono::duration<double, std::micro>(elapsed).count() / moves;
}

int measureDrags(Demo& demo, int moves) {
    g_printEvents = false;
    TarnSliderWidget& s = *demo.segmento;
    s.SetMax(252);  // 2.25 values a pixel: every one-pixel move changes Value
    const int track = s.width() - s.SliderIcon().width;
    // One pixel a move, over the whole track and back.
    const auto sweep = [track](int i) {
        const int at = i % (2 * track);
        return static_cast<double>(at < track ? at : 2 * track - at);
    };
    // A tenth of a pixel either side of Value 126: Value never changes.
    const auto jitter = [](int i) { return 56.0 + ((i % 2) ? 0.1 : -0.1); };

    std::printf("drag of Segmento (124 x 21, 0..252), %d moves each, platform %s\n", moves,
                qPrintable(QGuiApplication::platformName()));
    const auto row = [&](const char* what, const std::function<double(int)>& xAt, bool paint) {
        std::printf("  %-56s %8.2f us/move\n", what, timeDrag(s, moves, xAt, paint));
    };
    timeDrag(s, moves / 10 + 1, sweep, true);  // warm up
    row("value changes, tip shown", sweep, false);
    row("value changes, tip shown, window repainted each move", sweep, true);
    row("value unchanged (pointer jitter inside one step)", jitter, false);
    s.SetShowValueTip(false);
    row("value changes, no tip", sweep, false);
    row("value changes, no tip, window repainted each move", sweep, true);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Demo demo;
    demo.window.show();

    const QStringList args = QApplication::arguments();
    const int screenshot = args.indexOf(QStringLiteral("--screenshot"));
    if (screenshot > 0 && screenshot + 1 < args.size()) {
        QApplication::processEvents();
        const bool saved = demo.window.grab().save(args.at(screenshot + 1));
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(args.at(screenshot + 1)));
        return saved ? 0 : 1;
    }
    const int measure = args.indexOf(QStringLiteral("--measure"));
    if (measure > 0) {
        const int moves = measure + 1 < args.size() ? std::max(1, args.at(measure + 1).toInt()) : 20000;
        QApplication::processEvents();
        return measureDrags(demo, moves);
    }
    return QApplication::exec();
}
