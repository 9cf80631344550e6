#pragma once

#include "song_files.hpp"

#include "workflow/window_model.hpp"
#include "workflow/scripted_services.hpp"

namespace quorvane::test {

// The window's model with plain sliders and scripted services.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() : model(cutSlider, clipSlider, {picker, messages, pump, pause}) {
        WindowModel::applyDesign(cutSlider, clipSlider);
        model.start();
    }

    // SOURCE answered with the songs folder.
    void openSource() {
        picker.answers.push_back(songs.path().string());
        model.chooseSourceFolder();
    }
    int indexOf(const std::string& listed) const {
        for (std::size_t i = 0; i < model.songs.size(); ++i) {
            if (model.songs[i].text == listed) return static_cast<int>(i);
        }
        return -1;
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
