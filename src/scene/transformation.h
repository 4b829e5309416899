// The motion of one scene node in LightWave terms: nine channels (position, yaw/pitch/bank,
// scale) plus a pivot, composed into a local matrix with the z axis mirrored into the
// renderer's right-handed frame. The camera variant uses position and rotation only.
#pragma once

#include "anim/channel.h"
#include "anim/matrix.h"
#include "anim/record.h"

namespace quor::lightwave {

class transformation {
public:
    static constexpr int channel_count = 9;
    static_assert(channel_count == record::transformation_channels);

    // Every channel starts as the constant 0, scales included, so a fresh one yields a
    // matrix that is zero apart from its last row.
    Channel position_x, position_y, position_z;
    Channel yaw, pitch, bank;
    Channel scale_x, scale_y, scale_z;
    vec3 pivot;
    vec3 pivot_rotation; // radians about x, y, z; applied z first, then x, then y

    // Not virtual: transformations live as members of scene nodes and die with them.
    ~transformation() = default;

    // Evaluates the channels at t (driven channels store their values) and writes
    // T(px,py,-pz) Ry(-h) Rx(-p) Rz(b) Ry(pr.y) Rx(pr.x) Rz(pr.z) S(sx,sy,sz) T(-pv.x,-pv.y,pv.z).
    virtual mat4& matrix(mat4& out, double t);

    // The nine channels in record order: position x, y, z, yaw, pitch, bank, scale x, y, z.
    Channel& channel(int i);

    // Reads nine channel records, one per channel in order, and returns the position just past
    // the ninth. If any of them runs past end, no channel changes, nullptr is returned and *err
    // (when given) names the channel, the fault and the byte where it lies.
    const char* read(const char* pos, const char* end, record::read_error* err = nullptr);
    // One channel record into c; see quor::read_channel.
    static const char* read_channel(const char* pos, const char* end, Channel& c,
                                    record::read_error* err = nullptr);
    // What `read` does with a record already read: each channel record changes its channel.
    void apply(const record::transformation& rec);
};

class transformation_camera : public transformation {
public:
    // T(px,py,-pz) Ry(-h) Rx(-p) Rz(b): scale channels, pivot and pivot rotation play no part
    // and are not evaluated.
    mat4& matrix(mat4& out, double t) override;
};

} // namespace quor::lightwave
