// The demo's music from a recording: a WAV, FLAC or MP3 file (read through libsndfile) made to
// end with the timeline, then encoded as the builder encodes its own soundtrack.
#pragma once

#include <string>

#include "interchange/stereo_pcm.h"

namespace quor::interchange {

// The recording's first two channels (a mono one on both sides) as floats, and its rate. False
// with *error when the file is not audio libsndfile can read.
bool read_music(const std::string& path, stereo_pcm& out, int& rate, std::string* error);

// Cuts a longer recording at `end` seconds, fading it out over the `fade` seconds before; a
// shorter one is left as it is. Returns the recording's length in seconds before the cut.
double end_with_timeline(stereo_pcm& pcm, int rate, double end, double fade);

} // namespace quor::interchange
