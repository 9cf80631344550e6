#include "ui/focus_ring.hpp"

#include <QFocusEvent>
#include <QPainter>

namespace quorvane::ui {

namespace {
constexpr int kMargin = 3;                   // room between the control and the ring
const QColor kAccent(0x3e, 0xc7, 0xe0);      // the artwork's accent
const QColor kAccentDeep(0x0f, 0x6f, 0x82);  // and its deep shade, for the glow
}  // namespace

FocusRing::FocusRing(QWidget* window, std::initializer_list<QWidget*> controls) : QWidget(window) {
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    for (QWidget* control : controls) control->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    const auto reason = [event] { return static_cast<QFocusEvent*>(event)->reason(); };
    // A message box or another window takes the focus for a while: the ring
    // comes back with it.
    const auto away = [&reason] { return reason() == Qt::ActiveWindowFocusReason || reason() == Qt::PopupFocusReason; };
    if (event->type() == QEvent::FocusIn) {
        const bool byKeyboard =
            reason() == Qt::TabFocusReason || reason() == Qt::BacktabFocusReason || reason() == Qt::ShortcutFocusReason;
        if (byKeyboard) {
            surround(static_cast<QWidget*>(watched));
        } else if (!(away() && watched == target_)) {
            surround(nullptr);
        }
    } else if (event->type() == QEvent::FocusOut && watched == target_ && !away()) {
        surround(nullptr);
    } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && watched == target_) {
        surround(target_);
    }
    return false;
}

void FocusRing::surround(QWidget* control) {
    target_ = control;
    if (!control) {
        hide();
        return;
    }
    setGeometry(control->geometry().adjusted(-kMargin, -kMargin, kMargin, kMargin));
    raise();
    show();
    update();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(kAccentDeep, 1.0));
    painter.drawRoundedRect(outer, 5, 5);
    painter.setPen(QPen(kAccent, 1.5));
    painter.drawRoundedRect(outer.adjusted(1, 1, -1, -1), 4, 4);
}

}  // namespace quorvane::ui
