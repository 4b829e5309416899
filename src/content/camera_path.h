// The camera's flight: an orbit around the creature designed as a few shots (angle, distance,
// heights, roll), sampled into envelope keys of the camera's motion record. The camera starts
// at the origin looking down +z, which is where the channels' seed keys put it at time 0.
#pragma once

#include <vector>

namespace quor::content {

// Channel values of the camera in the LightWave frame: position, then yaw, pitch, bank.
struct camera_pose {
    float position[3];
    float yaw, pitch, bank;
};

// The designed pose at t seconds (0 to the end of the timeline and a little beyond).
camera_pose designed_camera(double t);

// The camera's transformation record: TCB envelopes for position, yaw and pitch, ease-in/out
// (Hermite) keys for bank, a mixer in scale x and constant scales y and z.
std::vector<char> camera_motion_record();

} // namespace quor::content
