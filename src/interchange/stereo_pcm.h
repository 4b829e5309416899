// Music as it passes between a reader or a synthesiser and the MP3 encoder: two channels of
// float samples, and the rate the demo's music is encoded at.
#pragma once

#include <vector>

namespace quor::interchange {

constexpr int sample_rate = 44100;

struct stereo_pcm {
    std::vector<float> left, right; // -1 to 1
};

} // namespace quor::interchange
