#include "win32/main_window.hpp"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "slider/stored_sliders.hpp"
#include "win32/about_box.hpp"
#include "ui/face_texts.hpp"
#include "preview/clocked_player.hpp"
#include "win32/midi_mapper.hpp"
#include "win32/window_handler.hpp"
#include "win32/value_tip.hpp"
#include "win32/wide_text.hpp"

namespace quorvane::win32 {

namespace layout = ui::layout;

namespace {

constexpr wchar_t kClassName[] = L"QuorvaneWindow";
constexpr int kButtonIdBase = 100;  // control id of button 0; the others follow
constexpr int kListId = 200;
constexpr int kCutSliderId = 201;
constexpr int kClipSliderId = 202;
// Posted by the list: a row was chosen, handled once the list's own work is over.
constexpr UINT kRowChosen = WM_APP + 2;
// The timer that notices a preview that has played to its end.
constexpr UINT_PTR kPreviewWatch = 1;
constexpr UINT kPreviewWatchMs = 200;

// The batch bar's colours: the artwork's light edge for the part still to
// do, the accent for the part done.
constexpr COLORREF kProgressTrack = RGB(0x45, 0x4b, 0x55);
constexpr COLORREF kProgressDone = RGB(0x3e, 0xc7, 0xe0);
constexpr COLORREF kRingInner = RGB(0x3e, 0xc7, 0xe0);  // the artwork's accent
constexpr COLORREF kRingOuter = RGB(0x0f, 0x6f, 0x82);  // and its deep shade, for the glow

bool inside(const layout::Box& box, POINT at) {
    return at.x >= box.left && at.x < box.right() && at.y >= box.top && at.y < box.bottom();
}

RECT rectOf(const layout::Box& box) { return RECT{box.left, box.top, box.right(), box.bottom()}; }

// The classic 8-point dialog font: 11 pixels, the face being drawn in pixels.
HFONT captionFont() {
    return ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Microsoft Sans Serif");
}

void fillRect(HDC dc, const RECT& box, COLORREF colour) {
    ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

}  // namespace

MainWindow::MainWindow() : MainWindow(nullptr) {}

MainWindow::MainWindow(const PlatformServices& services) : MainWindow(&services) {}

MainWindow::MainWindow(const PlatformServices* services)
    : own_(services ? nullptr : std::make_unique<Win32Services>()),
      services_(services ? *services : own_->services()),
      pump_(services_.events, [this] { refresh(); }),
      font_(captionFont()),
      window_(createFrame()),
      keys_(window_, kButtonIdBase),
      cutSlider_(window_, layout::kCutPoint, kCutSliderId),
      clipSlider_(window_, layout::kClipLength, kClipSliderId),
      model_(cutSlider_, clipSlider_,
             {services_.folders, services_.messages, pump_, services_.pause, services_.executor}),
      preview_(model_, [] { return std::make_unique<preview::ClockedPlayer>(openMidiMapper); }) {
    setHandler(window_, this);
    if (own_) {
        own_->folders.owner = window_;
        own_->messages.owner = window_;
        own_->executor.setWindow(window_);
        // The window's keys work while a batch handles the waiting events too.
        own_->events.translate = [this](const MSG& message) { return keys_.translate(message); };
    }
    buildControls();
    loadDesign();
    // Folders and songs dropped from Explorer.
    ::DragAcceptFiles(window_, TRUE);

    // The captions follow the sliders, whether the user drags them or a
    // command sets them.
    model_.onSliderMoved = [this] { refresh(); };
    // During a batch the list marks the file in hand, and the counter is
    // shown as soon as a file is cut.
    model_.onBatchProgress = [this](const BatchProgress& progress) {
        refresh();
        list_->markRow(progress.position - 1);
        followBatch(progress);
    };
    // A song measured away from the window's thread is shown once it is
    // measured; one that could not be read is not left selected.
    model_.onSelectionMeasured = [this] {
        refresh();
        if (model_.appState().songPath.empty()) unmarkRow();
    };

    model_.start();
    refresh();
}

MainWindow::~MainWindow() {
    model_.onBatchProgress = nullptr;
    model_.onSelectionMeasured = nullptr;
    setHandler(window_, nullptr);
    ValueTip::dismiss();
    if (own_) own_->executor.setWindow(nullptr);
    // The controls go with their windows; the frame goes last.
    for (auto& button : buttons_) button.reset();
    list_.reset();
    captions_.reset();
    tips_.reset();
    ::DestroyWindow(window_);
    ::DeleteObject(font_);
}

HWND MainWindow::createFrame() {
    // With the program's icon (resource 1), for the taskbar and Alt+Tab.
    static const bool kRegistered = registerClass(kClassName, &MainWindow::procedure, IDC_ARROW, MAKEINTRESOURCEW(1));
    if (!kRegistered) throw std::runtime_error("the window class cannot be registered");
    // Borderless, with the system menu and minimise box the taskbar offers.
    // In the middle of the work area until a place is remembered.
    RECT work{0, 0, layout::kWindowWidth, layout::kWindowHeight};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = std::max<int>(work.left, (work.left + work.right - layout::kWindowWidth) / 2);
    const int top = std::max<int>(work.top, (work.top + work.bottom - layout::kWindowHeight) / 2);
    HWND window = ::CreateWindowExW(
        WS_EX_APPWINDOW, kClassName, kApplicationTitle, WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, left,
        top, layout::kWindowWidth, layout::kWindowHeight, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!window) throw std::runtime_error("the window cannot be created");
    return window;
}

void MainWindow::buildControls() {
    const Bitmap& background = skin_.picture(layout::kBackground);
    for (int b = 0; b < layout::ButtonCount; ++b) {
        buttons_[b] =
            std::make_unique<PictureButton>(window_, kButtonIdBase + b, layout::kButtons[b], skin_, background);
    }
    // Moving over one of the three main buttons lights its LED.
    for (int b : {layout::Source, layout::Dest, layout::CutAll}) {
        buttons_[b]->onMouseMoved = [this, b] { setLeds(b); };
    }
    list_ = std::make_unique<SongList>(window_, kListId, font_);

    namespace texts = ui::texts;
    tips_ = std::make_unique<ToolTips>(window_);
    for (int b = 0; b < layout::ButtonCount; ++b) tips_->addControl(buttons_[b]->handle(), texts::kButtonTips[b]);
    tips_->addControl(list_->handle(), texts::kSongListTip);
    tips_->addControl(cutSlider_.handle(), texts::kCutPointTip);
    tips_->addControl(clipSlider_.handle(), texts::kClipLengthTip);
    // In the order refresh() shows them.
    captions_ = std::make_unique<Captions>(
        window_, font_, *tips_,
        std::vector<Captions::Place>{
            {&layout::kSourceFolderCaption, layout::kSourceFolderTag, false, texts::kSourceFolderCaption},
            {&layout::kDestFolderCaption, layout::kDestFolderTag, false, texts::kDestFolderCaption},
            {&layout::kSongPathCaption, layout::kSongPathTag, false, texts::kSongPathCaption},
            {&layout::kListedCountCaption, 0, false, texts::kListedCountCaption},
            {&layout::kCutCountCaption, 0, false, texts::kCutCountCaption},
            {&layout::kClipLengthCaption, 0, false, texts::kClipLengthCaption},
            {&layout::kCutPointTimeCaption, 0, false, texts::kCutPointTimeCaption},
            {&layout::kStatusCaption, 0, true, texts::kStatusCaption},
        });
    // Tab goes down the left column, then the right, as in the Qt window.
    HWND order[] = {buttons_[layout::Source]->handle(),
                    buttons_[layout::Dest]->handle(),
                    buttons_[layout::CutAll]->handle(),
                    clipSlider_.handle(),
                    list_->handle(),
                    cutSlider_.handle(),
                    buttons_[layout::Play]->handle(),
                    buttons_[layout::CutOne]->handle(),
                    buttons_[layout::Minimise]->handle(),
                    buttons_[layout::Exit]->handle()};
    HWND after = HWND_TOP;
    for (HWND control : order) {
        ::SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
    }
}

void MainWindow::loadDesign() {
    const auto place = [this](SliderControl& slider, const stored_sliders::StoredSlider& stored) {
        slider.loadDesign(stored, skin_.sliderPicture(stored.thumb.name), skin_.sliderPicture(stored.rail.name));
    };
    place(cutSlider_, stored_sliders::kCutPoint);
    place(clipSlider_, stored_sliders::kClipLength);
}

void MainWindow::runCommand(layout::Button which) {
    switch (which) {
        case layout::Source: model_.chooseSourceFolder(); break;
        case layout::Dest: model_.chooseDestFolder(); break;
        case layout::CutAll: model_.cutAll(); break;
        case layout::CutOne: model_.cutOne(); break;
        case layout::Minimise: ::ShowWindow(window_, SW_MINIMIZE); return;
        case layout::Exit: close(); return;
        case layout::Play:
            if (model_.batchRunning() || model_.measuring()) return;
            model_.status = preview_.toggle();
            // A preview that plays to its end says so, instead of "Playing" for ever.
            if (preview_.playing()) ::SetTimer(window_, kPreviewWatch, kPreviewWatchMs, nullptr);
            break;
        case layout::ButtonCount: return;
    }
    refresh();
    if (which == layout::Source) markCurrentSong();
    // Commands tried during a batch (and refused) leave its bar alone.
    if (!model_.batchRunning() && progressShown_) {
        progressShown_ = false;
        ::InvalidateRect(window_, nullptr, FALSE);
    }
    // A batch stopped by a file it could not read leaves no file current.
    if (which == layout::CutAll && model_.appState().songPath.empty()) unmarkRow();
    // An exit asked for during a batch ends the program once the batch has stopped.
    if (model_.exitRequested() && !model_.batchRunning()) close();
}

void MainWindow::show() {
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    if (model_.sourceFolder.empty()) {
        HWND source = buttons_[layout::Source]->handle();
        ::SetFocus(source);
        keys_.surround(source);
    }
}

void MainWindow::close() {
    if (model_.batchRunning()) {
        // The batch stops at its next event processing, with its log closed;
        // the command that runs it then closes the window.
        model_.requestExit();
        return;
    }
    ::ShowWindow(window_, SW_HIDE);
    ::PostQuitMessage(0);
}

void MainWindow::listAgain() {
    model_.listAgain();
    refresh();
    markCurrentSong();
}

void MainWindow::markCurrentSong() {
    if (!model_.batchRunning()) list_->markRow(model_.currentIndex());
}

void MainWindow::refresh() {
    const AppState& state = model_.appState();
    const std::string* texts[] = {&model_.sourceFolder, &state.destFolder, &state.shownPath,
                                  &model_.listedCount,  &model_.cutCount,  &model_.clipLengthText,
                                  &model_.cutPointTime, &model_.status};
    const auto names = [this] { return model_.statusNames(); };
    for (std::size_t k = 0; k < std::size(texts); ++k) captions_->show(k, *texts[k], names);
    std::vector<std::string> rows;
    rows.reserve(model_.songs.size());
    for (const ListedSong& item : model_.songs) rows.push_back(item.text);
    list_->setRows(rows);
    // The buttons that wait for a running CUT ALL look it.
    for (layout::Button waiting : {layout::Source, layout::Dest, layout::CutAll, layout::CutOne, layout::Play}) {
        ::EnableWindow(buttons_[waiting]->handle(), !model_.batchRunning());
    }
}

std::string MainWindow::shownCaption(const layout::Box& box) const { return captions_->shown(box); }

void MainWindow::chooseRow(int row) {
    list_->markRow(row);
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

void MainWindow::openDrop(const DropRequest& request) {
    model_.useSourceFolder(request.folder);
    refresh();
    markCurrentSong();
    if (request.fileName.empty()) return;
    const int row = model_.listIndexOf(request.fileName);
    if (row >= 0) chooseRow(row);
}

void MainWindow::takeDrop(WPARAM parameter) {
    const auto drop = messageHandle<HDROP>(parameter);
    std::vector<std::string> paths;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT k = 0; k < count; ++k) {
        std::wstring path(::DragQueryFileW(drop, k, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(drop, k, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(narrow(path));
    }
    ::DragFinish(drop);
    // A drop during a CUT ALL, or of anything but one folder or one song, does nothing.
    if (model_.batchRunning()) return;
    if (const std::optional<DropRequest> request = dropRequest(paths)) openDrop(*request);
}

void MainWindow::unmarkRow() { list_->markRow(-1); }

void MainWindow::setLeds(int lit) {
    for (std::size_t k = 0; k < leds_.size(); ++k) {
        const bool now = static_cast<int>(k) == lit;
        if (leds_[k] == now) continue;
        leds_[k] = now;
        RECT box = rectOf(layout::kLeds[k].box);
        ::InvalidateRect(window_, &box, FALSE);
    }
}

void MainWindow::followBatch(const BatchProgress& progress) {
    progressCount_ = progress.count;
    progressDone_ = progress.done ? progress.position : progress.position - 1;
    progressShown_ = true;
    RECT box = rectOf(layout::kBatchProgress);
    ::InvalidateRect(window_, &box, FALSE);
    ::UpdateWindow(window_);  // the batch holds the message loop: paint now
}

void MainWindow::paintFace(HDC dc) const {
    skin_.picture(layout::kBackground).draw(dc, 0, 0);
    for (std::size_t k = 0; k < leds_.size(); ++k) {
        if (!leds_[k]) continue;  // no picture until first set
        const layout::LedPlace& led = layout::kLeds[k];
        skin_.picture(*leds_[k] ? led.lit : led.dark).draw(dc, led.box.left, led.box.top);
    }
    if (captions_) captions_->paint(dc);
    paintRing(dc);
    if (progressShown_) {
        const RECT bar = rectOf(layout::kBatchProgress);
        fillRect(dc, bar, kProgressTrack);
        if (progressCount_ > 0) {
            const auto filled =
                static_cast<LONG>(static_cast<long long>(bar.right - bar.left) * progressDone_ / progressCount_);
            fillRect(dc, RECT{bar.left, bar.top, bar.left + filled, bar.bottom}, kProgressDone);
        }
    }
}

void MainWindow::paintRing(HDC dc) const {
    if (!keys_.ringTarget()) return;
    const RECT ring = keys_.ringArea();
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
    // The accent's deep shade outside, the accent itself inside.
    ::SetDCPenColor(dc, kRingOuter);
    ::RoundRect(dc, ring.left, ring.top, ring.right, ring.bottom, 10, 10);
    ::SetDCPenColor(dc, kRingInner);
    ::RoundRect(dc, ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1, 8, 8);
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
}

std::unique_ptr<Bitmap> MainWindow::capture() {
    auto picture = std::make_unique<Bitmap>(layout::kWindowWidth, layout::kWindowHeight);
    HDC screen = ::GetDC(window_);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(window_, screen);
    HGDIOBJ old = ::SelectObject(dc, picture->handle());
    paintFace(dc);
    for (const auto& button : buttons_) {
        RECT box;
        ::GetWindowRect(button->handle(), &box);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
        button->paint(dc, box.left, box.top);
    }
    cutSlider_.paint(dc, layout::kCutPoint.left, layout::kCutPoint.top);
    clipSlider_.paint(dc, layout::kClipLength.left, layout::kClipLength.top);
    // The list draws itself, scroll bar included, on a picture of its own
    // size (it clips to its own rectangle), which then goes to its place.
    const layout::Box& box = layout::kSongList;
    Bitmap listPicture(box.width, box.height);
    HDC listDc = ::CreateCompatibleDC(dc);
    HGDIOBJ listOld = ::SelectObject(listDc, listPicture.handle());
    ::SendMessageW(list_->handle(), WM_PRINT, reinterpret_cast<WPARAM>(listDc),
                   PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    ::BitBlt(dc, box.left, box.top, box.width, box.height, listDc, 0, 0, SRCCOPY);
    ::SelectObject(listDc, listOld);
    ::DeleteDC(listDc);
    ::GdiFlush();
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return picture;
}

bool MainWindow::onCaptionOrLed(POINT at) const {
    if (captions_ && captions_->contain(at)) return true;
    for (const layout::LedPlace& led : layout::kLeds) {
        if (inside(led.box, at)) return true;
    }
    return false;
}

void MainWindow::pressBackground(LPARAM at) {
    const POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (onCaptionOrLed(point)) return;
    // A press on the bare background moves the window, as a title bar would.
    ::ReleaseCapture();
    ::SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = handlerOf<MainWindow>(window);
    if (message == WM_MEASUREITEM && wParam == kListId) {
        // Asked while the list is being made, before the window knows it.
        auto& item = messageData<MEASUREITEMSTRUCT>(lParam);
        HDC dc = ::GetDC(window);
        HFONT font = captionFont();
        HGDIOBJ old = ::SelectObject(dc, font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        ::SelectObject(dc, old);
        ::DeleteObject(font);
        ::ReleaseDC(window, dc);
        item.itemHeight = static_cast<UINT>(metrics.tmHeight);
        return TRUE;
    }
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paintStruct;
            HDC dc = ::BeginPaint(window_, &paintStruct);
            paintFace(dc);
            ::EndPaint(window_, &paintStruct);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id >= kButtonIdBase && id < kButtonIdBase + layout::ButtonCount) {
                runCommand(static_cast<layout::Button>(id - kButtonIdBase));
            } else if (id == StopBatch) {
                model_.requestStop();
            } else if (id == ListAgain) {
                listAgain();
            } else if (id == Quit) {
                close();
            } else if (id == About) {
                showAboutBox();
            } else if (id == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
                // Run once the list's own handling is over, so that a message
                // about the song does not open inside it.
                ::PostMessageW(window_, kRowChosen, static_cast<WPARAM>(list_->currentRow()), 0);
            }
            return 0;
        }
        case kRowChosen: rowChosen(static_cast<int>(wParam)); return 0;
        case WorkerExecutor::kResultsWaiting:
            if (own_) own_->executor.runWaitingResults();
            return 0;
        case WM_DRAWITEM:
            if (wParam == kListId && list_) list_->drawItem(messageData<const DRAWITEMSTRUCT>(lParam));
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            if (!list_) break;
            return reinterpret_cast<LRESULT>(list_->background());
        case WM_LBUTTONDOWN: pressBackground(lParam); return 0;
        case WM_RBUTTONDOWN:
            // A right click on the brand artwork shows the About box.
            if (inside(layout::kBrand, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) showAboutBox();
            return 0;
        case WM_MOUSEMOVE:
            if (!onCaptionOrLed(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) setLeds(-1);
            return 0;
        case WM_TIMER:
            if (wParam != kPreviewWatch || preview_.playing()) return 0;
            ::KillTimer(window_, kPreviewWatch);
            if (model_.previewEnded()) refresh();
            return 0;
        case WM_CLOSE: close(); return 0;
        case WM_DROPFILES: takeDrop(wParam); return 0;
        default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace quorvane::win32
