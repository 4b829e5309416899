// LightWave transformations: composition of the nine channels with the mirrored z axis, the
// camera variant, and reading the nine channel records (byte counts, damaged records).
#include "scene/transformation.h"

#include <cstring>

#include <gtest/gtest.h>

#include "../anim/point_check.h"

#include "anim/envelope.h"
#include "anim/envelope_mixer.h"
#include "anim/record.h"

namespace quor::lightwave {
namespace {

using record::read_error;

constexpr float half_pi = 1.57079632679f;

using test::apply;
using test::expect_near;

template <class T> T unit_scale()
{
    T x;
    x.scale_x.value = x.scale_y.value = x.scale_z.value = 1;
    return x;
}

TEST(Transformation, FreshOneHasZeroScales)
{
    transformation x;
    mat4 m;
    x.matrix(m, 0);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(m.m[i], 0) << i;
    EXPECT_EQ(m.m[15], 1);
}

TEST(Transformation, PositionMirrorsZ)
{
    transformation x = unit_scale<transformation>();
    x.position_x.value = 1, x.position_y.value = 2, x.position_z.value = 3;
    mat4 m;
    expect_near(apply(x.matrix(m, 0), vec3(0, 0, 0)), vec3(1, 2, -3));
    expect_near(apply(m, vec3(1, 1, 1)), vec3(2, 3, -2));
}

TEST(Transformation, YawTurnsForwardOntoX)
{
    transformation x = unit_scale<transformation>();
    x.yaw.value = half_pi;
    mat4 m;
    expect_near(apply(x.matrix(m, 0), vec3(0, 0, -1)), vec3(1, 0, 0));
}

TEST(Transformation, BankThenPitchThenYaw)
{
    transformation x = unit_scale<transformation>();
    x.yaw.value = half_pi;
    x.pitch.value = half_pi;
    mat4 m;
    // pitch first turns up onto the renderer's -z, yaw then turns that onto +x
    expect_near(apply(x.matrix(m, 0), vec3(0, 1, 0)), vec3(1, 0, 0));
    x.pitch.value = 0;
    x.bank.value = half_pi;
    // bank first turns x onto y, which yaw keeps; yaw first would have sent x onto z
    expect_near(apply(x.matrix(m, 0), vec3(1, 0, 0)), vec3(0, 1, 0));
}

TEST(Transformation, PivotLandsOnThePosition)
{
    transformation x;
    x.scale_x.value = x.scale_y.value = x.scale_z.value = 2;
    x.position_x.value = 5, x.position_y.value = 6, x.position_z.value = 7;
    x.pivot = vec3(1, 0, 0);
    mat4 m;
    x.matrix(m, 0);
    expect_near(apply(m, vec3(1, 0, 0)), vec3(5, 6, -7));
    expect_near(apply(m, vec3(2, 0, 0)), vec3(7, 6, -7));

    x.pivot = vec3(0, 0, 1); // the pivot's z is mirrored like every LightWave z
    x.matrix(m, 0);
    expect_near(apply(m, vec3(0, 0, -1)), vec3(5, 6, -7));
}

TEST(Transformation, PivotRotationTurnsZThenXThenY)
{
    transformation x = unit_scale<transformation>();
    x.pivot_rotation = vec3(half_pi, 0, half_pi);
    mat4 m;
    expect_near(apply(x.matrix(m, 0), vec3(1, 0, 0)), vec3(0, 0, 1));
}

TEST(Transformation, DrivenChannelsStoreTheirValues)
{
    transformation x = unit_scale<transformation>();
    Envelope& e = x.position_x.make_envelope();
    e.add_linear_key(2, 4);
    mat4 m;
    x.matrix(m, 1);
    EXPECT_EQ(x.position_x.value, 2);
    EXPECT_FLOAT_EQ(m(0, 3), 2);
}

TEST(TransformationCamera, IgnoresScaleAndPivot)
{
    transformation_camera cam;
    cam.position_x.value = 1, cam.position_z.value = 2;
    cam.yaw.value = half_pi;
    cam.pivot = vec3(4, 4, 4);
    cam.scale_x.make_envelope().add_linear_key(1, 10);
    transformation& base = cam;
    mat4 m;
    base.matrix(m, 0.5);
    expect_near(apply(m, vec3(0, 0, -1)), vec3(2, 0, -2));
    EXPECT_NEAR(m(3, 3), 1, 0);
    EXPECT_EQ(cam.scale_x.value, 0); // not evaluated
}

// --- records ----------------------------------------------------------------------------

std::vector<Key> three_keys()
{
    std::vector<Key> keys(3);
    for (int i = 0; i < 3; ++i) {
        keys[i].time = float(i + 1);
        keys[i].value = float(10 * i);
        keys[i].shape = Shape::Linear;
    }
    return keys;
}

std::vector<char> mixed_record()
{
    std::vector<char> bytes;
    for (int i = 0; i < transformation::channel_count; ++i) {
        if (i == 1)
            record::write_envelope_channel(bytes, three_keys());
        else if (i == 5)
            record::write_mixer_channel(bytes, {three_keys()});
        else if (i == 7)
            record::write_u32(bytes, 7);
        else
            record::write_constant_channel(bytes, float(i));
    }
    return bytes;
}

TEST(TransformationRecord, NineConstantsAreSeventyTwoBytesInChannelOrder)
{
    std::vector<char> bytes;
    for (int i = 0; i < 9; ++i)
        record::write_constant_channel(bytes, float(i + 1));
    ASSERT_EQ(bytes.size(), 72u);
    transformation x;
    EXPECT_EQ(x.read(bytes.data(), bytes.data() + bytes.size()), bytes.data() + 72);
    EXPECT_EQ(x.position_x.value, 1);
    EXPECT_EQ(x.yaw.value, 4);
    EXPECT_EQ(x.scale_z.value, 9);
    EXPECT_EQ(&x.channel(3), &x.yaw);
}

TEST(TransformationRecord, MixedTags)
{
    const std::vector<char> bytes = mixed_record();
    transformation x;
    x.scale_y.value = 3;
    EXPECT_EQ(x.read(bytes.data(), bytes.data() + bytes.size()), bytes.data() + bytes.size());
    ASSERT_NE(x.position_y.dynamic->as_envelope(), nullptr);
    EXPECT_EQ(x.position_y.dynamic->as_envelope()->key_count(), 4u);
    ASSERT_NE(x.bank.dynamic->as_mixer(), nullptr);
    EXPECT_EQ(x.bank.dynamic->as_mixer()->size(), 2);
    EXPECT_EQ(x.scale_y.value, 3); // tag 7
    EXPECT_FALSE(x.scale_y.is_dynamic());

    // a second read appends the keys again
    EXPECT_NE(x.read(bytes.data(), bytes.data() + bytes.size()), nullptr);
    EXPECT_EQ(x.position_y.dynamic->as_envelope()->key_count(), 7u);
}

TEST(TransformationRecord, EnvelopeChannelByteCount)
{
    std::vector<char> bytes;
    record::write_envelope_channel(bytes, three_keys());
    Channel c(5);
    EXPECT_EQ(transformation::read_channel(bytes.data(), bytes.data() + bytes.size(), c),
              bytes.data() + 4 + 4 + 72 + 8);
    EXPECT_EQ(c.dynamic->as_envelope()->keys()[0].value, 5);
}

TEST(TransformationRecord, EveryTruncationFailsWithoutChangingAChannel)
{
    const std::vector<char> full = mixed_record();
    for (std::size_t n = 0; n < full.size(); ++n) {
        const std::vector<char> cut(full.begin(), full.begin() + n);
        transformation x;
        read_error err;
        EXPECT_EQ(x.read(cut.data(), cut.data() + cut.size(), &err), nullptr) << n;
        for (int i = 0; i < transformation::channel_count; ++i) {
            EXPECT_EQ(x.channel(i).value, 0);
            EXPECT_FALSE(x.channel(i).is_dynamic());
        }
        EXPECT_EQ(err.reason.rfind("channel ", 0), 0u) << err.reason;
    }
}

TEST(TransformationRecord, DamagedCountIsReportedWithChannelAndPlace)
{
    std::vector<char> bytes;
    for (int i = 0; i < 4; ++i)
        record::write_constant_channel(bytes, 0);
    record::write_envelope_channel(bytes, three_keys());
    for (int i = 5; i < 9; ++i)
        record::write_constant_channel(bytes, 0);
    const std::size_t count_at = 4 * 8 + 4;
    const std::uint32_t damaged = 1000000;
    std::memcpy(&bytes[count_at], &damaged, 4);

    transformation x;
    read_error err;
    EXPECT_EQ(x.read(bytes.data(), bytes.data() + bytes.size(), &err), nullptr);
    EXPECT_EQ(err.at - bytes.data(), std::ptrdiff_t(count_at));
    EXPECT_EQ(err.reason, "channel 4 envelope key count 1000000 needs 24000008 bytes, 112 are left");
}

// The view is the inverse of the camera's matrix; headings along the x axis put cos(heading),
// near zero, in the first pivot, and pitches and banks near quarter turns do the same further on.
TEST(TransformationCamera, InverseHoldsNearQuarterTurns)
{
    const double quarter = 1.5707963267948966;
    const double offsets[] = {1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1};
    mat4 id;
    identity(id);
    int checked = 0;
    for (double centre : {quarter, 3 * quarter})
        for (double offset : offsets)
            for (double sign : {-1.0, 1.0})
                for (float pitch : {0.245f, static_cast<float>(quarter - offset), static_cast<float>(-quarter + offset)})
                    for (float bank : {0.0f, static_cast<float>(quarter + offset)}) {
                        transformation_camera cam;
                        cam.position_x.value = -11, cam.position_y.value = 3, cam.position_z.value = 14;
                        cam.yaw.value = static_cast<float>(centre + sign * offset);
                        cam.pitch.value = pitch;
                        cam.bank.value = bank;
                        mat4 world, view, product;
                        cam.matrix(world, 0);
                        inverse(view, world);
                        SCOPED_TRACE(testing::Message() << "heading " << cam.yaw.value << " pitch " << pitch
                                                        << " bank " << bank);
                        multiply(product, view, world);
                        for (int i = 0; i < 16; ++i)
                            EXPECT_NEAR(product.m[i], id.m[i], 1e-5f) << i;
                        ++checked;
                    }
    EXPECT_EQ(checked, 2 * 7 * 2 * 3 * 2);
}

} // namespace
} // namespace quor::lightwave
