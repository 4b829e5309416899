// Music through SDL2_mixer. The audio stack (SDL, ALSA, the mp3 decoder) writes its own
// diagnostics to the standard error stream; the start keeps them quiet so that a machine without
// sound or a damaged file costs nothing but the music.
#include "platform/audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <unistd.h>

#include "platform/process.h"

namespace quor::platform {

namespace {

void discard_log(void*, int, SDL_LogPriority, const char*) {}

// The started track; null while no music plays.
Mix_Music* track = nullptr;

// Starting at a position in one call sets it before the mixer thread plays a sample.
bool play_from(Mix_Music* music, double from_seconds)
{
    return from_seconds > 0.0 ? Mix_FadeInMusicPos(music, 1, 0, from_seconds) == 0 : Mix_PlayMusic(music, 1) == 0;
}

} // namespace

music_start play_music_once(const char* file, double from_seconds)
{
    // Without a readable file there is nothing to start, and no reason to open the audio device.
    if (access(file, R_OK) != 0)
        return music_start::no_file;

    quiet_errors quiet;
    SDL_LogSetOutputFunction(discard_log, nullptr);
    // SIGINT and SIGTERM stay with the process: they must still end the demo.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return music_start::no_device;
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return music_start::refused;
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return music_start::no_device;
    }
    Mix_Music* music = Mix_LoadMUS(file);
    if (!music || !play_from(music, from_seconds)) {
        if (music)
            Mix_FreeMusic(music);
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return music_start::refused;
    }
    // The track and the device stay open until the process ends.
    track = music;
    return music_start::playing;
}

void pause_music()
{
    if (track)
        Mix_PauseMusic();
}

void play_music_from(double seconds)
{
    if (!track)
        return;
    if (!Mix_PlayingMusic())
        Mix_PlayMusic(track, 1);
    Mix_SetMusicPosition(seconds);
    Mix_ResumeMusic();
}

} // namespace quor::platform
