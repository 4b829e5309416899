// Music in a web page: an <audio> element fed the whole track as a Blob (so it seeks without the
// server's help), started when the viewer's click starts the show, since browsers refuse sound
// before a gesture. Every failure (no file, a track that does not decode, sound refused) is
// silent; the page's side is Module.quor.music in web/player.js.
#include "platform/audio.h"

#include <emscripten.h>

EM_JS(int, quor_music_start, (const char* file, double from_seconds),
      { return Module.quor.music.start(UTF8ToString(file), from_seconds) ? 1 : 0; });
EM_JS(void, quor_music_pause, (), { Module.quor.music.pause(); });
EM_JS(void, quor_music_play_from, (double seconds), { Module.quor.music.playFrom(seconds); });

namespace quor::platform {

// The page says itself when the browser refuses sound.
music_start play_music_once(const char* file, double from_seconds)
{
    return quor_music_start(file, from_seconds) != 0 ? music_start::playing : music_start::refused;
}

void pause_music() { quor_music_pause(); }

void play_music_from(double seconds) { quor_music_play_from(seconds); }

} // namespace quor::platform
