#pragma once

#include <optional>
#include <string>

#include "render.hpp"

namespace quorvane::preview {

// The audio formats a preview is written in, by file extension.
enum class AudioFormat { Wav, Flac, Ogg };

// The format for an extension ("wav", ".FLAC", ...); nothing for others.
std::optional<AudioFormat> audioFormatOf(const std::string& extension);

// Writes `pcm` to `path` (UTF-8) in `format` (16-bit PCM for WAV and FLAC,
// Vorbis for Ogg) as a cut is written: through a temporary in the same
// folder, put in place only once complete. Throws FileError(CannotWrite);
// on failure no file is created or changed.
void writeAudio(const Pcm& pcm, const std::string& path, AudioFormat format);

}  // namespace quorvane::preview
