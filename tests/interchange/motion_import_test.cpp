// What the import offers from each kind of file, and one record taken from a source: a glTF's
// animated nodes only, a motion text's records; an object's record takes the values at one time
// and says so; unreadable files are refused with one line naming them.
#include "interchange/motion_import.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "base64.h"
#include "interchange/motion_text.h"

namespace {

using namespace quor;
using namespace quor::interchange;

struct MotionImport : testing::Test {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("quor_motion_import_" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string write(const std::string& name, const std::string& text)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

std::vector<std::string> labels(const std::vector<motion_source>& sources)
{
    std::vector<std::string> out;
    for (const motion_source& s : sources)
        out.push_back(s.label());
    return out;
}

TEST_F(MotionImport, OffersWhatEachFileHoldsAndTakesOneRecordFromIt)
{
    // "Rig" stands still; "Camera" moves along x from 0 at 0 s to 4 at 2 s.
    const std::vector<float> data{0, 2, 0, 0, 0, 4, 0, 0};
    const std::string gltf = write("shot.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
      "nodes":[{"name":"Rig"},{"name":"Camera"}],
      "buffers":[{"byteLength":32,"uri":"data:application/octet-stream;base64,)" + test::base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":24}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[2]},
                   {"bufferView":1,"componentType":5126,"count":2,"type":"VEC3"}],
      "animations":[{"channels":[{"sampler":0,"target":{"node":1,"path":"translation"}}],
                     "samplers":[{"input":0,"output":1,"interpolation":"LINEAR"}]}]})");
    std::vector<motion_source> sources;
    std::string error;
    ASSERT_TRUE(list_motion_sources(gltf, sources, &error)) << error;
    EXPECT_EQ(labels(sources), std::vector<std::string>{"node Camera"});

    record::transformation rec;
    std::vector<std::string> notes;
    ASSERT_TRUE(import_record(gltf, sources[0], 0, 1.0, rec, notes, &error)) << error;
    EXPECT_EQ(rec[0].tag, record::constant_tag);
    EXPECT_NEAR(rec[0].value, 2.0f, 1e-5f) << "halfway at 1 s";
    EXPECT_EQ(notes, std::vector<std::string>{
                         "the object record holds nine constants only: it takes the values at 1 s"});

    demo::section_records records;
    records[1][1].value = -5.5f;
    const std::string text = write("motion.txt", motion_text(records));
    ASSERT_TRUE(list_motion_sources(text, sources, &error)) << error;
    EXPECT_EQ(labels(sources), (std::vector<std::string>{"record object", "record quad", "record camera"}));
    notes.clear();
    ASSERT_TRUE(import_record(text, sources[1], 2, 0, rec, notes, &error)) << error;
    EXPECT_EQ(rec[1].value, -5.5f) << "a text's record as it is, into another record";
    EXPECT_TRUE(notes.empty());

    EXPECT_FALSE(list_motion_sources(write("broken.txt", "Record nowhere\n"), sources, &error));
    EXPECT_EQ(error.rfind((folder / "broken.txt").string() + ":1:", 0), 0u) << error;
    EXPECT_FALSE(list_motion_sources((folder / "gone.glb").string(), sources, &error));
    EXPECT_EQ(error.rfind((folder / "gone.glb").string() + ": ", 0), 0u) << error;
}

} // namespace
