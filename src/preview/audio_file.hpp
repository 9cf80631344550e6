#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "render.hpp"

namespace quorvane::preview {

// The audio formats a preview is written in, by file extension.
enum class AudioFormat { Wav, Flac, Ogg };

// The format for an extension ("wav", ".FLAC", ...); nothing for others.
std::optional<AudioFormat> audioFormatOf(const std::string& extension);

// Renders `song` on `synth` into `path` (UTF-8) in `format` (16-bit PCM for
// WAV and FLAC, Vorbis for Ogg) as a cut is written: through a temporary in
// the same folder, put in place only once complete. The audio goes to the
// file block by block as it is rendered (the WAV header's sizes, say, are
// filled in at the end), so memory does not grow with the song. Returns the
// frames written. Throws FileError(CannotWrite); on failure no file is
// created or changed.
std::uint64_t writeAudio(Synth& synth, const SongEvents& song, const std::string& path, AudioFormat format);

}  // namespace quorvane::preview
