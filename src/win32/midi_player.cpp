#include "win32/midi_player.hpp"

#include <mmsystem.h>

#include <chrono>
#include <vector>

namespace quorvane::win32 {

MidiPlayer::~MidiPlayer() { stop(); }

bool MidiPlayer::play(preview::SongEvents clip) {
    stop();
    HMIDIOUT out = nullptr;
    if (::midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    out_ = out;
    stopping_ = false;
    playing_ = true;
    thread_ = std::thread([this, clip = std::move(clip)] { run(clip); });
    return true;
}

void MidiPlayer::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    if (out_) {
        ::midiOutReset(out_);  // every note off
        ::midiOutClose(out_);
        out_ = nullptr;
    }
    playing_ = false;
}

bool MidiPlayer::wait(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, until, [this] { return stopping_; });
}

void MidiPlayer::run(const preview::SongEvents& clip) {
    const auto start = std::chrono::steady_clock::now();
    const auto at = [start](double seconds) {
        return start +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    };
    bool going = true;
    for (const preview::TimedEvent& event : clip.events) {
        if (!(going = wait(at(event.seconds)))) break;
        send(event);
    }
    if (going) wait(at(clip.lastEventSeconds) + std::chrono::milliseconds(kTailMs));
    playing_ = false;
}

void MidiPlayer::send(const preview::TimedEvent& event) {
    if (event.status != 0xF0) {
        ::midiOutShortMsg(out_, static_cast<DWORD>(event.status) | (static_cast<DWORD>(event.data[0]) << 8) |
                                    (static_cast<DWORD>(event.data[1]) << 16));
        return;
    }
    // A SysEx goes whole, F0 and F7 around its data.
    std::vector<char> bytes;
    bytes.reserve(event.sysex.size() + 2);
    bytes.push_back(static_cast<char>(0xF0));
    bytes.insert(bytes.end(), event.sysex.begin(), event.sysex.end());
    bytes.push_back(static_cast<char>(0xF7));
    MIDIHDR header{};
    header.lpData = bytes.data();
    header.dwBufferLength = static_cast<DWORD>(bytes.size());
    if (::midiOutPrepareHeader(out_, &header, sizeof(header)) != MMSYSERR_NOERROR) return;
    if (::midiOutLongMsg(out_, &header, sizeof(header)) == MMSYSERR_NOERROR) {
        for (int k = 0; k < 500 && (header.dwFlags & MHDR_DONE) == 0; ++k) ::Sleep(1);
    }
    ::midiOutUnprepareHeader(out_, &header, sizeof(header));
}

}  // namespace quorvane::win32
