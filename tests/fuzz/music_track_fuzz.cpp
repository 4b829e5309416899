// Arbitrary bytes as the capture's music: the check says yes or gives a reason in one line, and a
// track it accepts yields a WAV stretch of exactly the length asked for (a header and 16-bit
// samples), with no temporary file left beside it.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "capture/music_track.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/quor-capture-music-fuzz-" + std::to_string(getpid());
    static const std::string wav = path + ".wav";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
    std::string why;
    if (!quor::capture::music_readable(path, why)) {
        if (why.empty() || why.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    std::string error;
    // A stretch past the end of most inputs, and one from their start.
    for (const double from : {0.0, 2.0}) {
        if (!quor::capture::write_music_stretch(path, wav, from, 0.25, error))
            std::abort();
        std::error_code ignored;
        const auto bytes = std::filesystem::file_size(wav, ignored);
        if (bytes < 44 + 4 || (bytes - 44) % 2 != 0 || std::filesystem::exists(wav + ".tmp"))
            std::abort();
        std::filesystem::remove(wav, ignored);
    }
    return 0;
}
