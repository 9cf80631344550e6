#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QTimer;
#include <array>
#include <memory>

#include "slider/slider_widget.hpp"
#include "ui/batch_progress_bar.hpp"
#include "ui/caption.hpp"
#include "ui/cut_point_preview.hpp"
#include "ui/file_list.hpp"
#include "ui/layout.hpp"
#include "ui/picture_controls.hpp"
#include "ui/qt_services.hpp"
#include "ui/window_keys.hpp"
#include "workflow/window_model.hpp"

namespace quorvane::ui {

class FileDrop;

// The main window: a frameless, fixed-size face with picture buttons, LEDs,
// the file list, the captions and the two sliders. What it does is the
// window model's (WindowModel): every command goes to the model, and after each
// one the window shows the model's captions and list again.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // With the platform's folder dialog, message boxes, event loop and pause.
    explicit MainWindow(QWidget* parent = nullptr);
    // With the given services (tests and scripted runs); they must outlive the window.
    explicit MainWindow(const PlatformServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowModel& model() noexcept { return model_; }
    // The window's own services; nullptr when services were given.
    QtServices* ownServices() noexcept { return own_.get(); }

    PictureButton& button(layout::Button which) { return *buttons_[which]; }
    Led& led(int index) { return *leds_.at(static_cast<std::size_t>(index)); }
    FileList& list() noexcept { return *list_; }
    SliderWidget& cutSlider() noexcept { return cutSlider_; }
    SliderWidget& clipSlider() noexcept { return clipSlider_; }
    Caption& sourceFolderCaption() noexcept { return *sourceFolderCaption_; }
    Caption& destFolderCaption() noexcept { return *destFolderCaption_; }
    Caption& songPathCaption() noexcept { return *songPathCaption_; }
    Caption& listedCountCaption() noexcept { return *listedCountCaption_; }
    Caption& cutCountCaption() noexcept { return *cutCountCaption_; }
    Caption& clipLengthCaption() noexcept { return *clipLengthCaption_; }
    Caption& cutPointTimeCaption() noexcept { return *cutPointTimeCaption_; }
    Caption& statusCaption() noexcept { return *statusCaption_; }
    BatchProgressBar& batchProgress() noexcept { return *progress_; }
    WindowKeys& keys() noexcept { return *keys_; }
    FileDrop& fileDrop() noexcept { return *drop_; }
    CutPointPreview& cutPointPreview() noexcept { return preview_; }

    // Runs what a click on the button runs.
    void runCommand(layout::Button which);
    // Shows the model's captions and list.
    void refresh();
    // Marks row `row` of the list and chooses its song, as a click on it does.
    void chooseRow(int row);
    // Lists the source folder again (F5).
    void listAgain();
    // After a new listing: marks the current song's row, or none.
    void markCurrentSong();

    // The font of the captions and the list.
    static QFont captionFont();

signals:
    // Each time an LED is set, in the order they are set.
    void ledSet(int index, bool lit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    MainWindow(const PlatformServices* services, QWidget* parent);

    void loadDesign();
    void buildControls();
    // Lights LED `lit` (or none for -1) and darkens the others, in the order
    // that belongs to that LED.
    void setLeds(int lit);
    void rowChosen(int row);
    // Marks a row of the list (-1: none) without selecting its file.
    void selectRow(int row);
    // No row is marked, but the keyboard's place in the list stays, and so
    // does the scrolling.
    void unmarkRow();
    void refreshList();

    std::unique_ptr<QtServices> own_;
    PlatformServices services_;
    PumpAfter pump_;  // the batch's event processing shows the model first
    SliderWidget cutSlider_;
    SliderWidget clipSlider_;
    WindowModel model_;
    CutPointPreview preview_{model_};
    QTimer* previewWatch_ = nullptr;  // notices a preview that has played to its end

    QPixmap background_;
    std::array<PictureButton*, layout::ButtonCount> buttons_{};
    std::array<Led*, 3> leds_{};
    FileList* list_ = nullptr;
    Caption* sourceFolderCaption_ = nullptr;
    Caption* destFolderCaption_ = nullptr;
    Caption* songPathCaption_ = nullptr;
    Caption* listedCountCaption_ = nullptr;
    Caption* cutCountCaption_ = nullptr;
    Caption* clipLengthCaption_ = nullptr;
    Caption* cutPointTimeCaption_ = nullptr;
    Caption* statusCaption_ = nullptr;
    BatchProgressBar* progress_ = nullptr;
    WindowKeys* keys_ = nullptr;  // Tab order, focus ring, shortcuts
    FileDrop* drop_ = nullptr;

    bool dragging_ = false;  // moving the window with the pointer ourselves
    bool shown_ = false;     // shown once already
    QPoint dragOffset_;
};

}  // namespace quorvane::ui
