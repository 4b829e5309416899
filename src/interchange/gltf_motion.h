// A glTF node's animation as the nine channels of a LightWave-style transformation. glTF's frame is
// right-handed (+y up, cameras looking down -z), which is the renderer's frame: positions and
// rotations are mirrored in z into the LightWave frame, which the transformation mirrors back.
// Reads .gltf and .glb files through tinygltf.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "interchange/motion_fit.h"

namespace quor::interchange {

// The composed rotation of an imported node may stray this far from glTF's interpolation.
constexpr float gltf_rotation_tolerance_degrees = 0.1f;

// The node's translation, rotation and scale animation as channels: the animation named
// `animation`, or when that is empty the first that moves the node (*note then says which, when
// several do). LINEAR and STEP translation and scale keys exact, CUBICSPLINE curves to be baked
// within 1e-3 of the path's size; rotations as heading, pitch and bank, exact for STEP and
// otherwise to be baked so the composed rotation stays within the tolerance above of glTF's
// spherical interpolation. Paths the animation leaves alone keep the node's own values. False
// with *error (one line, listing the nodes or animations there are) when the file is not glTF,
// or the node or its animation is missing.
bool gltf_motion(const std::string& path, const std::string& node, const std::string& animation, double end,
                 source_motion& out, std::string* error, std::string* note);

// The names of the nodes an animation of the file moves, in the file's order. False with *error
// (one line) when the file is not glTF.
bool gltf_animated_nodes(const std::string& path, std::vector<std::string>& names, std::string* error);
// Heading, pitch and bank (radians) whose transformation rotation equals the unit quaternion
// (x, y, z, w) given in glTF's frame.
std::array<float, 3> heading_pitch_bank(const std::array<double, 4>& q);

} // namespace quor::interchange
