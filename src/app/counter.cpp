// The platform's monotonic clock behind the counter interface.
#include "app/counter.h"

#include <time.h>

namespace quor::system {

namespace {

class monotonic_counter final : public counter {
public:
    bool frequency(std::uint64_t& out) override
    {
        timespec ts;
        if (clock_getres(CLOCK_MONOTONIC, &ts) != 0)
            return false;
        out = 1000000000ull;
        return true;
    }
    bool sample(std::uint64_t& out) override
    {
        timespec ts;
        if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
            return false;
        out = static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
        return true;
    }
    std::uint32_t milliseconds() override
    {
        timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
    }
};

} // namespace

counter& system_counter()
{
    static monotonic_counter instance;
    return instance;
}

} // namespace quor::system
