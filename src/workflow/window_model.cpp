#include "window_model.hpp"

#include <utility>

#include "error_text.hpp"
#include "slider/stored_sliders.hpp"
#include "core/clock_text.hpp"
#include "platform/files.hpp"
#include "platform/text.hpp"

namespace quorvane {

WindowModel::WindowModel(SliderModel& cutPoint, SliderModel& clipLength, PlatformServices services)
    : cutSlider(cutPoint), clipSlider(clipLength), services_(services) {
    cutSlider.events().valueChanged = [this] {
        guarded([this] { cutPointMoved(); });
        if (onSliderMoved) onSliderMoved();
    };
    clipSlider.events().valueChanged = [this] {
        guarded([this] { clipLengthMoved(); });
        if (onSliderMoved) onSliderMoved();
    };
    // The cut point's tip shows the time at the thumb, as TIME does.
    cutSlider.setValueTipText([this](std::int32_t value) { return cutPointTip(value); });
}

WindowModel::~WindowModel() {
    abandonSelection();  // its result would find nobody
    cutSlider.events().valueChanged = nullptr;
    clipSlider.events().valueChanged = nullptr;
    cutSlider.setValueTipText(nullptr);
}

void WindowModel::applyDesign(SliderModel& cutPoint, SliderModel& clipLength) {
    for (const auto& [slider, stored] :
         {std::pair{&cutPoint, &stored_sliders::kCutPoint}, std::pair{&clipLength, &stored_sliders::kClipLength}}) {
        slider->loadDesign(*stored, {}, {});  // no pictures: these sliders are never drawn
    }
}

void WindowModel::guarded(const std::function<void()>& body) {
    ++depth_;
    try {
        body();
    } catch (...) {
        --depth_;
        if (depth_ > 0) throw;  // the enclosing command stops and reports it
        report(std::current_exception());
        return;
    }
    --depth_;
}

void WindowModel::command(void (WindowModel::*handler)(), bool exclusive) {
    if (exclusive && batchRunning_) return;  // the buttons wait for the batch
    guarded([&] { (this->*handler)(); });
}

void WindowModel::report(const std::exception_ptr& error) {
    services_.messages.showMessage(describeCommandError(error, state_.songPath));
}

void WindowModel::start() {
    clipLengthText = std::to_string(clipSlider.value());
    if (sourceFolder.empty()) status = "Choose a folder of songs: SOURCE or Ctrl+O";
}

void WindowModel::clipLengthMoved() { clipLengthText = twoDigits(clipSlider.value()); }

std::vector<std::string> WindowModel::statusNames() const {
    std::vector<std::string> names;
    for (const std::string* name :
         {&state_.listedName, &state_.songPath, &state_.cutFilePath, &sourceFolder, &state_.destFolder}) {
        if (!name->empty()) names.push_back(withoutControlCharacters(*name));
    }
    if (!state_.cutFilePath.empty()) names.push_back(utf8FromPath(pathFromUtf8(state_.cutFilePath).filename()));
    for (const ListedSong& item : songs) names.push_back(withoutControlCharacters(item.text));
    return names;
}

bool WindowModel::previewEnded() {
    if (status.rfind("Playing", 0) != 0) return false;
    status = "Preview ended.";
    return true;
}

}  // namespace quorvane
