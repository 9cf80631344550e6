#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QMimeData;

namespace quorvane::ui {

class MainWindow;

// What a drop on the window asks for: a folder to list as SOURCE would, and
// the file of it to select (empty for a folder dropped).
struct DropRequest {
    QString folder;
    QString fileName;
};

// A drop is taken when it holds exactly one local folder, or exactly one
// local .mid file (any case); anything else is refused.
std::optional<DropRequest> dropRequest(const QMimeData* data);

// Takes drops on the window: the folder becomes the source, and a dropped
// file is selected in its folder's list. Refused drops show the "not
// allowed" cursor; so do all drops while a CUT ALL runs.
class FileDrop final : public QObject {
public:
    explicit FileDrop(MainWindow& window);

    // What a drop of `request` does.
    void open(const DropRequest& request);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainWindow& window_;
};

}  // namespace quorvane::ui
