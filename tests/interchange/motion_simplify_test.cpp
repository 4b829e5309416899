// Simplified channels against what they came from: per-frame samples of a known motion (smooth,
// a sharp turn, a hold) checked against that motion and against the straight lines between the
// samples, jumps kept where they are, the tolerance's units per channel, and its text; quor-mem's
// --simplify on a per-frame glTF export and on a motion text.
#include "interchange/motion_simplify.h"

#include <cmath>
#include <fstream>
#include <numbers>

#include <gtest/gtest.h>

#include "anim/channel.h"
#include "demo/data_file.h"
#include "interchange/motion_text.h"
#include "per_frame_gltf.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor;
using namespace quor::interchange;

constexpr double fps = 24, shot = 31;

// A camera's coordinate over the shot: a sway, a sharp turn at 8 s, a hold from 14 s to 19 s,
// then an ease out.
double motion(double t)
{
    if (t < 8)
        return 2 * std::sin(0.7 * t) + 0.5 * t;
    const double at8 = 2 * std::sin(5.6) + 4;
    if (t < 14)
        return at8 - 1.5 * (t - 8);
    const double hold = at8 - 9;
    if (t < 19)
        return hold;
    return hold + 3 * (1 - std::cos((t - 19) / 12 * std::numbers::pi));
}

// As an exporter samples it: a Linear key every frame, from frame 0.
std::vector<Key> per_frame(double (*f)(double))
{
    std::vector<Key> keys;
    for (int i = 0; i <= static_cast<int>(shot * fps); ++i) {
        Key k;
        k.time = static_cast<float>(i / fps);
        k.value = static_cast<float>(f(i / fps));
        k.shape = Shape::Linear;
        keys.push_back(k);
    }
    return keys;
}

// The value a record's keys give at t, as the demo plays them.
struct played {
    Channel channel;
    explicit played(const std::vector<Key>& keys)
    {
        record::channel c;
        c.tag = record::envelope_tag;
        c.keys = keys;
        record::apply(c, channel);
    }
    double at(double t) { return channel.evaluate(t); }
};

TEST(MotionSimplify, PerFrameSamplesBecomeFewKeysWithinTheTolerance)
{
    const std::vector<Key> samples = per_frame(motion);
    for (const float tolerance : {0.005f, 0.05f}) {
        float deviation = -1;
        const std::vector<Key> keys = simplify_keys(samples, tolerance, shot, &deviation);
        EXPECT_LT(keys.size(), samples.size() / 8) << "tolerance " << tolerance;
        EXPECT_GE(deviation, 0);
        EXPECT_LE(deviation, tolerance);

        played result(keys);
        double worst_at_samples = 0, worst_between = 0;
        for (int i = 1; i <= static_cast<int>(shot * fps); ++i)
            worst_at_samples = std::max(worst_at_samples, std::fabs(result.at(i / fps) - motion(i / fps)));
        // Between samples, against the straight line between them (what the samples play as).
        for (int ms = 1; ms <= static_cast<int>(shot * 1000); ++ms) {
            const double t = ms / 1000.0, frame = std::floor(t * fps);
            const double u = t * fps - frame;
            const double line = (1 - u) * motion(frame / fps) + u * motion((frame + 1) / fps);
            worst_between = std::max(worst_between, std::fabs(result.at(t) - line));
        }
        EXPECT_LE(worst_at_samples, tolerance * 1.0001) << "tolerance " << tolerance;
        EXPECT_LE(worst_between, tolerance * 1.0001) << "tolerance " << tolerance;
        // The report is the largest deviation there is, not an understatement of it.
        EXPECT_NEAR(deviation, std::max(worst_at_samples, worst_between), tolerance * 0.05);
    }
}

TEST(MotionSimplify, JumpsLeadInsAndShortChannelsStayAsTheyAre)
{
    // A lead-in (two keys at 1 s), a slope, a cut at 3 s (a Stepped key), another slope.
    std::vector<Key> keys;
    const auto add = [&](float t, float v, Shape s) {
        Key k;
        k.time = t;
        k.value = v;
        k.shape = s;
        keys.push_back(k);
    };
    add(0, 5, Shape::Linear);
    add(1, 5, Shape::Linear);
    for (int i = 0; i <= 48; ++i)
        add(1 + i / 24.0f, 5 + i / 24.0f, Shape::Linear);
    add(3.5f, -4, Shape::Stepped);
    for (int i = 1; i <= 48; ++i)
        add(3.5f + i / 24.0f, -4 - i / 24.0f, Shape::Linear);

    float deviation = -1;
    const std::vector<Key> simple = simplify_keys(keys, 0.01f, 6, &deviation);
    EXPECT_LT(simple.size(), 12u);
    EXPECT_LE(deviation, 0.01f);
    played result(simple);
    EXPECT_NEAR(result.at(0.5), 5, 0.01);  // held before the lead-in's end
    EXPECT_NEAR(result.at(3.49), 7, 0.01); // the last value before the cut...
    EXPECT_NEAR(result.at(3.5), -4, 0.01); // ...and the first after it
    EXPECT_NEAR(result.at(5.5), -6, 0.01);

    // A key far past the timeline is kept, and checked at its own time only.
    std::vector<Key> far = keys;
    far.push_back(Key{-6, 1e9f, Shape::Linear});
    EXPECT_EQ(simplify_keys(far, 0.01f, 6, &deviation).back().time, 1e9f);

    const std::vector<Key> two(keys.begin(), keys.begin() + 2);
    EXPECT_EQ(simplify_keys(two, 0.01f, 6, &deviation).size(), 2u);
    EXPECT_EQ(deviation, 0);
}

TEST(MotionSimplify, EachChannelTakesItsOwnUnitsAndTheNoteCountsKeys)
{
    // Every channel the same numbers: angles in radians wobble by 0.02 (1.15 degrees).
    record::transformation rec;
    std::vector<Key> wobble = per_frame([](double t) { return t + 0.02 * std::sin(t * 9); });
    for (std::size_t c : {0u, 3u}) {
        rec[c].tag = record::envelope_tag;
        rec[c].keys = wobble;
    }
    rec[1].value = 2;
    rec[2].tag = record::mixer_tag;
    rec[2].entries = {wobble};

    simplify_tolerance tolerance;
    tolerance.distance = 0.05f; // the wobble is well within it
    tolerance.degrees = 0.1f;   // and well past it
    const record_simplified done = simplify_record(rec, tolerance, shot);
    EXPECT_EQ(done[0].before, wobble.size());
    EXPECT_LE(done[0].after, 3u);
    EXPECT_GT(done[3].after, 40u);
    EXPECT_LE(done[3].deviation, 0.1 * std::numbers::pi / 180);
    EXPECT_EQ(rec[1].value, 2);
    EXPECT_EQ(rec[2].entries[0].size(), wobble.size());
    EXPECT_EQ(done[2].before, 0u);

    const std::string note = simplify_note(done);
    const std::string total =
        std::to_string(2 * wobble.size()) + " -> " + std::to_string(done[0].after + done[3].after);
    const std::string first = " (position.x " + std::to_string(wobble.size()) + " -> ";
    EXPECT_EQ(note.rfind("simplified keys " + total + first, 0), 0u) << note;
    EXPECT_NE(note.find("yaw "), std::string::npos) << note;
    EXPECT_NE(note.find(" degree"), std::string::npos) << note;
    EXPECT_EQ(simplify_note(record_simplified{}), "no keys to simplify: the record holds constants only");
}

TEST(MotionSimplify, ToleranceTextIsDistanceAndOptionallyDegrees)
{
    simplify_tolerance t;
    std::string error;
    ASSERT_TRUE(parse_tolerance("0.02", t, &error)) << error;
    EXPECT_FLOAT_EQ(t.distance, 0.02f);
    EXPECT_FLOAT_EQ(t.degrees, simplify_tolerance{}.degrees);
    ASSERT_TRUE(parse_tolerance("1e-3,0.5", t, &error)) << error;
    EXPECT_FLOAT_EQ(t.distance, 0.001f);
    EXPECT_FLOAT_EQ(t.degrees, 0.5f);
    EXPECT_FLOAT_EQ(t.of(4), static_cast<float>(0.5 * std::numbers::pi / 180));
    EXPECT_FLOAT_EQ(t.of(7), 0.001f);
    for (const char* bad : {"", "abc", "0", "-1", "nan", "inf", "0.01,", "0.01,0", "0.01,0.1,2", " 0.01"}) {
        error.clear();
        EXPECT_FALSE(parse_tolerance(bad, t, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_FLOAT_EQ(t.distance, 0.001f); // a refusal leaves the last good value
}

TEST(MotionSimplify, QuorMemSimplifiesAnImportWhenAskedAndSaysHowFar)
{
    const quor::test::scratch_data scratch("motion-simplify");
    ASSERT_FALSE(scratch.data.empty());
    const std::string gltf = scratch.dir + "/shot.gltf";
    std::ofstream(gltf) << quor::test::per_frame_camera_gltf(
        fps, shot, [](double t) { return std::array<double, 3>{motion(t), 1.5, 0.3 * t}; },
        [](double t) { return 0.4 * std::sin(0.3 * t); });

    const std::string frames = std::to_string(static_cast<int>(shot * fps) + 1);
    auto r = quor::test::run_quor_mem("motion gltf " + gltf + " --node Camera --as camera --simplify --into " +
                                      scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string said = "quor-mem: motion gltf: simplified keys ";
    const std::size_t line = r.out.find(said);
    ASSERT_NE(line, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(position.x " + frames + " -> ", line), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" degree\n", line), std::string::npos) << r.out;

    demo::section_records records;
    demo::section_surround surround;
    std::string error;
    ASSERT_TRUE(demo::read_records(scratch.data, records, surround, &error)) << error;
    const record::transformation& rec = records[2];
    ASSERT_EQ(rec[0].tag, record::envelope_tag);
    EXPECT_LT(rec[0].keys.size(), 100u);
    EXPECT_LT(rec[2].keys.size(), 10u) << "a straight line";
    EXPECT_LT(rec[3].keys.size(), 100u) << "yaw";
    // Within the default 0.005 of the samples, at them and between them (glTF's z is mirrored).
    played x(rec[0].keys), z(rec[2].keys);
    for (int ms = 1; ms <= static_cast<int>(shot * 1000); ++ms) {
        const double t = ms / 1000.0, frame = std::floor(t * fps), u = t * fps - frame;
        const double line_x = (1 - u) * motion(frame / fps) + u * motion((frame + 1) / fps);
        ASSERT_LE(std::fabs(x.at(t) - line_x), 0.005 * 1.0001) << "position.x at " << t;
        ASSERT_LE(std::fabs(z.at(t) + 0.3 * t), 0.005 * 1.0001) << "position.z at " << t;
    }

    // A motion text's camera, per-frame keys on a straight line: two keys do.
    motion_records text_records = records;
    text_records[2][1].tag = record::envelope_tag;
    text_records[2][1].keys = per_frame([](double t) { return 2 + t / 10; });
    const std::string text = scratch.dir + "/motion.txt";
    std::ofstream(text) << motion_text(text_records);
    r = quor::test::run_quor_mem("motion import " + text + " --simplify=0.001,0.01 --into " + scratch.data);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("quor-mem: motion import: simplified keys "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("position.y " + frames + " -> 2,"), std::string::npos) << r.out;
    ASSERT_TRUE(demo::read_records(scratch.data, records, surround, &error)) << error;
    EXPECT_EQ(records[2][1].keys.size(), 2u);

    // A tolerance that is not one is refused on the command line; nothing changes.
    const auto before = std::filesystem::last_write_time(scratch.data);
    for (const char* bad : {"--simplify=0", "--simplify=-1,0.1", "--simplify=fast", "--simplify=0.01,"}) {
        r = quor::test::run_quor_mem("motion gltf " + gltf + " --node Camera --as camera " + bad + " --into " +
                                     scratch.data);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("quor-mem: --simplify: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("(see quor-mem motion gltf --help)"), std::string::npos) << r.err;
    }
    EXPECT_EQ(std::filesystem::last_write_time(scratch.data), before);
}

} // namespace
