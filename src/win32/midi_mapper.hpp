#pragma once

#include <memory>

#include "preview/clocked_player.hpp"

namespace quorvane::win32 {

// The system's MIDI synthesizer (the MIDI mapper) as a clip's output; null
// when the system has none.
std::unique_ptr<preview::MidiOutput> openMidiMapper();

}  // namespace quorvane::win32
