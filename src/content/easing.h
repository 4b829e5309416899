// Shaping curves shared by the generated content (meshes, motion, textures): the same ease
// everywhere, so that shapes and paint blend alike.
#pragma once

namespace quor::content {

// 0 below e0, 1 above e1, a cubic ease between (zero slope at both ends).
inline float smoothstep(float e0, float e1, float x)
{
    float t = (x - e0) / (e1 - e0);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}

} // namespace quor::content
