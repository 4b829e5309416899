// Background music through the platform's audio library, which plays it on threads of its own
// until the process ends.
#pragma once

namespace quor::platform {

// How a start of the music went: playing; no readable file (the audio device untouched); no sound
// device to play on; or the decoder refused the file (or cannot seek that far).
enum class music_start { playing, no_file, no_device, refused };

// Opens the audio device and starts `file` playing once, from `from_seconds` into the track.
// Returns promptly and silently: the caller says what the user should hear of a failure.
music_start play_music_once(const char* file, double from_seconds = 0.0);

// For a player that moves through the timeline: silence the music, or sound it from `seconds`
// into the track (started again if it had ended). Nothing happens when no music was started.
void pause_music();
void play_music_from(double seconds);

} // namespace quor::platform
