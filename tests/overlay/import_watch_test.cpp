// The watched import: the camera follows each new version of the file, retries a half-written one
// and refuses a bad one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "base64.h"
#include "overlay/import_watch.h"
#include "overlay_fixture.h"

namespace {

using namespace quor;
using test::Overlay;

// A glTF file whose node "Camera" moves along x from 0 at 0 s to `x` at 2 s.
std::string camera_gltf(float x)
{
    const std::vector<float> data{0, 2, 0, 0, 0, x, 0, 0};
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"Camera"}],
      "buffers":[{"byteLength":32,"uri":"data:application/octet-stream;base64,)" + test::base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":24}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[2]},
                   {"bufferView":1,"componentType":5126,"count":2,"type":"VEC3"}],
      "animations":[{"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}],
                     "samplers":[{"input":0,"output":1,"interpolation":"LINEAR"}]}]})";
}

// The exporter's ways of writing: a new file renamed over the old, or the old one rewritten in
// place, `cut` bytes short of the whole while it is still being written.
void write_in_place(const std::string& path, const std::string& text, std::size_t cut = 0)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - cut);
}
void write_renamed(const std::string& path, const std::string& text)
{
    write_in_place(path + ".part", text);
    std::filesystem::rename(path + ".part", path);
}

// The watched import: the camera follows each new version of the file at the next poll and the
// time stays; a version caught mid-write is retried until it reads; a bad one is refused with
// the importer's message once it has stood still, and changes nothing.
TEST_F(Overlay, AWatchedImportFollowsTheFileRetriesAHalfWrittenOneAndRefusesABadOne)
{
    const std::string folder = testing::TempDir() + "quor_import_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/shot.gltf";
    const auto camera_x_at_2s = [&] { return bench->document().value_at({2, 0}, 2.0); };
    write_renamed(path, camera_gltf(1));

    overlay::import_watch watch;
    const overlay::import_request request{path, {interchange::motion_source::kind::gltf_node, "Camera"}, 2, 0, {}};
    ASSERT_TRUE(watch.start(*bench, request, true)) << bench->status();
    EXPECT_NEAR(camera_x_at_2s(), 1.0f, 1e-4f);
    EXPECT_EQ(bench->status().rfind("imported node Camera from shot.gltf into the camera", 0), 0u) << bench->status();
    bench->player().seek(5);
    double now = 10;
    watch.poll(*bench, now);
    EXPECT_EQ(watch.imports(), 1) << "the same version is not imported again";

    write_renamed(path, camera_gltf(3));
    watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), 3.0f, 1e-4f) << "the second file, at the next poll";
    EXPECT_EQ(bench->player().time(), 5.0) << "the time stays";
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_NEAR(camera_x_at_2s(), 1.0f, 1e-4f) << "each import one undo step";
    ASSERT_TRUE(bench->redo().ok);

    const std::string third = camera_gltf(-2);
    write_in_place(path, third, third.size() / 2);
    for (int i = 0; i < 3; ++i)
        watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), 3.0f, 1e-4f);
    EXPECT_FALSE(bench->status_failed()) << "a file caught mid-write is not refused: " << bench->status();
    write_in_place(path, third);
    watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), -2.0f, 1e-4f) << "the whole file, once written";

    write_renamed(path, "{ not glTF");
    watch.poll(*bench, now += 0.02);
    EXPECT_FALSE(bench->status_failed());
    watch.poll(*bench, now += overlay::import_watch::settle);
    EXPECT_TRUE(bench->status_failed());
    EXPECT_EQ(bench->status().rfind("not imported: " + path + ": not a glTF file", 0), 0u) << bench->status();
    EXPECT_NEAR(camera_x_at_2s(), -2.0f, 1e-4f) << "a refused file changes nothing";
    EXPECT_EQ(watch.imports(), 3);
    std::filesystem::remove_all(folder);
}

} // namespace
