// A counter that moves only when its owner says so: one tick per frame at a fixed rate, so that a
// clock driven by it shows frame k at exactly the time of tick k (an offscreen capture, tests).
#pragma once

#include "app/counter.h"

namespace quor::system {

class step_counter final : public counter {
public:
    // `ticks_per_second` becomes the clock's frequency; it must be above 0.
    explicit step_counter(std::uint64_t ticks_per_second);

    bool frequency(std::uint64_t& out) override;
    // Always succeeds with the current tick, 0 until the first `set`.
    bool sample(std::uint64_t& out) override;
    // The current tick in milliseconds, truncated; only used if `sample` failed, which it never does.
    std::uint32_t milliseconds() override;

    // The tick the next sample returns; may jump forward by any amount.
    void set(std::uint64_t tick) { now = tick; }
    std::uint64_t tick() const { return now; }

private:
    std::uint64_t rate;
    std::uint64_t now = 0;
};

} // namespace quor::system
