// The demo's scene, built once over the block that holds the whole data file: five textures, the
// quad and the four meshes of the animated object with their materials, two scene objects and the
// camera, all pointing into the block without copies.
#pragma once

#include <array>
#include <memory>
#include <string>

#include <boost/shared_ptr.hpp>

#include "demo/data_file.h"
#include "gl/render_object.h"
#include "gl/texture.h"
#include "scene/camera.h"
#include "scene/object.h"
#include "scene/transformation.h"

namespace quor::demo {

struct DemoScene {
    // The whole data file; alive as long as the scene, since everything below points into it.
    std::unique_ptr<char[]> file_data;
    // The animated object, the quad object, the camera; null until the load.
    std::array<scene::node_base*, 3> nodes{};
    std::array<gl::texture, 5> textures;
    boost::shared_ptr<gl::render_object<vtx_nt0t1>> quad_mesh;
    std::array<boost::shared_ptr<gl::render_object<vtx_nt0t1>>, 4> meshes;
    scene::object<4, float, lightwave::transformation> animated_object;
    scene::object<1, float, lightwave::transformation> quad_object;
    scene::camera_template<float, lightwave::transformation_camera> camera;
    // The file's length in the block, and where the load found it (empty for a built block).
    std::size_t file_size = 0;
    std::string file_path;

    // Reads "tesk.mem" (current directory, then its parent) and builds the scene. A file that is
    // missing, does not fit the layout, has an index out of range or a record that does not read
    // cleanly is refused with one line on the standard error stream, and nothing is built. Only
    // the animated frames before `frames_first` must be in when it returns; where the system
    // delivers the file while the program runs, the later frames arrive behind (frame_arrived).
    bool load(std::size_t frames_first = layout::frame_count);
    // Whether animated frame `frame` of the loaded file is there to be drawn.
    bool frame_arrived(std::size_t frame) const;
    // Builds the scene over `data`, which holds a file of `size` bytes in a block of the layout's
    // block size; same checks and message as `load`.
    bool build(std::unique_ptr<char[]> data, std::size_t size);
    // Builds the scene over a file already checked: refused, with the check's message, only
    // when the check refused it.
    bool build(data_file file);
};

} // namespace quor::demo
