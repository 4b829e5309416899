// The music's peaks for the workbench's lane: worked out from the MP3 (decoding, peaks and the
// beat estimate) against read back from their cache, side by side on the same file. The music is
// $QUOR_MUSIC, or demo.mp3 in the folder the benchmark is started from.
#include <cstdlib>
#include <filesystem>

#include <benchmark/benchmark.h>

#include "interchange/music_peaks.h"

namespace {

namespace fs = std::filesystem;

// A copy of the music in a folder of its own, so that its cache is this benchmark's.
std::string music_copy()
{
    const char* from = std::getenv("QUOR_MUSIC");
    const fs::path folder = fs::temp_directory_path() / "quor_bench_music";
    fs::create_directories(folder);
    const fs::path to = folder / "demo.mp3";
    fs::copy_file(from ? from : "demo.mp3", to, fs::copy_options::overwrite_existing);
    return to.string();
}

void load(benchmark::State& state, bool cached)
{
    const std::string music = music_copy();
    quor::interchange::music_peaks peaks;
    bool from_cache = false;
    std::string why;
    if (!quor::interchange::load_music_peaks(music, peaks, from_cache, &why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    for (auto _ : state) {
        if (!cached) {
            state.PauseTiming();
            fs::remove(quor::interchange::peaks_path(music));
            state.ResumeTiming();
        }
        quor::interchange::load_music_peaks(music, peaks, from_cache, &why);
        if (from_cache != cached)
            state.SkipWithError("the cache was not used as meant");
    }
    state.counters["peaks"] = static_cast<double>(peaks.low.size());
    state.counters["bpm"] = peaks.beat.bpm;
    state.counters["first_beat_ms"] = peaks.beat.first_beat * 1000;
}

void worked_out(benchmark::State& state) { load(state, false); }
void from_cache(benchmark::State& state) { load(state, true); }

BENCHMARK(worked_out)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(from_cache)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
