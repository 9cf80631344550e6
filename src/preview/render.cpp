#include "render.hpp"

#include <vector>

namespace quorvane::preview {

std::uint64_t renderSong(Synth& synth, const SongEvents& song, const AudioSink& sink) {
    synth.reset();
    Sequencer sequencer(song, synth.sampleRate());
    std::vector<float> block(2 * static_cast<std::size_t>(kRenderBlockFrames));
    std::uint64_t total = 0;
    while (!sequencer.over()) {
        const int frames = sequencer.render(synth, block.data(), kRenderBlockFrames);
        if (frames > 0) sink(block.data(), frames);
        total += static_cast<std::uint64_t>(frames);
    }
    return total;
}

}  // namespace quorvane::preview
