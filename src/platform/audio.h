// Background music through the platform's audio library, which plays it on threads of its own
// until the process ends.
#pragma once

namespace quor::platform {

// Opens the audio device and starts `file` playing once. Returns promptly; false, silently and
// without touching the audio device, when the file cannot be read, and silently when the device
// or the decoder refuses.
bool play_music_once(const char* file);

} // namespace quor::platform
