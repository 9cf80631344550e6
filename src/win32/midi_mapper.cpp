#include "midi_mapper.hpp"

#include <cstdint>
#include <vector>

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

namespace quorvane::win32 {

namespace {

class MidiMapper : public preview::MidiOutput {
public:
    explicit MidiMapper(HMIDIOUT out) : out_(out) {}
    ~MidiMapper() override { midiOutClose(out_); }
    MidiMapper(const MidiMapper&) = delete;
    MidiMapper& operator=(const MidiMapper&) = delete;

    void send(const preview::TimedEvent& event) override {
        if (event.status == 0xF0) {
            sendSysEx(event.sysex);
        } else {
            sendShort(event.status, event.data[0], event.data[1]);
        }
    }

    // Held notes and pedals included.
    void silence() override {
        constexpr std::uint8_t kControlChange = 0xB0;
        constexpr std::uint8_t kAllSoundOff = 120;
        constexpr std::uint8_t kResetControllers = 121;
        constexpr std::uint8_t kAllNotesOff = 123;
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            sendShort(kControlChange | channel, kAllSoundOff, 0);
            sendShort(kControlChange | channel, kResetControllers, 0);
            sendShort(kControlChange | channel, kAllNotesOff, 0);
        }
        midiOutReset(out_);
    }

private:
    void sendShort(std::uint8_t status, std::uint8_t first, std::uint8_t second) {
        midiOutShortMsg(out_, DWORD{status} | (DWORD{first} << 8) | (DWORD{second} << 16));
    }

    // The call returns before the device is done with the message, so its
    // buffer is kept until the device says so (a second at most).
    void sendSysEx(const std::vector<std::uint8_t>& data) {
        std::vector<char> message;
        message.reserve(data.size() + 2);
        message.push_back(static_cast<char>(0xF0));
        message.insert(message.end(), data.begin(), data.end());
        message.push_back(static_cast<char>(0xF7));
        MIDIHDR header{};
        header.lpData = message.data();
        header.dwBufferLength = static_cast<DWORD>(message.size());
        if (midiOutPrepareHeader(out_, &header, sizeof header) != MMSYSERR_NOERROR) return;
        if (midiOutLongMsg(out_, &header, sizeof header) == MMSYSERR_NOERROR) {
            for (int wait = 0; wait < 1000 && (header.dwFlags & MHDR_DONE) == 0; ++wait) Sleep(1);
        }
        midiOutUnprepareHeader(out_, &header, sizeof header);
    }

    HMIDIOUT out_;
};

}  // namespace

std::unique_ptr<preview::MidiOutput> openMidiMapper() {
    HMIDIOUT out = nullptr;
    if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
    return std::make_unique<MidiMapper>(out);
}

}  // namespace quorvane::win32
