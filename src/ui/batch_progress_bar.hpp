#pragma once

#include <QWidget>

namespace quorvane {
struct BatchProgress;
}

namespace quorvane::ui {

// The thin bar under the status line during a CUT ALL: a grey track that fills
// with the skin's accent as the files are done. Hidden outside a batch.
class BatchProgressBar final : public QWidget {
public:
    explicit BatchProgressBar(QWidget* parent);

    // Shows how far the batch has come: the files done of the count.
    void follow(const BatchProgress& progress);
    int done() const noexcept { return done_; }
    int count() const noexcept { return count_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int done_ = 0;
    int count_ = 0;
};

}  // namespace quorvane::ui
