// Progress figures and their formatting.
#include "capture/progress.h"

#include <cstdio>
#include <string>

namespace quor::capture {

namespace {
constexpr std::chrono::milliseconds terminal_interval{250};
constexpr std::chrono::seconds log_interval{5};
} // namespace

progress::progress(std::ostream& o, std::uint64_t expected, bool on_terminal)
    : out(o), total(expected), terminal(on_terminal)
{
}

std::string progress::line(std::uint64_t done, std::uint64_t total, double demo_time, double rate, double left)
{
    char text[160];
    int n = std::snprintf(text, sizeof text, "frame %llu", static_cast<unsigned long long>(done));
    if (total > 0)
        n += std::snprintf(text + n, sizeof text - n, "/%llu", static_cast<unsigned long long>(total));
    n += std::snprintf(text + n, sizeof text - n, "  demo time %6.2f s  %6.1f fps", demo_time, rate);
    if (left >= 0.0) {
        const long s = static_cast<long>(left + 0.5);
        std::snprintf(text + n, sizeof text - n, "  %ld:%02ld left", s / 60, s % 60);
    }
    return text;
}

void progress::frame(std::uint64_t done, double demo_time)
{
    const auto now = clock::now();
    if (now - last_shown < (terminal ? std::chrono::duration_cast<clock::duration>(terminal_interval)
                                     : std::chrono::duration_cast<clock::duration>(log_interval)))
        return;
    show(done, demo_time, false);
}

void progress::done(std::uint64_t frames, double demo_time) { show(frames, demo_time, true); }

void progress::show(std::uint64_t done, double demo_time, bool last)
{
    const auto now = clock::now();
    const double span = std::chrono::duration<double>(last ? now - start : now - mark).count();
    const std::uint64_t frames = last ? done : done - mark_frames;
    const double rate = span > 0.0 ? frames / span : 0.0;
    double left = -1.0;
    if (!last && total > done && rate > 0.0)
        left = (total - done) / rate;
    const std::string text = line(done, last ? 0 : total, demo_time, rate, left);
    if (terminal)
        out << '\r' << text << "\x1b[K" << (last ? "\n" : "") << std::flush;
    else
        out << text << std::endl;
    last_shown = mark = now;
    mark_frames = done;
}

} // namespace quor::capture
