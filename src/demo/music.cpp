// The soundtrack goes straight to the platform's audio.
#include "demo/music.h"

#include "app/report.h"
#include "platform/audio.h"

namespace quor::demo {

bool start_music(const char* file, double from_seconds)
{
    const platform::music_start how = platform::play_music_once(file, from_seconds);
    if (how == platform::music_start::no_device)
        system::report("no sound device", "playing without music");
    return how == platform::music_start::playing;
}
void pause_music() { platform::pause_music(); }
void play_music_from(double seconds) { platform::play_music_from(seconds); }

} // namespace quor::demo
