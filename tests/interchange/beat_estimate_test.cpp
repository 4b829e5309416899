// The tempo and first beat found in music of a known beat: clicks on a grid over a steady tone,
// with and without accented bars, and the demo's own soundtrack; within half a beat a minute and
// 20 ms of the first beat.
#include "interchange/beat_estimate.h"

#include <cmath>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "content/soundtrack.h"

namespace {

using namespace quor::interchange;

constexpr int rate = 44100;

// `seconds` of a 220 Hz tone with a click (a decaying 2 kHz burst over noise) on every beat of
// `bpm` from `first`; every `accent`th click louder.
std::vector<float> clicks(double bpm, double first, double seconds, int accent)
{
    const double pi = std::numbers::pi;
    std::vector<float> s(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = 0.2f * static_cast<float>(std::sin(2 * pi * 220 * static_cast<double>(i) / rate));
    std::mt19937 noise(7);
    std::uniform_real_distribution<float> any(-1, 1);
    for (int b = 0;; ++b) {
        const double t = first + b * 60 / bpm;
        const auto start = static_cast<std::size_t>(std::lround(t * rate));
        if (start >= s.size())
            break;
        const float gain = accent > 0 && b % accent == 0 ? 0.7f : 0.45f;
        for (std::size_t i = 0; i < static_cast<std::size_t>(0.03 * rate) && start + i < s.size(); ++i) {
            const double u = static_cast<double>(i) / rate;
            s[start + i] += gain * static_cast<float>(std::exp(-u * 150)) *
                            (0.6f * static_cast<float>(std::sin(2 * pi * 2000 * u)) + 0.4f * any(noise));
        }
    }
    return s;
}

// The distance between two phases of a beat of `period`, round the beat.
double phase_gap(double a, double b, double period)
{
    const double d = std::fmod(std::abs(a - b), period);
    return std::min(d, period - d);
}

TEST(BeatEstimate, FindsTheTempoAndFirstBeatOfClicksOverATone)
{
    const struct {
        double bpm, first;
        int accent;
    } cases[] = {{124, 0.137, 0}, {93, 0.41, 4}, {140, 1.3, 3}, {76.5, 0.02, 0}};
    for (const auto& c : cases) {
        const std::vector<float> music = clicks(c.bpm, c.first, 20, c.accent);
        beat_estimate found;
        std::string why;
        ASSERT_TRUE(estimate_beat(music, rate, found, &why)) << why;
        EXPECT_NEAR(found.bpm, c.bpm, 0.5) << c.bpm;
        EXPECT_LT(phase_gap(found.first_beat, c.first, 60 / c.bpm), 0.020) << c.bpm << " BPM: " << found.first_beat;
        EXPECT_GE(found.first_beat, 0);
        EXPECT_LT(found.first_beat, 60 / found.bpm);
        EXPECT_GT(found.onsets_used, 10);
    }
}

TEST(BeatEstimate, FindsTheSoundtracksOwnTempo)
{
    const std::vector<float> music = mono_of(quor::content::synthesise_soundtrack());
    beat_estimate found;
    std::string why;
    ASSERT_TRUE(estimate_beat(music, rate, found, &why)) << why;
    EXPECT_NEAR(found.bpm, quor::content::soundtrack_bpm, 0.5);
    EXPECT_LT(phase_gap(found.first_beat, 0, 60 / quor::content::soundtrack_bpm), 0.020) << found.first_beat;
}

TEST(BeatEstimate, SilenceOrTooLittleMusicIsNoBeat)
{
    beat_estimate found;
    std::string why;
    EXPECT_FALSE(estimate_beat(std::vector<float>(rate), rate, found, &why));
    EXPECT_NE(why.find("too short"), std::string::npos) << why;
    EXPECT_FALSE(estimate_beat(std::vector<float>(rate * 10), rate, found, &why));
    EXPECT_EQ(why, "no beat found in the music");
}

} // namespace
