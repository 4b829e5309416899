// The curve view's scale: the stretch of the timeline and the range of values a plot shows, how
// they map to the plot's pixels, zoom about a point, pan, framing a selection or a whole channel,
// and the ruler's ticks in seconds, bars and values. The overlay draws with it; nothing here needs
// a window.
#pragma once

#include <vector>

#include "edit/beat_grid.h"

namespace quor::edit {

// A plot's place on the screen, in pixels; values keep `margin` pixels clear of its top and foot,
// so that a key at the top or foot of the range is drawn whole.
struct plot_area {
    static constexpr float margin = 4;
    float x = 0, y = 0, width = 1, height = 1;
};

// The values a plot shows, lo at its foot; never empty.
struct value_range {
    double lo = 0, hi = 1;
    bool operator==(const value_range&) const = default;
};

// Seconds from `from` to `to`, within a timeline of `end` seconds.
struct time_range {
    double from = 0, to = 1;
    bool operator==(const time_range&) const = default;
};

struct curve_scale {
    static constexpr double min_span = 0.05;       // seconds across the plot at the closest
    static constexpr double min_value_span = 1e-6; // and values
    static constexpr double max_value_span = 1e9;
    // Framing a selection shows at least this many seconds, so that one key has neighbours.
    static constexpr double min_framed_span = 0.5;

    time_range time;
    value_range values;

    float x_of(const plot_area& at, double t) const;
    double time_at(const plot_area& at, float x) const;
    float y_of(const plot_area& at, double v) const;
    double value_at(const plot_area& at, float y) const;
    // Seconds and values a pixel covers.
    double seconds_per_pixel(const plot_area& at) const;
    double values_per_pixel(const plot_area& at) const;
};

// The scale of one notch of the wheel: closer (factor below 1) for notches up, farther down.
double wheel_factor(double notches);

// Time `factor` times as long across the plot, `about` staying where it is; the span kept from
// min_span to the whole timeline, and the stretch moved (not cut) to lie inside it.
time_range zoom_time(const time_range& r, double factor, double about, double end);
// Time moved by `seconds` (later for more), kept inside the timeline at the same span.
time_range pan_time(const time_range& r, double seconds, double end);
// Values `factor` times as wide, `about` staying where it is; the span kept from min_value_span
// to max_value_span.
value_range zoom_values(const value_range& r, double factor, double about);
value_range pan_values(const value_range& r, double by);

// From the lowest of `values` to the highest (what is not finite skipped); a flat curve (or none)
// opened to one either side of its value, as it always was.
value_range range_of(const std::vector<float>& values);
// The stretch that frames keys at `times`: from the first to the last with a tenth of it either
// side, at least min_framed_span about their middle, inside the timeline. Empty `times`: all of it.
time_range framed_times(const std::vector<double>& times, double end);

// A step of 1, 2 or 5 times a power of ten that puts ticks at least `min_gap` pixels apart on a
// plot `pixels` wide showing `span`.
double tick_step(double span, float pixels, float min_gap);
// The multiples of `step` from lo to hi; none for a step that is not above 0.
std::vector<double> ticks(double lo, double hi, double step);
// Digits after the point that tell ticks `step` apart (0 for 1 and more).
int tick_decimals(double step);

// The bars to label between `from` and `to`: every bar, or every 2nd, 4th, 8th... from bar 1 on,
// whichever first stands `min_gap` seconds apart. Bars count as bar_beat counts them.
struct bar_tick {
    double time = 0;
    int bar = 1;
};
std::vector<bar_tick> bar_ticks(const tempo& t, double from, double to, double min_gap);

} // namespace quor::edit
