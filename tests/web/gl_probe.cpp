// One picture of the fixed-function features behind the OpenGL seam, drawn through it twice: on
// Mesa (native, offscreen, written as a PNG) and on the browser's WebGL back end (into the page's
// canvas), so that the browser test can compare them. The demo's own lighting comes out white, so
// this is where the lighting, colour tracking, texture units, alpha test, blending, depth and
// culling of the back end are seen with values that do not saturate.
//   native: gl_probe OUT.png        browser: gl_probe.js in tests/web/gl_probe.html
#include <cmath>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "gl/api.h"

namespace {

using quor::gl::api;

constexpr int side = 256;

// Row-major, loaded transposed, as the engine loads its matrices.
void load(GLenum mode, const std::vector<float>& m)
{
    api.MatrixMode(mode);
    api.LoadTransposeMatrixf(m.data());
}

std::vector<float> identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

// The cell (col, row) of a 4 x 4 grid over the picture, in [-1, 1] clip space, z at `depth`.
std::vector<float> cell(int col, int row, float depth = 0)
{
    const float size = 0.5f;
    return {size / 2, 0, 0, -1 + size * (col + 0.5f), 0, size / 2, 0, -1 + size * (row + 0.5f),
            0, 0, 1, depth, 0, 0, 0, 1};
}

void quad(const std::uint8_t* corner_colours = nullptr, float z = 0)
{
    const float corners[4][2] = {{-0.9f, -0.9f}, {0.9f, -0.9f}, {0.9f, 0.9f}, {-0.9f, 0.9f}};
    api.Begin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 4; ++i) {
        if (corner_colours)
            api.Color4ub(corner_colours[4 * i], corner_colours[4 * i + 1], corner_colours[4 * i + 2],
                         corner_colours[4 * i + 3]);
        api.MultiTexCoord2f(GL_TEXTURE0, corners[i][0] + 0.9f, corners[i][1] + 0.9f);
        api.MultiTexCoord2f(GL_TEXTURE1, 0.5f * corners[i][1], 0.5f * corners[i][0]);
        api.Vertex3f(corners[i][0], corners[i][1], z);
    }
    api.End();
}

// An 8 x 8 DXT1 texture of four blocks, each a two-colour pattern, with transparent texels in the
// last block (colour 0 <= colour 1 selects the punch-through mode).
GLuint texture(std::uint16_t a, std::uint16_t b)
{
    std::vector<std::uint8_t> blocks;
    for (int block = 0; block < 4; ++block) {
        const std::uint16_t c0 = block == 3 ? b : a, c1 = block == 3 ? a : b;
        const std::uint32_t indices = block == 3 ? 0xFFFF0000u : 0x1B1B1B1Bu >> block;
        for (const std::uint8_t byte : {std::uint8_t(c0), std::uint8_t(c0 >> 8), std::uint8_t(c1),
                                        std::uint8_t(c1 >> 8), std::uint8_t(indices), std::uint8_t(indices >> 8),
                                        std::uint8_t(indices >> 16), std::uint8_t(indices >> 24)})
            blocks.push_back(byte);
    }
    GLuint name = 0;
    api.GenTextures(1, &name);
    api.BindTexture(GL_TEXTURE_2D, name);
    api.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    api.CompressedTexImage2D(GL_TEXTURE_2D, 0, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8, 8, 0,
                             static_cast<GLsizei>(blocks.size()), blocks.data());
    for (const GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        api.TexParameteri(GL_TEXTURE_2D, p, GL_NEAREST);
    for (const GLenum p : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        api.TexParameteri(GL_TEXTURE_2D, p, GL_REPEAT);
    return name;
}

void material(GLenum property, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255)
{
    api.ColorMaterial(GL_FRONT_AND_BACK, property);
    api.Color4ub(r, g, b, a);
    GLfloat committed[4]; // Mesa commits a colour sent outside glBegin/glEnd when it is read
    api.GetFloatv(GL_CURRENT_COLOR, committed);
}

void light(const float position[4], float diffuse, float specular)
{
    const float ambient[] = {0.1f, 0.1f, 0.1f, 1}, d[] = {diffuse, diffuse, diffuse, 1},
                s[] = {specular, specular, specular, 1};
    load(GL_MODELVIEW, identity());
    api.Lightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    api.Lightfv(GL_LIGHT0, GL_DIFFUSE, d);
    api.Lightfv(GL_LIGHT0, GL_SPECULAR, s);
    api.Lightfv(GL_LIGHT0, GL_POSITION, position);
}

} // namespace

// Draws the probe into the current context, `side` pixels square.
void draw_probe()
{
    api.Viewport(0, 0, side, side);
    api.ClearColor(0.1f, 0.2f, 0.3f, 1);
    api.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    api.Enable(GL_DEPTH_TEST);
    api.DepthFunc(GL_LEQUAL);
    api.Enable(GL_NORMALIZE);
    load(GL_PROJECTION, identity());
    const GLuint stripes = texture(0xF800, 0x07E0), dots = texture(0x001F, 0xFFE0);

    // Row 0: lighting by light 0 with colour material, the light from several sides.
    api.Enable(GL_LIGHTING);
    api.Enable(GL_LIGHT0);
    const float scene_ambient[] = {0.15f, 0.1f, 0.05f, 1};
    api.LightModelfv(GL_LIGHT_MODEL_AMBIENT, scene_ambient);
    api.Enable(GL_COLOR_MATERIAL);
    material(GL_AMBIENT, 60, 80, 100);
    material(GL_SPECULAR, 90, 40, 20);
    material(GL_DIFFUSE, 200, 120, 40);
    const float front[] = {0, 0, 1, 0}, slant[] = {0.6f, 0.3f, 0.5f, 0}, behind[] = {0, 0, -1, 0},
                near_point[] = {0.3f, -0.2f, 0.8f, 1};
    light(front, 0.5f, 0.3f);
    load(GL_MODELVIEW, cell(0, 0));
    quad();
    light(slant, 0.7f, 0.2f);
    load(GL_MODELVIEW, cell(1, 0));
    quad();
    light(behind, 0.7f, 0.4f);
    load(GL_MODELVIEW, cell(2, 0));
    quad();
    // A positional light and the emission tracked: light and colour vary over the quad.
    light(near_point, 0.8f, 0.0f);
    api.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    load(GL_MODELVIEW, cell(3, 0));
    material(GL_EMISSION, 30, 0, 60);
    quad();
    api.LightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 0);
    material(GL_EMISSION, 0, 0, 0);

    // Row 1: a modelview that turns and scales the normal; colours per vertex without lighting.
    light(slant, 0.7f, 0.3f);
    std::vector<float> turned = cell(0, 1);
    const float c = std::cos(0.9f), s = std::sin(0.9f);
    turned[5] *= c, turned[6] = -s * 0.25f, turned[9] = s * 0.25f, turned[10] = c;
    load(GL_MODELVIEW, turned);
    material(GL_DIFFUSE, 220, 200, 180);
    quad();
    api.Disable(GL_LIGHTING);
    const std::uint8_t corners[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 0, 255};
    load(GL_MODELVIEW, cell(1, 1));
    quad(corners);

    // Two texture units modulated, then one replacing.
    api.ActiveTexture(GL_TEXTURE0);
    api.Enable(GL_TEXTURE_2D);
    api.BindTexture(GL_TEXTURE_2D, stripes);
    api.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    api.ActiveTexture(GL_TEXTURE1);
    api.Enable(GL_TEXTURE_2D);
    api.BindTexture(GL_TEXTURE_2D, dots);
    api.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    api.Color4ub(230, 230, 230, 255);
    load(GL_MODELVIEW, cell(2, 1));
    quad();
    api.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    load(GL_MODELVIEW, cell(3, 1));
    quad();
    api.Disable(GL_TEXTURE_2D);
    api.ActiveTexture(GL_TEXTURE0);

    // Row 2: the alpha test against the texture's transparent block and a vertex alpha ramp.
    api.Enable(GL_ALPHA_TEST);
    api.AlphaFunc(GL_GREATER, 0.5f);
    load(GL_MODELVIEW, cell(0, 2));
    quad();
    api.Disable(GL_TEXTURE_2D);
    const std::uint8_t ramp[] = {255, 255, 255, 0, 255, 255, 255, 90, 255, 255, 255, 255, 255, 255, 255, 160};
    api.AlphaFunc(GL_LESS, 0.4f);
    load(GL_MODELVIEW, cell(1, 2));
    quad(ramp);
    api.Disable(GL_ALPHA_TEST);
    // Blending over what is drawn, with its equation.
    const std::uint8_t blue[] = {0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255};
    const std::uint8_t half[] = {255, 128, 0, 100, 255, 128, 0, 100, 255, 128, 0, 220, 255, 128, 0, 220};
    load(GL_MODELVIEW, cell(2, 2));
    quad(blue);
    api.Enable(GL_BLEND);
    api.BlendEquation(GL_FUNC_ADD);
    api.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    quad(half, -0.1f);
    api.Disable(GL_BLEND);

    // Row 3: depth (a nearer quad first hides a farther one; GL_GREATER lets a farther one through),
    // culling of the faces that turn away, and depth writes switched off.
    const std::uint8_t green[] = {0, 200, 0, 255, 0, 200, 0, 255, 0, 200, 0, 255, 0, 200, 0, 255};
    const std::uint8_t red[] = {200, 0, 0, 255, 200, 0, 0, 255, 200, 0, 0, 255, 200, 0, 0, 255};
    load(GL_MODELVIEW, cell(0, 3));
    quad(green, -0.5f);
    quad(red, 0.5f);
    api.DepthFunc(GL_GREATER);
    load(GL_MODELVIEW, cell(1, 3));
    quad(green, -0.5f);
    quad(red, 0.5f);
    api.DepthFunc(GL_LEQUAL);
    api.Enable(GL_CULL_FACE);
    api.FrontFace(GL_CW);
    api.CullFace(GL_BACK);
    load(GL_MODELVIEW, cell(2, 3));
    quad(red);
    api.FrontFace(GL_CCW);
    quad(green, 0.2f);
    api.Disable(GL_CULL_FACE);
    api.DepthMask(GL_FALSE);
    load(GL_MODELVIEW, cell(3, 3));
    quad(red, -0.5f);
    quad(green, 0.5f);
    api.DepthMask(GL_TRUE);
    api.Finish();
}

#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>

int main()
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    emscripten_set_canvas_element_size("#canvas", side, side);
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !quor::gl::load_system_api()) {
        std::cerr << "gl_probe: no WebGL context with DXT1 textures" << std::endl;
        return 1;
    }
    draw_probe();
    std::cout << "drawn" << std::endl;
    return 0;
}
#else
#include "app/offscreen_context.h"
#include "io/png_file.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: gl_probe OUT.png" << std::endl;
        return 2;
    }
    quor::system::offscreen_context context(side, side);
    if (!context.ok())
        return 1;
    draw_probe();
    const std::vector<std::uint8_t> pixels = context.read_pixels();
    std::string error;
    if (!quor::write_png(argv[1], pixels.data(), side, side, true, &error)) {
        std::cerr << "gl_probe: " << error << std::endl;
        return 1;
    }
    return 0;
}
#endif
