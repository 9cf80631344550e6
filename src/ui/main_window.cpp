#include "ui/main_window.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QWindow>

#include "slider/qt_picture.hpp"
#include "ui/about_box.hpp"
#include "ui/file_drop.hpp"
#include "ui/focus_ring.hpp"
#include "ui/tooltips.hpp"

namespace quorvane::ui {

namespace {

QString text(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
QString text(const std::string& s) { return QString::fromStdString(s); }

// The list sits in a dark well of the background; it takes the well's colours.
constexpr char kListStyle[] = R"(
QListWidget { background: #121418; color: #f2f4f7; border: none; outline: 0; }
QListWidget::item { padding: 0px 3px; border: none; }
QListWidget::item:hover { background: #1d2229; }
QListWidget::item:selected { background: #0f6f82; color: #ffffff; }
QScrollBar:vertical { background: #121418; width: 10px; margin: 0px; }
QScrollBar::handle:vertical { background: #3a404a; border-radius: 4px; min-height: 24px; margin: 1px 2px; }
QScrollBar::handle:vertical:hover { background: #4a525e; }
QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0px; }
QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }
QScrollBar:horizontal { background: #121418; height: 10px; margin: 0px; }
QScrollBar::handle:horizontal { background: #3a404a; border-radius: 4px; min-width: 24px; margin: 2px 1px; }
QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0px; }
QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }
)";

bool boxContains(const layout::Box& box, QPoint at) {
    return QRect(box.left, box.top, box.width, box.height).contains(at);
}

}  // namespace

QFont MainWindow::captionFont() {
    // The classic 8-point dialog font where the system has it, else the
    // nearest sans serif. 11 pixels is 8.25 points at 96 pixels per inch: the
    // face is drawn in pixels, so the text is measured in pixels too.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Tahoma"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    return font;
}

MainWindow::MainWindow(QWidget* parent) : MainWindow(nullptr, parent) {}

MainWindow::MainWindow(const PlatformServices& services, QWidget* parent) : MainWindow(&services, parent) {}

MainWindow::MainWindow(const PlatformServices* services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      own_(services ? nullptr : std::make_unique<QtServices>(this)),
      services_(services ? *services : own_->services()),
      pump_(services_.events, [this] { refresh(); }),
      cutSlider_(this),
      clipSlider_(this),
      model_(cutSlider_, clipSlider_,
             {services_.folders, services_.messages, pump_, services_.pause, services_.executor}) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    QIcon icon(text(layout::kIcon));
    icon.addFile(text(layout::kIcon) + QStringLiteral("-128"));
    setWindowIcon(icon);
    setFixedSize(layout::kWindowWidth, layout::kWindowHeight);
    setFont(captionFont());
    setMouseTracking(true);
    background_ = QPixmap(text(layout::kBackground));

    buildControls();
    loadDesign();
    addToolTips(*this);
    keys_ = new WindowKeys(*this);
    drop_ = new FileDrop(*this);

    // The captions follow the sliders, whether the user drags them or a
    // command sets them.
    model_.onSliderMoved = [this] { refresh(); };
    // During a batch the list marks the file in hand, and the counter is
    // shown as soon as a file is cut.
    model_.onBatchProgress = [this](const BatchProgress& progress) {
        refresh();
        selectRow(progress.position - 1);
        cutCountCaption_->repaint();
        progress_->follow(progress);
    };
    // A song measured away from the window's thread is shown once it is
    // measured; one that could not be read is not left selected.
    model_.onSelectionMeasured = [this] {
        refresh();
        if (model_.appState().songPath.empty()) unmarkRow();
    };
    // A status too long for its line is cut inside a name it gives, never in its words.
    statusCaption_->setShortenableNames([this] { return model_.statusNames(); });

    // Space plays the cut point from anywhere in the window, the list
    // included; a button that has the focus keeps Space for itself.
    auto* play = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(play, &QShortcut::activated, this, [this] { runCommand(layout::Play); });
    // A preview that plays to its end says so, instead of "Playing" for ever.
    previewWatch_ = new QTimer(this);
    previewWatch_->setInterval(200);
    connect(previewWatch_, &QTimer::timeout, this, [this] {
        if (preview_.playing()) return;
        previewWatch_->stop();
        if (model_.previewEnded()) refresh();
    });
    connect(qApp, &QApplication::focusChanged, play, [play](QWidget*, QWidget* now) {
        play->setEnabled(!qobject_cast<QAbstractButton*>(now) && !qobject_cast<PictureButton*>(now));
    });

    model_.start();
    refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    for (int b = 0; b < layout::ButtonCount; ++b) {
        const auto which = static_cast<layout::Button>(b);
        auto* button = new PictureButton(layout::kButtons[b], this);
        // Queued: the command runs from the event loop once the mouse event is
        // over, so that clicks made during a batch reach their own controls.
        connect(
            button, &PictureButton::clicked, this, [this, which] { runCommand(which); }, Qt::QueuedConnection);
        buttons_[b] = button;
    }
    // Moving over one of the three main buttons lights its LED.
    for (int b : {layout::Source, layout::Dest, layout::CutAll}) {
        connect(buttons_[b], &PictureButton::mouseMoved, this, [this, b] { setLeds(b); });
    }
    for (int i = 0; i < 3; ++i) leds_[i] = new Led(i, layout::kLeds[i], this);

    list_ = new FileList(this);
    list_->setObjectName(QStringLiteral("ListMIDI"));
    list_->setAccessibleName(QStringLiteral("MIDI files"));
    list_->setGeometry(layout::kSongList.left, layout::kSongList.top, layout::kSongList.width,
                       layout::kSongList.height);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setStyleSheet(QString::fromLatin1(kListStyle));
    list_->setAttribute(Qt::WA_NoMousePropagation);
    // Run once the list's own event handling is over, so that a message
    // about the song does not open inside it.
    connect(list_, &FileList::chosen, this, [this](int row) {
        QMetaObject::invokeMethod(
            this, [this, row] { rowChosen(row); }, Qt::QueuedConnection);
    });

    sourceFolderCaption_ = new Caption("TextPath", layout::kSourceFolderCaption, this, layout::kSourceFolderTag);
    destFolderCaption_ = new Caption("TextDest", layout::kDestFolderCaption, this, layout::kDestFolderTag);
    songPathCaption_ = new Caption("Text9", layout::kSongPathCaption, this, layout::kSongPathTag);
    listedCountCaption_ = new Caption("LabFound", layout::kListedCountCaption, this);
    cutCountCaption_ = new Caption("LabNum", layout::kCutCountCaption, this);
    clipLengthCaption_ = new Caption("LabChoose", layout::kClipLengthCaption, this);
    cutPointTimeCaption_ = new Caption("LabDurataTempo", layout::kCutPointTimeCaption, this);
    statusCaption_ = new Caption("LabStatus", layout::kStatusCaption, this);
    progress_ = new BatchProgressBar(this);
}

void MainWindow::loadDesign() {
    const auto place = [](SliderWidget& slider, const stored_sliders::StoredSlider& stored, const layout::Box& box) {
        const auto picture = [](const stored_sliders::StoredPicture& p) {
            return pictureFromPixmap(QPixmap(text(layout::kDesignPrefix) + text(p.name)));
        };
        slider.setObjectName(text(stored.control));
        slider.setGeometry(box.left, box.top, box.width, box.height);
        slider.setAttribute(Qt::WA_NoMousePropagation);
        slider.loadDesign(stored, picture(stored.thumb), picture(stored.rail));
    };
    place(cutSlider_, stored_sliders::kCutPoint, layout::kCutPoint);
    place(clipSlider_, stored_sliders::kClipLength, layout::kClipLength);
}

void MainWindow::runCommand(layout::Button which) {
    switch (which) {
        case layout::Source: model_.chooseSourceFolder(); break;
        case layout::Dest: model_.chooseDestFolder(); break;
        case layout::CutAll: model_.cutAll(); break;
        case layout::CutOne: model_.cutOne(); break;
        case layout::Minimise: showMinimized(); return;
        case layout::Exit: close(); return;
        case layout::Play:
            if (model_.batchRunning() || model_.measuring()) return;
            model_.status = preview_.toggle();
            if (preview_.playing()) previewWatch_->start();
            break;
        case layout::ButtonCount: return;
    }
    refresh();
    if (which == layout::Source) markCurrentSong();
    // Commands tried during a batch (and refused) leave its bar alone.
    if (!model_.batchRunning()) progress_->hide();
    // A batch stopped by a file it could not read leaves no file current.
    if (which == layout::CutAll && model_.appState().songPath.empty()) unmarkRow();
    // An exit asked for during a batch ends the program once the batch has stopped.
    if (model_.exitRequested() && !model_.batchRunning()) close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (model_.batchRunning()) {
        // The batch stops at its next event processing, with its log closed;
        // the command that runs it then closes the window.
        model_.requestExit();
        event->ignore();
        return;
    }
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The first start: the keyboard, and the ring that shows it, begin on SOURCE.
    if (model_.sourceFolder.empty()) {
        button(layout::Source).setFocus(Qt::TabFocusReason);
        keys_->focusRing().surround(&button(layout::Source));
    }
}

void MainWindow::listAgain() {
    model_.listAgain();
    refresh();
    markCurrentSong();
}

void MainWindow::markCurrentSong() {
    if (!model_.batchRunning()) selectRow(model_.currentIndex());
}

void MainWindow::refresh() {
    sourceFolderCaption_->setText(text(model_.sourceFolder));
    destFolderCaption_->setText(text(model_.appState().destFolder));
    songPathCaption_->setText(text(model_.appState().shownPath));
    listedCountCaption_->setText(text(model_.listedCount));
    cutCountCaption_->setText(text(model_.cutCount));
    clipLengthCaption_->setText(text(model_.clipLengthText));
    cutPointTimeCaption_->setText(text(model_.cutPointTime));
    statusCaption_->setText(text(model_.status));
    refreshList();
    // The buttons that wait for a running CUT ALL look it.
    for (layout::Button waiting : {layout::Source, layout::Dest, layout::CutAll, layout::CutOne, layout::Play}) {
        buttons_[waiting]->setEnabled(!model_.batchRunning());
    }
}

void MainWindow::refreshList() {
    const auto& items = model_.songs;
    bool same = list_->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < list_->count(); ++i) {
        same = list_->item(i)->text() == text(items[static_cast<std::size_t>(i)].text);
    }
    if (same) return;
    list_->clear();
    for (const ListedSong& item : items) list_->addItem(text(item.text));
}

void MainWindow::selectRow(int row) { list_->setCurrentRow(row); }

void MainWindow::unmarkRow() { list_->clearSelection(); }

void MainWindow::chooseRow(int row) {
    selectRow(row);
    rowChosen(row);
}

void MainWindow::rowChosen(int row) {
    if (row != list_->currentRow()) return;  // the user has moved on already
    // During a batch the list is the batch's: the file in hand stays marked.
    if (model_.batchRunning()) return;
    model_.chooseSong(row);
    refresh();
    // A file that could not be made current is not left selected.
    if (model_.appState().songPath.empty()) unmarkRow();
}

void MainWindow::setLeds(int lit) {
    static constexpr int kOrders[4][3] = {{0, 1, 2}, {1, 0, 2}, {2, 1, 0}, {0, 1, 2}};
    const int* order = kOrders[lit < 0 ? 3 : lit];
    for (int k = 0; k < 3; ++k) {
        const int index = order[k];
        leds_[index]->setLit(index == lit);
        emit ledSet(index, index == lit);
    }
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && boxContains(layout::kBrand, event->position().toPoint())) {
        showAboutBox(this);
        return;
    }
    // A left press on the bare background moves the window, as a title bar would.
    if (event->button() != Qt::LeftButton) return;
    if (QWindow* window = windowHandle(); window && window->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        if (event->buttons() & Qt::LeftButton) {
            move(event->globalPosition().toPoint() - dragOffset_);
        } else {
            dragging_ = false;
        }
    }
    setLeds(-1);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

}  // namespace quorvane::ui
