// Recordings through libsndfile, which reads MP3 through mpg123 as well as WAV and FLAC.
#include "interchange/music_import.h"

#include <algorithm>
#include <vector>

#include <sndfile.h>

namespace quor::interchange {

bool read_music(const std::string& path, stereo_pcm& out, int& rate, std::string* error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        *error = path + ": not audio that can be read (" + sf_strerror(nullptr) + ")";
        return false;
    }
    constexpr sf_count_t chunk = 16384;
    std::vector<float> frames(static_cast<std::size_t>(chunk * info.channels));
    out = {};
    for (;;) {
        const sf_count_t n = sf_readf_float(file, frames.data(), chunk);
        if (n <= 0)
            break;
        for (sf_count_t i = 0; i < n; ++i) {
            const float* f = &frames[static_cast<std::size_t>(i * info.channels)];
            out.left.push_back(f[0]);
            out.right.push_back(info.channels > 1 ? f[1] : f[0]);
        }
    }
    const int status = sf_error(file);
    sf_close(file);
    if (status != SF_ERR_NO_ERROR || out.left.empty()) {
        *error = path + (out.left.empty() ? ": holds no sound" : ": read failed");
        return false;
    }
    rate = info.samplerate;
    return true;
}

double end_with_timeline(stereo_pcm& pcm, int rate, double end, double fade)
{
    const double seconds = static_cast<double>(pcm.left.size()) / rate;
    if (seconds <= end)
        return seconds;
    const auto kept = static_cast<std::size_t>(end * rate);
    const auto fade_from = static_cast<std::size_t>((end - fade) * rate);
    pcm.left.resize(kept);
    pcm.right.resize(kept);
    for (std::size_t i = fade_from; i < kept; ++i) {
        const float level = static_cast<float>(kept - i) / static_cast<float>(kept - fade_from);
        pcm.left[i] *= level;
        pcm.right[i] *= level;
    }
    return seconds;
}

} // namespace quor::interchange
