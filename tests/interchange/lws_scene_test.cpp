// Scene import: a scene file written here from the format's description, with a TCB, a Linear and a
// Stepped camera channel that must come over key for key and Hermite and repeating channels that
// must be baked within 1e-3; the command's report, the object's constants and its refusals.
#include "interchange/lws_scene.h"

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "demo/data_file.h"
#include "demo/data_layout.h"
#include "interchange/motion_fit.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor;
using namespace quor::interchange;
using namespace quor::demo;

std::string envelope(const std::string& keys, int count, const std::string& behaviors = "1 1")
{
    return "{ Envelope\n  " + std::to_string(count) + "\n" + keys + "  Behaviors " + behaviors + "\n}\n";
}

const std::string scene_text =
    "LWSC\n3\n\nFirstFrame 0\nLastFrame 930\nFramesPerSecond 30\n\n"
    "LoadObjectLayer 1 10000000 Objects/Jelly.lwo\nShowObject 6 -1 0.376 0.878 0.941\nObjectMotion\nNumChannels 9\n"
    "Channel 0\n" + envelope("  Key 0.5 0 0 0 0 0 0 0 0\n  Key 1.5 2 0 0 0 0 0 0 0\n", 2) +
    "Channel 1\n" + envelope("  Key -2 0 0 0 0 0 0 0 0\n", 1) +
    "\nAddLight 20000000\nLightName Sun\nLightMotion\nNumChannels 1\nChannel 0\n" +
    envelope("  Key 9 0 0 0 0 0 0 0 0\n", 1) +
    "\nAddCamera 30000000\nCameraName Flyer\nCameraMotion\nNumChannels 6\n"
    "Channel 0\n" + envelope("  Key 1 1 0 0.2 -0.3 0.1 0 0 0\n  Key 4 4 0 0 0 0 0 0 0\n  Key -2 9 0 0.5 0 -0.5 0 0 0\n", 3) +
    "Channel 1\n" + envelope("  Key 2 0 3 0 0 0 0 0 0\n  Key 3 5 3 0 0 0 0 0 0\n  Key 1 12 3 0 0 0 0 0 0\n", 3) +
    "Channel 2\n" + envelope("  Key 0 0 0 0 0 0 0 0 0\n  Key 5 3 4 0 0 0 0 0 0\n  Key 2 7 4 0 0 0 0 0 0\n", 3) +
    "Channel 3\n" + envelope("  Key 0 0 1 0 0 0 0 0.5 0\n  Key 1.2 6 1 0 0 0 -0.4 0.3 0\n  Key 0.4 14 2 0 0 0 0.2 0 0\n", 3) +
    "Channel 4\n" + envelope("  Key 0 2 0 0 0 0 0 0 0\n  Key 0.5 4 0 0 0 0 0 0 0\n  Key 0.1 6 0 0 0 0 0 0 0\n", 3, "1 2") +
    "Channel 5\n" + envelope("  Key 0.25 3 0 0 0 0 0 0 0\n", 1);

TEST(LwsScene, TcbLinearSteppedKeysComeOverExactlyAndTheRestIsBakedWithin1e3)
{
    std::vector<scene_item> items;
    text_error err;
    ASSERT_TRUE(read_scene(scene_text, items, err)) << err.line << ":" << err.column << " " << err.what;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "Jelly");
    EXPECT_FALSE(items[0].camera);
    EXPECT_EQ(items[1].name, "Flyer");
    ASSERT_TRUE(items[1].channels[3]);
    EXPECT_EQ(items[1].channels[3]->keys()[1].param[0], -0.4f) << "Hermite tangents come from p4 and p5";
    EXPECT_EQ(items[1].channels[4]->post_behavior(), Behavior::Repeat);
    EXPECT_FALSE(items[1].channels[6]);

    const double end = demo::layout::timeline_end;
    source_motion src;
    for (std::size_t c = 0; c < src.size(); ++c) {
        const Envelope rest = [&] {
            Envelope e;
            e.add_key(Key{c >= 6 ? 1.0f : 0.0f, 0});
            return e;
        }();
        src[c] = curve_of(items[1].channels[c] ? *items[1].channels[c] : rest, end, 1e-3f);
    }
    record::transformation rec;
    fit_notes notes;
    std::string error;
    ASSERT_TRUE(fit_camera(src, end, demo::record_room(2), rec, notes, &error)) << error;
    std::vector<std::string> baked;
    for (const auto& [name, why] : notes.baked)
        baked.push_back(name);
    EXPECT_EQ(baked, (std::vector<std::string>{"yaw", "pitch"}));
    EXPECT_TRUE(notes.thinned.empty());
    for (std::size_t c : {0, 1, 2}) {
        const std::vector<Key>& scene_keys = items[1].channels[c]->keys();
        ASSERT_GE(rec[c].keys.size(), scene_keys.size());
        const std::vector<Key> tail(rec[c].keys.end() - static_cast<std::ptrdiff_t>(scene_keys.size()), rec[c].keys.end());
        for (std::size_t k = 0; k < tail.size(); ++k)
            EXPECT_EQ(std::memcmp(&tail[k], &scene_keys[k], sizeof(Key)), 0) << "channel " << c << " key " << k;
        EXPECT_EQ(channel_error(rec[c], src[c], end), 0.0f) << "channel " << c;
    }
    for (std::size_t c : {3, 4})
        EXPECT_LE(channel_error(rec[c], src[c], end), 1e-3f) << "channel " << c;
    EXPECT_EQ(rec[5].tag, record::constant_tag);
    EXPECT_EQ(rec[5].value, 0.25f);

    EXPECT_FALSE(read_scene("LWSC\n1\n", items, err));
    EXPECT_EQ(err.line, 2u);
    EXPECT_NE(err.what.find("format 1 keeps motion as keyframe lists"), std::string::npos);
    EXPECT_FALSE(read_scene("LWO2 is not a scene\n", items, err));
    EXPECT_NE(err.what.find("not a LightWave scene file"), std::string::npos);
}

TEST(LwsScene, TheCommandReportsBakedChannelsAndRefusesWhatItCannotFind)
{
    const quor::test::scratch_data scratch("lws-import");
    ASSERT_FALSE(scratch.data.empty());
    const std::string scene = scratch.dir + "/scene.lws";
    std::ofstream(scene) << scene_text;

    std::string error;
    auto r = quor::test::run_quor_mem("motion lws " + scene + " --camera Flyer --as camera --into " + scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "quor-mem: motion lws: baked yaw, pitch (shapes or behaviours the data file cannot hold) up to "
                     "31 s\n");
    r = quor::test::run_quor_mem("motion lws " + scene + " --object Jelly --as quad --at 1 --into " + scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = quor::test::slurp(scratch.data);
    demo::section_records records;
    demo::section_surround surround;
    ASSERT_TRUE(read_records(scratch.data, records, surround, &error)) << error;
    EXPECT_EQ(records[1][0].value, 1.0f) << "halfway between the TCB keys 0.5 and 1.5";
    EXPECT_EQ(records[1][1].value, -2.0f);
    EXPECT_EQ(records[1][6].value, 1.0f) << "channels the scene leaves out stay at rest";
    EXPECT_EQ(records[2][1].keys.back().value, 1.0f);

    r = quor::test::run_quor_mem("motion lws " + scene + " --object Nobody --as object --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: motion lws: " + scene + ": no object named Nobody\n");
    EXPECT_EQ(quor::test::slurp(scratch.data), bytes);
}

} // namespace
