// Small stand-ins for scene tests: a transformation with a fixed local matrix and a render
// object that marks its draw in the GL call stream.
#pragma once

#include "anim/matrix.h"
#include "gl/api.h"
#include "gl/render_object.h"

namespace quor::test {

struct fixed_transformation {
    mat4 local;
    double last_time = -1;

    fixed_transformation() { identity(local); }
    mat4& matrix(mat4& out, double t)
    {
        last_time = t;
        return out = local;
    }
};

// Draws as one glLineWidth(id) call, so draws show up in order among the matrix loads.
class marker_object final : public gl::render_object_base {
public:
    explicit marker_object(float id) : id_(id) {}
    void draw(gl::render_device&) override { gl::api.LineWidth(id_); }

private:
    float id_;
};

inline mat4 translated(float x, float y, float z)
{
    mat4 m;
    return translation(m, vec3(x, y, z));
}

} // namespace quor::test
