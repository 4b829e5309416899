// The tempo and first beat of a recording, for the workbench's beat grid: aubio's beat tracker
// finds the beat, and a straight line fitted through the onsets that fall on it gives the period
// and the phase more finely than the tracker's hops do.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "interchange/stereo_pcm.h"

namespace quor::interchange {

struct beat_estimate {
    double bpm = 0;
    // The first beat at or after 0 s on the fitted grid, in seconds.
    double first_beat = 0;
    // Onsets that fell on the grid and fixed it: a handful means a guess.
    int onsets_used = 0;
    bool operator==(const beat_estimate&) const = default;
};

// Both channels' average.
std::vector<float> mono_of(const stereo_pcm& pcm);

// From `samples` at `rate` (at least a few seconds of music with a beat). Tempos are folded into
// 60-180 beats a minute (a tracker may lock onto half or twice the beat). False, with *error,
// when no beat is found.
bool estimate_beat(std::span<const float> samples, int rate, beat_estimate& out, std::string* error);

} // namespace quor::interchange
