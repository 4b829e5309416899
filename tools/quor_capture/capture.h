// The capture itself: the demo in an offscreen context, its frames at a fixed step, each picture
// read back and handed to the writer while the next one draws.
#pragma once

#include <cstdint>

#include "options.h"

namespace quor::capture {

// Frames the application frame draws at `fps` before its exit countdown completes: up to the
// first frame past the timeline's end, which requests the exit, and the 29 drawn after it.
std::uint64_t timeline_frames(int fps);

// Runs the capture `o` describes from the current folder (the data folder). Reports on the
// standard error stream (progress, then one line on a failure) and returns the exit status.
int run(const options& o);

// Times `o.benchmark` frames from `o.from` twice on fresh demos: drawn as the demo draws them,
// without read-back, then captured to `o`'s output. Prints both rates; returns the exit status.
int benchmark(const options& o);

} // namespace quor::capture
