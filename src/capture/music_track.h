// The demo's music as a capture needs it: a check, before anything is rendered, that the track
// decodes, and a stretch of it cut out as a WAV file to go into a video or beside a PNG sequence
// (libmpg123, libsndfile).
#pragma once

#include <string>

namespace quor::capture {

// True when `path` decodes as MPEG audio from its start to its end; otherwise false with `why` in a few words (the system's reason for a file that cannot be opened,
// how far a damaged track decodes).
bool music_readable(const std::string& path, std::string& why);

// Writes `seconds` of the track at `mp3` from `from` seconds on into `wav` (16-bit PCM at the
// track's rate), with silence where the track has ended. False with `error` on a failure; no
// partial file is left behind.
bool write_music_stretch(const std::string& mp3, const std::string& wav, double from, double seconds,
                         std::string& error);

} // namespace quor::capture
