// LightWave scene files (LWSC version 3 and later, as LightWave 6 on writes them): the objects and
// cameras they hold and the channel envelopes of their motion blocks, in the full envelope model.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anim/envelope.h"
#include "interchange/envelope_block.h"

namespace quor::interchange {

// An object (loaded, or a null) or a camera, with the envelopes of its motion block in channel
// order (position x, y, z, heading, pitch, bank, scale x, y, z; angles in radians, times in
// seconds). A channel the block does not list is empty.
struct scene_item {
    bool camera = false;
    // A loaded object's file name without folders and extension, a null's or a camera's name.
    std::string name;
    std::array<std::optional<Envelope>, 9> channels;
};

// The items of a scene file's text, or the first thing that keeps it from being read (with its
// line and column).
bool read_scene(std::string_view text, std::vector<scene_item>& items, text_error& err);

} // namespace quor::interchange
