// Several keys of an envelope changed together, worked out on a copy of its keys for
// motion_document::set_keys to take as one undo step: moved in time and value, stretched or
// squeezed about a moment, deleted, copied and pasted elsewhere. A selection is a set of key
// indices; each function also gives the selection's indices in the keys it returns.
#pragma once

#include <cstddef>
#include <set>
#include <vector>

#include "anim/envelope.h"

namespace quor::edit {

using key_set = std::set<std::size_t>;

struct moved_keys {
    std::vector<Key> keys; // in time order
    key_set selected;      // where the selection's keys went
};

// The selected keys `dt` seconds later (never before 0 s: an earlier move stops there) and `dv`
// higher.
moved_keys move_keys(const std::vector<Key>& keys, const key_set& selected, double dt, float dv);
// The selected keys' times `factor` times as far from `pivot` (below 1 they squeeze together);
// times that would fall before 0 s stop there.
moved_keys stretch_keys(const std::vector<Key>& keys, const key_set& selected, double pivot, double factor);
moved_keys delete_keys(const std::vector<Key>& keys, const key_set& selected);

// Copied keys, their times from the first of them.
struct key_clip {
    std::vector<Key> keys;
    bool empty() const { return keys.empty(); }
};
key_clip copy_keys(const std::vector<Key>& keys, const key_set& selected);
// The clip's keys from `at` seconds on; a key already at one of their times gives way to it.
moved_keys paste_keys(const std::vector<Key>& keys, const key_clip& clip, double at);

// The keys whose time lies within [t0, t1] and value within [v0, v1] (a box on the curve).
key_set keys_in_box(const std::vector<Key>& keys, double t0, double t1, float v0, float v1);

} // namespace quor::edit
