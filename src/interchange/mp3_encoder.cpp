// libmp3lame driven in one pass over float samples; no tag frames, so the bytes depend on the
// samples alone.
#include "interchange/mp3_encoder.h"

#include <lame/lame.h>

namespace quor::interchange {

std::vector<std::uint8_t> encode_mp3(const stereo_pcm& pcm, std::string* error, int in_rate)
{
    lame_global_flags* lame = lame_init();
    if (!lame) {
        *error = "the mp3 encoder could not be created";
        return {};
    }
    lame_set_in_samplerate(lame, in_rate);
    lame_set_out_samplerate(lame, sample_rate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, mp3_bit_rate);
    lame_set_VBR(lame, vbr_off);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        *error = "the mp3 encoder refused its parameters";
        return {};
    }
    const int total = static_cast<int>(pcm.left.size());
    constexpr int chunk = 8192;
    std::vector<std::uint8_t> out;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    for (int at = 0; at < total; at += chunk) {
        const int n = total - at < chunk ? total - at : chunk;
        const int bytes = lame_encode_buffer_ieee_float(lame, pcm.left.data() + at, pcm.right.data() + at, n,
                                                        buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0) {
            lame_close(lame);
            *error = "the mp3 encoder failed (code " + std::to_string(bytes) + ")";
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
    }
    const int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    if (bytes > 0)
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
    lame_close(lame);
    return out;
}

} // namespace quor::interchange
