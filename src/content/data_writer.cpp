// Fills the data file region by region: floor and creature frames, index lists, DXT1 textures
// behind their 8-byte prefixes, motion records.
#include "content/data_writer.h"

#include <array>
#include <cstring>
#include <filesystem>

#include "anim/record.h"
#include "content/camera_path.h"
#include "content/creature.h"
#include "content/soundtrack.h"
#include "content/stage.h"
#include "content/textures.h"
#include "demo/data_check.h"
#include "demo/data_file.h"
#include "demo/data_layout.h"
#include "demo/scene_section.h"
#include "interchange/dxt1_chain.h"
#include "interchange/mp3_encoder.h"
#include "io/replace_file.h"
#include "io/utf8_path.h"

namespace quor::content {
namespace {

using namespace demo::layout;

bool put_index_list(std::vector<char>& out, const index_list& list, const std::vector<std::uint32_t>& indices,
                    std::string* error)
{
    if (indices.size() != list.count) {
        *error = std::string(list.name) + " has " + std::to_string(indices.size()) + " indices, the layout wants " +
                 std::to_string(list.count);
        return false;
    }
    std::vector<char> bytes;
    bytes.reserve(indices.size() * index_bytes);
    for (const std::uint32_t v : indices)
        record::write_u32(bytes, v);
    std::memcpy(out.data() + demo::layout::indices.offset + list.offset, bytes.data(), bytes.size());
    return true;
}

} // namespace

bool scene_records(std::vector<char>& out, std::string* error)
{
    const std::array<std::vector<char>, 3> written{placement_record(creature_position), placement_record(floor_position),
                                                   camera_motion_record()};
    demo::section_records records;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const char* end = written[i].data() + written[i].size();
        if (record::read_transformation(written[i].data(), end, records[i]) != end) {
            *error = std::string("the ") + demo::record_names[i] + " record does not read back whole";
            return false;
        }
    }
    return demo::write_scene_section(records, out, error);
}

bool assemble_data_file(std::vector<char>& out, const progress_fn& progress, std::string* error)
{
    std::vector<char> scene;
    if (!scene_records(scene, error))
        return false;
    out.assign(min_file_size + scene.size(), 0);

    const auto floor = floor_vertices();
    std::memcpy(out.data() + quad_vertices.offset, floor.data(), quad_vertices.size);
    const auto floor_list = floor_indices();
    if (!put_index_list(out, index_lists[quad_list], {floor_list.begin(), floor_list.end()}, error))
        return false;

    const creature_frame rest = build_creature(pose_of_frame(0));
    if (rest.positions.size() != frame_vertex_count) {
        *error = "the creature has " + std::to_string(rest.positions.size()) + " vertices, a frame holds " +
                 std::to_string(frame_vertex_count);
        return false;
    }
    for (std::size_t m = 0; m < mesh_list_count; ++m)
        if (!put_index_list(out, index_lists[m + 1], rest.lists[m], error))
            return false;
    progress("creature: " + std::to_string(frame_count) + " frames of " + std::to_string(frame_vertex_count) +
             " vertices");
    auto* frames = reinterpret_cast<vtx_nt0t1*>(out.data() + animated_vertices.offset);
    for (std::size_t f = 0; f < frame_count; ++f)
        write_creature_frame(f, rest, frames + f * frame_vertex_count);

    for (std::size_t t = 0; t < texture_table.size(); ++t) {
        const texture_entry& entry = texture_table[t];
        progress("texture " + std::to_string(t) + ": " + std::to_string(entry.width) + " x " +
                 std::to_string(entry.height) + ", " + std::to_string(entry.levels) + " levels");
        const std::vector<std::uint8_t> chain = interchange::compress_chain(paint_texture(t));
        if (chain.size() != entry.chain_bytes) {
            *error = "texture " + std::to_string(t) + " compressed to " + std::to_string(chain.size()) +
                     " bytes, the layout wants " + std::to_string(entry.chain_bytes);
            return false;
        }
        std::vector<char> prefix{'D', 'X', 'T', '1'};
        record::write_u32(prefix, static_cast<std::uint32_t>(entry.width | (entry.height << 16)));
        std::memcpy(out.data() + textures.offset + entry.prefix_offset, prefix.data(), prefix.size());
        std::memcpy(out.data() + textures.offset + entry.level0_offset, chain.data(), chain.size());
    }
    std::memcpy(out.data() + scene_section.offset, scene.data(), scene.size());
    return true;
}

bool build_outputs(const std::string& dir, const progress_fn& progress, std::string* error)
{
    // A fresh checkout has no data folder until the first build makes one.
    std::error_code ec;
    const std::filesystem::path folder = io::utf8_path(dir);
    if (!std::filesystem::exists(folder, ec) && !std::filesystem::create_directories(folder, ec)) {
        *error = "cannot create the folder " + dir + ": " + ec.message();
        return false;
    }
    if (!std::filesystem::is_directory(folder, ec)) {
        *error = "cannot write into " + dir + ": not a directory";
        return false;
    }
    const std::string base = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    std::vector<char> data;
    if (!assemble_data_file(data, progress, error))
        return false;
    const std::string data_path = base + data_file_name;
    progress("writing " + data_path + " (" + std::to_string(data.size()) + " bytes)");
    if (!replace_file(data_path, data, demo::loads_as_the_demo(data_path), error))
        return false;
    data = {};

    progress("soundtrack: " + std::to_string(static_cast<int>(soundtrack_seconds)) + " s at " +
             std::to_string(sample_rate) + " Hz, " + std::to_string(interchange::mp3_bit_rate) + " kbit/s");
    const std::vector<std::uint8_t> mp3 = interchange::encode_mp3(synthesise_soundtrack(), error);
    if (mp3.empty())
        return false;
    const std::string music_path = base + music_file_name;
    progress("writing " + music_path + " (" + std::to_string(mp3.size()) + " bytes)");
    return replace_file(music_path, std::span(reinterpret_cast<const char*>(mp3.data()), mp3.size()), {}, error);
}

} // namespace quor::content
