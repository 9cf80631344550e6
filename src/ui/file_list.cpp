#include "ui/file_list.hpp"

#include <QKeyEvent>

namespace quorvane::ui {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    // Emitted on the release over the row that was pressed, once per click
    // (the second click of a double click included).
    connect(this, &QListWidget::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit chosen(index.row());
    });
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) emit chosen(currentRow());
}

}  // namespace quorvane::ui
