// The soundtrack: started once, played in the background by the audio library's own thread until
// the process exits. Every failure (no audio device, no file, a file that does not decode) is
// silent and leaves the demo running as it would with music.
#pragma once

namespace quor::demo {

// Starts `file` (relative to the current directory) playing once. Returns promptly; whether the
// music plays is reported only for tests and tools, the demo ignores it.
bool start_music(const char* file);

} // namespace quor::demo
