#pragma once

#include <array>

namespace quorvane::preview {

// FluidSynth's audio drivers that play on this platform's sound devices, the
// usual one first. FluidSynth's own default may be a server that is not
// running (JACK), so the player tries these in turn.
#if defined(_WIN32)
inline constexpr std::array<const char*, 4> kAudioDrivers{"wasapi", "dsound", "waveout", "sdl2"};
#elif defined(__APPLE__)
inline constexpr std::array<const char*, 2> kAudioDrivers{"coreaudio", "sdl2"};
#else
inline constexpr std::array<const char*, 5> kAudioDrivers{"pulseaudio", "pipewire", "alsa", "sdl2", "oss"};
#endif

}  // namespace quorvane::preview
