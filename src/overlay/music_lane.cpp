// The job runs through std::async; the frame only asks whether it has finished.
#include "overlay/music_lane.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "demo/data_layout.h"

namespace quor::overlay {

music_lane::~music_lane()
{
    if (job.valid())
        job.wait();
}

void music_lane::follow(const std::string& data_path)
{
    const std::string path = std::filesystem::path(data_path).replace_filename(demo::layout::music_file_name).string();
    if (path != music) {
        if (job.valid())
            job.wait();
        music = path;
        done = false;
        why = "working out the music's waveform...";
        job = std::async(std::launch::async, [path]() {
            outcome o;
            const auto start = std::chrono::steady_clock::now();
            o.ok = interchange::load_music_peaks(path, o.peaks, o.cached, &o.error);
            o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            return o;
        });
    }
    if (job.valid() && job.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        outcome o = job.get();
        done = o.ok;
        why = o.ok ? std::string() : "no waveform: " + o.error;
        result = std::move(o.peaks);
        cached = o.cached;
        took = o.seconds;
    }
}

void music_lane::draw(ImDrawList* draw, const ImVec2& origin, const ImVec2& size, double from, double to,
                      unsigned colour) const
{
    if (!done || result.low.empty() || !(to > from))
        return;
    const double per_pixel = (to - from) / size.x * interchange::peaks_per_second;
    const float middle = origin.y + size.y / 2, half = size.y / 2;
    const auto count = static_cast<std::ptrdiff_t>(result.low.size());
    for (int x = 0; x < static_cast<int>(size.x); ++x) {
        const double first = from * interchange::peaks_per_second + x * per_pixel;
        auto a = static_cast<std::ptrdiff_t>(std::floor(first));
        auto b = static_cast<std::ptrdiff_t>(std::floor(first + per_pixel));
        a = std::clamp<std::ptrdiff_t>(a, 0, count);
        b = std::clamp<std::ptrdiff_t>(std::max(b, a + 1), 0, count);
        if (a >= b)
            continue;
        const float lo = *std::min_element(result.low.begin() + a, result.low.begin() + b);
        const float hi = *std::max_element(result.high.begin() + a, result.high.begin() + b);
        const float px = origin.x + static_cast<float>(x);
        draw->AddRectFilled(ImVec2(px, middle - hi * half), ImVec2(px + 1, middle - lo * half + 1), colour);
    }
}

} // namespace quor::overlay
