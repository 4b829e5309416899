// Decoding through libmpg123 (io/mp3_decoder.h) and writing through libsndfile.
#include "capture/music_track.h"

#include <mpg123.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "io/mp3_decoder.h"
#include "platform/file.h"
#include "platform/process.h"

namespace quor::capture {

namespace {

// An open decoder giving 16-bit samples, with its rate and channel count; null with `why`.
mp3_decoder open_track(const std::string& path, long& rate, int& channels, std::string& why)
{
    // The system's reason for a file that is not there or not readable; anything else that is not
    // audio is the decoder's to refuse.
    platform::open_result how;
    const int fd = platform::open_for_input(path.c_str(), &how);
    if (how == platform::open_result::missing || how == platform::open_result::unreadable) {
        why = platform::last_error();
        return nullptr;
    }
    platform::close_file(fd);
    mp3_decoder d = make_mp3_decoder(MPG123_ENC_SIGNED_16, why);
    if (!d)
        return nullptr;
    int encoding = 0;
    if (mpg123_open(d.get(), path.c_str()) != MPG123_OK ||
        mpg123_getformat(d.get(), &rate, &channels, &encoding) != MPG123_OK) {
        why = "not MPEG audio";
        return nullptr;
    }
    return d;
}

} // namespace

bool music_readable(const std::string& path, std::string& why)
{
    long rate = 0;
    int channels = 0;
    // The decoder prints a few of its complaints however quiet it is asked to be; the warning
    // the caller gives is the one line the user sees.
    const platform::quiet_errors quiet;
    mp3_decoder d = open_track(path, rate, channels, why);
    if (!d)
        return false;
    // A few frame headers are found in almost any large enough run of bytes, so the opening alone
    // proves little: the track counts only once it decodes to its end. The decoder gives up on it
    // when its resync limit is spent between two frames.
    double seconds = 0.0;
    for (;;) {
        off_t frame = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int status = mpg123_decode_frame(d.get(), &frame, &audio, &bytes);
        if (status == MPG123_DONE)
            break;
        int encoding = 0;
        if (status == MPG123_NEW_FORMAT)
            mpg123_getformat(d.get(), &rate, &channels, &encoding);
        else if (status != MPG123_OK) {
            char at[32];
            std::snprintf(at, sizeof at, "%.1f", seconds);
            why = std::string("damaged: it does not decode past ") + at + " s";
            return false;
        }
        seconds += static_cast<double>(bytes / sizeof(short) / static_cast<std::size_t>(channels)) /
                   static_cast<double>(rate);
    }
    return true;
}

bool write_music_stretch(const std::string& mp3, const std::string& wav, double from, double seconds,
                         std::string& error)
{
    const platform::quiet_errors quiet; // as in music_readable
    long rate = 0;
    int channels = 0;
    std::string why;
    mp3_decoder d = open_track(mp3, rate, channels, why);
    if (!d) {
        error = "cannot read " + mp3 + ": " + why;
        return false;
    }
    const auto first = static_cast<off_t>(std::llround(from * static_cast<double>(rate)));
    const auto frames = static_cast<std::size_t>(std::llround(seconds * static_cast<double>(rate)));
    std::vector<short> samples(frames * static_cast<std::size_t>(channels), 0);
    // A stretch that starts past the track's end is all silence.
    if (mpg123_seek(d.get(), first, SEEK_SET) >= 0) {
        std::size_t filled = 0;
        while (filled < samples.size()) {
            std::size_t bytes = 0;
            const int status = mpg123_read(d.get(), samples.data() + filled, (samples.size() - filled) * sizeof(short),
                                           &bytes);
            filled += bytes / sizeof(short);
            if (status != MPG123_OK || bytes == 0)
                break;
        }
    }

    const std::string temporary = wav + ".tmp";
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (!out) {
        error = "cannot write " + wav + ": " + sf_strerror(nullptr);
        return false;
    }
    const bool written = sf_writef_short(out, samples.data(), static_cast<sf_count_t>(frames)) ==
                         static_cast<sf_count_t>(frames);
    const std::string write_error = written ? "" : sf_strerror(out);
    if (sf_close(out) != 0 || !written || std::rename(temporary.c_str(), wav.c_str()) != 0) {
        error = "cannot write " + wav + ": " + (written ? std::strerror(errno) : write_error);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace quor::capture
