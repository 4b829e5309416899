// The soundtrack goes straight to the platform's audio.
#include "demo/music.h"

#include "platform/audio.h"

namespace quor::demo {

bool start_music(const char* file, double from_seconds) { return platform::play_music_once(file, from_seconds); }
void pause_music() { platform::pause_music(); }
void play_music_from(double seconds) { platform::play_music_from(seconds); }

} // namespace quor::demo
