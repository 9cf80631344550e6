#include "ui/batch_progress_bar.hpp"

#include <QPainter>

#include "ui/layout.hpp"
#include "workflow/window_model.hpp"

namespace quorvane::ui {

namespace {
const QColor kTrack(0x45, 0x4b, 0x55);  // the artwork's light edge: the part still to do
const QColor kAccent(0x3e, 0xc7, 0xe0);
}  // namespace

BatchProgressBar::BatchProgressBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BatchProgress"));
    const layout::Box& box = layout::kBatchProgress;
    setGeometry(box.left, box.top, box.width, box.height);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void BatchProgressBar::follow(const BatchProgress& progress) {
    count_ = progress.count;
    done_ = progress.done ? progress.position : progress.position - 1;
    show();
    repaint();  // the batch holds the event loop: paint now
}

void BatchProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kTrack);
    if (count_ <= 0) return;
    const int filled = static_cast<int>(static_cast<long long>(width()) * done_ / count_);
    painter.fillRect(QRect(0, 0, filled, height()), kAccent);
}

}  // namespace quorvane::ui
