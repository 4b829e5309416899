// The soundtrack goes straight to the platform's audio; the demo asks nothing more of it.
#include "demo/music.h"

#include "platform/audio.h"

namespace quor::demo {

bool start_music(const char* file) { return platform::play_music_once(file); }

} // namespace quor::demo
