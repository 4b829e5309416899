// The camera node: moved like any node, never drawn, carrying the projection parameters.
#pragma once

#include <numbers>

#include "app/render_device.h"
#include "scene/node.h"

namespace quor::scene {

template <class Scalar, class T>
class camera_template final : public node<Scalar, T> {
public:
    float near_plane = 0.1f;
    float far_plane = 300.0f;
    float fov = static_cast<float>(34.71 * std::numbers::pi / 180.0); // vertical, radians
    float aspect = gl::aspect_ratio();                                   // kept for the interface; unread

    // Perspective of the drawing area as it is now, not of the stored aspect.
    mat4& projection(mat4& out) const { return projection(out, gl::aspect_ratio()); }
    // Perspective of a picture of that aspect in part of the drawing area.
    mat4& projection(mat4& out, float width_over_height) const
    {
        out = gl::perspective(fov, width_over_height, near_plane, far_plane);
        return out;
    }
};

} // namespace quor::scene
