// LightWave motion to a local matrix: channel evaluation, composition with the z axis mirrored,
// and the reader of the nine channel records (checked whole before any channel changes).
#include "scene/transformation.h"

#include <string>

namespace quor::lightwave {
namespace {

// Multiplies the factor f onto the right of m: factors are listed in the order they appear in
// the product, so the last one listed acts first on a point.
void then(mat4& m, const mat4& f) { multiply(m, m, f); }

mat4& position_and_rotation(mat4& out, transformation& x, double t)
{
    const float px = x.position_x.evaluate(t);
    const float py = x.position_y.evaluate(t);
    const float pz = x.position_z.evaluate(t);
    const float h = x.yaw.evaluate(t);
    const float p = x.pitch.evaluate(t);
    const float b = x.bank.evaluate(t);
    mat4 f;
    translation(out, vec3(px, py, -pz));
    then(out, rotation_y(f, -h));
    then(out, rotation_x(f, -p));
    then(out, rotation_z(f, b));
    return out;
}

} // namespace

Channel& transformation::channel(int i)
{
    static Channel transformation::* const members[channel_count] = {
        &transformation::position_x, &transformation::position_y, &transformation::position_z,
        &transformation::yaw,        &transformation::pitch,      &transformation::bank,
        &transformation::scale_x,    &transformation::scale_y,    &transformation::scale_z,
    };
    return this->*members[i];
}

mat4& transformation::matrix(mat4& out, double t)
{
    position_and_rotation(out, *this, t);
    const float sx = scale_x.evaluate(t);
    const float sy = scale_y.evaluate(t);
    const float sz = scale_z.evaluate(t);
    mat4 f;
    then(out, rotation_y(f, pivot_rotation.y));
    then(out, rotation_x(f, pivot_rotation.x));
    then(out, rotation_z(f, pivot_rotation.z));
    then(out, scaling(f, sx, sy, sz));
    then(out, translation(f, vec3(-pivot.x, -pivot.y, pivot.z)));
    return out;
}

mat4& transformation_camera::matrix(mat4& out, double t) { return position_and_rotation(out, *this, t); }

const char* transformation::read(const char* pos, const char* end, record::read_error* err)
{
    record::transformation rec;
    const char* after = record::read_transformation(pos, end, rec, err);
    if (after)
        apply(rec);
    return after;
}

const char* transformation::read_channel(const char* pos, const char* end, Channel& c, record::read_error* err)
{
    return quor::read_channel(pos, end, c, err);
}

void transformation::apply(const record::transformation& rec)
{
    for (int i = 0; i < channel_count; ++i)
        record::apply(rec[static_cast<std::size_t>(i)], channel(i));
}

} // namespace quor::lightwave
