// The workbench's transport over the demo's clock: play and pause, seeks and steps, a loop
// between two marks, playback speed, and what the music must do so that it follows the picture.
#pragma once

#include <optional>

#include "app/clock.h"
#include "demo/data_layout.h"

namespace quor::edit {

// What the music is to do after a frame: nothing new, stop sounding, or sound from a position.
struct music_cue {
    enum class kind { none, pause, play_from } what = kind::none;
    double position = 0;
};

class transport {
public:
    static constexpr double frame_step = 1.0 / demo::layout::frames_per_second;
    static constexpr float min_speed = 0.25f;
    static constexpr float max_speed = 2.0f;
    static constexpr float normal_snap = 0.03f;

    // The clock is running and the music sounding from the demo's start, as the demo leaves them.
    explicit transport(system::clock& clock, double end = demo::layout::timeline_end);

    double time() const { return clock->time(); }
    double end() const { return last; }
    bool playing() const { return running; }
    float speed() const { return rate; }

    void play();
    void pause();
    void toggle() { running ? pause() : play(); }
    // Clamped to the timeline.
    void seek(double t);
    // Pauses, then moves by `seconds` (a frame is frame_step).
    void step(double seconds);
    // Clamped to min_speed..max_speed; within normal_snap of 1x it is 1x.
    void set_speed(float s);
    // While scrubbing the clock stands still and seeks alone move the picture.
    void set_scrubbing(bool on);
    bool scrubbing() const { return scrub; }

    // Loop marks at the current time, which also turn the loop on; playback wraps from the out
    // mark to the in mark while the loop is on and both are set with in before out. Off, the
    // marks stay for the next time it is turned on.
    void mark_in() { loop_in = time(), loop_on = true; }
    void mark_out() { loop_out = time(), loop_on = true; }
    void clear_loop() { loop_in.reset(), loop_out.reset(); }
    void enable_loop(bool on) { loop_on = on; }
    bool loop_enabled() const { return loop_on; }
    // Marks as kept from an earlier session.
    void set_loop(std::optional<double> in, std::optional<double> out) { loop_in = in, loop_out = out; }
    std::optional<double> in_mark() const { return loop_in; }
    std::optional<double> out_mark() const { return loop_out; }
    bool looping() const { return loop_on && loop_in && loop_out && *loop_in < *loop_out; }
    // Without loop marks, playback past the end starts again from 0 instead of holding there.
    void set_repeat(bool on) { repeat = on; }

    // After each frame's clock update: wraps the loop, holds playback at the end of the timeline
    // (the demo would end past it) or repeats it, and says what the music must do. The music sounds only while
    // playing at 1x without scrubbing, from the picture's time after any jump.
    music_cue settle();

private:
    void follow_clock();

    system::clock* clock;
    double last;
    bool running = true;
    bool scrub = false;
    float rate = 1.0f;
    std::optional<double> loop_in, loop_out;
    bool loop_on = true;
    bool repeat = false;
    bool sounding = true;
    bool jumped = false;
};

} // namespace quor::edit
