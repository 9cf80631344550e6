#include "ui/file_drop.hpp"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "ui/main_window.hpp"
#include "workflow/drop_request.hpp"

namespace quorvane::ui {

std::optional<DropRequest> dropRequest(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return std::nullopt;
    const std::optional<quorvane::DropRequest> request = quorvane::dropRequest({url.toLocalFile().toStdString()});
    if (!request) return std::nullopt;
    return DropRequest{QString::fromStdString(request->folder), QString::fromStdString(request->fileName)};
}

FileDrop::FileDrop(MainWindow& window) : QObject(&window), window_(window) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

void FileDrop::open(const DropRequest& request) {
    WindowModel& model = window_.model();
    model.useSourceFolder(request.folder.toStdString());
    window_.refresh();
    window_.markCurrentSong();
    if (request.fileName.isEmpty()) return;
    const int row = model.listIndexOf(request.fileName.toStdString());
    if (row >= 0) window_.chooseRow(row);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!window_.model().batchRunning() && dropRequest(drag->mimeData())) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::optional<DropRequest> request = dropRequest(drop->mimeData());
            if (window_.model().batchRunning() || !request) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            // Listed once the drop is over, so that a message about the folder
            // does not open inside the dragging application's drop.
            QMetaObject::invokeMethod(
                this, [this, request = *request] { open(request); }, Qt::QueuedConnection);
            return true;
        }
        default: return false;
    }
}

}  // namespace quorvane::ui
