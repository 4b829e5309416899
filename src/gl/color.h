// Four-byte colour, components in the order OpenGL's glColor4ub takes them.
#pragma once

namespace quor {

struct color4ub {
    unsigned char r, g, b, a;
};
static_assert(sizeof(color4ub) == 4);

} // namespace quor
