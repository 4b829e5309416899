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
    // Clamped to min_speed..max_speed.
    void set_speed(float s);
    // While scrubbing the clock stands still and seeks alone move the picture.
    void set_scrubbing(bool on);
    bool scrubbing() const { return scrub; }

    // Loop marks at the current time; playback wraps from the out mark to the in mark once both
    // are set with in before out.
    void mark_in() { loop_in = time(); }
    void mark_out() { loop_out = time(); }
    void clear_loop() { loop_in.reset(), loop_out.reset(); }
    // Marks as kept from an earlier session.
    void set_loop(std::optional<double> in, std::optional<double> out) { loop_in = in, loop_out = out; }
    std::optional<double> in_mark() const { return loop_in; }
    std::optional<double> out_mark() const { return loop_out; }
    bool looping() const { return loop_in && loop_out && *loop_in < *loop_out; }
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
    bool repeat = false;
    bool sounding = true;
    bool jumped = false;
};

} // namespace quor::edit
