// Camera shots, their smooth interpolation in orbit terms, and their keys. Orbit terms keep the
// creature framed: angle and distance around it, the camera's height and the height it looks at.
#include "camera_path.h"

#include <cmath>
#include <iterator>

#include "anim/envelope.h"
#include "anim/record_writer.h"
#include "stage.h"

namespace quor::tools {
namespace {

struct shot {
    float time, angle, distance, height, target, bank;
};

// Calm orbit while the creature pulses; at 21 s a swoop up and around as it blooms.
constexpr shot shots[] = {
    {0, 0, 14, 0, 0, 0},          {3, 0.2f, 13.5f, 0.6f, -0.1f, 0.02f},  {6, 0.6f, 12.5f, 2.2f, 0.1f, -0.03f},
    {9, 1.15f, 11.5f, 3.4f, 0.2f, 0.04f}, {12, 1.8f, 11.5f, 2.6f, 0.1f, 0},  {15, 2.4f, 12, 1.0f, -0.2f, -0.05f},
    {18, 2.9f, 13, -0.4f, -0.3f, 0.03f}, {21, 3.2f, 12, 0.6f, 0, 0},          {23, 3.8f, 10.5f, 3.6f, 0.5f, 0.08f},
    {25.5f, 4.6f, 10, 5.6f, 1.0f, -0.05f}, {28, 5.4f, 11, 6.6f, 1.3f, 0.04f}, {31, 6.2f, 13, 5.2f, 1.4f, 0},
    {33, 6.6f, 14, 4.8f, 1.4f, 0},
};
constexpr int shot_count = static_cast<int>(std::size(shots));

// Catmull-Rom through the shots, on one field at a time.
float through_shots(double t, float shot::*field)
{
    int i = 0;
    while (i + 2 < shot_count && shots[i + 1].time <= t)
        ++i;
    const shot& a = shots[i > 0 ? i - 1 : 0];
    const shot& b = shots[i];
    const shot& c = shots[i + 1];
    const shot& d = shots[i + 2 < shot_count ? i + 2 : i + 1];
    float u = static_cast<float>((t - b.time) / (c.time - b.time));
    u = u < 0 ? 0 : u > 1 ? 1 : u;
    const float p0 = a.*field, p1 = b.*field, p2 = c.*field, p3 = d.*field;
    const float u2 = u * u, u3 = u2 * u;
    return 0.5f * (2 * p1 + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u2 + (3 * p1 - p0 - 3 * p2 + p3) * u3);
}

constexpr float key_spacing = 1.0f;
constexpr float last_key_time = 33.0f;

std::vector<Key> sampled_keys(float camera_pose::*field, Shape shape)
{
    std::vector<Key> keys;
    for (float t = key_spacing; t <= last_key_time; t += key_spacing) {
        Key k;
        k.time = t;
        k.value = designed_camera(t).*field;
        k.shape = shape;
        keys.push_back(k);
    }
    return keys;
}

std::vector<Key> position_keys(int axis)
{
    std::vector<Key> keys;
    for (float t = key_spacing; t <= last_key_time; t += key_spacing) {
        Key k;
        k.time = t;
        k.value = designed_camera(t).position[axis];
        keys.push_back(k);
    }
    return keys;
}

} // namespace

camera_pose designed_camera(double t)
{
    const float angle = through_shots(t, &shot::angle);
    const float distance = through_shots(t, &shot::distance);
    const float height = through_shots(t, &shot::height);
    const float target = through_shots(t, &shot::target);
    // Orbit around the creature's axis; in the LightWave frame the creature is at +z.
    camera_pose p;
    p.position[0] = creature_position[0] - distance * std::sin(angle);
    p.position[1] = height;
    p.position[2] = creature_position[2] - distance * std::cos(angle);
    // Yaw turns the view from +z towards +x; the camera faces the axis, pitching down to target.
    p.yaw = angle;
    p.pitch = std::atan2(height - target, distance);
    p.bank = through_shots(t, &shot::bank);
    return p;
}

std::vector<char> camera_motion_record()
{
    std::vector<char> out;
    for (int axis = 0; axis < 3; ++axis)
        record::write_envelope_channel(out, position_keys(axis));
    record::write_envelope_channel(out, sampled_keys(&camera_pose::yaw, Shape::TCB));
    record::write_envelope_channel(out, sampled_keys(&camera_pose::pitch, Shape::TCB));
    record::write_envelope_channel(out, sampled_keys(&camera_pose::bank, Shape::Hermite));
    // The camera ignores scale; scale x carries a mixer of two breathing curves all the same.
    std::vector<Key> breathe{{1, 0, Shape::TCB, 0, 0, 0, {}}, {1.2f, 10.5f, Shape::TCB, 0, 0, 0, {}},
                             {1, 21, Shape::Linear, 0, 0, 0, {}}};
    std::vector<Key> settle{{1, 21, Shape::Stepped, 0, 0, 0, {}}, {1.1f, 31, Shape::TCB, 0.5f, 0, 0, {}}};
    record::write_mixer_channel(out, {breathe, settle});
    record::write_constant_channel(out, 1);
    record::write_constant_channel(out, 1);
    return out;
}

} // namespace quor::tools
