// The commands of quor-mem that bring motion, textures and music made in other tools into the
// demo's data file and music. Each returns the process's status: 0 done, 1 refused (one line
// `quor-mem: <command>: <why>` on the error stream, and no file changed).
#pragma once

#include <cstddef>
#include <string>

namespace quor::tools {

constexpr const char* program = "quor-mem";

// The three motion records as text, to out_path ("" or "-": the standard output).
int motion_export(const std::string& data_path, const std::string& out_path);
// The records a motion text lists into the data file.
int motion_import(const std::string& text_path, const std::string& data_path);
// An object's (object non-empty) or a camera's motion of a scene file into record `as`.
int motion_lws(const std::string& scene_path, const std::string& object, const std::string& camera,
               const std::string& as, double at, const std::string& data_path);
// A glTF node's animation into record `as`.
int motion_gltf(const std::string& file, const std::string& node, const std::string& as, double at,
                const std::string& data_path);
// An image into texture slot `slot`; the slot's full-size level out as PNG.
int texture_import(std::size_t slot, const std::string& image_path, const std::string& data_path);
int texture_export(std::size_t slot, const std::string& data_path, const std::string& png_path);
// A recording made into the demo's music file.
int music(const std::string& in_path, const std::string& out_path);

} // namespace quor::tools
