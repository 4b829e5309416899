// The platform's monotonic counter behind the counter interface.
#include "app/counter.h"

#include "platform/monotonic_clock.h"

namespace quor::system {

namespace {

class monotonic_counter final : public counter {
public:
    bool frequency(std::uint64_t& out) override { return platform::monotonic_frequency(out); }
    bool sample(std::uint64_t& out) override { return platform::monotonic_ticks(out); }
    std::uint32_t milliseconds() override { return platform::milliseconds(); }
};

} // namespace

counter& system_counter()
{
    static monotonic_counter instance;
    return instance;
}

} // namespace quor::system
