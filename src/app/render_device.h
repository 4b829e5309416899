// The render device: the frame-wide fixed-function OpenGL state and immediate-mode submission.
// It keeps no copy of GL state; every operation issues its calls unconditionally.
#pragma once

#include <cstdint>
#include <vector>

#include "anim/matrix.h"
#include "gl/color.h"
#include "gl/immediate.h"
#include "gl/vertex.h"

namespace quor::gl {

// The face-culling mode for `set_cull` that culls front faces: the value of GL_FRONT, named
// here so that callers need no GL header.
constexpr int cull_front = 0x0404;

class render_device {
public:
    // Sets the initial state (depth, culling, one white ambient light); needs a current context.
    render_device();
    render_device(const render_device&) = delete;
    render_device& operator=(const render_device&) = delete;

    void clear();
    void set_viewport(int x, int y, int width, int height, float near_val, float far_val);
    // mode -1 switches culling off.
    void set_cull(int mode);
    // function -1 switches the depth test and depth writes off, whatever `write` says.
    void set_depth(int function, bool write);
    // equation -1 switches blending off and leaves equation and factors as they were.
    void set_blend(int equation, int source, int destination);
    void set_line_width(float width);
    void set_point_size(float size);
    // Row-major matrices (translation in the last column); the matrix mode stays as set here.
    void load_projection(const mat4& m);
    void load_modelview(const mat4& m);

    // Immediate mode, through gl/immediate.h. `count` is kept for the interface (symmetry with
    // buffered back ends); it is unused.
    void begin(int mode, int count);
    void end();
    // Texture coordinates for units 0 and 1, then the position; the normal is not sent and
    // unit 1 is left active.
    void submit(vtx_nt0t1 vertex);
    void color(const color4ub& c);

    // The drawing buffer's pixels from (0, 0) to (width, height), RGBA of 4 bytes each, the lowest
    // row first. Waits for drawing to finish; read before the swap, it is the frame just drawn.
    std::vector<std::uint8_t> read_pixels(int width, int height);
};

// screen_width / screen_height of the frame; 1024/768 before the first reshape.
float aspect_ratio();
// Row-major perspective projection; fov is the full vertical field of view in radians.
mat4 perspective(float fov, float aspect, float near_val, float far_val);

} // namespace quor::gl
