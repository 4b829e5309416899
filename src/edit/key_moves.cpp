// Each change tags the selected keys, sorts by time, and reads the tags back as the new selection.
#include "edit/key_moves.h"

#include <algorithm>
#include <cmath>

namespace quor::edit {
namespace {

struct tagged {
    Key key;
    bool selected = false;
};

moved_keys sorted(std::vector<tagged> all)
{
    std::stable_sort(all.begin(), all.end(), [](const tagged& a, const tagged& b) { return a.key.time < b.key.time; });
    moved_keys out;
    for (std::size_t i = 0; i < all.size(); ++i) {
        out.keys.push_back(all[i].key);
        if (all[i].selected)
            out.selected.insert(i);
    }
    return out;
}

std::vector<tagged> tag(const std::vector<Key>& keys, const key_set& selected)
{
    std::vector<tagged> all;
    for (std::size_t i = 0; i < keys.size(); ++i)
        all.push_back({keys[i], selected.count(i) > 0});
    return all;
}

} // namespace

moved_keys move_keys(const std::vector<Key>& keys, const key_set& selected, double dt, float dv)
{
    std::vector<tagged> all = tag(keys, selected);
    double earliest = INFINITY;
    for (const tagged& k : all)
        if (k.selected)
            earliest = std::min(earliest, static_cast<double>(k.key.time));
    if (std::isfinite(earliest))
        dt = std::max(dt, -earliest);
    for (tagged& k : all)
        if (k.selected) {
            k.key.time = static_cast<float>(k.key.time + dt);
            k.key.value += dv;
        }
    return sorted(std::move(all));
}

moved_keys stretch_keys(const std::vector<Key>& keys, const key_set& selected, double pivot, double factor)
{
    std::vector<tagged> all = tag(keys, selected);
    for (tagged& k : all)
        if (k.selected)
            k.key.time = static_cast<float>(std::max(0.0, pivot + (k.key.time - pivot) * factor));
    return sorted(std::move(all));
}

moved_keys delete_keys(const std::vector<Key>& keys, const key_set& selected)
{
    std::vector<tagged> all;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!selected.count(i))
            all.push_back({keys[i], false});
    return sorted(std::move(all));
}

key_clip copy_keys(const std::vector<Key>& keys, const key_set& selected)
{
    key_clip clip;
    for (std::size_t i : selected)
        if (i < keys.size())
            clip.keys.push_back(keys[i]);
    if (!clip.keys.empty()) {
        const float first = clip.keys.front().time;
        for (Key& k : clip.keys)
            k.time -= first;
    }
    return clip;
}

moved_keys paste_keys(const std::vector<Key>& keys, const key_clip& clip, double at)
{
    std::vector<tagged> all;
    std::vector<float> times;
    for (const Key& k : clip.keys) {
        Key placed = k;
        placed.time = static_cast<float>(at + k.time);
        times.push_back(placed.time);
        all.push_back({placed, true});
    }
    for (const Key& k : keys)
        if (std::find(times.begin(), times.end(), k.time) == times.end())
            all.push_back({k, false});
    return sorted(std::move(all));
}

key_set keys_in_box(const std::vector<Key>& keys, double t0, double t1, float v0, float v1)
{
    key_set inside;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].time >= std::min(t0, t1) && keys[i].time <= std::max(t0, t1) && keys[i].value >= std::min(v0, v1) &&
            keys[i].value <= std::max(v0, v1))
            inside.insert(i);
    return inside;
}

} // namespace quor::edit
