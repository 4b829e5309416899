// Arbitrary bytes as a recording for `music`: read as the import reads it (two seconds of it, to
// keep each run short), a refusal is one line naming the file; an accepted recording has a usable
// rate and finite samples, and encodes to MP3 (the encoder stops the process on bad samples).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "interchange/mp3_encoder.h"
#include "interchange/music_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/quor-music-fuzz-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    quor::interchange::stereo_pcm pcm;
    int rate = 0;
    std::string error;
    if (!quor::interchange::read_music(path, pcm, rate, &error, 2)) {
        if (error.rfind(path, 0) != 0 || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    if (rate < quor::interchange::min_music_rate || rate > quor::interchange::max_music_rate ||
        pcm.left.size() != pcm.right.size() || pcm.left.size() > static_cast<std::size_t>(2 * rate) + 1)
        std::abort();
    for (std::size_t i = 0; i < pcm.left.size(); ++i)
        if (!std::isfinite(pcm.left[i]) || !std::isfinite(pcm.right[i]))
            std::abort();
    if (quor::interchange::encode_mp3(pcm, &error, rate).empty() && error.empty())
        std::abort();
    return 0;
}
