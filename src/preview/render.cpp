#include "render.hpp"

namespace quorvane::preview {

Pcm renderSong(Synth& synth, const SongEvents& song) {
    constexpr int kBlock = 4096;
    synth.reset();
    Sequencer sequencer(song, synth.sampleRate());
    Pcm pcm{synth.sampleRate(), {}};
    pcm.samples.reserve(static_cast<std::size_t>((song.lastEventSeconds + 1) * synth.sampleRate()) * 2);
    while (!sequencer.over()) {
        const std::size_t at = pcm.samples.size();
        pcm.samples.resize(at + 2 * kBlock);
        const int frames = sequencer.render(synth, pcm.samples.data() + at, kBlock);
        pcm.samples.resize(at + 2 * static_cast<std::size_t>(frames));
    }
    return pcm;
}

}  // namespace quorvane::preview
