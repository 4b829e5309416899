// Files whose bytes may still be arriving while the program runs: where the system delivers a file
// over a network as the program uses it (a page's download), a read can return once the part the
// program needs first is in, and the rest comes in behind it. Where reads finish, everything is
// there when the read returns.
#pragma once

#include <cstddef>

namespace quor::platform {

// A part of a file, in bytes from its start.
struct file_range {
    std::size_t offset = 0;
    std::size_t size = 0;
};

// Reads the open file's first `size` bytes into `buffer` as read_full does, except that the bytes
// of `later` may still be arriving when it returns; they are written into `buffer` as they come,
// so `buffer` must stay alive until they have all arrived. Returns the count read or on the way:
// less than `size` when the file ends or the read fails (and then nothing more arrives).
std::size_t read_leaving_later(int fd, void* buffer, std::size_t size, file_range later);

// Whether the `size` bytes at `at`, inside a buffer given to read_leaving_later, have arrived.
bool arrived(const void* at, std::size_t size);

// Tells the viewer that the program waits for bytes that have not arrived (true), or no longer.
void show_waiting(bool waiting);

} // namespace quor::platform
