// Cost of one demo-sized frame of submission: four render objects, 39,432 indices over 8,308
// vertices. First the engine's own work with GL taken away (a table of no-op calls behind the
// seam); then whole frames on Mesa, the engine against a bare loop making the same GL calls
// directly, in alternating rounds so that both see the same machine load.
#include <GL/glew.h>

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "app/offscreen_context.h"
#include "app/render_device.h"
#include "gl/api.h"
#include "gl/index_buffer.h"
#include "gl/material_ffp.h"
#include "gl/render_object.h"
#include "gl/texcoord_texgen.h"
#include "gl/texture.h"
#include "gl/vertex_buffer.h"
#include "gl_recorder.h"

namespace {

using quor::vtx_nt0t1;
using namespace quor::gl;

constexpr int vertex_count = 8308;
constexpr std::array<unsigned, 4> list_sizes = {13104, 14019, 10944, 1365};
constexpr unsigned indices_per_frame = 13104 + 14019 + 10944 + 1365;
constexpr int grid = 91; // vertices per grid row; 8308 vertices make 91 full rows and a partial one

// A grid of vertices over the middle of the screen, two texture-coordinate sets, and
// clockwise triangles over its cells, dealt out to the four index lists in turn.
struct demo_frame {
    std::vector<vtx_nt0t1> vertices;
    std::array<std::vector<unsigned>, 4> lists;

    demo_frame() : vertices(vertex_count)
    {
        for (int k = 0; k < vertex_count; ++k) {
            const float u = float(k % grid) / (grid - 1), v = float(k / grid) / (grid - 1);
            vertices[k] = vtx_nt0t1{{u - 0.5f, v - 0.5f, 0}, {0, 0, 1}, {u * 4, v * 4}, {u, v}};
        }
        std::vector<unsigned> all;
        for (int row = 0; all.size() < indices_per_frame; row = (row + 1) % (vertex_count / grid - 1))
            for (int col = 0; col + 1 < grid && all.size() < indices_per_frame; ++col) {
                const unsigned a = row * grid + col, b = a + 1, c = a + grid, d = c + 1;
                for (unsigned i : {a, c, d, a, d, b})
                    all.push_back(i);
            }
        unsigned at = 0;
        for (int l = 0; l < 4; ++l) {
            lists[l].assign(all.begin() + at, all.begin() + at + list_sizes[l]);
            at += list_sizes[l];
        }
    }
};

// 64x64 DXT1 texture with its seven levels, in alternating grey blocks.
std::vector<char> checker_texture()
{
    std::vector<char> data;
    for (int w = 64; w >= 1; w /= 2)
        for (int b = 0; b < ((w + 3) / 4) * ((w + 3) / 4); ++b) {
            const std::uint16_t c = (b & 1) ? 0xFFFF : 0x8410;
            const char block[8] = {char(c & 0xFF), char(c >> 8), char(c & 0xFF), char(c >> 8), 0, 0, 0, 0};
            data.insert(data.end(), block, block + 8);
        }
    return data;
}

// The four render objects of the frame, sharing one vertex buffer, two textures between them.
struct engine_scene {
    std::vector<char> texels = checker_texture();
    texture textures[2];
    std::vector<boost::shared_ptr<render_object<vtx_nt0t1>>> objects;

    explicit engine_scene(const demo_frame& f)
    {
        for (auto& t : textures)
            t.create_compressed(texels.data(), 64, 64, 1, 7);
        boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>> vb(
            new orderedvertex_buffer<vtx_nt0t1>(f.vertices.data(), vertex_count));
        for (int l = 0; l < 4; ++l) {
            boost::shared_ptr<material_ffp> m(new material_ffp);
            m->set_emission({255, 255, 255, 255});
            m->add_state(new texcoord_texgen(0, 0));
            m->add_texture(&textures[l % 2], 0, 0);
            boost::shared_ptr<ref_index_buffer<unsigned>> ib(
                new ref_index_buffer<unsigned>(f.lists[l].data(), static_cast<unsigned>(f.lists[l].size())));
            objects.emplace_back(new render_object<vtx_nt0t1>(vb, ib, m));
        }
    }

    void draw(render_device& device)
    {
        for (auto& o : objects)
            o->draw(device);
    }
};

void BM_SubmissionEngineOnly(benchmark::State& state)
{
    const api_table saved = api;
    api = quor::test::null_api();
    // Names as a driver would hand them out, so that the textures bind as in a real frame.
    api.GenTextures = [](GLsizei n, GLuint* names) {
        for (GLsizei i = 0; i < n; ++i)
            names[i] = static_cast<GLuint>(i + 1);
    };
    {
        demo_frame f;
        engine_scene scene(f);
        render_device device;
        for (auto _ : state) {
            scene.draw(device);
            benchmark::ClobberMemory();
        }
    }
    api = saved;
    state.counters["time_per_vertex"] = benchmark::Counter(double(indices_per_frame) * double(state.iterations()),
                                                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SubmissionEngineOnly);

// The same frame's GL calls made straight to libGL and GLEW, as a hand-written loop would.
void bare_frame(const demo_frame& f, const engine_scene& scene, const float* projection, const float* modelview)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadTransposeMatrixf(projection);
    glViewport(0, 0, 1024, 768);
    glDepthRange(0, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glMatrixMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(modelview);
    for (int l = 0; l < 4; ++l) {
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
        glColor4ub(16, 16, 16, 255);
        glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
        glColor4ub(240, 240, 240, 255);
        glColorMaterial(GL_FRONT_AND_BACK, GL_SPECULAR);
        glColor4ub(0, 0, 0, 255);
        glColorMaterial(GL_FRONT_AND_BACK, GL_EMISSION);
        glColor4ub(255, 255, 255, 255);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, scene.textures[l % 2].name());
        glEnable(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        for (int u = 1; u < 8; ++u) {
            glActiveTexture(GL_TEXTURE0 + u);
            glDisable(GL_TEXTURE_1D);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_3D);
        }
        glBegin(GL_TRIANGLES);
        for (unsigned i : f.lists[l]) {
            const vtx_nt0t1& v = f.vertices[i];
            glActiveTexture(GL_TEXTURE0);
            glMultiTexCoord2f(GL_TEXTURE0, v.t0[0], v.t0[1]);
            glActiveTexture(GL_TEXTURE1);
            glMultiTexCoord2f(GL_TEXTURE1, v.t1[0], v.t1[1]);
            glVertex3f(v.position[0], v.position[1], v.position[2]);
        }
        glEnd();
    }
}

void BM_MesaFrameEngineAgainstBareLoop(benchmark::State& state)
{
    quor::system::offscreen_context context(1024, 768);
    if (!context.ok()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    demo_frame f;
    render_device device;
    engine_scene scene(f);
    const quor::mat4 projection = perspective(0.6058038f, 1024.0f / 768.0f, 0.1f, 300.0f);
    quor::mat4 modelview;
    quor::translation(modelview, quor::vec3(0, 0, -4));

    auto engine_frame = [&] {
        device.clear();
        device.load_projection(projection);
        device.set_viewport(0, 0, 1024, 768, 0, 1);
        device.set_cull(GL_FRONT);
        device.load_modelview(modelview);
        scene.draw(device);
    };

    using clock = std::chrono::steady_clock;
    constexpr int frames_per_round = 5;
    double engine_seconds = 0, bare_seconds = 0;
    long rounds = 0;
    for (auto _ : state) {
        auto t0 = clock::now();
        for (int i = 0; i < frames_per_round; ++i)
            engine_frame();
        glFinish();
        auto t1 = clock::now();
        for (int i = 0; i < frames_per_round; ++i)
            bare_frame(f, scene, projection.data(), modelview.data());
        glFinish();
        auto t2 = clock::now();
        engine_seconds += std::chrono::duration<double>(t1 - t0).count();
        bare_seconds += std::chrono::duration<double>(t2 - t1).count();
        ++rounds;
    }
    const double frames = double(rounds) * frames_per_round;
    state.counters["engine_fps"] = frames / engine_seconds;
    state.counters["bare_fps"] = frames / bare_seconds;
    state.counters["engine_over_bare"] = bare_seconds / engine_seconds;
}
BENCHMARK(BM_MesaFrameEngineAgainstBareLoop)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
