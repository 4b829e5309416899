// Fewer keys for imported motion: an exporter that writes a key every frame leaves channels the
// engine plays just as well from a few keys. A simplified channel keeps a subset of its keys,
// chosen so that the engine's evaluation of it stays within a tolerance of the channel as imported.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "anim/record.h"

namespace quor::interchange {

// How far a simplified channel may stray from the channel as imported, in the channels' own
// units: `distance` for positions (scene units) and scales (the factor), `degrees` for yaw, pitch
// and bank (which the records keep in radians).
struct simplify_tolerance {
    float distance = 0.005f;
    float degrees = 0.1f;
    // The tolerance of record channel `channel` in the units the record keeps it in.
    float of(std::size_t channel) const;
};

// Whether both tolerances are finite numbers above 0; *error says which is not.
bool valid_tolerance(const simplify_tolerance& tolerance, std::string* error);

// The tolerance written as the command line takes it: "DISTANCE,DEGREES" ("0.005,0.1"), or one
// number for the distance with the default angle. False with *error when it is neither.
bool parse_tolerance(const std::string& text, simplify_tolerance& out, std::string* error);

// Few keys, a subset of `keys` (an envelope channel's, as a record holds them), whose curve the
// engine evaluates within `tolerance` of the curve of all of them, checked at every key's time and
// 240 times a second from 0 up to `end` (bounded by the caller: the timeline). Kept whole: the first
// and last key, keys that share a time with a neighbour (a jump or a lead-in), Stepped keys and
// the key before each, and keys of shapes other than TCB, Linear and Stepped. The others are added
// back where the curve strays most, as TCB keys, and as their own selves where a span between
// neighbours still strays; then each added key that the curve stays within the tolerance without
// is dropped again. *deviation receives the largest difference that remains.
std::vector<Key> simplify_keys(const std::vector<Key>& keys, float tolerance, double end, float* deviation);

// What a simplification did to one channel: its keys before and after, and the largest
// difference it made (in the channel's units; 0 for constants and mixers, which it leaves alone).
struct channel_simplified {
    std::size_t before = 0;
    std::size_t after = 0;
    float deviation = 0;
};
using record_simplified = std::array<channel_simplified, record::transformation_channels>;

// Every envelope channel of `rec` simplified in place, each within its tolerance.
record_simplified simplify_record(record::transformation& rec, const simplify_tolerance& tolerance, double end);

// One line for the import's notes and the panel's preview: the keys before and after in all and
// per channel that has keys, and the largest deviation of positions and scales and of angles:
// "simplified keys 2235 -> 148 (position.x 745 -> 40, ...); largest deviation 0.0049, 0.097 degree".
std::string simplify_note(const record_simplified& done);

} // namespace quor::interchange
