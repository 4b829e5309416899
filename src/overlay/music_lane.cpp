// The job runs through std::async; the frame only asks whether it has finished.
#include "overlay/music_lane.h"

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
        ++results;
    }
}

void music_lane::draw(ImDrawList* draw, waveform_image& image, const ImVec2& origin, const ImVec2& size, double from,
                      double to, unsigned colour) const
{
    if (done)
        image.draw(draw, result, results, origin, size, from, to, colour);
}

} // namespace quor::overlay
