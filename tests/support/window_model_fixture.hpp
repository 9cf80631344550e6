#pragma once

// The window's model with plain sliders in the window's design and scripted
// services, for the model's tests and those of the rules every face shares.

#include "scripted_services.hpp"
#include "song_files.hpp"
#include "workflow/window_model.hpp"

namespace quorvane::test {

class WindowModelTest : public ::testing::Test {
protected:
    explicit WindowModelTest(Executor* executor = nullptr)
        : model(cutSlider, clipSlider, {picker, messages, pump, pause, executor}) {
        WindowModel::applyDesign(cutSlider, clipSlider);
        model.start();
    }
    void openSource() {  // SOURCE, answered with the songs folder
        picker.answers.push_back(songs.path().string());
        model.chooseSourceFolder();
    }
    void openDest() {
        picker.answers.push_back(out.path().string());
        model.chooseDestFolder();
    }
    std::string log() const { return fileText(songs.file("Quorvane.log")); }

    TempDir songs, out;
    SliderModel cutSlider, clipSlider;
    ScriptedFolderPicker picker;
    RecordingMessages messages;
    ScriptedEventPump pump;
    NoPause pause;
    WindowModel model;
};

}  // namespace quorvane::test
