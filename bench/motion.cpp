// Per-frame motion costs: envelope evaluation by key count, and one transformation matrix with
// envelope-driven channels. Counts heap allocations during the timed loops (expected: none).
#include <cstdlib>
#include <new>

#include <benchmark/benchmark.h>

#include "anim/envelope.h"
#include "scene/transformation.h"

namespace {

std::size_t allocations = 0;

quor::Envelope tcb_envelope(int keys)
{
    quor::Envelope e;
    for (int i = 0; i < keys; ++i)
        e.add_tcb_key(float(i), float((i * 7) % 5), 0.1f, -0.2f, 0.3f);
    return e;
}

// Sweeps the whole key range so every span is met, from the first key's search to the last's.
void envelope_value(benchmark::State& state)
{
    const int keys = int(state.range(0));
    const quor::Envelope e = tcb_envelope(keys);
    double t = 0;
    const double step = (keys - 1) / 97.0;
    const std::size_t before = allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(e.value(t));
        t += step;
        if (t > keys - 1)
            t -= keys - 1;
    }
    state.counters["allocs"] = double(allocations - before);
}
BENCHMARK(envelope_value)->Arg(2)->Arg(8)->Arg(32)->Arg(128);

void transformation_matrix(benchmark::State& state)
{
    quor::lightwave::transformation x;
    for (int i = 0; i < quor::lightwave::transformation::channel_count; ++i) {
        quor::Channel& c = x.channel(i);
        c.value = i < 6 ? 0.0f : 1.0f;
        quor::Envelope& e = c.make_envelope();
        for (int k = 1; k < 8; ++k)
            e.add_tcb_key(float(k), c.value + 0.1f * float(k % 3), 0, 0, 0);
    }
    quor::mat4 m;
    double t = 0;
    const std::size_t before = allocations;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x.matrix(m, t));
        t += 0.013;
        if (t > 7)
            t = 0;
    }
    state.counters["allocs"] = double(allocations - before);
}
BENCHMARK(transformation_matrix);

} // namespace

// Counting replacements of the global allocation functions. GCC takes the malloc/free pairing
// inside them for a new/delete mismatch once it inlines them into callers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t n)
{
    ++allocations;
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

BENCHMARK_MAIN();
