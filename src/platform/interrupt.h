// Termination requests (SIGINT, SIGTERM; on Windows the console's Ctrl-C, and Ctrl-Break or its
// closing, under those names) for the programs that write files: either a half-written
// file is removed before the process ends as the signal would have ended it, or the request is
// only recorded and the program stops at a point of its own choosing and cleans up itself.
#pragma once

namespace quor::platform {

// From this call until the one with nullptr, SIGINT and SIGTERM first remove `path` (kept as
// given, not copied), then end the process as they would have. A signal the process ignores stays
// ignored.
void remove_on_interruption(const char* path);

// From now on the first SIGINT or SIGTERM is only recorded; a second one ends the process at once,
// so that a program stuck on its way out can still be stopped.
void record_interruptions();
// The signal recorded, 0 while none came.
int interruption();
// "SIGINT", "SIGTERM", or "signal N".
const char* signal_name(int signal);

} // namespace quor::platform
