// Background music through the platform's audio library, which plays it on threads of its own
// until the process ends.
#pragma once

namespace quor::platform {

// Opens the audio device and starts `file` playing once, from `from_seconds` into the track.
// Returns promptly; false, silently and without touching the audio device, when the file cannot
// be read, and silently when the device or the decoder refuses (or cannot seek that far).
bool play_music_once(const char* file, double from_seconds = 0.0);

// For a player that moves through the timeline: silence the music, or sound it from `seconds`
// into the track (started again if it had ended). Nothing happens when no music was started.
void pause_music();
void play_music_from(double seconds);

} // namespace quor::platform
