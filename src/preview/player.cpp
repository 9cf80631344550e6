#include "player.hpp"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

#include "audio_drivers.hpp"
#include "sequencer.hpp"

namespace quorvane::preview {

namespace {

// How often the player looks at the frames played and the voices sounding.
constexpr unsigned kLookMs = 50;

unsigned milliseconds(double seconds) { return static_cast<unsigned>(std::lround(std::max(0.0, seconds) * 1000)); }

}  // namespace

Player::Player(std::string soundFont, int sampleRate, std::string driver, std::string fileName)
    : soundFont_(std::move(soundFont)),
      rate_(sampleRate),
      driverName_(std::move(driver)),
      fileName_(std::move(fileName)) {}

Player::~Player() { stop(); }

void Player::stop() {
    // Deleting the driver waits for its thread: the synth is ours again after.
    if (driver_) delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    if (sequencer_) delete_fluid_sequencer(sequencer_);
    sequencer_ = nullptr;
}

void Player::schedule(unsigned ms, const TimedEvent* event) {
    fluid_event_t* message = new_fluid_event();
    fluid_event_set_source(message, -1);
    fluid_event_set_dest(message, client_);
    fluid_event_timer(message, const_cast<TimedEvent*>(event));
    fluid_sequencer_send_at(sequencer_, message, ms, 1);
    delete_fluid_event(message);
}

bool Player::play(SongEvents song) {
    stop();
    if (!synth_) {
        synth_ = std::make_unique<Synth>(soundFont_, rate_);
        if (!driverName_.empty()) fluid_settings_setstr(synth_->settings(), "audio.driver", driverName_.c_str());
        if (!fileName_.empty()) fluid_settings_setstr(synth_->settings(), "audio.file.name", fileName_.c_str());
    }
    synth_->reset();
    song_ = std::move(song);
    finished_ = false;
    frames_ = 0;
    voices_ = 0;
    // The synth's own client runs the sequencer by the sample clock; ours plays the events.
    sequencer_ = new_fluid_sequencer2(0);
    fluid_sequencer_register_fluidsynth(sequencer_, synth_->synth());
    client_ = fluid_sequencer_register_client(sequencer_, "quorvane", &Player::due, this);
    // One call per millisecond that has events: those keep their order.
    for (std::size_t k = 0; k < song_.events.size(); ++k) {
        const unsigned ms = milliseconds(song_.events[k].seconds);
        if (k == 0 || ms != milliseconds(song_.events[k - 1].seconds)) schedule(ms, &song_.events[k]);
    }
    schedule(0, nullptr);
    if (!driverName_.empty()) {
        driver_ = new_fluid_audio_driver(synth_->settings(), synth_->synth());
    } else {
        for (const char* name : kAudioDrivers) {
            fluid_settings_setstr(synth_->settings(), "audio.driver", name);
            driver_ = new_fluid_audio_driver(synth_->settings(), synth_->synth());
            if (driver_) break;
        }
    }
    if (!driver_) stop();
    return driver_ != nullptr;
}

void Player::due(unsigned int time, fluid_event_t* event, fluid_sequencer_t*, void* data) {
    auto& self = *static_cast<Player*>(data);
    if (fluid_event_get_type(event) != FLUID_SEQ_TIMER || self.finished_) return;
    if (const auto* first = static_cast<const TimedEvent*>(fluid_event_get_data(event))) {
        const TimedEvent* end = self.song_.events.data() + self.song_.events.size();
        const unsigned ms = milliseconds(first->seconds);
        for (const TimedEvent* e = first; e != end && milliseconds(e->seconds) == ms; ++e) self.synth_->play(*e);
        return;
    }
    const int voices = fluid_synth_get_active_voice_count(self.synth_->synth());
    self.voices_ = std::max(self.voices_.load(), voices);
    self.frames_ = static_cast<std::uint64_t>(time) * self.rate_ / 1000;
    const unsigned last = milliseconds(self.song_.lastEventSeconds);
    if (time >= last && (voices == 0 || time >= last + milliseconds(Sequencer::kTailSeconds))) {
        self.finished_ = true;  // the driver plays silence until stop()
        return;
    }
    self.schedule(time + kLookMs, nullptr);
}

}  // namespace quorvane::preview
