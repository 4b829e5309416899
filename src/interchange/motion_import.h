// Motion from another tool's file into one motion record, as quor-mem's imports and the
// workbench's import panel both take it: a LightWave scene's object or camera, an animated glTF
// node, or a record of a motion text. The camera's record takes the motion animated; an object's
// or the quad's, nine constants: the source's values at one time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "anim/record.h"
#include "interchange/motion_fit.h"
#include "interchange/motion_simplify.h"

namespace quor::interchange {

// Something a file offers to import.
struct motion_source {
    enum class kind { scene_object, scene_camera, gltf_node, text_record };
    kind what = kind::gltf_node;
    std::string name;
    // "camera Camera", "object jelly", "node Camera", "record camera": as lists show it.
    std::string label() const;
};

// Scene files and motion texts are read whole; past this size they are refused before anything
// is read (a text of single-letter words takes 16 times its size in tokens).
constexpr std::size_t max_text_bytes = std::size_t{64} << 20;

// The whole text of the file at path; false with *error naming it when it is not a regular file,
// is larger than max_text_bytes or cannot be read.
bool read_text(const std::string& path, std::string& text, std::string* error);

// What the file at path offers, by its kind: a LightWave scene (.lws) its objects and cameras, a
// glTF file (.gltf, .glb) its animated nodes, anything else read as motion text its records.
// False with one line in *error, naming the file, when it cannot be read or holds nothing.
bool list_motion_sources(const std::string& path, std::vector<motion_source>& out, std::string* error);

// A scene file's object (by its file name without folders and extension) or camera as curves;
// channels its motion block leaves out hold LightWave's rest values.
bool scene_motion(const std::string& path, bool camera, const std::string& name, source_motion& out,
                  std::string* error);

// Record `record` (section order) from imported motion: the camera's fitted up to the end of the
// timeline, an object's or the quad's the values at `at` (refused as make_record refuses).
// `notes` receives one line for each thing the import had to make do with (channels baked, motion
// taken at one time). With `simplify`, the record's envelopes are then simplified within it, and
// one more line says how (simplify_note).
bool record_from_motion(const source_motion& src, std::size_t record, double at, record::transformation& out,
                        std::vector<std::string>& notes, std::string* error,
                        const simplify_tolerance* simplify = nullptr);

// Record `record` from one source of the file at path: motion as record_from_motion takes it, a
// motion text's record as it is (simplified too, with `simplify`).
bool import_record(const std::string& path, const motion_source& source, std::size_t record, double at,
                   record::transformation& out, std::vector<std::string>& notes, std::string* error,
                   const simplify_tolerance* simplify = nullptr);

// The record's envelopes simplified within `tolerance` up to the end of the timeline; the line
// that says how goes into `notes`.
void simplify_imported(record::transformation& rec, const simplify_tolerance& tolerance,
                       std::vector<std::string>& notes);

} // namespace quor::interchange
