// The page's show clock in microseconds (frequency 1e6): it stands at 0 until the viewer starts
// the show with a click, then runs with the page's high-resolution time; the wall clock in
// milliseconds for the fallback.
#include "platform/monotonic_clock.h"

#include <emscripten.h>
#include <emscripten/html5.h>

// Module.quor.show.now() in web/player.js: milliseconds of show time, with sub-millisecond digits.
EM_JS(double, quor_show_now, (), { return Module.quor.show.now(); });

namespace quor::platform {

bool monotonic_frequency(std::uint64_t& out)
{
    out = 1000000u;
    return true;
}

bool monotonic_ticks(std::uint64_t& out)
{
    out = static_cast<std::uint64_t>(quor_show_now() * 1000.0);
    return true;
}

std::uint32_t milliseconds() { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_date_now())); }

} // namespace quor::platform
