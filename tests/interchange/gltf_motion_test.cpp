// glTF import: a camera node on a known path written here (translation CUBICSPLINE on a global
// cubic, rotation LINEAR turning about a tilted axis, scale STEP) comes out of the engine's
// envelopes and transformation as glTF's own transform: at every key within 1e-4, between keys
// within 1e-3 of the path's size and 0.1 degree. Also the command's refusals.
#include "interchange/gltf_motion.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base64.h"
#include "demo/data_file.h"
#include "demo/data_layout.h"
#include "quor_mem_runner.h"
#include "scene/transformation.h"

namespace {

using namespace quor;
using namespace quor::interchange;

// The known path: position p(t) = (t, 0.5 t^2 - t, 0.2 t^3 - 2) for 0 <= t <= 5, clamped outside;
// rotation Ry(theta(t)) Rx(0.3) with theta piecewise linear through the keys; scale 1, then 2 from 3 s.
constexpr float key_times[] = {0.5f, 2, 3, 5};
constexpr double thetas[] = {0, 1.6, 2.2, 3.5};

std::array<double, 3> position(double t)
{
    t = std::clamp(t, 0.5, 5.0);
    return {t, 0.5 * t * t - t, 0.2 * t * t * t - 2};
}
std::array<double, 3> velocity(double t) { return {1, t - 1, 0.6 * t * t}; }

double theta(double t)
{
    if (t <= key_times[0])
        return thetas[0];
    for (int k = 0; k < 3; ++k)
        if (t <= key_times[k + 1])
            return thetas[k] + (t - key_times[k]) / (key_times[k + 1] - key_times[k]) * (thetas[k + 1] - thetas[k]);
    return thetas[3];
}

// Row-major 3x3 of Ry(theta) Rx(tilt).
std::array<double, 9> rotation(double t)
{
    const double a = theta(t), e = 0.3;
    return {std::cos(a), std::sin(a) * std::sin(e), std::sin(a) * std::cos(e),
            0,           std::cos(e),               -std::sin(e),
            -std::sin(a), std::cos(a) * std::sin(e), std::cos(a) * std::cos(e)};
}

double scale(double t) { return t < 3 ? 1 : 2; }

std::string camera_gltf()
{
    std::vector<float> data;
    auto append = [&](std::initializer_list<float> v) { data.insert(data.end(), v); };
    for (float t : key_times)
        append({t});
    for (float t : key_times) { // CUBICSPLINE: in-tangent, value, out-tangent
        const auto p = position(t), v = velocity(t);
        append({float(v[0]), float(v[1]), float(v[2]), float(p[0]), float(p[1]), float(p[2]), float(v[0]),
                float(v[1]), float(v[2])});
    }
    for (double a : thetas) { // Ry(a) Rx(0.3) as a quaternion
        const double cy = std::cos(a / 2), sy = std::sin(a / 2), cx = std::cos(0.15), sx = std::sin(0.15);
        append({float(cy * sx), float(sy * cx), float(-sy * sx), float(cy * cx)});
    }
    append({0, 3});
    append({1, 1, 1, 2, 2, 2});
    const std::size_t bytes = data.size() * 4;
    return R"({"asset":{"version":"2.0"},"nodes":[{"name":"Rig"},{"name":"Cam","camera":0}],
      "cameras":[{"type":"perspective","perspective":{"yfov":0.6,"znear":0.1}}],
      "buffers":[{"byteLength":)" + std::to_string(bytes) + R"(,"uri":"data:application/octet-stream;base64,)" +
           test::base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(bytes) + R"(}],
      "accessors":[
        {"bufferView":0,"byteOffset":0,"componentType":5126,"count":4,"type":"SCALAR","min":[0.5],"max":[5]},
        {"bufferView":0,"byteOffset":16,"componentType":5126,"count":12,"type":"VEC3"},
        {"bufferView":0,"byteOffset":160,"componentType":5126,"count":4,"type":"VEC4"},
        {"bufferView":0,"byteOffset":224,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[3]},
        {"bufferView":0,"byteOffset":232,"componentType":5126,"count":2,"type":"VEC3"}],
      "animations":[{"name":"Orbit","samplers":[
          {"input":0,"output":1,"interpolation":"CUBICSPLINE"},
          {"input":0,"output":2,"interpolation":"LINEAR"},
          {"input":3,"output":4,"interpolation":"STEP"}],
        "channels":[{"sampler":0,"target":{"node":1,"path":"translation"}},
                    {"sampler":1,"target":{"node":1,"path":"rotation"}},
                    {"sampler":2,"target":{"node":1,"path":"scale"}}]}]})";
}

TEST(GltfMotion, TheImportedCameraFollowsGltfsTransformWithinTheStatedTolerances)
{
    const std::string path = ::testing::TempDir() + "camera-" + std::to_string(getpid()) + ".gltf";
    std::ofstream(path) << camera_gltf();
    const double end = demo::layout::timeline_end;
    source_motion src;
    std::string error;
    ASSERT_TRUE(gltf_motion(path, "Cam", "", end, src, &error, nullptr)) << error;
    record::transformation rec;
    fit_notes notes;
    ASSERT_TRUE(fit_camera(src, end, demo::record_room(2), rec, notes, &error)) << error;
    std::vector<std::string> baked;
    for (const auto& [name, why] : notes.baked)
        baked.push_back(name);
    EXPECT_EQ(baked, (std::vector<std::string>{"position.x", "position.y", "position.z", "yaw"}))
        << "LINEAR and STEP come over as keys, CUBICSPLINE and rotations are baked";
    // The tilt about x never changes: pitch and bank stay constants.
    EXPECT_EQ(rec[4].tag, record::constant_tag);
    EXPECT_NEAR(rec[4].value, -0.3f, 1e-5f);
    EXPECT_EQ(rec[5].tag, record::constant_tag);

    lightwave::transformation engine;
    for (int c = 0; c < lightwave::transformation::channel_count; ++c)
        record::apply(rec[static_cast<std::size_t>(c)], engine.channel(c));
    const double size = std::hypot(4.5, 8.0, 24.975); // the diagonal of the box around the path
    auto check = [&](double t, double position_tolerance, double degrees) {
        mat4 m;
        engine.matrix(m, t);
        const auto p = position(t);
        const double dp = std::hypot(m.m[3] - p[0], m.m[7] - p[1], m.m[11] - p[2]);
        EXPECT_LE(dp, position_tolerance) << "position at " << t;
        // The engine's rotation (its scale divided out) against glTF's.
        const auto r = rotation(t);
        double trace = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                trace += m.m[4 * j + i] / scale(t) * r[3 * j + i];
        const double angle = std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0)) * 180 / std::numbers::pi;
        EXPECT_LE(angle, degrees) << "rotation at " << t;
        EXPECT_NEAR(m.m[0] * m.m[0] + m.m[4] * m.m[4] + m.m[8] * m.m[8], scale(t) * scale(t), 1e-4) << t;
    };
    for (float t : key_times)
        check(t, 1e-4, 1e-4 * 180 / std::numbers::pi);
    for (double t = 0.01; t < 7; t += 0.01)
        check(t, 1e-3 * size, gltf_rotation_tolerance_degrees);
    std::filesystem::remove(path);
}

TEST(GltfMotion, MissingNodesAnimationsAndFilesAreRefusedWithOneLineAndNoChange)
{
    const quor::test::scratch_data scratch("gltf-import");
    ASSERT_FALSE(scratch.data.empty());
    const std::string gltf = scratch.dir + "/camera.gltf";
    std::ofstream(gltf) << camera_gltf();
    auto r = quor::test::run_quor_mem("motion gltf " + gltf + " --node Cam --as camera --into " + scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "quor-mem: motion gltf: baked position.x, position.y, position.z (CUBICSPLINE tangents, which "
                     "the data file cannot hold) up to 31 s\nquor-mem: motion gltf: baked yaw (glTF's rotations are "
                     "quaternions, interpolated spherically: converted to yaw, pitch and bank within 0.1 degree) up "
                     "to 31 s\n");
    const std::string bytes = quor::test::slurp(scratch.data);

    const std::pair<std::string, std::string> refusals[] = {
        {"--node Nobody", gltf + ": no node named Nobody (its nodes: Rig, Cam)"},
        {"--node Rig", gltf + ": no animation moves node Rig (its animations: Orbit)"},
        {"--node Cam --animation Dolly", gltf + ": no animation named Dolly (its animations: Orbit)"},
    };
    for (const auto& [args, line] : refusals) {
        r = quor::test::run_quor_mem("motion gltf " + gltf + " " + args + " --as object --into " + scratch.data);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "quor-mem: motion gltf: " + line + "\n");
    }
    r = quor::test::run_quor_mem("motion gltf " + scratch.data + " --node Cam --as camera --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("not a glTF file"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    EXPECT_EQ(quor::test::slurp(scratch.data), bytes);
}

// A camera as a 3D suite exports it when told to sample: 31 s at 60 frames a second of LINEAR
// keys on a circle of radius 8 at height 2, turning to face its centre, scale keys all 1; and a
// second animation that only holds the camera still.
constexpr int sampled_keys = 31 * 60 + 1;
constexpr double orbit_radius = 8;

double orbit_angle(double t) { return std::clamp(t, 0.0, 31.0) / 31 * 2 * std::numbers::pi; }

std::string sampled_gltf()
{
    std::vector<float> times, moves, turns, scales;
    for (int k = 0; k < sampled_keys; ++k) {
        const double t = k / 60.0, a = orbit_angle(t), heading = std::numbers::pi / 2 - a;
        times.push_back(static_cast<float>(t));
        moves.insert(moves.end(), {float(orbit_radius * std::cos(a)), 2, float(orbit_radius * std::sin(a))});
        turns.insert(turns.end(), {0, float(std::sin(heading / 2)), 0, float(std::cos(heading / 2))});
        scales.insert(scales.end(), {1, 1, 1});
    }
    std::vector<float> data = times;
    for (const auto* part : {&moves, &turns, &scales})
        data.insert(data.end(), part->begin(), part->end());
    data.insert(data.end(), {0, 5, 0, 0}); // Hold: at 0 s, (5, 0, 0)
    const std::size_t n = sampled_keys, bytes = data.size() * 4;
    auto accessor = [](std::size_t offset, std::size_t count, const char* type) {
        return R"({"bufferView":0,"byteOffset":)" + std::to_string(offset) + R"(,"componentType":5126,"count":)" +
               std::to_string(count) + R"(,"type":")" + type + R"("})";
    };
    return R"({"asset":{"version":"2.0"},"nodes":[{"name":"Camera","camera":0},{"name":"Creature"}],
      "cameras":[{"type":"perspective","perspective":{"yfov":0.6,"znear":0.1}}],
      "buffers":[{"byteLength":)" + std::to_string(bytes) + R"(,"uri":"data:application/octet-stream;base64,)" +
           test::base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(bytes) + R"(}],
      "accessors":[)" + accessor(0, n, "SCALAR") + "," + accessor(4 * n, n, "VEC3") + "," +
           accessor(16 * n, n, "VEC4") + "," + accessor(32 * n, n, "VEC3") + "," + accessor(44 * n, 1, "SCALAR") +
           "," + accessor(44 * n + 4, 1, "VEC3") + R"(],
      "animations":[
        {"name":"Orbit","samplers":[{"input":0,"output":1},{"input":0,"output":2},{"input":0,"output":3}],
         "channels":[{"sampler":0,"target":{"node":0,"path":"translation"}},
                     {"sampler":1,"target":{"node":0,"path":"rotation"}},
                     {"sampler":2,"target":{"node":0,"path":"scale"}}]},
        {"name":"Hold","samplers":[{"input":4,"output":5,"interpolation":"STEP"}],
         "channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}]}]})";
}

// Too many keys for the camera's record as they come: constant channels become constants, and
// the longest channels are thinned within their tolerances until the record fits.
TEST(GltfMotion, ASampledExportKeepsConstantsAsConstantsAndIsThinnedToFit)
{
    const quor::test::scratch_data scratch("gltf-sampled");
    ASSERT_FALSE(scratch.data.empty());
    const std::string gltf = scratch.dir + "/sampled.gltf";
    std::ofstream(gltf) << sampled_gltf();
    auto r = quor::test::run_quor_mem("motion gltf " + gltf + " --node Camera --as camera --into " + scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("quor-mem: motion gltf: 2 animations move node Camera (Orbit, Hold): took the first; "
                         "--animation picks another\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("quor-mem: motion gltf: thinned "), std::string::npos) << r.out;

    demo::section_records records;
    demo::section_surround surround;
    std::string error;
    ASSERT_TRUE(demo::read_records(scratch.data, records, surround, &error)) << error;
    const record::transformation& rec = records[2];
    for (std::size_t c : {1, 4, 5, 6, 7, 8})
        EXPECT_EQ(rec[c].tag, record::constant_tag) << "channel " << c << " never moves";
    EXPECT_EQ(rec[1].value, 2.0f);
    EXPECT_EQ(rec[6].value, 1.0f);
    EXPECT_LE(demo::record_size(rec), demo::record_room(2));

    lightwave::transformation engine;
    for (int c = 0; c < lightwave::transformation::channel_count; ++c)
        record::apply(rec[static_cast<std::size_t>(c)], engine.channel(c));
    const double size = std::hypot(2 * orbit_radius, 0.0, 2 * orbit_radius);
    for (double t = 0.005; t < 31; t += 0.01) {
        mat4 m;
        engine.matrix(m, t);
        const double a = orbit_angle(t);
        EXPECT_LE(std::hypot(m.m[3] - orbit_radius * std::cos(a), m.m[7] - 2, m.m[11] - orbit_radius * std::sin(a)),
                  1e-3 * size) << "position at " << t;
        // The camera looks along -z of its rotation: at the circle's centre.
        const double off = std::acos(std::clamp((-m.m[2] * -std::cos(a) + -m.m[10] * -std::sin(a)), -1.0, 1.0));
        EXPECT_LE(off * 180 / std::numbers::pi, gltf_rotation_tolerance_degrees) << "heading at " << t;
    }

    r = quor::test::run_quor_mem("motion gltf " + gltf + " --node Camera --animation Hold --as camera --into " +
                                 scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(demo::read_records(scratch.data, records, surround, &error)) << error;
    EXPECT_EQ(records[2][0].tag, record::constant_tag);
    EXPECT_EQ(records[2][0].value, 5.0f) << "the held animation's position";
}

} // namespace

namespace {

// A node N moved by a LINEAR translation from (0, 0, 0) at 0 s to (1, 2, 3) at 1 s, its 32 bytes
// in the buffer at `buffer_uri`; `more` goes into the top-level object as it is.
std::string moving_node_gltf(const std::string& buffer_uri, const std::string& more = "", std::size_t length = 32)
{
    return R"({"asset":{"version":"2.0"},"nodes":[{"name":"N"}],)" + more + R"("buffers":[{"byteLength":)" +
           std::to_string(length) + R"(,"uri":")" + buffer_uri + R"("}],
      "bufferViews":[{"buffer":0,"byteLength":32}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[1]},
                   {"bufferView":0,"byteOffset":8,"componentType":5126,"count":2,"type":"VEC3"}],
      "animations":[{"samplers":[{"input":0,"output":1}],
                     "channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}]}]})";
}

void write_keys(const std::string& path)
{
    const float keys[] = {0, 1, 0, 0, 0, 1, 2, 3};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(keys), sizeof keys);
}

// Reads `gltf` (written as dir/scene.gltf) and gives its error line, or "read" with position.x at 1 s.
std::string import_of(const std::string& dir, const std::string& gltf)
{
    std::ofstream(dir + "/scene.gltf") << gltf;
    source_motion motion;
    std::string error;
    if (!gltf_motion(dir + "/scene.gltf", "N", "", 31, motion, &error, nullptr))
        return error;
    return motion[0].value(1) == 1.0f ? "read" : "read wrong values";
}

// A glTF file reaches only regular files in its own folder: a buffer outside it (by `..`, by an
// absolute path, by a link) is refused with one line and its bytes go nowhere; a FIFO neither
// hangs the import as a buffer nor as an image; images are never read as pictures, so a bomb, a
// FIFO or a foreign format among them changes nothing; a buffer past the bound is refused before
// it is read, and so are nesting past the bound and a binary container whose chunks do not fit.
TEST(GltfConfinement, OnlyRegularFilesInItsFolderWithinTheBounds)
{
    const quor::test::scratch_data scratch("gltf-confinement", false);
    const std::string dir = scratch.dir + "/model";
    std::filesystem::create_directories(dir);
    write_keys(dir + "/keys.bin");
    write_keys(scratch.dir + "/outside.bin");

    EXPECT_EQ(import_of(dir, moving_node_gltf("keys.bin")), "read");
    EXPECT_EQ(import_of(dir, moving_node_gltf("../outside.bin")),
              dir + "/scene.gltf: not a glTF file tinygltf can read (the file " + dir +
                  "/../outside.bin it refers to lies outside the glTF file's folder)");
    EXPECT_EQ(import_of(dir, moving_node_gltf(scratch.dir + "/outside.bin")),
              dir + "/scene.gltf: not a glTF file tinygltf can read (the file " + scratch.dir +
                  "/outside.bin it refers to lies outside the glTF file's folder)");
    EXPECT_NE(import_of(dir, moving_node_gltf("/etc/passwd")).find("/etc/passwd it refers to lies outside"),
              std::string::npos);
    std::filesystem::create_symlink(scratch.dir + "/outside.bin", dir + "/link.bin");
    EXPECT_NE(import_of(dir, moving_node_gltf("link.bin")).find("lies outside the glTF file's folder"),
              std::string::npos);

    ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
    EXPECT_NE(import_of(dir, moving_node_gltf("pipe")).find("pipe it refers to is not a regular file"),
              std::string::npos);
    // A PNG whose header declares 60000 x 60000 pixels, a WebP, a FIFO and a file outside.
    std::ofstream(dir + "/huge.png", std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xea\x60\0\0\xea\x60\x08\x02\0\0\0", 29);
    std::ofstream(dir + "/texture.webp") << "RIFF\x10\0\0\0WEBPVP8 ";
    EXPECT_EQ(import_of(dir, moving_node_gltf("keys.bin", R"("images":[{"uri":"huge.png"},{"uri":"texture.webp"},
        {"uri":"pipe"},{"uri":"../outside.bin"}],)")), "read");

    // A buffer of 2 GiB (a sparse file) is refused by its size; so is one named by a size it does not have.
    const int big = ::open((dir + "/big.bin").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::ftruncate(big, 2ll << 30), 0);
    ::close(big);
    EXPECT_NE(import_of(dir, moving_node_gltf("big.bin", "", 2ull << 30)).find("big.bin it refers to is larger than the "
                                                                               "1024 MiB a glTF import reads of a file"),
              std::string::npos);
    EXPECT_NE(import_of(dir, moving_node_gltf("keys.bin", "", 1ull << 40)).find("not a glTF file"), std::string::npos);

    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(import_of(dir, moving_node_gltf("keys.bin", R"("extras":)" + deep + ",")),
              dir + "/scene.gltf: not a glTF file tinygltf can read (its JSON nests arrays and objects deeper than 64 "
                    "levels)");

    // A binary glTF whose BIN chunk says it holds more than the file does.
    std::string json = moving_node_gltf("keys.bin");
    json.resize((json.size() + 3) / 4 * 4, ' ');
    std::string glb = "glTF";
    const auto u32 = [&](std::uint32_t v) { glb.append(reinterpret_cast<const char*>(&v), 4); };
    u32(2);
    u32(static_cast<std::uint32_t>(12 + 8 + json.size() + 8));
    u32(static_cast<std::uint32_t>(json.size()));
    u32(0x4E4F534A);
    glb += json;
    u32(64);
    u32(0x004E4942);
    std::ofstream(dir + "/scene.glb", std::ios::binary) << glb;
    source_motion motion;
    std::string error;
    EXPECT_FALSE(gltf_motion(dir + "/scene.glb", "N", "", 31, motion, &error, nullptr));
    EXPECT_EQ(error, dir + "/scene.glb: not a glTF file tinygltf can read (a binary glTF file whose BIN chunk runs "
                           "past its end)");
}

} // namespace
