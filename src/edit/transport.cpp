// Transport state kept beside the clock: the clock runs only while playing and not scrubbing,
// its scale is the speed, and a seek sets its time; the music is told only about changes.
#include "edit/transport.h"

#include <algorithm>
#include <cmath>

namespace quor::edit {

transport::transport(system::clock& c, double end) : clock(&c), last(end) {}

void transport::follow_clock()
{
    if (running && !scrub)
        clock->start();
    else
        clock->stop();
}

void transport::play()
{
    if (time() >= last)
        seek(looping() ? *loop_in : 0.0);
    running = true;
    follow_clock();
}

void transport::pause()
{
    running = false;
    follow_clock();
}

void transport::seek(double t)
{
    clock->set_time(static_cast<float>(std::clamp(t, 0.0, last)));
    jumped = true;
}

void transport::step(double seconds)
{
    pause();
    seek(time() + seconds);
}

void transport::set_speed(float s)
{
    // A slider moved by hand lands near 1x rather than on it; only at 1x does the music sound.
    rate = std::abs(s - 1.0f) <= normal_snap ? 1.0f : std::clamp(s, min_speed, max_speed);
    clock->set_scale(rate);
}

void transport::set_scrubbing(bool on)
{
    scrub = on;
    follow_clock();
}

music_cue transport::settle()
{
    if (running && looping() && time() >= *loop_out)
        seek(*loop_in);
    if (running && time() >= last) {
        seek(repeat ? 0.0 : last);
        if (!repeat)
            pause();
    }
    const bool sound = running && !scrub && rate == 1.0f;
    music_cue cue;
    if (sound && (!sounding || jumped)) {
        cue.what = music_cue::kind::play_from;
        cue.position = time();
    } else if (!sound && sounding) {
        cue.what = music_cue::kind::pause;
    }
    sounding = sound;
    jumped = false;
    return cue;
}

} // namespace quor::edit
