#include "ui/caption.hpp"

#include <QFontMetrics>
#include <algorithm>
#include <QMouseEvent>
#include <QPainter>

namespace quorvane::ui {

Caption::Caption(const char* name, const layout::Box& box, QWidget* parent, int reserve)
    : QWidget(parent), reserve_(reserve) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(box.left, box.top, box.width, box.height);
    setAttribute(Qt::WA_NoMousePropagation);
}

void Caption::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    const bool shortened = shownText() != text_;
    setToolTip(shortened ? text_ : QString());
    setAccessibleName(text_);
    update();
}

QString Caption::shownText() const {
    return fontMetrics().elidedText(text_, Qt::ElideMiddle, std::max(0, width() - reserve_));
}

void Caption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shownText());
}

void Caption::mousePressEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace quorvane::ui
