#pragma once

#include <QListWidget>

namespace quorvane::ui {

// The list of songs. A song is chosen only by the user's own act: a click on
// a row (the row already chosen too, which tries it again) or a key that
// moves the current row. Focus changes, a message box closing, and the
// window filling, clearing or marking rows choose nothing.
class FileList final : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);

signals:
    void chosen(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quorvane::ui
