#pragma once

#include "song_files.hpp"

#include "workflow/form1.hpp"
#include "workflow/scripted_services.hpp"

namespace quorvane::test {

// The window's model with plain sliders and scripted services.
class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() : form(segmento, choose, {picker, messages, pump, pause}) {
        Form1::applyDesign(segmento, choose);
        form.Form_Load();
    }

    // SOURCE answered with the songs folder.
    void openSource() {
        picker.answers.push_back(songs.path().string());
        form.Image1_Click();
    }
    int indexOf(const std::string& listed) const {
        for (std::size_t i = 0; i < form.ListMIDI.size(); ++i) {
            if (form.ListMIDI[i].text == listed) return static_cast<int>(i);
        }
        return -1;
    }
    std::string log() const { return fileText(songs.file("Quorvane.log")); }

    TempDir songs, out;
    TarnSlider segmento, choose;
    ScriptedFolderPicker picker;
    RecordingMessages messages;
    ScriptedEventPump pump;
    NoPause pause;
    Form1 form;
};

}  // namespace quorvane::test
