// Keys before and after simplification of a camera exported as a tool that samples every frame
// writes it (24 fps, the timeline's 31 s): an eased orbit, a hold, a quick whip pan, a slow
// push in. Imported as quor-mem imports it, then simplified at the default tolerance, which the
// timed loop repeats; the counters give the figure.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "demo/data_layout.h"
#include "interchange/gltf_motion.h"
#include "interchange/motion_import.h"
#include "per_frame_gltf.h"

namespace {

using namespace quor;
using namespace quor::interchange;

constexpr double pi = std::numbers::pi;

double smooth(double from, double to, double t)
{
    const double u = std::clamp((t - from) / (to - from), 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

// The orbit's angle: eased round a quarter turn by 12 s, held to 16 s, whipped on by 0.35 s, then
// drifting.
double angle(double t)
{
    return pi / 2 * smooth(0, 12, t) + pi / 3 * smooth(16, 16.35, t) + 0.02 * std::max(0.0, t - 16.35);
}

std::array<double, 3> where(double t)
{
    const double radius = 9 - 4 * smooth(18, 31, t), a = angle(t);
    return {radius * std::cos(a), 2.5 + 0.3 * std::sin(t * 0.8), -14 + radius * std::sin(a)};
}

// Looking at the centre of the orbit.
double heading(double t) { return pi / 2 - angle(t); }

bool imported(record::transformation& rec)
{
    const std::string path =
        std::filesystem::temp_directory_path() / ("quor_bench_simplify_" + std::to_string(getpid()) + ".gltf");
    std::ofstream(path) << test::per_frame_camera_gltf(24, demo::layout::timeline_end, where, heading);
    source_motion src;
    std::vector<std::string> notes;
    std::string error;
    const bool ok = gltf_motion(path, "Camera", "", demo::layout::timeline_end, src, &error, nullptr) &&
                    record_from_motion(src, 2, 0, rec, notes, &error);
    std::filesystem::remove(path);
    if (!ok)
        std::fprintf(stderr, "bench_motion_simplify: %s\n", error.c_str());
    return ok;
}

void simplify_camera(benchmark::State& state)
{
    record::transformation rec;
    if (!imported(rec)) {
        state.SkipWithError("the export did not import");
        return;
    }
    record_simplified done{};
    for (auto _ : state) {
        record::transformation copy = rec;
        done = simplify_record(copy, simplify_tolerance{}, demo::layout::timeline_end);
        benchmark::DoNotOptimize(copy);
    }
    double before = 0, after = 0, distance = 0, degrees = 0;
    for (std::size_t c = 0; c < done.size(); ++c) {
        before += double(done[c].before);
        after += double(done[c].after);
        double& worst = c >= 3 && c < 6 ? degrees : distance;
        worst = std::max(worst, c >= 3 && c < 6 ? done[c].deviation * 180 / pi : double(done[c].deviation));
    }
    state.counters["keys_before"] = before;
    state.counters["keys_after"] = after;
    state.counters["deviation"] = distance;
    state.counters["deviation_degrees"] = degrees;
    state.SetLabel(simplify_note(done));
}
BENCHMARK(simplify_camera)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
