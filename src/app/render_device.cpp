// Render device: initial GL state, per-frame setters and immediate-mode submission.
#include "app/render_device.h"

#include <cmath>

#include "app/system.h"
#include "gl/api.h"
#include "gl/immediate.h"

namespace quor::gl {

static_assert(cull_front == GL_FRONT);

render_device::render_device()
{
    api.Enable(GL_NORMALIZE);
    api.ShadeModel(GL_SMOOTH);
    api.Enable(GL_CULL_FACE);
    api.DepthMask(GL_TRUE);
    api.Enable(GL_DEPTH_TEST);
    api.DepthFunc(GL_LEQUAL);
    api.FrontFace(GL_CCW);
    api.ClearColor(0, 0, 0, 0);

    // White ambient light and no diffuse: materials decide what surfaces show.
    const GLfloat ambient[] = {1, 1, 1, 1};
    const GLfloat diffuse[] = {0, 0, 0, 1};
    const GLfloat position[] = {0, -30, -30, 0}; // directional, given under the identity modelview
    const GLfloat model_ambient[] = {1, 1, 1, 1};
    api.Enable(GL_LIGHTING);
    api.Lightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    api.Lightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    api.Lightfv(GL_LIGHT0, GL_POSITION, position);
    api.LightModelfv(GL_LIGHT_MODEL_AMBIENT, model_ambient);
    api.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    api.Enable(GL_LIGHT0);
}

void render_device::clear() { api.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void render_device::set_viewport(int x, int y, int width, int height, float near_val, float far_val)
{
    api.Viewport(x, y, width, height);
    api.DepthRange(near_val, far_val);
}

void render_device::set_cull(int mode)
{
    if (mode == -1) {
        api.Disable(GL_CULL_FACE);
        return;
    }
    api.Enable(GL_CULL_FACE);
    api.CullFace(static_cast<GLenum>(mode));
}

void render_device::set_depth(int function, bool write)
{
    if (function == -1) {
        api.Disable(GL_DEPTH_TEST);
        api.DepthMask(GL_FALSE);
        return;
    }
    api.DepthFunc(static_cast<GLenum>(function));
    api.Enable(GL_DEPTH_TEST);
    api.DepthMask(write ? GL_TRUE : GL_FALSE);
}

void render_device::set_blend(int equation, int source, int destination)
{
    if (equation == -1) {
        api.Disable(GL_BLEND);
        return;
    }
    api.Enable(GL_BLEND);
    api.BlendEquation(static_cast<GLenum>(equation));
    api.BlendFunc(static_cast<GLenum>(source), static_cast<GLenum>(destination));
}

void render_device::set_line_width(float width) { api.LineWidth(width); }
void render_device::set_point_size(float size) { api.PointSize(size); }

void render_device::load_projection(const mat4& m)
{
    api.MatrixMode(GL_PROJECTION);
    api.LoadTransposeMatrixf(m.data());
}

void render_device::load_modelview(const mat4& m)
{
    api.MatrixMode(GL_MODELVIEW);
    api.LoadTransposeMatrixf(m.data());
}

void render_device::begin(int mode, int) { begin_primitive(mode); }
void render_device::end() { end_primitive(); }
void render_device::submit(vtx_nt0t1 v) { submit_vertex(v); }
void render_device::color(const color4ub& c) { send_color(c); }

std::vector<std::uint8_t> render_device::read_pixels(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    // Rows of 4-byte pixels always meet the default pack alignment of 4.
    api.ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

float aspect_ratio()
{
    return static_cast<float>(static_cast<double>(system::screen_width()) / system::screen_height());
}

mat4 perspective(float fov, float aspect, float near_val, float far_val)
{
    const float half = fov / 2;
    const float t = std::tan(half);
    const float c = 1 / t;
    return mat4(c / aspect, 0, 0, 0,
                0, c, 0, 0,
                0, 0, (far_val + near_val) / (near_val - far_val), (2 * far_val * near_val) / (near_val - far_val),
                0, 0, -1, 0);
}

} // namespace quor::gl
