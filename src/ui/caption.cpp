#include "ui/caption.hpp"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

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
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
    setAccessibleName(text_);
    update();
}

void Caption::setDescription(const QString& description) {
    description_ = description;
    updateToolTip();
}

void Caption::setShortenableNames(std::function<QStringList()> names) {
    names_ = std::move(names);
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
    update();
}

void Caption::updateToolTip() { setToolTip(shown_ != text_ ? text_ : description_); }

QString Caption::shownText() const { return shown_; }

QString Caption::shortened(int room) const {
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(text_) <= room) return text_;
    if (names_) {
        QStringList names = names_();
        std::stable_sort(names.begin(), names.end(),
                         [](const QString& a, const QString& b) { return a.size() > b.size(); });
        for (const QString& name : names) {
            const qsizetype at = name.isEmpty() ? -1 : text_.indexOf(name);
            if (at < 0) continue;
            const QString before = text_.left(at);
            const QString after = text_.mid(at + name.size());
            // Pixel by pixel: the pieces drawn together may be a little wider
            // than apart.
            for (int nameRoom = room - metrics.horizontalAdvance(before + after); nameRoom > 0; --nameRoom) {
                const QString cut = metrics.elidedText(name, Qt::ElideMiddle, nameRoom);
                if (cut.size() <= 1) break;  // no more than an ellipsis: the words matter more
                QString whole = before + cut + after;
                if (metrics.horizontalAdvance(whole) <= room) return whole;
            }
        }
    }
    return metrics.elidedText(text_, Qt::ElideMiddle, room);
}

void Caption::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange) return;
    shown_ = shortened(std::max(0, width() - reserve_));
    updateToolTip();
}

void Caption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown_);
}

void Caption::mousePressEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void Caption::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

}  // namespace quorvane::ui
