// The music beside the data file as the workbench draws it: its peaks (and the beat found in it)
// are read from their cache or worked out on a thread of their own, so that the panels never wait;
// until they are there the lane says so.
#pragma once

#include <chrono>
#include <future>
#include <string>

#include "interchange/music_peaks.h"
#include "overlay/waveform_image.h"

struct ImDrawList;
struct ImVec2;

namespace quor::overlay {

class music_lane {
public:
    music_lane() = default;
    music_lane(const music_lane&) = delete;
    music_lane& operator=(const music_lane&) = delete;
    // Waits for a job under way: it only reads the music and writes its cache.
    ~music_lane();

    // Once a frame with the data file's path: starts on the music beside it the first time (and
    // again when the data file moves to another folder), and takes the job's result once done.
    void follow(const std::string& data_path);
    bool ready() const { return done; }
    const interchange::music_peaks& peaks() const { return result; }
    // Why there is nothing to draw: the music does not read, or is still being worked out.
    const std::string& trouble() const { return why; }
    bool from_cache() const { return cached; }
    // Seconds from the start of the job to its result.
    double seconds_taken() const { return took; }

    // The waveform between `from` and `to` seconds over a plot of `size` at `origin`, through the
    // plot's own `image`, which works it out again only when the peaks or the plot change.
    void draw(ImDrawList* draw, waveform_image& image, const ImVec2& origin, const ImVec2& size, double from, double to,
              unsigned colour) const;

private:
    struct outcome {
        bool ok = false;
        bool cached = false;
        interchange::music_peaks peaks;
        std::string error;
        double seconds = 0;
    };
    std::string music;
    std::future<outcome> job;
    interchange::music_peaks result;
    std::string why;
    bool done = false;
    bool cached = false;
    double took = 0;
    // Counts the results taken: each may hold other peaks.
    unsigned results = 0;
};

} // namespace quor::overlay
