// A small note-event synthesiser: each note or drum hit is rendered on its own into the stereo
// mix (band-limited saws, FM bells, swept sines, filtered noise from fixed seeds), then a
// stereo echo, a soft clip and the fades. Bars are 2.1 s long, so the change at 21 s starts a bar;
// the last one rings out under the fade that ends the track before the timeline does.
#include "content/soundtrack.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "content/easing.h"

namespace quor::content {
namespace {

constexpr double two_pi = 6.283185307179586;
constexpr double bar = soundtrack_bar;
constexpr double beat = bar / 4;
constexpr double sixteenth = beat / 4;

double midi(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// xorshift32: noise that is the same on every run for the same seed.
struct noise {
    std::uint32_t state;
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

// One-pole low-pass with the cutoff given in Hz.
struct lowpass {
    float y = 0;
    float run(float x, double cutoff)
    {
        const float a = static_cast<float>(1 - std::exp(-two_pi * cutoff / sample_rate));
        y += a * (x - y);
        return y;
    }
};

// Saw with a polynomial correction at the wrap, so that high notes do not alias.
struct saw {
    double phase = 0;
    float run(double freq)
    {
        const double dt = freq / sample_rate;
        phase += dt;
        if (phase >= 1)
            phase -= 1;
        double v = 2 * phase - 1;
        if (phase < dt) {
            const double t = phase / dt;
            v -= t + t - t * t - 1;
        } else if (phase > 1 - dt) {
            const double t = (phase - 1) / dt;
            v -= t * t + t + t + 1;
        }
        return static_cast<float>(v);
    }
};

struct mixer {
    stereo_pcm out;
    std::vector<float> echo_send;

    mixer()
    {
        const auto n = static_cast<std::size_t>(soundtrack_seconds * sample_rate);
        out.left.assign(n, 0);
        out.right.assign(n, 0);
        echo_send.assign(n, 0);
    }
    std::size_t size() const { return out.left.size(); }
    // Renders `seconds` of voice(t) from `start`, panned -1 (left) to 1 (right).
    template <typename Voice>
    void add(double start, double seconds, float gain, float pan, float echo, Voice voice)
    {
        const auto first = static_cast<std::size_t>(start * sample_rate);
        const auto count = static_cast<std::size_t>(seconds * sample_rate);
        const float gl = gain * std::sqrt(0.5f * (1 - pan)), gr = gain * std::sqrt(0.5f * (1 + pan));
        for (std::size_t i = 0; i < count && first + i < size(); ++i) {
            const float v = voice(static_cast<double>(i) / sample_rate);
            out.left[first + i] += v * gl;
            out.right[first + i] += v * gr;
            echo_send[first + i] += v * gain * echo;
        }
    }
};

// Attack, then hold, then release, in seconds; t past the end gives 0.
float envelope(double t, double attack, double hold, double release)
{
    if (t < attack)
        return static_cast<float>(t / attack);
    if (t < attack + hold)
        return 1;
    const double r = (t - attack - hold) / release;
    return r < 1 ? static_cast<float>(1 - r) * static_cast<float>(1 - r) : 0;
}

struct chord {
    int root;
    int notes[4];
};
constexpr chord am9{45, {57, 60, 64, 71}}, fmaj7{41, {53, 57, 60, 64}}, cadd9{48, {55, 60, 62, 64}},
    g6{43, {55, 59, 62, 64}}, e7{40, {56, 59, 62, 64}};
constexpr chord progression[] = {am9, fmaj7, cadd9, g6, am9, fmaj7, cadd9, g6, fmaj7, e7, am9, fmaj7, cadd9, g6, am9};
constexpr int bars = static_cast<int>(sizeof progression / sizeof progression[0]);
constexpr int change_bar = 10; // 21 s

void pad(mixer& m, double start, double seconds, int note, float brightness, float pan)
{
    m.add(start, seconds + 1.2, 0.055f, pan, 0.3f, [=, s = std::array<saw, 3>{}, lp = lowpass{}](double t) mutable {
        const double f = midi(note);
        const float x = s[0].run(f) + s[1].run(f * 1.004) + s[2].run(f * 0.9965);
        return lp.run(x, 500 + 2200 * brightness) * envelope(t, 0.5, seconds - 0.5, 1.2);
    });
}

void pluck(mixer& m, double start, int note, float gain, float pan)
{
    m.add(start, 0.6, gain, pan, 0.45f, [=, s = saw{}, lp = lowpass{}](double t) mutable {
        const double f = midi(note);
        const float decay = static_cast<float>(std::exp(-t * 9));
        return lp.run(s.run(f), 300 + 5000 * decay) * decay * std::min(1.0f, static_cast<float>(t * 400));
    });
}

void bass(mixer& m, double start, double seconds, int note, float gain)
{
    m.add(start, seconds + 0.2, gain, 0, 0, [=, s = saw{}, lp = lowpass{}](double t) mutable {
        const double f = midi(note);
        const float body = static_cast<float>(std::sin(two_pi * f * t));
        return (0.7f * body + 0.5f * lp.run(s.run(f), 400)) * envelope(t, 0.01, seconds - 0.05, 0.2);
    });
}

void bell(mixer& m, double start, int note, float gain, float pan)
{
    m.add(start, 2.5, gain, pan, 0.6f, [=](double t) {
        const double f = midi(note);
        const double index = 2.5 * std::exp(-t * 3);
        return static_cast<float>(std::sin(two_pi * f * t + index * std::sin(two_pi * 3.5 * f * t)) *
                                  std::exp(-t * 1.8) * std::min(1.0, t * 300));
    });
}

void kick(mixer& m, double start, float gain)
{
    m.add(start, 0.5, gain, 0, 0, [](double t) {
        const double phase = two_pi * (45 * t + (150 - 45) * (1 - std::exp(-t * 25)) / 25);
        return static_cast<float>(std::sin(phase) * std::exp(-t * 7) + 0.3 * std::exp(-t * 300));
    });
}

void clap(mixer& m, double start, float gain, std::uint32_t seed)
{
    m.add(start, 0.35, gain, 0.1f, 0.25f, [n = noise{seed}, lo = lowpass{}, hi = lowpass{}](double t) mutable {
        const float x = n.next();
        const float band = lo.run(x, 2500) - hi.run(x, 700);
        const double burst = t < 0.03 ? 0.6 + 0.4 * std::cos(two_pi * t / 0.01) : 1.0;
        return static_cast<float>(2.5 * band * std::exp(-t * 14) * burst);
    });
}

void hat(mixer& m, double start, float gain, float pan, double length, std::uint32_t seed)
{
    m.add(start, length * 5, gain, pan, 0.1f, [=, n = noise{seed}, lp = lowpass{}](double t) mutable {
        const float x = n.next();
        return (x - lp.run(x, 6000)) * static_cast<float>(std::exp(-t / length));
    });
}

void riser(mixer& m, double start, double seconds, float gain)
{
    m.add(start, seconds, gain, 0, 0.3f, [=, n = noise{77}, lp = lowpass{}](double t) mutable {
        const double u = t / seconds;
        return lp.run(n.next(), 200 + 9000 * u * u) * static_cast<float>(u * u);
    });
}

void arrange(mixer& m)
{
    std::uint32_t seed = 1;
    constexpr int arpeggio[] = {0, 1, 2, 3, 2, 1, 3, 2};
    constexpr int melody[] = {69, 72, 76, 74, 72, 69, 67, 69, 76, 79, 76, 74};
    for (int b = 0; b < bars; ++b) {
        const double t0 = b * bar;
        const chord& c = progression[b];
        const bool groove = b >= change_bar && b < bars - 1;
        const float bright = b < change_bar ? 0.1f + 0.05f * b : 0.8f;
        for (int k = 0; k < 4; ++k)
            pad(m, t0, bar, c.notes[k], bright, -0.6f + 0.4f * k);
        if (b >= 2) {
            const int steps = groove ? 16 : 8;
            for (int s = 0; s < steps; ++s) {
                const int tone = c.notes[arpeggio[s % 8]] + 12;
                const float gain = groove ? 0.09f : 0.03f + 0.008f * b;
                pluck(m, t0 + s * bar / steps, tone, gain, (s % 2) ? 0.5f : -0.5f);
            }
        }
        if (b >= 4 && !groove)
            bass(m, t0, bar, c.root, 0.18f);
        if (groove)
            for (int e = 0; e < 8; ++e)
                bass(m, t0 + e * beat / 2, beat / 2 * 0.9, c.root + ((e % 4 == 3) ? 12 : 0), 0.22f);
        if (b >= 6 && !groove) {
            kick(m, t0, 0.35f);
            kick(m, t0 + 2 * beat, 0.3f);
        }
        if (b >= 8 && !groove)
            for (int e = 0; e < 8; ++e)
                hat(m, t0 + e * beat / 2, 0.05f, 0.3f, 0.03, seed++);
        if (groove) {
            for (int q = 0; q < 4; ++q)
                kick(m, t0 + q * beat, 0.55f);
            clap(m, t0 + beat, 0.3f, seed++);
            clap(m, t0 + 3 * beat, 0.3f, seed++);
            for (int s = 0; s < 16; ++s)
                hat(m, t0 + s * sixteenth, (s % 4 == 2) ? 0.1f : 0.05f, (s % 2) ? 0.4f : 0.2f,
                    (s % 4 == 2) ? 0.06 : 0.025, seed++);
            for (int n = 0; n < 3; ++n)
                bell(m, t0 + n * 3 * sixteenth * 2, melody[((b - change_bar) * 3 + n) % 12], 0.1f, 0.3f - 0.3f * n);
        }
    }
    riser(m, soundtrack_change - bar, bar, 0.25f);
    hat(m, soundtrack_change, 0.25f, 0, 0.5, 999);
    kick(m, soundtrack_change, 0.7f);
    bell(m, soundtrack_change, 81, 0.12f, 0);
    // The last bar rings out over a long bell.
    bell(m, (bars - 1) * bar, 69, 0.12f, 0);
}

} // namespace

stereo_pcm synthesise_soundtrack()
{
    mixer m;
    arrange(m);
    // Ping-pong echo of three sixteenths, then a soft clip and fades at both ends.
    const auto delay = static_cast<std::size_t>(3 * sixteenth * sample_rate);
    std::vector<float> echo_l(m.size(), 0), echo_r(m.size(), 0);
    for (std::size_t i = delay; i < m.size(); ++i) {
        echo_l[i] = 0.5f * (m.echo_send[i - delay] + echo_r[i - delay]);
        echo_r[i] = 0.5f * echo_l[i - delay];
    }
    for (std::size_t i = 0; i < m.size(); ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        // The fade is squared so that it sounds even, not held and then cut.
        const float out = 1 - smoothstep(static_cast<float>(fade_start), static_cast<float>(silent_from),
                                         static_cast<float>(t));
        const float level = (t < 0.05 ? static_cast<float>(t / 0.05) : 1.0f) * out * out;
        m.out.left[i] = std::tanh(1.2f * (m.out.left[i] + 0.35f * echo_l[i])) * 0.85f * level;
        m.out.right[i] = std::tanh(1.2f * (m.out.right[i] + 0.35f * echo_r[i])) * 0.85f * level;
    }
    return std::move(m.out);
}

} // namespace quor::content
