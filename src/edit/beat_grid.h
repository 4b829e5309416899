// The music's time as the author counts it: a tempo (beats a minute, the first beat's time, beats
// a bar) that turns seconds into bars and beats and back, snaps times to beats or their halves and
// quarters, and lists the grid's lines over a stretch of time; tap tempo; named markers, and the
// next or previous of any sorted times (markers, keys) from a moment.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quor::edit {

struct tempo {
    static constexpr double min_bpm = 20;
    static constexpr double max_bpm = 400;
    static constexpr int max_beats_per_bar = 16;
    // The first beat may stand up to a minute either side of the timeline's start.
    static constexpr double max_offset = 60;

    double bpm = 120;
    double offset = 0; // seconds of the first beat
    int beats_per_bar = 4;

    double beat_seconds() const { return 60.0 / bpm; }
    // Beats since the first one, fractional (negative before it).
    double beat_at(double t) const { return (t - offset) / beat_seconds(); }
    double time_of(double beat) const { return offset + beat * beat_seconds(); }
    bool operator==(const tempo&) const = default;
};

// Why `t` is no tempo to keep (a value out of its range, one not finite); empty when it is.
std::string tempo_refusal(const tempo& t);

// The time of the nearest 1/division of a beat (1, 2 or 4: beats, halves, quarters); a time in the
// timeline never snaps to one before its start.
double snap(const tempo& t, double seconds, int division);

// "bar:beat" counted from 1 with the beat's fraction in hundredths: "3:2.50" is the second half
// of the third bar's second beat. Before the first beat the bars count 0, -1, ...
std::string bar_beat(const tempo& t, double seconds);

struct grid_line {
    double time = 0;
    enum class kind { bar, beat, part } what = kind::beat;
};
// The lines between `from` and `to`: bars, beats and, when `division` > 1, the parts of a beat; a
// level whose lines would stand closer than `min_gap` seconds is left out (a bar's lines are
// always drawn, however dense).
std::vector<grid_line> grid_lines(const tempo& t, double from, double to, int division, double min_gap);

// Tempo from taps on the beat, each at the demo's time as the author heard it: the line that fits
// the taps best gives beats a minute and the first beat. A pause of more than two beats of the
// last estimate (or 2 s) starts a new count.
class tap_tempo {
public:
    static constexpr std::size_t kept = 16;
    void tap(double seconds);
    void clear() { taps.clear(); }
    std::size_t count() const { return taps.size(); }
    // From the third tap on; the first beat is the one nearest the timeline's start at or after 0.
    std::optional<tempo> estimate(int beats_per_bar) const;

private:
    std::vector<double> taps;
};

struct marker {
    double time = 0;
    std::string name;
    bool operator==(const marker&) const = default;
};

// The first of the ascending `times` after `from` (more than a millisecond), and the last before.
std::optional<double> next_time(const std::vector<double>& times, double from);
std::optional<double> previous_time(const std::vector<double>& times, double from);

} // namespace quor::edit
