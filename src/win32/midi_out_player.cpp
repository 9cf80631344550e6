#include "midi_out_player.hpp"

#include <chrono>
#include <cstdint>
#include <vector>

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

namespace quorvane::win32 {

namespace {

HMIDIOUT handleOf(void* device) { return static_cast<HMIDIOUT>(device); }

void sendShort(HMIDIOUT out, std::uint8_t status, std::uint8_t first, std::uint8_t second) {
    midiOutShortMsg(out, DWORD{status} | (DWORD{first} << 8) | (DWORD{second} << 16));
}

// A SysEx goes out whole; the call returns before the device is done with
// it, so its buffer is kept until the device says so (a second at most).
void sendSysEx(HMIDIOUT out, const std::vector<std::uint8_t>& data) {
    std::vector<char> message;
    message.reserve(data.size() + 2);
    message.push_back(static_cast<char>(0xF0));
    message.insert(message.end(), data.begin(), data.end());
    message.push_back(static_cast<char>(0xF7));
    MIDIHDR header{};
    header.lpData = message.data();
    header.dwBufferLength = static_cast<DWORD>(message.size());
    if (midiOutPrepareHeader(out, &header, sizeof header) != MMSYSERR_NOERROR) return;
    if (midiOutLongMsg(out, &header, sizeof header) == MMSYSERR_NOERROR) {
        for (int wait = 0; wait < 1000 && (header.dwFlags & MHDR_DONE) == 0; ++wait) Sleep(1);
    }
    midiOutUnprepareHeader(out, &header, sizeof header);
}

// Every channel quiet at once, held notes and pedals included.
void silence(HMIDIOUT out) {
    constexpr std::uint8_t kControlChange = 0xB0;
    constexpr std::uint8_t kAllSoundOff = 120;
    constexpr std::uint8_t kResetControllers = 121;
    constexpr std::uint8_t kAllNotesOff = 123;
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        sendShort(out, kControlChange | channel, kAllSoundOff, 0);
        sendShort(out, kControlChange | channel, kResetControllers, 0);
        sendShort(out, kControlChange | channel, kAllNotesOff, 0);
    }
    midiOutReset(out);
}

}  // namespace

MidiOutPlayer::~MidiOutPlayer() { stop(); }

bool MidiOutPlayer::play(preview::SongEvents clip) {
    stop();
    HMIDIOUT out = nullptr;
    if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    stopping_ = false;
    playing_ = true;
    thread_ = std::thread([this, clip = std::move(clip), out] { run(clip, out); });
    return true;
}

void MidiOutPlayer::stop() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void MidiOutPlayer::run(const preview::SongEvents& clip, void* device) {
    HMIDIOUT out = handleOf(device);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const auto at = [start](double seconds) {
        return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    };
    std::unique_lock<std::mutex> lock(mutex_);
    const auto stopped = [this] { return stopping_; };
    for (const preview::TimedEvent& event : clip.events) {
        if (wake_.wait_until(lock, at(event.seconds), stopped)) break;
        if (event.status == 0xF0) {
            sendSysEx(out, event.sysex);
        } else {
            sendShort(out, event.status, event.data[0], event.data[1]);
        }
    }
    wake_.wait_until(lock, at(clip.lastEventSeconds + kTailSeconds), stopped);
    silence(out);
    midiOutClose(out);
    playing_ = false;
}

}  // namespace quorvane::win32
