// Bytes that arrive while the page plays: the page fetches a listed file in parts (web/stream.js)
// and writes each into the program's buffer as it is unpacked; a read returns once every part
// outside the range the program can start without is in. The page's side is Module.quor.files in
// web/player.js.
#include "platform/arrival.h"

#include <emscripten.h>

EM_ASYNC_JS(double, quor_file_read_leaving, (int fd, char* buffer, double size, double later_at, double later_size),
            { return await Module.quor.files.readLeaving(fd, buffer, size, later_at, later_size); });
EM_JS(int, quor_file_arrived, (const char* at, double size), { return Module.quor.files.arrived(at, size) ? 1 : 0; });
EM_JS(void, quor_show_waiting, (int waiting), { Module.quor.show.waiting(waiting !== 0); });

namespace quor::platform {

std::size_t read_leaving_later(int fd, void* buffer, std::size_t size, file_range later)
{
    return static_cast<std::size_t>(quor_file_read_leaving(fd, static_cast<char*>(buffer), static_cast<double>(size),
                                                           static_cast<double>(later.offset),
                                                           static_cast<double>(later.size)));
}

bool arrived(const void* at, std::size_t size)
{
    return quor_file_arrived(static_cast<const char*>(at), static_cast<double>(size)) != 0;
}

void show_waiting(bool waiting) { quor_show_waiting(waiting ? 1 : 0); }

} // namespace quor::platform
