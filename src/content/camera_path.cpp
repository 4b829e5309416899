// Camera shots, their smooth interpolation in orbit terms, and their keys. Orbit terms keep the
// creature framed: angle and distance around it, the camera's height and the height it looks at.
#include "content/camera_path.h"

#include <cmath>
#include <iterator>

#include "anim/envelope.h"
#include "anim/record.h"
#include "content/stage.h"

namespace quor::content {
namespace {

struct shot {
    float time, angle, distance, height, target, bank;
};

// The first act circles in: a push-in, a rise over the crown and a pass close above it, then
// down low and wide for the hit at 21 s; the swoop around the bloom; at the end the camera
// stays low and looks up after the creature as it swims off into the dark.
constexpr shot shots[] = {
    {0, 0, 14, 0, 0, 0},                 {3, 0.25f, 12, 0.4f, 0.5f, 0.02f},   {6, 0.7f, 9, 1.8f, 1.7f, -0.03f},
    {9, 1.3f, 6.2f, 4.2f, 2.0f, 0.04f},  {11.5f, 2.0f, 4.8f, 5.6f, 1.8f, 0.06f}, {14, 2.8f, 7.5f, 3.0f, 1.0f, -0.04f},
    {17, 3.4f, 12, -1.5f, 0.4f, 0.03f},  {19.5f, 3.8f, 14, -2.2f, 0.2f, 0},   {21, 4.0f, 12, -0.5f, 0.4f, 0},
    {23, 4.6f, 10.5f, 3.6f, 1.6f, 0.08f}, {25.5f, 5.4f, 10, 5.6f, 2.0f, -0.05f}, {28, 6.0f, 13, 2.0f, 3.5f, 0.04f},
    {29, 6.15f, 16, 1, 6, 0},            {30, 6.3f, 20, 0, 10, 0},            {31, 6.4f, 24, -1, 14, 0},
    {33, 6.5f, 26, -1, 15, 0},
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

constexpr float key_spacing = 0.5f;
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

} // namespace quor::content
