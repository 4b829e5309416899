// The demo's start-up and its frame: projection, viewport and culling, the animation frame of the
// timeline, the scene draw from the camera, then the clock.
#include "demo/demo.h"

#include <memory>

#include "app/device_manager.h"
#include "app/render_device.h"
#include "app/system.h"
#include "demo/data_check.h"
#include "demo/data_layout.h"
#include "demo/music.h"
#include "scene/draw.h"

namespace quor::demo {

namespace {

// The scene's nodes that are drawn: the animated object and the quad. The camera, the third
// node, only gives the view.
constexpr std::size_t drawn_nodes = 2;

} // namespace

Demo::Demo(system::counter& time_source) : clock(time_source), actions(&system::device_manager()) {}

bool Demo::init()
{
    actions.bind("exit",
                 {system::device_manager().find(input::keyboard_kind, 0), input::escape_control, 0.05f, 0.05f});
    if (!scene.load())
        return false;
    music_playing = start_music(layout::music_file_name);
    clock.start();
    return true;
}

void Demo::frame()
{
    const double t = time_is_fixed ? fixed_time : clock.time();
    if (actions.active("exit"))
        system::request_exit();
    if (t > layout::timeline_end)
        system::request_exit();

    gl::render_device& device = system::render_device();
    device.clear();
    mat4 projection;
    device.load_projection(scene.camera.projection(projection));
    device.set_viewport(0, 0, system::screen_width(), system::screen_height(), 0.0f, 1.0f);
    device.set_cull(gl::cull_front);
    scene.animated_object.set_frame(static_cast<int>(layout::frame_at(t)));
    scene::draw_scene(std::span(scene.nodes.data(), drawn_nodes), device, static_cast<float>(t), scene.camera);
    clock.update();
}

bool Demo::reload(std::unique_ptr<char[]> data, std::size_t size)
{
    if (!check_data(data.get(), size).ok)
        return false;
    const std::string path = scene.file_path;
    for (gl::texture& t : scene.textures)
        t.destroy();
    // The scene's nodes point into it, so it is rebuilt in place rather than assigned.
    std::destroy_at(&scene);
    std::construct_at(&scene);
    scene.build(std::move(data), size);
    scene.file_path = path;
    return true;
}

system::application* make_demo(system::creation_params*) { return new Demo; }

} // namespace quor::demo
