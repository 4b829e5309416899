// Scene assembly over the data block: textures, buffers, materials, render objects, the two
// objects and the camera, in the file's order. The block is checked before anything is built.
#include "demo/demo_scene.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

#include "app/report.h"
#include "demo/data_layout.h"
#include "demo/installed_data.h"
#include "gl/index_buffer.h"
#include "gl/material_ffp.h"
#include "gl/texcoord_texgen.h"
#include "gl/vertex_buffer.h"
#include "io/disk_binfile.h"
#include "io/utf8_path.h"
#include "platform/arrival.h"

namespace quor::demo {

namespace {

using namespace layout;
using mesh_object = gl::render_object<vtx_nt0t1>;

boost::shared_ptr<mesh_object> make_mesh(const char* block, boost::shared_ptr<gl::vertex_buffer> vertices,
                                         const mesh_entry& entry, gl::texture& texture)
{
    const index_list& list = index_lists[entry.list];
    const auto* first = reinterpret_cast<const unsigned*>(block + indices.offset + list.offset);
    boost::shared_ptr<gl::ref_index_buffer<unsigned>> index_buffer(
        new gl::ref_index_buffer<unsigned>(first, static_cast<unsigned>(list.count)));
    boost::shared_ptr<gl::material_ffp> material(new gl::material_ffp);
    material->set_ambient(entry.ambient);
    material->set_diffuse(entry.diffuse);
    material->set_specular(entry.specular);
    material->set_emission(entry.emission);
    material->add_state(new gl::texcoord_texgen(0, 0));
    material->add_texture(&texture, 0, 0);
    return boost::shared_ptr<mesh_object>(new mesh_object(std::move(vertices), index_buffer, material));
}

// Reads the whole file into a fresh block; the file must fit the block. The animated frames from
// `frames_first` on may still be arriving when it returns.
std::unique_ptr<char[]> read_file(std::size_t& size, std::string& path, std::size_t frames_first)
{
    // An installed program started from a folder without data reads the installed data: its folder
    // is the search path's last, so that finding the data there is no failure to warn of.
    const std::string installed = installed_data_folder();
    DiskBinfile file(installed.empty() ? std::string(default_search_path)
                                       : std::string(default_search_path) + ";" + installed);
    const bool found = file.open(data_file_name);
    const bool missing = !found && file.last_failure() == DiskBinfile::open_failure::not_found;
    if (!found) {
        // The file layer has said why; only a missing file needs to say where it was looked for.
        if (missing) {
            std::error_code ignored;
            const std::filesystem::path here = std::filesystem::current_path(ignored);
            // Each folder once: the root is its own parent, and the installed folder may be unknown.
            std::vector<std::string> folders{io::utf8_text(here)};
            for (const std::filesystem::path& more : {here.parent_path(), io::utf8_path(installed).parent_path()})
                if (!more.empty() && std::find(folders.begin(), folders.end(), io::utf8_text(more)) == folders.end())
                    folders.push_back(io::utf8_text(more));
            std::string where = folders.front();
            for (std::size_t i = 1; i < folders.size(); ++i)
                where += (i + 1 == folders.size() ? " and " : ", ") + folders[i];
            system::report(data_file_name, "looked in " + where +
                                               "; give its folder with --data DIR, or run the demo from the "
                                               "folder that holds it");
        }
        return nullptr;
    }
    size = static_cast<std::size_t>(file.length);
    path = file.path;
    if (size > block_size) {
        system::report(data_file_name, std::to_string(size) + " bytes, longer than the " + std::to_string(block_size) +
                                           "-byte block it is read into");
        return nullptr;
    }
    // Left uninitialised: the pages are touched once, by the read.
    std::unique_ptr<char[]> block(new char[block_size]);
    const std::size_t later_from = animated_vertices.offset + std::min(frames_first, frame_count) * frame_bytes;
    const platform::file_range later{later_from, animated_vertices.end() - later_from};
    const std::size_t got = platform::read_leaving_later(file.fd, block.get(), size, later);
    if (got != size) {
        system::report(data_file_name, "read " + std::to_string(got) + " of its " + std::to_string(size) + " bytes");
        return nullptr;
    }
    return block;
}

} // namespace

bool DemoScene::load(std::size_t frames_first)
{
    std::size_t size = 0;
    std::string path;
    std::unique_ptr<char[]> block = read_file(size, path, frames_first);
    if (!block || !build(std::move(block), size))
        return false;
    file_path = path;
    return true;
}

bool DemoScene::frame_arrived(std::size_t frame) const
{
    return platform::arrived(file_data.get() + animated_vertices.offset + frame * frame_bytes, frame_bytes);
}

bool DemoScene::build(std::unique_ptr<char[]> data, std::size_t size)
{
    return build(check_block(std::move(data), size, data_file_name));
}

bool DemoScene::build(data_file file)
{
    const data_check_result& check = file.check;
    if (!check.ok) {
        system::report(check.message);
        return false;
    }
    file_data = std::move(file.block);
    file_size = file.size;
    const char* block = file_data.get();

    for (std::size_t i = 0; i < textures.size(); ++i) {
        const texture_entry& t = texture_table[i];
        textures[i].create_compressed(block + layout::textures.offset + t.level0_offset, static_cast<int>(t.width),
                                      static_cast<int>(t.height), 1, static_cast<int>(t.levels));
    }

    boost::shared_ptr<gl::orderedvertex_buffer<vtx_nt0t1>> quad(new gl::orderedvertex_buffer<vtx_nt0t1>(
        reinterpret_cast<const vtx_nt0t1*>(block + quad_vertices.offset), quad_vertex_count));
    quad_mesh = make_mesh(block, quad, mesh_table[0], textures[mesh_table[0].texture]);

    boost::shared_ptr<gl::orderedvertex_buffer<vtx_nt0t1>> animated(new gl::orderedvertex_buffer<vtx_nt0t1>(
        reinterpret_cast<const vtx_nt0t1*>(block + animated_vertices.offset), frame_vertex_count));
    for (std::size_t m = 0; m < meshes.size(); ++m)
        meshes[m] = make_mesh(block, animated, mesh_table[m + 1], textures[mesh_table[m + 1].texture]);

    // The check has read the records; the scene takes them from it rather than from the bytes.
    nodes[0] = &animated_object;
    animated_object.transformation.apply(check.records[0]);
    for (auto& mesh : meshes)
        animated_object.add(mesh);
    nodes[1] = &quad_object;
    quad_object.transformation.apply(check.records[1]);
    quad_object.add(quad_mesh);
    nodes[2] = &camera;
    camera.transformation.apply(check.records[2]);
    return true;
}

} // namespace quor::demo
