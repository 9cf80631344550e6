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

QPointer<frmValueTip>& sharedTip() {
    static QPointer<frmValueTip> tip;
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

frmValueTip::frmValueTip(QWidget* owner) : QWidget(owner, kTipFlags), lblTip(new QLabel(this)) {
    setObjectName(QStringLiteral("frmValueTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setFont(tipFont());

    lblTip->setObjectName(QStringLiteral("lblTip"));
    QPalette colours = lblTip->palette();
    colours.setColor(QPalette::WindowText, toQColor(kLabelText, palette()));
    colours.setColor(QPalette::Window, toQColor(kLabelBackground, palette()));
    lblTip->setPalette(colours);
    lblTip->setAutoFillBackground(true);
    lblTip->setFocusPolicy(Qt::NoFocus);
    lblTip->setGeometry(slider_geometry::kTipLabelLeft, slider_geometry::kTipLabelTop, kLabelWidth, kLabelHeight);
    lblTip->setText(QStringLiteral("lblTip"));
    resize(kLabelWidth + 4, kLabelHeight + 3);
}

frmValueTip& frmValueTip::Load(QWidget* owner) {
    QWidget* window = owner != nullptr ? owner->window() : nullptr;
    QPointer<frmValueTip>& tip = sharedTip();
    if (tip.isNull()) {
        tip = new frmValueTip(window);
    } else if (tip->parentWidget() != window) {
        tip->setParent(window, kTipFlags);
    }
    return *tip;
}

frmValueTip* frmValueTip::Loaded() noexcept { return sharedTip().data(); }

void frmValueTip::Unload() {
    // Unloading may happen while Qt walks the owner window's children (when
    // the window is hidden, say): the tip is closed now and deleted later.
    QPointer<frmValueTip>& tip = sharedTip();
    if (tip.isNull()) return;
    frmValueTip* closing = tip.data();
    tip.clear();
    closing->hide();
    closing->deleteLater();
}

QSize frmValueTip::SetTipText(const QString& text) {
    const QFontMetrics metrics(lblTip->font());
    // The label keeps its designed height unless the font needs more.
    const QSize size(metrics.horizontalAdvance(text), std::max(kLabelHeight, metrics.height()));
    lblTip->resize(size);
    lblTip->setText(text);  // repainted with the next paint pass, before the next move
    return size;
}

void frmValueTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(kTipBackground, palette()));
    for (const auto& line : slider_geometry::tipFrameLines({width(), height()})) {
        painter.fillRect(QRect(QPoint(line.x1, line.y1), QPoint(line.x2, line.y2)), toQColor(line.colour, palette()));
    }
}

}  // namespace quorvane
