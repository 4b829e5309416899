// The decoder's common set-up over libmpg123.
#include "io/mp3_decoder.h"

#include <cstddef>

namespace quor {

void mp3_decoder_deleter::operator()(mpg123_handle* decoder) const
{
    mpg123_close(decoder);
    mpg123_delete(decoder);
}

mp3_decoder make_mp3_decoder(int encoding, std::string& why)
{
    int status = MPG123_OK;
    mp3_decoder d(mpg123_new(nullptr, &status));
    if (!d) {
        why = "the mp3 decoder could not be created";
        return nullptr;
    }
    mpg123_param(d.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_param(d.get(), MPG123_RESYNC_LIMIT, 2048, 0);
    mpg123_format_none(d.get());
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        mpg123_format(d.get(), rates[i], MPG123_MONO | MPG123_STEREO, encoding);
    return d;
}

} // namespace quor
