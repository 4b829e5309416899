// Action queries: one ordered look-up of the name, then one or two device calls per source.
#include "app/action_map.h"

#include <limits>

namespace quor::input {

void ActionMap::bind(const std::string& name, const ActionSource& source)
{
    // multimap inserts equal keys after the existing ones, preserving binding order.
    sources_.emplace(name, source);
}

bool ActionMap::active(const std::string& name) const
{
    auto [first, last] = sources_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const ActionSource& s = it->second;
        if (!s.device)
            continue;
        const float v = s.device->value(s.control);
        if (v > s.threshold || v < -s.threshold)
            return true;
    }
    return false;
}

bool ActionMap::pressed(const std::string& name) const
{
    auto [first, last] = sources_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const ActionSource& s = it->second;
        if (!s.device)
            continue;
        const float v = s.device->value(s.control);
        if (v > s.threshold && v - s.device->change(s.control) <= s.threshold)
            return true;
    }
    return false;
}

float ActionMap::value(const std::string& name) const
{
    float best = -std::numeric_limits<float>::infinity();
    auto [first, last] = sources_.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const ActionSource& s = it->second;
        if (!s.device)
            continue;
        float v = s.device->value(s.control);
        if (!(v > s.dead_zone || v < -s.dead_zone))
            v = 0.0f;
        if (v > best)
            best = v;
    }
    return best;
}

float ActionMap::change_mean(const std::string& name) const
{
    float sum = 0.0f;
    int count = 0;
    auto [first, last] = sources_.equal_range(name);
    for (auto it = first; it != last; ++it, ++count)
        if (it->second.device)
            sum += it->second.device->change(it->second.control);
    return count ? sum / static_cast<float>(count) : 0.0f;
}

} // namespace quor::input
