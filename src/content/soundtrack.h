// The demo's soundtrack, synthesised: a dreamy chord progression with pads, plucked arpeggios
// and a bass, whose drums build up to a full groove at 21 s, when the creature starts to bloom,
// and which fades to silence before the timeline ends.
#pragma once

#include "interchange/stereo_pcm.h"

namespace quor::content {

// Synthesised at the rate the encoder writes, in the encoder's sample buffer.
using interchange::sample_rate;
using interchange::stereo_pcm;

constexpr double soundtrack_seconds = 31.0; // the timeline's length
constexpr double soundtrack_change = 21.0;
// Four beats a bar of 2.1 s from 0 s: 114.29 beats a minute.
constexpr double soundtrack_bar = 2.1;
constexpr double soundtrack_bpm = 4 * 60 / soundtrack_bar;
// The closing fade: full level until fade_start, silence from silent_from on.
constexpr double fade_start = 28.0;
constexpr double silent_from = 30.5;

// The whole track; the same samples on every call.
stereo_pcm synthesise_soundtrack();

} // namespace quor::content
