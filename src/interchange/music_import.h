// The demo's music from a recording: a WAV, FLAC or MP3 file (read through libsndfile and
// libmpg123) made to end with the timeline, then encoded as the builder encodes its own soundtrack.
#pragma once

#include <string>

#include "interchange/stereo_pcm.h"

namespace quor::interchange {

// Sample rates a recording may have (the encoder resamples them to 44.1 kHz), and the most
// seconds of it decoded.
constexpr long min_music_rate = 1000;
constexpr long max_music_rate = 192000;
constexpr double max_music_seconds = 600;

// The recording's first two channels (a mono one on both sides) as floats, and its rate: its first
// `seconds` (at most max_music_seconds) and one frame more when it goes on past them, no more
// decoded. False with *error (one line) when the file is not a regular file, not a WAV, AIFF,
// FLAC, Ogg or MP3 recording, has a rate outside the bounds above, holds a sample that is not a
// finite number, or is damaged: its decoder stops, or it ends before the length its header states.
bool read_music(const std::string& path, stereo_pcm& out, int& rate, std::string* error, double seconds);

// Cuts a longer recording at `end` seconds, fading it out over the `fade` seconds before; a
// shorter one is left as it is. Returns the recording's length in seconds before the cut.
double end_with_timeline(stereo_pcm& pcm, int rate, double end, double fade);

} // namespace quor::interchange
