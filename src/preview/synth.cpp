#include "synth.hpp"

#include <fluidsynth.h>

#include <mutex>
#ifdef QUORVANE_QUIET_GLIB
#include <glib.h>
#endif

#include "engine/errors.hpp"

namespace quorvane::preview {

namespace {

// FluidSynth's own messages would go to stderr; ours say what went wrong.
void quietLogs() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

// While a SoundFont loads: FluidSynth hands a file its own loader refuses to
// libinstpatch, which complains on stderr through GLib about any damaged file.
class QuietLoad {
public:
#ifdef QUORVANE_QUIET_GLIB
    QuietLoad()
        : before_(g_log_set_default_handler([](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr)) {}
    ~QuietLoad() { g_log_set_default_handler(before_, nullptr); }

private:
    GLogFunc before_;
#endif
};

int loadSoundFont(_fluid_synth_t* synth, const std::string& path) {
    [[maybe_unused]] const QuietLoad quiet;
    return fluid_synth_sfload(synth, path.c_str(), 1);
}

}  // namespace

Synth::Synth(const std::string& soundFont, int sampleRate) : soundFont_(soundFont), rate_(sampleRate) {
    quietLogs();
    settings_ = new_fluid_settings();
    if (!settings_) throw FileError(ErrorKind::CannotOpen, soundFont, "the synthesizer cannot start");
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    // One thread, used by one caller at a time: the same events give the same samples.
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
    // This synthesizer only holds the SoundFont; each song is played by a
    // fresh one that borrows it (see reset()).
    owner_ = new_fluid_synth(settings_);
    const int id = owner_ ? loadSoundFont(owner_, soundFont) : FLUID_FAILED;
    sfont_ = id == FLUID_FAILED ? nullptr : fluid_synth_get_sfont_by_id(owner_, id);
    if (!sfont_) {
        if (owner_) delete_fluid_synth(owner_);
        delete_fluid_settings(settings_);
        throw FileError(ErrorKind::CannotOpen, soundFont, "damaged SoundFont: the synthesizer cannot load it");
    }
    try {
        reset();
    } catch (...) {
        delete_fluid_synth(owner_);
        delete_fluid_settings(settings_);
        throw;
    }
}

Synth::~Synth() {
    dropSynth();
    delete_fluid_synth(owner_);
    delete_fluid_settings(settings_);
}

void Synth::dropSynth() noexcept {
    if (!synth_) return;
    fluid_synth_remove_sfont(synth_, sfont_);  // the owner frees it
    delete_fluid_synth(synth_);
    synth_ = nullptr;
}

void Synth::reset() {
    // A new synthesizer each time: a system reset leaves the effects' delay
    // lines and modulation as the last song left them, and two renders of
    // one song would differ. Making one takes about a millisecond.
    dropSynth();
    synth_ = new_fluid_synth(settings_);
    if (!synth_) throw FileError(ErrorKind::CannotOpen, soundFont_, "the synthesizer cannot start");
    fluid_synth_add_sfont(synth_, sfont_);
    fluid_synth_program_reset(synth_);  // the channels' presets come from the SoundFont just added
}

void Synth::play(const TimedEvent& event) {
    const int channel = event.status & 0x0F;
    const int a = event.data[0] & 0x7F;
    const int b = event.data[1] & 0x7F;
    // A refused message (a key out of range, say) is dropped, as a player would.
    switch (event.status & 0xF0) {
        case 0x80: fluid_synth_noteoff(synth_, channel, a); break;
        case 0x90:
            if (b == 0)
                fluid_synth_noteoff(synth_, channel, a);
            else
                fluid_synth_noteon(synth_, channel, a, b);
            break;
        case 0xA0: fluid_synth_key_pressure(synth_, channel, a, b); break;
        case 0xB0: fluid_synth_cc(synth_, channel, a, b); break;
        case 0xC0: fluid_synth_program_change(synth_, channel, a); break;
        case 0xD0: fluid_synth_channel_pressure(synth_, channel, a); break;
        case 0xE0: fluid_synth_pitch_bend(synth_, channel, a | (b << 7)); break;
        case 0xF0:
            fluid_synth_sysex(synth_, reinterpret_cast<const char*>(event.sysex.data()),
                              static_cast<int>(event.sysex.size()), nullptr, nullptr, nullptr, 0);
            break;
        default: break;
    }
}

void Synth::render(float* out, int frames) { fluid_synth_write_float(synth_, frames, out, 0, 2, out, 1, 2); }

}  // namespace quorvane::preview
