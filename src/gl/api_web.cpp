// The OpenGL seam over WebGL 1. WebGL has no fixed function and no immediate mode, so this side of
// the seam keeps that state itself: the vertices between glBegin and glEnd are gathered with the
// texture coordinates of the units in use into one array (their colour too, when it changes within
// the batch), and glEnd draws the array in one call with a shader generated for the enabled state (lighting by light 0 with colour material, two
// texture units modulated or replaced, the alpha test). Depth, culling, blending, clears, the
// viewport and textures go to WebGL as they are. As in OpenGL, state calls between glBegin and
// glEnd other than colours, texture coordinates and vertices are ignored.
//
// Limits, none of which the engine reaches: light 0 only, one-sided, shininess 0 (the seam has no
// glMaterial); the current normal is OpenGL's initial (0, 0, 1) (the seam has no glNormal); smooth
// shading only; texture units 2 to 7 keep their state but are not sampled, and the texture matrix
// is not applied; primitive types beyond WebGL's (quads, polygons) are not drawn. A WebGL without
// WEBGL_compressed_texture_s3tc (phones) gets the DXT1 levels decoded to RGBA at upload.
#include "gl/api.h"

#include <GLES2/gl2.h>
#include <emscripten/html5_webgl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "gl/dxt1_decode.h"

namespace quor::gl {

api_table api{};

namespace {

using vec4 = std::array<float, 4>;
using matrix = std::array<float, 16>; // column-major, as OpenGL keeps it

constexpr matrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

matrix multiply(const matrix& a, const matrix& b)
{
    matrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    return r;
}

vec4 transform(const matrix& m, const vec4& v)
{
    vec4 r{};
    for (int row = 0; row < 4; ++row)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
    return r;
}

// The eye-space normal of the object-space normal (0, 0, 1): the third column of the inverse
// transpose of the modelview's upper 3x3, which is the third row of its inverse.
std::array<float, 3> eye_normal(const matrix& m, bool normalize)
{
    const auto e = [&m](int row, int col) { return m[col * 4 + row]; };
    const float c20 = e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0);
    const float c21 = e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1);
    const float c22 = e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0);
    const float det = e(0, 2) * c20 + e(1, 2) * c21 + e(2, 2) * c22;
    std::array<float, 3> n{c20, c21, c22};
    float scale = det != 0 ? 1 / det : 0;
    if (normalize) {
        const float length = std::sqrt(c20 * c20 + c21 * c21 + c22 * c22);
        scale = length > 0 ? (det < 0 ? -1 : 1) / length : 0;
    }
    for (float& x : n)
        x *= scale;
    return n;
}

constexpr int unit_count = 8;   // the texture units OpenGL offers the engine
constexpr int sampled_units = 2; // those the shaders sample

// Which material property follows the current colour; 0 when none does.
enum tracking : unsigned { track_none, track_ambient, track_diffuse, track_specular, track_emission, track_both };

struct fixed_state {
    bool lighting = false;
    bool light0 = false;
    bool colour_material = false;
    bool alpha_test = false;
    bool normalize = false;
    std::array<bool, unit_count> texture_2d{};
    std::array<GLint, unit_count> env_mode{GL_MODULATE, GL_MODULATE, GL_MODULATE, GL_MODULATE,
                                           GL_MODULATE, GL_MODULATE, GL_MODULATE, GL_MODULATE};
    int active_unit = 0;
    int webgl_unit = 0; // the unit WebGL last selected

    GLenum matrix_mode = GL_MODELVIEW;
    matrix modelview = identity;
    matrix projection = identity;

    vec4 colour{1, 1, 1, 1};
    std::array<std::uint8_t, 4> colour_bytes{255, 255, 255, 255};
    GLenum tracked = GL_AMBIENT_AND_DIFFUSE;
    vec4 ambient{0.2f, 0.2f, 0.2f, 1};
    vec4 diffuse{0.8f, 0.8f, 0.8f, 1};
    vec4 specular{0, 0, 0, 1};
    vec4 emission{0, 0, 0, 1};

    vec4 light_ambient{0, 0, 0, 1};
    vec4 light_diffuse{1, 1, 1, 1};
    vec4 light_specular{1, 1, 1, 1};
    vec4 light_position{0, 0, 1, 0}; // in eye space, as OpenGL stores it
    vec4 scene_ambient{0.2f, 0.2f, 0.2f, 1};
    bool local_viewer = false;

    GLenum alpha_func = GL_ALWAYS;
    float alpha_ref = 0;
    float point_size = 1;

    bool inside = false;
    GLenum mode = GL_TRIANGLES;
    float tex[sampled_units][2]{};
    // The batch between glBegin and glEnd. State cannot change inside it, so its layout is fixed at
    // glBegin: each vertex's position, then the coordinates of the texture units sampled.
    bool batch_tex0 = false;
    bool batch_tex1 = false;
    std::vector<float> floats;
    std::size_t batch_vertices = 0;
    // The colour at glBegin stands for the whole batch, unless it changes inside; from then on
    // every vertex has its own, in `colours`.
    std::array<std::uint8_t, 4> batch_colour{};
    bool colour_varies = false;
    std::vector<std::uint8_t> colours;
};

fixed_state state;

// Attribute locations, fixed for every program.
enum attribute : GLuint { a_position, a_tex0, a_tex1, a_colour };

// What selects a program: one bit or field per feature of the fixed function that is in use.
struct program_key {
    unsigned lighting : 1;
    unsigned light0 : 1;
    unsigned tracked : 3;      // tracking
    unsigned eye_position : 1; // a positional light or a local viewer needs the vertex in eye space
    unsigned local_viewer : 1;
    unsigned unit0 : 2;        // 0 off, 1 modulate, 2 replace
    unsigned unit1 : 2;
    unsigned alpha : 4; // 0 no test, else the comparison - GL_NEVER + 1

    unsigned bits() const
    {
        return lighting | light0 << 1 | tracked << 2 | eye_position << 5 | local_viewer << 6 | unit0 << 7 |
               unit1 << 9 | alpha << 11;
    }
};

struct program {
    GLuint id = 0;
    GLint mvp = -1, modelview = -1, normal = -1, ambient = -1, diffuse = -1, specular = -1, emission = -1,
          scene_ambient = -1, light_ambient = -1, light_diffuse = -1, light_specular = -1, light_position = -1,
          alpha_ref = -1, point_size = -1;
    // The values last given, so that unchanged uniforms are not sent again.
    std::unordered_map<GLint, std::vector<float>> sent;

    void set(GLint location, const float* values, int count)
    {
        if (location < 0)
            return;
        std::vector<float>& last = sent[location];
        if (last.size() == std::size_t(count) && std::memcmp(last.data(), values, sizeof(float) * count) == 0)
            return;
        last.assign(values, values + count);
        if (count == 16)
            glUniformMatrix4fv(location, 1, GL_FALSE, values);
        else if (count == 4)
            glUniform4fv(location, 1, values);
        else if (count == 3)
            glUniform3fv(location, 1, values);
        else
            glUniform1f(location, values[0]);
    }
};

std::unordered_map<unsigned, program> programs;
GLuint current_program = 0;
GLuint vertex_buffer = 0;
GLuint colour_buffer = 0;
int pointed_layout = -1; // the batch layout the attribute pointers were last set for
bool compressed_textures = false; // WEBGL_compressed_texture_s3tc offered
std::vector<std::uint8_t> decoded_level; // kept between uploads: one allocation for a whole load

const char* vertex_source = R"(
attribute vec3 a_position;
attribute vec2 a_tex0;
attribute vec2 a_tex1;
attribute vec4 a_colour;
uniform mat4 u_mvp;
uniform float u_point_size;
varying vec4 v_colour;
varying vec2 v_tex0;
varying vec2 v_tex1;
#if LIGHTING
uniform vec3 u_normal;
uniform vec4 u_ambient, u_diffuse, u_specular, u_emission, u_scene_ambient;
#if LIGHT0
uniform vec4 u_light_ambient, u_light_diffuse, u_light_specular, u_light_position;
#if EYE_POSITION
uniform mat4 u_modelview;
#endif
#endif
#endif
void main() {
  gl_Position = u_mvp * vec4(a_position, 1.0);
  gl_PointSize = u_point_size;
  v_tex0 = a_tex0;
  v_tex1 = a_tex1;
#if LIGHTING
  vec4 ambient = u_ambient, diffuse = u_diffuse, specular = u_specular, emission = u_emission;
#if TRACKED == 1 || TRACKED == 5
  ambient = a_colour;
#endif
#if TRACKED == 2 || TRACKED == 5
  diffuse = a_colour;
#endif
#if TRACKED == 3
  specular = a_colour;
#endif
#if TRACKED == 4
  emission = a_colour;
#endif
  vec4 c = emission + ambient * u_scene_ambient;
#if LIGHT0
#if EYE_POSITION
  vec3 eye = (u_modelview * vec4(a_position, 1.0)).xyz;
  vec3 to_light = u_light_position.w == 0.0 ? normalize(u_light_position.xyz) : normalize(u_light_position.xyz - eye);
  vec3 to_viewer = LOCAL_VIEWER ? normalize(-eye) : vec3(0.0, 0.0, 1.0);
#else
  vec3 to_light = normalize(u_light_position.xyz);
  vec3 to_viewer = vec3(0.0, 0.0, 1.0);
#endif
  float nl = dot(u_normal, to_light);
  c += ambient * u_light_ambient + max(nl, 0.0) * diffuse * u_light_diffuse;
  // Shininess 0: the highlight is full wherever the light reaches the surface.
  if (nl > 0.0) c += specular * u_light_specular;
#endif
  v_colour = vec4(clamp(c.rgb, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
#else
  v_colour = a_colour;
#endif
}
)";

const char* fragment_source = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D u_texture0;
uniform sampler2D u_texture1;
uniform float u_alpha_ref;
varying vec4 v_colour;
varying vec2 v_tex0;
varying vec2 v_tex1;
void main() {
  vec4 c = v_colour;
#if UNIT0 == 1
  c *= texture2D(u_texture0, v_tex0);
#elif UNIT0 == 2
  c = texture2D(u_texture0, v_tex0);
#endif
#if UNIT1 == 1
  c *= texture2D(u_texture1, v_tex1);
#elif UNIT1 == 2
  c = texture2D(u_texture1, v_tex1);
#endif
#if ALPHA == 1
  discard;
#elif ALPHA == 2
  if (!(c.a < u_alpha_ref)) discard;
#elif ALPHA == 3
  if (!(c.a == u_alpha_ref)) discard;
#elif ALPHA == 4
  if (!(c.a <= u_alpha_ref)) discard;
#elif ALPHA == 5
  if (!(c.a > u_alpha_ref)) discard;
#elif ALPHA == 6
  if (!(c.a != u_alpha_ref)) discard;
#elif ALPHA == 7
  if (!(c.a >= u_alpha_ref)) discard;
#endif
  gl_FragColor = c;
}
)";

GLuint compile(GLenum type, const std::string& defines, const char* body)
{
    const GLuint shader = glCreateShader(type);
    const char* parts[] = {defines.c_str(), body};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::cerr << "WebGL shader for the fixed function refused: " << log << std::endl;
    }
    return shader;
}

program build(const program_key& key)
{
    const std::string defines = "#define LIGHTING " + std::to_string(key.lighting) + "\n#define LIGHT0 " +
                                std::to_string(key.light0) + "\n#define TRACKED " + std::to_string(key.tracked) +
                                "\n#define EYE_POSITION " + std::to_string(key.eye_position) +
                                "\n#define LOCAL_VIEWER " + (key.local_viewer ? "true" : "false") +
                                "\n#define UNIT0 " + std::to_string(key.unit0) + "\n#define UNIT1 " +
                                std::to_string(key.unit1) + "\n#define ALPHA " + std::to_string(key.alpha) + "\n";
    program p;
    p.id = glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, defines, vertex_source);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, defines, fragment_source);
    glAttachShader(p.id, vs);
    glAttachShader(p.id, fs);
    glBindAttribLocation(p.id, a_position, "a_position");
    glBindAttribLocation(p.id, a_tex0, "a_tex0");
    glBindAttribLocation(p.id, a_tex1, "a_tex1");
    glBindAttribLocation(p.id, a_colour, "a_colour");
    glLinkProgram(p.id);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p.id, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::cerr << "WebGL program for the fixed function refused" << std::endl;
        glDeleteProgram(p.id);
        p.id = 0;
        return p;
    }
    const auto at = [&p](const char* name) { return glGetUniformLocation(p.id, name); };
    p.mvp = at("u_mvp");
    p.modelview = at("u_modelview");
    p.normal = at("u_normal");
    p.ambient = at("u_ambient");
    p.diffuse = at("u_diffuse");
    p.specular = at("u_specular");
    p.emission = at("u_emission");
    p.scene_ambient = at("u_scene_ambient");
    p.light_ambient = at("u_light_ambient");
    p.light_diffuse = at("u_light_diffuse");
    p.light_specular = at("u_light_specular");
    p.light_position = at("u_light_position");
    p.alpha_ref = at("u_alpha_ref");
    p.point_size = at("u_point_size");
    glUseProgram(p.id);
    current_program = p.id;
    glUniform1i(at("u_texture0"), 0);
    glUniform1i(at("u_texture1"), 1);
    return p;
}

unsigned tracked_field()
{
    if (!state.colour_material)
        return track_none;
    switch (state.tracked) {
    case GL_AMBIENT: return track_ambient;
    case GL_DIFFUSE: return track_diffuse;
    case GL_SPECULAR: return track_specular;
    case GL_EMISSION: return track_emission;
    default: return track_both;
    }
}

unsigned unit_field(int unit)
{
    if (!state.texture_2d[unit])
        return 0;
    return state.env_mode[unit] == GL_REPLACE ? 2 : 1;
}

program_key current_key()
{
    program_key key{};
    key.lighting = state.lighting;
    key.light0 = state.lighting && state.light0;
    key.tracked = state.lighting ? tracked_field() : track_none;
    key.local_viewer = key.light0 && state.local_viewer;
    key.eye_position = key.light0 && (state.light_position[3] != 0 || state.local_viewer);
    key.unit0 = unit_field(0);
    key.unit1 = unit_field(1);
    key.alpha = state.alpha_test && state.alpha_func != GL_ALWAYS ? state.alpha_func - GL_NEVER + 1 : 0;
    return key;
}

// The current colour goes to the tracked material property while colour material is on.
void track_colour()
{
    if (!state.colour_material)
        return;
    switch (state.tracked) {
    case GL_AMBIENT: state.ambient = state.colour; break;
    case GL_DIFFUSE: state.diffuse = state.colour; break;
    case GL_SPECULAR: state.specular = state.colour; break;
    case GL_EMISSION: state.emission = state.colour; break;
    case GL_AMBIENT_AND_DIFFUSE: state.ambient = state.diffuse = state.colour; break;
    default: break;
    }
}

void select_webgl_unit()
{
    if (state.webgl_unit != state.active_unit) {
        glActiveTexture(GL_TEXTURE0 + state.active_unit);
        state.webgl_unit = state.active_unit;
    }
}

// Points the attributes at the batch's layout; an attribute the batch does not carry reads the
// constant value (the colour) or is not read at all (texture coordinates of a unit not sampled).
void point_attributes()
{
    const int layout = state.batch_tex0 | state.batch_tex1 << 1 | state.colour_varies << 2;
    if (layout == pointed_layout)
        return;
    pointed_layout = layout;
    const auto at = [](std::size_t offset) { return reinterpret_cast<const void*>(offset); };
    const GLsizei stride = static_cast<GLsizei>(sizeof(float) * (3 + 2 * state.batch_tex0 + 2 * state.batch_tex1));
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glVertexAttribPointer(a_position, 3, GL_FLOAT, GL_FALSE, stride, at(0));
    const auto carry = [](GLuint attribute, bool on) {
        on ? glEnableVertexAttribArray(attribute) : glDisableVertexAttribArray(attribute);
    };
    carry(a_tex0, state.batch_tex0);
    if (state.batch_tex0)
        glVertexAttribPointer(a_tex0, 2, GL_FLOAT, GL_FALSE, stride, at(3 * sizeof(float)));
    carry(a_tex1, state.batch_tex1);
    if (state.batch_tex1)
        glVertexAttribPointer(a_tex1, 2, GL_FLOAT, GL_FALSE, stride, at((3 + 2 * state.batch_tex0) * sizeof(float)));
    carry(a_colour, state.colour_varies);
    if (state.colour_varies) {
        glBindBuffer(GL_ARRAY_BUFFER, colour_buffer);
        glVertexAttribPointer(a_colour, 4, GL_UNSIGNED_BYTE, GL_TRUE, 0, at(0));
    }
}

void draw_gathered()
{
    if (state.batch_vertices == 0 || state.mode > GL_TRIANGLE_FAN)
        return;
    const program_key key = current_key();
    auto found = programs.find(key.bits());
    if (found == programs.end())
        found = programs.emplace(key.bits(), build(key)).first;
    program& p = found->second;
    if (!p.id)
        return;
    if (current_program != p.id) {
        glUseProgram(p.id);
        current_program = p.id;
    }
    const matrix mvp = multiply(state.projection, state.modelview);
    p.set(p.mvp, mvp.data(), 16);
    p.set(p.point_size, &state.point_size, 1);
    if (key.lighting) {
        const std::array<float, 3> normal = eye_normal(state.modelview, state.normalize);
        p.set(p.normal, normal.data(), 3);
        p.set(p.ambient, state.ambient.data(), 4);
        p.set(p.diffuse, state.diffuse.data(), 4);
        p.set(p.specular, state.specular.data(), 4);
        p.set(p.emission, state.emission.data(), 4);
        p.set(p.scene_ambient, state.scene_ambient.data(), 4);
        p.set(p.light_ambient, state.light_ambient.data(), 4);
        p.set(p.light_diffuse, state.light_diffuse.data(), 4);
        p.set(p.light_specular, state.light_specular.data(), 4);
        p.set(p.light_position, state.light_position.data(), 4);
        if (key.eye_position)
            p.set(p.modelview, state.modelview.data(), 16);
    }
    p.set(p.alpha_ref, &state.alpha_ref, 1);
    point_attributes();
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(state.floats.size() * sizeof(float)), state.floats.data(),
                 GL_STREAM_DRAW);
    if (state.colour_varies) {
        glBindBuffer(GL_ARRAY_BUFFER, colour_buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(state.colours.size()), state.colours.data(),
                     GL_STREAM_DRAW);
    } else {
        const auto& c = state.batch_colour;
        glVertexAttrib4f(a_colour, c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, c[3] / 255.0f);
    }
    glDrawArrays(state.mode, 0, static_cast<GLsizei>(state.batch_vertices));
}

// Capabilities that WebGL has itself; the rest are kept here or ignored.
bool webgl_capability(GLenum cap)
{
    switch (cap) {
    case GL_CULL_FACE:
    case GL_DEPTH_TEST:
    case GL_BLEND:
    case GL_DITHER:
    case GL_SCISSOR_TEST:
    case GL_POLYGON_OFFSET_FILL:
    case GL_STENCIL_TEST:
    case GL_SAMPLE_ALPHA_TO_COVERAGE:
    case GL_SAMPLE_COVERAGE: return true;
    default: return false;
    }
}

void set_capability(GLenum cap, bool on)
{
    if (state.inside)
        return;
    switch (cap) {
    case GL_LIGHTING: state.lighting = on; return;
    case GL_LIGHT0: state.light0 = on; return;
    case GL_NORMALIZE: state.normalize = on; return;
    case GL_ALPHA_TEST: state.alpha_test = on; return;
    case GL_COLOR_MATERIAL:
        state.colour_material = on;
        track_colour();
        return;
    case GL_TEXTURE_2D: state.texture_2d[state.active_unit] = on; return;
    default:
        if (webgl_capability(cap))
            on ? glEnable(cap) : glDisable(cap);
    }
}

void web_enable(GLenum cap) { set_capability(cap, true); }
void web_disable(GLenum cap) { set_capability(cap, false); }

// Calls that WebGL takes as they are, outside glBegin/glEnd.
void web_depth_mask(GLboolean flag)
{
    if (!state.inside)
        glDepthMask(flag);
}
void web_depth_func(GLenum func)
{
    if (!state.inside)
        glDepthFunc(func);
}
void web_depth_range(GLclampd near_val, GLclampd far_val)
{
    if (!state.inside)
        glDepthRangef(static_cast<GLfloat>(near_val), static_cast<GLfloat>(far_val));
}
void web_front_face(GLenum mode)
{
    if (!state.inside)
        glFrontFace(mode);
}
void web_cull_face(GLenum mode)
{
    if (!state.inside)
        glCullFace(mode);
}
void web_clear_color(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    if (!state.inside)
        glClearColor(r, g, b, a);
}
void web_clear(GLbitfield mask)
{
    if (!state.inside)
        glClear(mask);
}
void web_viewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (!state.inside)
        glViewport(x, y, width, height);
}
void web_blend_func(GLenum sfactor, GLenum dfactor)
{
    if (!state.inside)
        glBlendFunc(sfactor, dfactor);
}
void web_blend_equation(GLenum mode)
{
    if (!state.inside)
        glBlendEquation(mode);
}
void web_line_width(GLfloat width)
{
    if (!state.inside)
        glLineWidth(width);
}
void web_point_size(GLfloat size)
{
    if (!state.inside)
        state.point_size = size;
}
void web_shade_model(GLenum) {}

void web_lightfv(GLenum light, GLenum pname, const GLfloat* params)
{
    if (state.inside || light != GL_LIGHT0)
        return;
    const vec4 v{params[0], params[1], params[2], params[3]};
    switch (pname) {
    case GL_AMBIENT: state.light_ambient = v; break;
    case GL_DIFFUSE: state.light_diffuse = v; break;
    case GL_SPECULAR: state.light_specular = v; break;
    case GL_POSITION: state.light_position = transform(state.modelview, v); break;
    default: break;
    }
}
void web_light_modelfv(GLenum pname, const GLfloat* params)
{
    if (!state.inside && pname == GL_LIGHT_MODEL_AMBIENT)
        state.scene_ambient = {params[0], params[1], params[2], params[3]};
}
void web_light_modeli(GLenum pname, GLint param)
{
    if (!state.inside && pname == GL_LIGHT_MODEL_LOCAL_VIEWER)
        state.local_viewer = param != 0;
}

void web_matrix_mode(GLenum mode)
{
    if (!state.inside)
        state.matrix_mode = mode;
}
void web_load_transpose_matrixf(const GLfloat* m)
{
    if (state.inside)
        return;
    matrix columns;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            columns[col * 4 + row] = m[row * 4 + col];
    // Texture coordinates are not transformed: a load into the texture matrix changes nothing.
    if (state.matrix_mode == GL_PROJECTION)
        state.projection = columns;
    else if (state.matrix_mode == GL_MODELVIEW)
        state.modelview = columns;
}

void web_begin(GLenum mode)
{
    if (state.inside)
        return;
    state.inside = true;
    state.mode = mode;
    state.batch_tex0 = unit_field(0) != 0;
    state.batch_tex1 = unit_field(1) != 0;
    state.floats.clear();
    state.batch_vertices = 0;
    state.batch_colour = state.colour_bytes;
    state.colour_varies = false;
    state.colours.clear();
}
void web_end()
{
    if (!state.inside)
        return;
    state.inside = false;
    draw_gathered();
}
void web_vertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (!state.inside)
        return;
    std::vector<float>& f = state.floats;
    f.push_back(x);
    f.push_back(y);
    f.push_back(z);
    if (state.batch_tex0) {
        f.push_back(state.tex[0][0]);
        f.push_back(state.tex[0][1]);
    }
    if (state.batch_tex1) {
        f.push_back(state.tex[1][0]);
        f.push_back(state.tex[1][1]);
    }
    if (state.colour_varies)
        state.colours.insert(state.colours.end(), state.colour_bytes.begin(), state.colour_bytes.end());
    ++state.batch_vertices;
}
void web_color4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    const std::array<std::uint8_t, 4> colour{r, g, b, a};
    if (state.inside && !state.colour_varies && colour != state.batch_colour) {
        // The vertices so far had the batch's colour.
        state.colour_varies = true;
        for (std::size_t i = 0; i < state.batch_vertices; ++i)
            state.colours.insert(state.colours.end(), state.batch_colour.begin(), state.batch_colour.end());
    }
    state.colour_bytes = colour;
    state.colour = {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
    track_colour();
}
void web_multi_tex_coord2f(GLenum target, GLfloat s, GLfloat t)
{
    const unsigned unit = target - GL_TEXTURE0;
    if (unit < sampled_units) {
        state.tex[unit][0] = s;
        state.tex[unit][1] = t;
    }
}
void web_color_material(GLenum, GLenum mode)
{
    if (state.inside)
        return;
    state.tracked = mode;
    track_colour();
}
void web_alpha_func(GLenum func, GLclampf ref)
{
    if (state.inside)
        return;
    state.alpha_func = func;
    state.alpha_ref = ref < 0 ? 0 : ref > 1 ? 1 : ref;
}
void web_tex_envi(GLenum target, GLenum pname, GLint param)
{
    if (!state.inside && target == GL_TEXTURE_ENV && pname == GL_TEXTURE_ENV_MODE)
        state.env_mode[state.active_unit] = param;
}
void web_active_texture(GLenum texture)
{
    const unsigned unit = texture - GL_TEXTURE0;
    if (!state.inside && unit < unit_count)
        state.active_unit = static_cast<int>(unit);
}

void web_gen_textures(GLsizei n, GLuint* textures)
{
    if (!state.inside)
        glGenTextures(n, textures);
}
void web_delete_textures(GLsizei n, const GLuint* textures)
{
    if (!state.inside)
        glDeleteTextures(n, textures);
}
void web_bind_texture(GLenum target, GLuint texture)
{
    if (state.inside)
        return;
    select_webgl_unit();
    glBindTexture(target, texture);
}
void web_pixel_storei(GLenum pname, GLint param)
{
    if (!state.inside)
        glPixelStorei(pname, param);
}
void web_tex_parameteri(GLenum target, GLenum pname, GLint param)
{
    if (state.inside)
        return;
    select_webgl_unit();
    glTexParameteri(target, pname, param);
}
void web_tex_image2d(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type, const GLvoid* pixels)
{
    if (state.inside)
        return;
    select_webgl_unit();
    glTexImage2D(target, level, internalformat, width, height, border, format, type, pixels);
}
void web_compressed_tex_image2d(GLenum target, GLint level, GLenum internalformat, GLsizei width, GLsizei height,
                                GLint border, GLsizei image_size, const GLvoid* data)
{
    if (state.inside)
        return;
    select_webgl_unit();
    if (compressed_textures || internalformat != GL_COMPRESSED_RGBA_S3TC_DXT1_EXT) {
        glCompressedTexImage2D(target, level, internalformat, width, height, border, image_size, data);
        return;
    }
    // No S3TC in this WebGL (phones): the level decoded here, drawn as the same texels.
    if (!decode_dxt1(static_cast<const std::uint8_t*>(data), image_size < 0 ? 0 : std::uint64_t(image_size), width,
                     height, decoded_level))
        return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(target, level, GL_RGBA, width, height, border, GL_RGBA, GL_UNSIGNED_BYTE, decoded_level.data());
}
void web_read_pixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels)
{
    if (!state.inside)
        glReadPixels(x, y, width, height, format, type, pixels);
}
// WebGL reads from the one drawing buffer there is.
void web_read_buffer(GLenum) {}
void web_finish()
{
    if (!state.inside)
        glFinish();
}
void web_get_floatv(GLenum pname, GLfloat* params)
{
    if (state.inside)
        return;
    switch (pname) {
    case GL_CURRENT_COLOR: std::memcpy(params, state.colour.data(), sizeof state.colour); break;
    case GL_MODELVIEW_MATRIX: std::memcpy(params, state.modelview.data(), sizeof state.modelview); break;
    case GL_PROJECTION_MATRIX: std::memcpy(params, state.projection.data(), sizeof state.projection); break;
    default: glGetFloatv(pname, params);
    }
}

} // namespace

bool load_system_api()
{
    if (emscripten_webgl_get_current_context() <= 0)
        return false;
    // The data's textures are DXT1: without the extension they are decoded at upload.
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    compressed_textures = extensions && std::strstr(extensions, "WEBGL_compressed_texture_s3tc");

    state = fixed_state{};
    programs.clear();
    current_program = 0;
    pointed_layout = -1;
    glGenBuffers(1, &vertex_buffer);
    glGenBuffers(1, &colour_buffer);
    glEnableVertexAttribArray(a_position);

    api_table t{};
    t.Enable = web_enable;
    t.Disable = web_disable;
    t.ShadeModel = web_shade_model;
    t.DepthMask = web_depth_mask;
    t.DepthFunc = web_depth_func;
    t.DepthRange = web_depth_range;
    t.FrontFace = web_front_face;
    t.CullFace = web_cull_face;
    t.ClearColor = web_clear_color;
    t.Clear = web_clear;
    t.Viewport = web_viewport;
    t.Lightfv = web_lightfv;
    t.LightModelfv = web_light_modelfv;
    t.LightModeli = web_light_modeli;
    t.BlendFunc = web_blend_func;
    t.LineWidth = web_line_width;
    t.PointSize = web_point_size;
    t.MatrixMode = web_matrix_mode;
    t.Begin = web_begin;
    t.End = web_end;
    t.Vertex3f = web_vertex3f;
    t.Color4ub = web_color4ub;
    t.ColorMaterial = web_color_material;
    t.AlphaFunc = web_alpha_func;
    t.TexEnvi = web_tex_envi;
    t.GenTextures = web_gen_textures;
    t.DeleteTextures = web_delete_textures;
    t.BindTexture = web_bind_texture;
    t.PixelStorei = web_pixel_storei;
    t.TexParameteri = web_tex_parameteri;
    t.TexImage2D = web_tex_image2d;
    t.ReadPixels = web_read_pixels;
    t.ReadBuffer = web_read_buffer;
    t.Finish = web_finish;
    t.GetFloatv = web_get_floatv;
    t.ActiveTexture = web_active_texture;
    t.MultiTexCoord2f = web_multi_tex_coord2f;
    t.CompressedTexImage2D = web_compressed_tex_image2d;
    t.LoadTransposeMatrixf = web_load_transpose_matrixf;
    t.BlendEquation = web_blend_equation;
    api = t;
    return true;
}

const char* renderer_name()
{
    if (emscripten_webgl_get_current_context() <= 0)
        return "no WebGL context";
    return reinterpret_cast<const char*>(glGetString(GL_RENDERER));
}

} // namespace quor::gl
