// Beats are counted from the tempo's first beat; everything else follows from beat_at and time_of.
#include "edit/beat_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/report.h"

namespace quor::edit {

std::string tempo_refusal(const tempo& t)
{
    if (!std::isfinite(t.bpm) || t.bpm < tempo::min_bpm || t.bpm > tempo::max_bpm)
        return "the tempo must be " + system::number_text(tempo::min_bpm) + " to " +
               system::number_text(tempo::max_bpm) + " beats a minute";
    if (!std::isfinite(t.offset) || std::abs(t.offset) > tempo::max_offset)
        return "the first beat must stand within " + system::number_text(tempo::max_offset) + " s of the start";
    if (t.beats_per_bar < 1 || t.beats_per_bar > tempo::max_beats_per_bar)
        return "a bar holds 1 to " + std::to_string(tempo::max_beats_per_bar) + " beats";
    return {};
}

double snap(const tempo& t, double seconds, int division)
{
    const double parts = std::max(1, division);
    const double snapped = t.time_of(std::round(t.beat_at(seconds) * parts) / parts);
    // Nothing stands before the timeline's start: the first line at or after it instead.
    if (snapped < 0 && seconds >= 0)
        return t.time_of(std::ceil(t.beat_at(0) * parts - 1e-9) / parts);
    return snapped;
}

std::string bar_beat(const tempo& t, double seconds)
{
    // Hundredths first, so that 1.999 reads as the next beat rather than as beat 1 and 100/100.
    const double hundredths = std::round(t.beat_at(seconds) * 100);
    const double beats = std::floor(hundredths / 100);
    const double bar = std::floor(beats / t.beats_per_bar);
    const double beat_in_bar = beats - bar * t.beats_per_bar;
    char text[48];
    std::snprintf(text, sizeof text, "%.0f:%.0f.%02.0f", bar + 1, beat_in_bar + 1, hundredths - beats * 100);
    return text;
}

std::vector<grid_line> grid_lines(const tempo& t, double from, double to, int division, double min_gap)
{
    std::vector<grid_line> lines;
    if (!(to > from))
        return lines;
    const double beat = t.beat_seconds();
    const int parts = beat / std::max(1, division) >= min_gap ? std::max(1, division) : 1;
    const bool beats = beat >= min_gap;
    const double step = beats ? 1.0 / parts : t.beats_per_bar;
    // Indices of steps, whole numbers, so that no sum of fractions drifts off a beat.
    const long first = static_cast<long>(std::ceil(t.beat_at(from) / step - 1e-9));
    const long last = static_cast<long>(std::floor(t.beat_at(to) / step + 1e-9));
    for (long i = first; i <= last; ++i) {
        const double b = static_cast<double>(i) * step;
        const double whole = std::round(b);
        grid_line line{t.time_of(b), grid_line::kind::part};
        if (std::abs(b - whole) < 1e-9)
            line.what = std::fmod(whole, t.beats_per_bar) == 0 ? grid_line::kind::bar : grid_line::kind::beat;
        lines.push_back(line);
    }
    return lines;
}

void tap_tempo::tap(double seconds)
{
    double pause = 2.0;
    if (const auto now = estimate(1))
        pause = std::max(pause, 2 * now->beat_seconds());
    // A pause, or a tap back in time (a seek), starts the count again.
    if (!taps.empty() && (seconds - taps.back() > pause || seconds <= taps.back()))
        taps.clear();
    taps.push_back(seconds);
    if (taps.size() > kept)
        taps.erase(taps.begin());
}

std::optional<tempo> tap_tempo::estimate(int beats_per_bar) const
{
    if (taps.size() < 3)
        return std::nullopt;
    // Least squares of tap i at offset + i * beat.
    const double n = static_cast<double>(taps.size());
    double si = 0, st = 0, sii = 0, sit = 0;
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const double x = static_cast<double>(i);
        si += x, st += taps[i], sii += x * x, sit += x * taps[i];
    }
    const double beat = (n * sit - si * st) / (n * sii - si * si);
    if (!(beat > 0))
        return std::nullopt;
    tempo t;
    t.bpm = std::clamp(60.0 / beat, tempo::min_bpm, tempo::max_bpm);
    t.beats_per_bar = beats_per_bar;
    const double first = (st - beat * si) / n;
    t.offset = first - std::floor(first / beat) * beat;
    return t;
}

namespace {
constexpr double apart = 1e-3;
}

std::optional<double> next_time(const std::vector<double>& times, double from)
{
    const auto it = std::upper_bound(times.begin(), times.end(), from + apart);
    return it == times.end() ? std::nullopt : std::optional<double>(*it);
}

std::optional<double> previous_time(const std::vector<double>& times, double from)
{
    const auto it = std::lower_bound(times.begin(), times.end(), from - apart);
    return it == times.begin() ? std::nullopt : std::optional<double>(*std::prev(it));
}

} // namespace quor::edit
