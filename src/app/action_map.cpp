// Action queries: one ordered look-up of the name, then one or two device calls per source.
#include "app/action_map.h"

#include <limits>

namespace quor::input {

void ActionMap::bind(const std::string& name, const ActionSource& source)
{
    // multimap inserts equal keys after the existing ones, preserving binding order.
    sources_.emplace(name, source);
}

template <class Visit>
int ActionMap::for_each_source(const std::string& name, Visit visit) const
{
    int entries = 0;
    auto [first, last] = sources_.equal_range(name);
    for (auto it = first; it != last; ++it, ++entries)
        if (it->second.device)
            visit(it->second);
    return entries;
}

bool ActionMap::active(const std::string& name) const
{
    bool on = false;
    for_each_source(name, [&](const ActionSource& s) {
        const float v = s.device->value(s.control);
        on = on || v > s.threshold || v < -s.threshold;
    });
    return on;
}

bool ActionMap::pressed(const std::string& name) const
{
    bool on = false;
    for_each_source(name, [&](const ActionSource& s) {
        const float v = s.device->value(s.control);
        on = on || (v > s.threshold && v - s.device->change(s.control) <= s.threshold);
    });
    return on;
}

float ActionMap::value(const std::string& name) const
{
    float best = -std::numeric_limits<float>::infinity();
    for_each_source(name, [&](const ActionSource& s) {
        const float v = s.device->value(s.control);
        const float counted = (v > s.dead_zone || v < -s.dead_zone) ? v : 0.0f;
        if (counted > best)
            best = counted;
    });
    return best;
}

float ActionMap::change_mean(const std::string& name) const
{
    float sum = 0.0f;
    // Sources without a device count in the divisor.
    const int entries = for_each_source(name, [&](const ActionSource& s) { sum += s.device->change(s.control); });
    return entries ? sum / static_cast<float>(entries) : 0.0f;
}

} // namespace quor::input
