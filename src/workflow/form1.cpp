#include "form1.hpp"

#include <utility>

#include "error_text.hpp"
#include "slider/stored_sliders.hpp"
#include "core/clock_text.hpp"

namespace quorvane {

Form1::Form1(TarnSlider& segmento, TarnSlider& choose, PlatformServices services)
    : Segmento(segmento), Choose(choose), services_(services) {
    Segmento.Events().ValueChanged = [this] { guarded([this] { Segmento_ValueChanged(); }); };
    Choose.Events().ValueChanged = [this] { guarded([this] { Choose_ValueChanged(); }); };
}

Form1::~Form1() {
    abandonSelection();  // its result would find nobody
    Segmento.Events().ValueChanged = nullptr;
    Choose.Events().ValueChanged = nullptr;
}

void Form1::applyDesign(TarnSlider& segmento, TarnSlider& choose) {
    for (const auto& [slider, stored] :
         {std::pair{&segmento, &stored_sliders::kSegmento}, std::pair{&choose, &stored_sliders::kChoose}}) {
        slider->LoadDesign(*stored, {}, {});  // no pictures: these sliders are never drawn
    }
}

void Form1::guarded(const std::function<void()>& body) {
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

void Form1::command(void (Form1::*handler)(), bool exclusive) {
    if (exclusive && batchRunning_) return;  // the buttons wait for the batch
    guarded([&] { (this->*handler)(); });
}

void Form1::report(const std::exception_ptr& error) {
    services_.messages.showMessage(describeCommandError(error, state.FilePath));
}

void Form1::Form_Load() {
    LabChoose = std::to_string(Choose.Value());
    if (TextPath.empty()) LabStatus = "Choose a folder of songs: SOURCE or Ctrl+O";
}

void Form1::Choose_ValueChanged() { LabChoose = twoDigits(Choose.Value()); }

}  // namespace quorvane
