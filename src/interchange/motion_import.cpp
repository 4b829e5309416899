// The three kinds of source by the file's name; the notes worded as quor-mem prints them after
// its program and command.
#include "interchange/motion_import.h"

#include <algorithm>

#include "app/report.h"
#include "demo/data_file.h"
#include "demo/data_layout.h"
#include "interchange/gltf_motion.h"
#include "interchange/lws_scene.h"
#include "interchange/motion_text.h"
#include "io/whole_file.h"

namespace quor::interchange {
namespace {

bool ends_with(const std::string& s, const char* end)
{
    const std::string e(end);
    return s.size() >= e.size() && std::equal(e.rbegin(), e.rend(), s.rbegin(), [](char a, char b) {
               return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
           });
}

bool is_scene(const std::string& path) { return ends_with(path, ".lws"); }
bool is_gltf(const std::string& path) { return ends_with(path, ".gltf") || ends_with(path, ".glb"); }

std::string at_line(const std::string& path, const text_error& err)
{
    return path + ":" + std::to_string(err.line) + ":" + std::to_string(err.column) + ": " + err.what;
}

// The file's text through one of the text readers; its error names the line and column.
template <class Parsed>
bool parse_file(const std::string& path, bool (*parse)(std::string_view, Parsed&, text_error&), Parsed& out,
                std::string* error)
{
    std::string text;
    if (!read_text(path, text, error))
        return false;
    text_error err;
    if (parse(text, out, err))
        return true;
    *error = at_line(path, err);
    return false;
}

} // namespace

std::string motion_source::label() const
{
    switch (what) {
    case kind::scene_object:
        return "object " + name;
    case kind::scene_camera:
        return "camera " + name;
    case kind::gltf_node:
        return "node " + name;
    default:
        return "record " + name;
    }
}

bool read_text(const std::string& path, std::string& text, std::string* error)
{
    return read_whole_file(path, max_text_bytes, text, error);
}

bool list_motion_sources(const std::string& path, std::vector<motion_source>& out, std::string* error)
{
    out.clear();
    if (is_scene(path)) {
        std::vector<scene_item> items;
        if (!parse_file(path, read_scene, items, error))
            return false;
        for (const scene_item& item : items)
            out.push_back({item.camera ? motion_source::kind::scene_camera : motion_source::kind::scene_object, item.name});
    } else if (is_gltf(path)) {
        std::vector<std::string> nodes;
        if (!gltf_animated_nodes(path, nodes, error))
            return false;
        for (const std::string& node : nodes)
            out.push_back({motion_source::kind::gltf_node, node});
    } else {
        parsed_motion parsed;
        if (!parse_file(path, parse_motion_text, parsed, error))
            return false;
        for (std::size_t r = 0; r < parsed.records.size(); ++r)
            if (parsed.records[r])
                out.push_back({motion_source::kind::text_record, motion_record_names[r]});
    }
    if (out.empty()) {
        *error = path + ": holds no motion to import";
        return false;
    }
    return true;
}

bool scene_motion(const std::string& path, bool camera, const std::string& name, source_motion& out,
                  std::string* error)
{
    std::vector<scene_item> items;
    if (!parse_file(path, read_scene, items, error))
        return false;
    const scene_item* found = nullptr;
    for (const scene_item& item : items)
        if (item.camera == camera && item.name == name) {
            if (found) {
                *error = path + ": two " + (camera ? "cameras" : "objects") + " are named " + name;
                return false;
            }
            found = &item;
        }
    if (!found) {
        *error = path + ": no " + (camera ? "camera" : "object") + " named " + name;
        return false;
    }
    out = motion_of(*found, demo::layout::timeline_end);
    return true;
}

void simplify_imported(record::transformation& rec, const simplify_tolerance& tolerance,
                       std::vector<std::string>& notes)
{
    notes.push_back(simplify_note(simplify_record(rec, tolerance, demo::layout::timeline_end)));
}

bool record_from_motion(const source_motion& src, std::size_t record, double at, record::transformation& out,
                        std::vector<std::string>& notes, std::string* error, const simplify_tolerance* simplify)
{
    const bool camera = record + 1 == motion_record_count;
    fit_notes fitted;
    const std::size_t room = demo::record_room(record);
    if (!make_record(src, camera, at, demo::layout::timeline_end, room, out, fitted, error))
        return false;
    if (!camera) {
        if (std::any_of(src.begin(), src.end(), [](const source_curve& c) { return !c.constant; }))
            notes.push_back(std::string("the ") + motion_record_names[record] +
                            " record holds nine constants only: it takes the values at " + system::number_text(at) + " s");
        return true;
    }
    // One line for each reason the source gave for baking.
    for (std::size_t i = 0; i < fitted.baked.size(); ++i) {
        const std::string& reason = fitted.baked[i].second;
        if (std::any_of(fitted.baked.begin(), fitted.baked.begin() + static_cast<std::ptrdiff_t>(i),
                        [&](const auto& earlier) { return earlier.second == reason; }))
            continue;
        std::string names;
        for (const auto& [name, why] : fitted.baked)
            if (why == reason)
                names += (names.empty() ? "" : ", ") + name;
        notes.push_back("baked " + names + " (" + reason + ") up to " + system::number_text(demo::layout::timeline_end) + " s");
    }
    if (!fitted.thinned.empty()) {
        std::string names;
        for (const std::string& n : fitted.thinned)
            names += (names.empty() ? "" : ", ") + n;
        notes.push_back("thinned " + names + " to fit the record's " + std::to_string(room) +
                        " bytes: keys only where the curve strays past its tolerance");
    }
    if (simplify)
        simplify_imported(out, *simplify, notes);
    return true;
}

bool import_record(const std::string& path, const motion_source& source, std::size_t record, double at,
                   record::transformation& out, std::vector<std::string>& notes, std::string* error,
                   const simplify_tolerance* simplify)
{
    source_motion src;
    switch (source.what) {
    case motion_source::kind::text_record: {
        parsed_motion parsed;
        if (!parse_file(path, parse_motion_text, parsed, error))
            return false;
        for (std::size_t r = 0; r < parsed.records.size(); ++r)
            if (parsed.records[r] && source.name == motion_record_names[r]) {
                out = *parsed.records[r];
                if (simplify)
                    simplify_imported(out, *simplify, notes);
                return true;
            }
        *error = path + ": no record named " + source.name;
        return false;
    }
    case motion_source::kind::gltf_node: {
        std::string which;
        if (!gltf_motion(path, source.name, {}, demo::layout::timeline_end, src, error, &which))
            return false;
        if (!which.empty())
            notes.push_back(which);
        break;
    }
    default:
        if (!scene_motion(path, source.what == motion_source::kind::scene_camera, source.name, src, error))
            return false;
        break;
    }
    if (record_from_motion(src, record, at, out, notes, error, simplify))
        return true;
    *error = path + ": " + *error;
    return false;
}

} // namespace quor::interchange
