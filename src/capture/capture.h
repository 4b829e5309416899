// The capture itself: the demo in an offscreen context, each frame at its exact demo time, each
// picture resolved, read back and handed to the writer while the next one draws.
#pragma once

#include "capture/options.h"

namespace quor::capture {

// Runs the capture `o` describes from the current folder (the data folder). Reports on the
// standard error stream (progress, then one line on a failure) and returns the exit status.
int run(const options& o);

// Times `o.benchmark` frames from `o.from` twice on fresh demos: drawn as the demo draws them,
// without read-back, then captured to `o`'s output. Prints both rates; returns the exit status.
int benchmark(const options& o);

} // namespace quor::capture
