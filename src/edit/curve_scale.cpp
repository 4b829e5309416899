// Zoom and pan keep the time inside the timeline by moving the stretch rather than cutting it, so
// that a zoom out near an end keeps its span; values have no such bounds.
#include "edit/curve_scale.h"

#include <algorithm>
#include <cmath>

namespace quor::edit {
namespace {

constexpr double wheel_notch = 0.8;
constexpr double framing_pad = 0.1;

// The same span moved to lie inside [0, end], or all of it when it is longer.
time_range inside(double from, double span, double end)
{
    if (!(span < end))
        return {0, end};
    from = std::clamp(from, 0.0, end - span);
    return {from, from + span};
}

} // namespace

float curve_scale::x_of(const plot_area& at, double t) const
{
    return at.x + static_cast<float>((t - time.from) / (time.to - time.from) * at.width);
}

double curve_scale::time_at(const plot_area& at, float x) const
{
    return time.from + static_cast<double>(x - at.x) / at.width * (time.to - time.from);
}

float curve_scale::y_of(const plot_area& at, double v) const
{
    const float inner = at.height - 2 * plot_area::margin;
    return at.y + at.height - plot_area::margin - static_cast<float>((v - values.lo) / (values.hi - values.lo) * inner);
}

double curve_scale::value_at(const plot_area& at, float y) const
{
    const float inner = at.height - 2 * plot_area::margin;
    return values.lo + static_cast<double>(at.y + at.height - plot_area::margin - y) / inner * (values.hi - values.lo);
}

double curve_scale::seconds_per_pixel(const plot_area& at) const { return (time.to - time.from) / at.width; }

double curve_scale::values_per_pixel(const plot_area& at) const
{
    return (values.hi - values.lo) / (at.height - 2 * plot_area::margin);
}

double wheel_factor(double notches) { return std::pow(wheel_notch, notches); }

time_range zoom_time(const time_range& r, double factor, double about, double end)
{
    const double span = std::clamp((r.to - r.from) * factor, curve_scale::min_span, end);
    // `about` keeps its share of the span before it.
    const double share = r.to > r.from ? (about - r.from) / (r.to - r.from) : 0.5;
    return inside(about - share * span, span, end);
}

time_range pan_time(const time_range& r, double seconds, double end)
{
    return inside(r.from + seconds, r.to - r.from, end);
}

value_range zoom_values(const value_range& r, double factor, double about)
{
    const double span = std::clamp((r.hi - r.lo) * factor, curve_scale::min_value_span, curve_scale::max_value_span);
    const double share = (about - r.lo) / (r.hi - r.lo);
    const double lo = about - share * span;
    return {lo, lo + span};
}

value_range pan_values(const value_range& r, double by) { return {r.lo + by, r.hi + by}; }

value_range range_of(const std::vector<float>& values)
{
    double lo = INFINITY, hi = -INFINITY;
    for (float v : values)
        if (std::isfinite(v)) {
            lo = std::min(lo, static_cast<double>(v));
            hi = std::max(hi, static_cast<double>(v));
        }
    if (lo > hi)
        return {-1, 1};
    if (hi - lo < curve_scale::min_value_span)
        return {lo - 1, hi + 1};
    return {lo, hi};
}

time_range framed_times(const std::vector<double>& times, double end)
{
    if (times.empty())
        return {0, end};
    const auto [first, last] = std::minmax_element(times.begin(), times.end());
    const double span = std::max((*last - *first) * (1 + 2 * framing_pad), curve_scale::min_framed_span);
    return inside((*first + *last) / 2 - span / 2, std::min(span, end), end);
}

double tick_step(double span, float pixels, float min_gap)
{
    const double least = span * min_gap / std::max(pixels, 1.0f);
    if (!(least > 0) || !std::isfinite(least))
        return 1;
    double step = std::pow(10.0, std::floor(std::log10(least)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (step * m >= least * (1 - 1e-9))
            return step * m;
    return step * 10;
}

std::vector<double> ticks(double lo, double hi, double step)
{
    std::vector<double> out;
    if (!(step > 0) || !(hi >= lo))
        return out;
    // Whole multiples, so that no sum of steps drifts off them.
    const double first = std::ceil(lo / step - 1e-9), last = std::floor(hi / step + 1e-9);
    for (double i = first; i <= last && out.size() < 1000; ++i)
        out.push_back(i * step);
    return out;
}

int tick_decimals(double step)
{
    if (!(step > 0) || step >= 1)
        return 0;
    return static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

std::vector<bar_tick> bar_ticks(const tempo& t, double from, double to, double min_gap)
{
    std::vector<bar_tick> out;
    const double bar_seconds = t.beat_seconds() * t.beats_per_bar;
    if (!(to > from) || !(bar_seconds > 0))
        return out;
    int every = 1;
    while (every * bar_seconds < min_gap && every < (1 << 20))
        every *= 2;
    // Bar n starts at beat (n - 1) * beats_per_bar; only bars 1 + k * every are labelled.
    const double first_bar = std::ceil(t.beat_at(from) / t.beats_per_bar - 1e-9) + 1;
    const double first = std::ceil((first_bar - 1) / every) * every + 1;
    for (double n = first; t.time_of((n - 1) * t.beats_per_bar) <= to + 1e-9 && out.size() < 1000; n += every)
        out.push_back({t.time_of((n - 1) * t.beats_per_bar), static_cast<int>(n)});
    return out;
}

} // namespace quor::edit
