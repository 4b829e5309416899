// A tick counter that moves only when a test moves it: 1000 ticks a second, so `now` counts
// milliseconds.
#pragma once

#include <cstdint>

#include "app/counter.h"

namespace quor::test {

struct manual_counter final : system::counter {
    std::uint64_t now = 0;
    bool frequency(std::uint64_t& out) override
    {
        out = 1000;
        return true;
    }
    bool sample(std::uint64_t& out) override
    {
        out = now;
        return true;
    }
    std::uint32_t milliseconds() override { return static_cast<std::uint32_t>(now); }
};

} // namespace quor::test
