// A camera's glTF export as a tool that samples every frame writes it: node "Camera", a LINEAR
// translation and a LINEAR rotation about the vertical with a key each frame from frame 0.
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "base64.h"

namespace quor::test {

// `where(t)` the position in glTF's frame, `heading(t)` the turn about +y in radians.
inline std::string per_frame_camera_gltf(double fps, double seconds,
                                         const std::function<std::array<double, 3>(double)>& where,
                                         const std::function<double(double)>& heading)
{
    const int frames = static_cast<int>(seconds * fps) + 1;
    std::vector<float> data;
    for (int i = 0; i < frames; ++i)
        data.push_back(static_cast<float>(i / fps));
    for (int i = 0; i < frames; ++i)
        for (double v : where(i / fps))
            data.push_back(static_cast<float>(v));
    for (int i = 0; i < frames; ++i) {
        const double h = heading(i / fps) / 2;
        data.insert(data.end(), {0, static_cast<float>(std::sin(h)), 0, static_cast<float>(std::cos(h))});
    }
    const std::string n = std::to_string(frames), bytes = std::to_string(data.size() * 4);
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
      "nodes":[{"name":"Camera","camera":0}],
      "cameras":[{"type":"perspective","perspective":{"yfov":0.6,"znear":0.1}}],
      "buffers":[{"byteLength":)" + bytes + R"(,"uri":"data:application/octet-stream;base64,)" + base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteLength":)" + bytes + R"(}],
      "accessors":[
        {"bufferView":0,"byteOffset":0,"componentType":5126,"count":)" + n + R"(,"type":"SCALAR","min":[0],"max":[)" +
           std::to_string(static_cast<float>((frames - 1) / fps)) + R"(]},
        {"bufferView":0,"byteOffset":)" + std::to_string(frames * 4) + R"(,"componentType":5126,"count":)" + n +
           R"(,"type":"VEC3"},
        {"bufferView":0,"byteOffset":)" + std::to_string(frames * 16) + R"(,"componentType":5126,"count":)" + n +
           R"(,"type":"VEC4"}],
      "animations":[{"name":"CameraAction","samplers":[
          {"input":0,"output":1,"interpolation":"LINEAR"},{"input":0,"output":2,"interpolation":"LINEAR"}],
        "channels":[{"sampler":0,"target":{"node":0,"path":"translation"}},
                    {"sampler":1,"target":{"node":0,"path":"rotation"}}]}]})";
}

} // namespace quor::test
