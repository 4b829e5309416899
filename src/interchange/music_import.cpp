// Recordings told apart by their first bytes: MPEG audio through libmpg123 (quiet, with a short
// resync limit, so a damaged or foreign file is reported here in one line, not by the decoder),
// WAV, AIFF, FLAC, Ogg and the other containers with a header through libsndfile. Either way only
// as much is decoded as is asked for, and a stream that ends before the length its header states
// is refused as damaged.
#include "interchange/music_import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <mpg123.h>
#include <sndfile.h>

#include "io/mp3_decoder.h"
#include "platform/file.h"

namespace quor::interchange {
namespace {

enum class container { sndfile, mpeg, unknown };

// The container by its first bytes; an ID3 tag ahead of them is looked past.
container container_of(int fd)
{
    unsigned char head[12] = {};
    if (platform::read_full(fd, head, sizeof head) < 4)
        return container::unknown;
    long long at = 0;
    if (std::memcmp(head, "ID3", 3) == 0) {
        at = 10 + ((head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 | (head[8] & 0x7f) << 7 | (head[9] & 0x7f));
        std::memset(head, 0, sizeof head);
        if (platform::seek(fd, at, false) != at || platform::read_full(fd, head, sizeof head) < 4)
            return container::unknown;
    }
    platform::seek(fd, 0, false);
    for (const char* magic : {"RIFF", "RIFX", "RF64", "BW64", "FORM", "fLaC", "OggS", "caff", ".snd"})
        if (std::memcmp(head, magic, 4) == 0)
            return container::sndfile;
    // An MPEG audio frame's sync word: eleven set bits.
    return head[0] == 0xff && (head[1] & 0xe0) == 0xe0 ? container::mpeg : container::unknown;
}

// Appends interleaved frames of `channels` as two channels, a mono one on both sides. False (and
// `why`) at a sample that is not a finite number: the encoder would stop the process over it.
bool append(const float* frames, std::size_t count, int channels, int rate, stereo_pcm& out, std::string& why)
{
    for (std::size_t i = 0; i < count; ++i) {
        const float* f = frames + i * static_cast<std::size_t>(channels);
        const float left = f[0], right = channels > 1 ? f[1] : f[0];
        if (!std::isfinite(left) || !std::isfinite(right)) {
            why = "holds a sample that is not a finite number, at " +
                  std::to_string(static_cast<double>(out.left.size()) / rate) + " s";
            return false;
        }
        out.left.push_back(left);
        out.right.push_back(right);
    }
    return true;
}

// What a sample rate must be for the encoder's resampling to 44.1 kHz.
bool rate_usable(long rate, std::string& why)
{
    if (rate >= min_music_rate && rate <= max_music_rate)
        return true;
    why = "has a sample rate of " + std::to_string(rate) + " Hz; a recording may have " +
          std::to_string(min_music_rate) + " to " + std::to_string(max_music_rate);
    return false;
}

std::string seconds_text(double frames, long rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", frames / static_cast<double>(rate));
    return text;
}

// Decoded fewer frames than the header states, though fewer were not asked for.
bool cut_short(std::size_t got, long long stated, std::size_t wanted, long rate, std::string& why)
{
    if (stated <= 0 || got >= std::min(static_cast<std::size_t>(stated), wanted))
        return false;
    why = "is damaged or cut short: " + seconds_text(static_cast<double>(got), rate) + " s of its " +
          seconds_text(static_cast<double>(stated), rate) + " s decode";
    return true;
}

// The frames of `seconds` at `rate`, and one more to show that a recording goes on past them.
std::size_t frames_for(double seconds, long rate)
{
    return static_cast<std::size_t>(std::min(seconds, max_music_seconds) * static_cast<double>(rate)) + 1;
}

bool read_sndfile(int fd, double seconds, stereo_pcm& out, int& rate, std::string& why)
{
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open_fd(fd, SFM_READ, &info, 0), sf_close);
    if (!file) {
        why = std::string("not audio that can be read (") + sf_strerror(nullptr) + ")";
        return false;
    }
    if (info.channels < 1 || !rate_usable(info.samplerate, why))
        return false;
    const std::size_t wanted = frames_for(seconds, info.samplerate);
    constexpr std::size_t chunk = 16384;
    std::vector<float> frames(chunk * static_cast<std::size_t>(info.channels));
    while (out.left.size() < wanted) {
        const auto ask = static_cast<sf_count_t>(std::min(chunk, wanted - out.left.size()));
        const sf_count_t n = sf_readf_float(file.get(), frames.data(), ask);
        if (n <= 0)
            break;
        if (!append(frames.data(), static_cast<std::size_t>(n), info.channels, info.samplerate, out, why))
            return false;
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
        why = std::string("read failed (") + sf_strerror(file.get()) + ")";
        return false;
    }
    // Streams of unknown length state none.
    const long long stated = info.frames == SF_COUNT_MAX ? 0 : info.frames;
    if (cut_short(out.left.size(), stated, wanted, info.samplerate, why))
        return false;
    rate = info.samplerate;
    return true;
}

bool read_mpeg(int fd, double seconds, stereo_pcm& out, int& rate, std::string& why)
{
    mp3_decoder d = make_mp3_decoder(MPG123_ENC_FLOAT_32, why);
    if (!d)
        return false;
    long stream_rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_open_fd(d.get(), fd) != MPG123_OK ||
        mpg123_getformat(d.get(), &stream_rate, &channels, &encoding) != MPG123_OK) {
        why = "not audio that can be read (no MPEG audio frames)";
        return false;
    }
    if (!rate_usable(stream_rate, why))
        return false;
    const std::size_t wanted = frames_for(seconds, stream_rate);
    std::vector<float> frames(16384 * static_cast<std::size_t>(channels));
    for (;;) {
        const std::size_t ask = std::min(frames.size(), (wanted - out.left.size()) * static_cast<std::size_t>(channels));
        if (ask == 0)
            break;
        std::size_t bytes = 0;
        const int status = mpg123_read(d.get(), frames.data(), ask * sizeof(float), &bytes);
        const std::size_t got = bytes / sizeof(float) / static_cast<std::size_t>(channels);
        if (!append(frames.data(), got, channels, static_cast<int>(stream_rate), out, why))
            return false;
        if (status == MPG123_NEW_FORMAT) {
            long now_rate = 0;
            int now_channels = 0;
            mpg123_getformat(d.get(), &now_rate, &now_channels, &encoding);
            if (now_rate != stream_rate || now_channels != channels) {
                why = "is damaged: its sample rate or channels change at " +
                      seconds_text(static_cast<double>(out.left.size()), stream_rate) + " s";
                return false;
            }
        } else if (status == MPG123_DONE) {
            break;
        } else if (status != MPG123_OK) {
            why = "is damaged: decoding stops at " + seconds_text(static_cast<double>(out.left.size()), stream_rate) +
                  " s";
            return false;
        }
    }
    // A stream at a constant bit rate states its length by its size; one of varying rate may not.
    mpg123_frameinfo info{};
    const long long stated = mpg123_info(d.get(), &info) == MPG123_OK && info.vbr == MPG123_CBR ? mpg123_length(d.get()) : 0;
    if (cut_short(out.left.size(), stated, wanted, stream_rate, why))
        return false;
    rate = static_cast<int>(stream_rate);
    return true;
}

} // namespace

bool read_music(const std::string& path, stereo_pcm& out, int& rate, std::string* error, double seconds)
{
    out = {};
    platform::open_result how;
    const int fd = platform::open_for_input(path.c_str(), &how);
    if (fd == platform::no_file) {
        *error = path + ": cannot be opened: " +
                 (how == platform::open_result::missing       ? std::string("no such file")
                  : how == platform::open_result::not_regular ? std::string("not a regular file")
                                                              : platform::last_error());
        return false;
    }
    std::string why;
    bool read = false;
    switch (container_of(fd)) {
    case container::sndfile:
        read = read_sndfile(fd, seconds, out, rate, why);
        break;
    case container::mpeg:
        read = read_mpeg(fd, seconds, out, rate, why);
        break;
    case container::unknown:
        why = "not audio that can be read (not a WAV, AIFF, FLAC, Ogg or MP3 recording)";
        break;
    }
    platform::close_file(fd);
    if (read && out.left.empty())
        why = "holds no sound";
    if (!read || out.left.empty()) {
        *error = path + ": " + why;
        out = {};
        return false;
    }
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
