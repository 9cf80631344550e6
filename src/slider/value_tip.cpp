#include "slider/value_tip.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPointer>

#include <algorithm>

#include "slider/qt_colour.hpp"
#include "slider/slider_geometry.hpp"

namespace quorvane {
namespace {

constexpr Colour kTipBackground = 0x80000018u;    // tooltip background
constexpr Colour kLabelText = 0x80000008u;        // window text
constexpr Colour kLabelBackground = 0x80000005u;  // window
constexpr int kLabelWidth = 28;                   // as designed
constexpr int kLabelHeight = 12;

// Borderless, above the other windows, never active and never focused.
constexpr Qt::WindowFlags kTipFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

QPointer<ValueTip>& sharedTip() {
    static QPointer<ValueTip> tip;
    return tip;
}

// Verdana 6.75 pt, or the sans-serif font nearest to it.
QFont tipFont() {
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(6.75);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

ValueTip::ValueTip(QWidget* owner) : QWidget(owner, kTipFlags), label(new QLabel(this)) {
    setObjectName(QStringLiteral("frmValueTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setFont(tipFont());

    label->setObjectName(QStringLiteral("lblTip"));
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, toQColor(kLabelText, palette()));
    colours.setColor(QPalette::Window, toQColor(kLabelBackground, palette()));
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    label->setFocusPolicy(Qt::NoFocus);
    label->setGeometry(slider_geometry::kTipLabelLeft, slider_geometry::kTipLabelTop, kLabelWidth, kLabelHeight);
    label->setText(QStringLiteral("lblTip"));
    resize(kLabelWidth + 4, kLabelHeight + 3);
}

ValueTip& ValueTip::open(QWidget* owner) {
    QWidget* window = owner != nullptr ? owner->window() : nullptr;
    QPointer<ValueTip>& tip = sharedTip();
    if (tip.isNull()) {
        tip = new ValueTip(window);
    } else if (tip->parentWidget() != window) {
        tip->setParent(window, kTipFlags);
    }
    return *tip;
}

ValueTip* ValueTip::current() noexcept { return sharedTip().data(); }

void ValueTip::dismiss() {
    // Unloading may happen while Qt walks the owner window's children (when
    // the window is hidden, say): the tip is closed now and deleted later.
    QPointer<ValueTip>& tip = sharedTip();
    if (tip.isNull()) return;
    ValueTip* closing = tip.data();
    tip.clear();
    closing->hide();
    closing->deleteLater();
}

QSize ValueTip::setTipText(const QString& text) {
    const QFontMetrics metrics(label->font());
    // The label keeps its designed height unless the font needs more.
    const QSize size(metrics.horizontalAdvance(text), std::max(kLabelHeight, metrics.height()));
    label->resize(size);
    label->setText(text);  // repainted with the next paint pass, before the next move
    return size;
}

void ValueTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(kTipBackground, palette()));
    for (const auto& line : slider_geometry::tipFrameLines({width(), height()})) {
        painter.fillRect(QRect(QPoint(line.x1, line.y1), QPoint(line.x2, line.y2)), toQColor(line.colour, palette()));
    }
}

}  // namespace quorvane
