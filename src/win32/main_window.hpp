#pragma once

// The main window on Windows: a borderless, fixed-size face with picture
// buttons, LEDs, the song list, the captions and the two sliders, drawn with
// the system itself. What it does is the window model's (WindowModel): every
// command goes to the model, and after each one the window shows the model's
// captions and list again, as the Qt window does.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/layout.hpp"
#include "win32/captions.hpp"
#include "win32/picture_button.hpp"
#include "win32/services.hpp"
#include "win32/skin.hpp"
#include "win32/slider_control.hpp"
#include "win32/song_list.hpp"
#include "win32/tooltips.hpp"
#include "win32/window_keys.hpp"
#include "workflow/clip_preview.hpp"
#include "workflow/drop_request.hpp"
#include "workflow/window_model.hpp"

namespace quorvane::win32 {

class MainWindow {
public:
    // With the system's folder picker, message boxes, message loop and pause.
    MainWindow();
    // With the given services (tests and scripted runs); they must outlive the window.
    explicit MainWindow(const PlatformServices& services);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const noexcept { return window_; }
    WindowModel& model() noexcept { return model_; }
    // The window's own services; null when services were given.
    Win32Services* ownServices() noexcept { return own_.get(); }
    PictureButton& button(ui::layout::Button which) { return *buttons_[which]; }
    SongList& list() noexcept { return *list_; }
    ToolTips& toolTips() noexcept { return *tips_; }
    SliderControl& cutSlider() noexcept { return cutSlider_; }
    SliderControl& clipSlider() noexcept { return clipSlider_; }
    ClipPreview& preview() noexcept { return preview_; }
    WindowKeys& keys() noexcept { return keys_; }

    // Shows the window; on the first start the keyboard, and the ring that
    // shows it, begin on SOURCE.
    void show();

    // Runs what a click on the button runs.
    void runCommand(ui::layout::Button which);
    // Shows the model's captions and list.
    void refresh();
    // Marks row `row` of the list and chooses its song, as a click on it does.
    void chooseRow(int row);
    // Lists the source folder again (F5).
    void listAgain();
    // After a new listing: marks the current song's row, or none.
    void markCurrentSong();
    // What a drop of `request` on the window does: the folder listed as the
    // source, and a dropped file chosen in its list.
    void openDrop(const DropRequest& request);
    // Lights LED `lit` (0 to 2; -1 for none) and darkens the others.
    void setLeds(int lit);
    // Whether LED `index` is lit; nothing while it shows no picture yet.
    std::optional<bool> ledLit(int index) const { return leds_.at(static_cast<std::size_t>(index)); }
    // The caption drawn at `box` now, shortened as it is shown.
    std::string shownCaption(const ui::layout::Box& box) const;

    // The whole client area as it looks now, the controls included.
    std::unique_ptr<Bitmap> capture();

private:
    MainWindow(const PlatformServices* services);
    static HWND createFrame();
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    void loadDesign();
    // The background, LEDs, captions and batch progress (not the controls).
    void paintFace(HDC dc) const;
    void rowChosen(int row);
    void unmarkRow();
    void followBatch(const BatchProgress& progress);
    void pressBackground(LPARAM at);
    bool onCaptionOrLed(POINT at) const;
    void close();
    void paintRing(HDC dc) const;
    void takeDrop(WPARAM drop);  // WM_DROPFILES

    std::unique_ptr<Win32Services> own_;
    PlatformServices services_;
    PumpAfter pump_;  // the batch's event processing shows the model first
    Skin skin_;
    HFONT font_ = nullptr;
    HWND window_ = nullptr;
    WindowKeys keys_;
    SliderControl cutSlider_;
    SliderControl clipSlider_;
    WindowModel model_;

    ClipPreview preview_;  // the play button, on the system's MIDI synthesizer

    std::array<std::unique_ptr<PictureButton>, ui::layout::ButtonCount> buttons_;
    std::array<std::optional<bool>, 3> leds_;
    std::unique_ptr<SongList> list_;
    std::unique_ptr<ToolTips> tips_;
    std::unique_ptr<Captions> captions_;
    bool progressShown_ = false;
    int progressCount_ = 0;
    int progressDone_ = 0;
};

}  // namespace quorvane::win32
