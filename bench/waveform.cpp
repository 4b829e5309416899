// The waveform's picture in the workbench: worked out again (its texels and the texture's upload,
// on Mesa) as a zoom or a new plot size makes it, against a frame that only draws it, for the
// curve view's plot at 1920x300 over the demo's 31 s and the lane's 1280x30.
#include <cmath>

#include <benchmark/benchmark.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "gl/api.h"
#include "mesa_context.h"
#include "overlay/waveform_image.h"

namespace {

using namespace quor;

constexpr double seconds = 31;

interchange::music_peaks music()
{
    interchange::music_peaks p;
    const int count = static_cast<int>(seconds * interchange::peaks_per_second);
    for (int i = 0; i < count; ++i) {
        const auto level = static_cast<float>(0.3 + 0.6 * std::abs(std::sin(i * 0.013)) * std::abs(std::sin(i * 0.7)));
        p.low.push_back(-level);
        p.high.push_back(level * 0.9f);
    }
    return p;
}

void picture(benchmark::State& state, bool changing)
{
    if (!test::mesa_context()) {
        state.SkipWithError("no Mesa context");
        return;
    }
    const interchange::music_peaks peaks = music();
    const ImVec2 size(static_cast<float>(state.range(0)), static_cast<float>(state.range(1)));
    ImDrawListSharedData shared;
    ImDrawList list(&shared);
    overlay::waveform_image image;
    double from = 0;
    for (auto _ : state) {
        list._ResetForNewFrame();
        // A zoom step: another stretch each frame.
        if (changing)
            from = from > 1 ? 0 : from + 0.01;
        image.draw(&list, peaks, 1, ImVec2(0, 0), size, from, seconds, IM_COL32(90, 110, 90, 120));
        gl::api.Finish();
    }
}

} // namespace

BENCHMARK_CAPTURE(picture, worked_out, true)->Args({1920, 300})->Args({1280, 30})->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(picture, drawn, false)->Args({1920, 300})->Args({1280, 30})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
