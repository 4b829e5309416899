// The soundtrack: started once, played in the background by the audio library's own thread until
// the process exits; paused, resumed and restarted with the timeline. Every failure (no audio
// device, no file, a file that does not decode) leaves the demo running as it would with music;
// only a missing sound device is said, in one line, since the user may not know they have none.
#pragma once

namespace quor::demo {

// Starts `file` (relative to the current directory) playing once from `from_seconds`. Returns
// promptly; whether the music plays is reported only for tests and tools, the demo ignores it.
bool start_music(const char* file, double from_seconds = 0.0);
// Silence the started music, or sound it from `seconds` into the track (again if it had ended).
// Nothing without music.
void pause_music();
void play_music_from(double seconds);

} // namespace quor::demo
