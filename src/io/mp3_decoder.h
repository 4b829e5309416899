// An MPEG audio decoder (libmpg123) set up as every reader of ours wants it: quiet, since a damaged
// file is reported by the caller in one line; no long hunt for a frame through junk; and output
// in one sample encoding at every rate the library knows, mono or stereo.
#pragma once

#include <memory>
#include <string>

#include <mpg123.h>

namespace quor {

struct mp3_decoder_deleter {
    void operator()(mpg123_handle* decoder) const;
};
using mp3_decoder = std::unique_ptr<mpg123_handle, mp3_decoder_deleter>;

// A decoder giving samples in `encoding` (MPG123_ENC_SIGNED_16, MPG123_ENC_FLOAT_32, ...), not yet
// opened; null with `why` when the library cannot make one.
mp3_decoder make_mp3_decoder(int encoding, std::string& why);

} // namespace quor
