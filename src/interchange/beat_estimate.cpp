// aubio's tracker finds the tempo to within a few percent, and its beats lie wherever its phase
// settles (on the off-beats, at times); its onsets lie within a few milliseconds of each attack.
// The tempo and phase near the tracker's on which the energy rises most pick the grid, and least
// squares over the onsets on it place it finely.
#include "interchange/beat_estimate.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quor::interchange {
namespace {

constexpr uint_t window = 1024;
constexpr uint_t hop = 256;
constexpr double low_bpm = 60, high_bpm = 180;
// How far from the tracker's tempo the grid is looked for, and in what steps.
constexpr double search = 0.04;
constexpr double bpm_step = 0.02;

struct fvec_deleter {
    void operator()(fvec_t* v) const { del_fvec(v); }
};
struct tempo_deleter {
    void operator()(aubio_tempo_t* t) const { del_aubio_tempo(t); }
};
struct onset_deleter {
    void operator()(aubio_onset_t* o) const { del_aubio_onset(o); }
};
using fvec = std::unique_ptr<fvec_t, fvec_deleter>;

struct line_fit {
    double period = 0, phase = 0;
    int used = 0;
};

// Times t_i at whole beats n_i of `period` from `phase`: those within a sixth of a beat of the
// grid are kept and fitted as t = phase + n * period.
line_fit fit(const std::vector<double>& times, double period, double phase)
{
    double sn = 0, st = 0, snn = 0, snt = 0;
    int used = 0;
    for (double t : times) {
        const double n = std::round((t - phase) / period);
        if (std::abs(t - phase - n * period) > period / 6)
            continue;
        sn += n, st += t, snn += n * n, snt += n * t;
        ++used;
    }
    line_fit out{period, phase, used};
    const double d = used * snn - sn * sn;
    if (used >= 4 && d > 0) {
        out.period = (used * snt - sn * st) / d;
        out.phase = (st - out.period * sn) / used;
    }
    return out;
}

} // namespace

std::vector<float> mono_of(const stereo_pcm& pcm)
{
    std::vector<float> mono(std::min(pcm.left.size(), pcm.right.size()));
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = 0.5f * (pcm.left[i] + pcm.right[i]);
    return mono;
}

bool estimate_beat(std::span<const float> samples, int rate, beat_estimate& out, std::string* error)
{
    const auto fail = [&](const char* why) {
        if (error)
            *error = why;
        return false;
    };
    if (rate <= 0 || samples.size() < static_cast<std::size_t>(rate) * 2)
        return fail("too short to find a beat in (less than 2 s)");
    const auto r = static_cast<uint_t>(rate);
    std::unique_ptr<aubio_tempo_t, tempo_deleter> tracker(new_aubio_tempo("default", window, hop, r));
    std::unique_ptr<aubio_onset_t, onset_deleter> onsets(new_aubio_onset("default", window, hop, r));
    fvec in(new_fvec(hop)), beat(new_fvec(1)), onset(new_fvec(1));
    if (!tracker || !onsets || !in || !beat || !onset)
        return fail("the beat tracker could not start");
    aubio_onset_set_minioi_ms(onsets.get(), 40);
    std::vector<double> beats, attacks;
    // The rise of each hop's energy over the last one's: where the loudest attacks are.
    std::vector<double> rise;
    double energy_before = 0;
    for (std::size_t at = 0; at < samples.size(); at += hop) {
        double energy = 0;
        for (uint_t i = 0; i < hop; ++i)
            in->data[i] = at + i < samples.size() ? samples[at + i] : 0;
        for (uint_t i = 0; i < hop; ++i)
            energy += static_cast<double>(in->data[i]) * in->data[i];
        rise.push_back(std::max(0.0, energy - energy_before));
        energy_before = energy;
        aubio_tempo_do(tracker.get(), in.get(), beat.get());
        if (beat->data[0] != 0)
            beats.push_back(aubio_tempo_get_last_s(tracker.get()));
        aubio_onset_do(onsets.get(), in.get(), onset.get());
        if (onset->data[0] != 0)
            attacks.push_back(aubio_onset_get_last_s(onsets.get()));
    }
    double bpm = aubio_tempo_get_bpm(tracker.get());
    if (!(bpm > 0) || beats.size() < 4)
        return fail("no beat found in the music");
    while (bpm < low_bpm)
        bpm *= 2;
    while (bpm > high_bpm)
        bpm /= 2;
    // The tracker's tempo is rough (a few percent off on some music): the grid near it on which
    // the energy rises most, hop by hop, is the beat. Its phase is the loudest attack's, not an
    // off-beat's (hats, arpeggios), whatever the tracker settled on.
    const double hop_s = static_cast<double>(hop) / rate;
    const double length = static_cast<double>(samples.size()) / rate;
    const auto strength = [&](double period, double phase) {
        double sum = 0;
        for (double t = phase; t < length; t += period) {
            const auto h = static_cast<std::ptrdiff_t>(std::lround(t / hop_s));
            double most = 0;
            for (std::ptrdiff_t k = std::max<std::ptrdiff_t>(0, h - 1);
                 k <= h + 1 && k < static_cast<std::ptrdiff_t>(rise.size()); ++k)
                most = std::max(most, rise[static_cast<std::size_t>(k)]);
            sum += most;
        }
        return sum;
    };
    line_fit grid;
    double best = -1;
    for (double b = bpm * (1 - search); b <= bpm * (1 + search); b += bpm_step) {
        const double period = 60 / b;
        for (double phase = 0; phase < period; phase += hop_s) {
            const double score = strength(period, phase);
            if (score > best) {
                best = score;
                grid = {period, phase, 0};
            }
        }
    }
    // The onsets on that grid place it finely.
    for (int round = 0; round < 3; ++round) {
        const line_fit next = fit(attacks, grid.period, grid.phase);
        if (next.used < 4)
            break;
        grid = next;
    }
    out.bpm = 60 / grid.period;
    out.first_beat = grid.phase - std::floor(grid.phase / grid.period) * grid.period;
    out.onsets_used = grid.used;
    return true;
}

} // namespace quor::interchange
