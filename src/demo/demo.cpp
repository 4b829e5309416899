// The demo's start-up and its frame: projection, viewport and culling, the animation frame of the
// timeline, the scene draw from the camera, then the clock.
#include "demo/demo.h"

#include <GL/gl.h>

#include <cstdlib>

#include "app/device_manager.h"
#include "app/render_device.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/music.h"
#include "scene/draw.h"

namespace quor::demo {

namespace {
constexpr int escape_control = 36;
}

Demo::Demo(system::counter& time_source) : clock(time_source), actions(&system::device_manager()) {}

void Demo::init()
{
    actions.bind("exit", {system::device_manager().find(0, 0), escape_control, 0.05f, 0.05f});
    if (!scene.load())
        std::exit(1);
    music_playing = start_music(layout::music_file_name);
    clock.start();
}

void Demo::frame()
{
    const double t = clock.time();
    if (actions.active("exit"))
        system::request_exit();
    if (t > layout::timeline_end)
        system::request_exit();

    gl::render_device& device = system::render_device();
    device.clear();
    device.load_projection(
        gl::perspective(scene.camera.fov, gl::aspect_ratio(), scene.camera.near_plane, scene.camera.far_plane));
    device.set_viewport(0, 0, system::screen_width(), system::screen_height(), 0.0f, 1.0f);
    device.set_cull(GL_FRONT);
    scene.animated_object.set_frame(static_cast<int>(layout::frame_at(t)));
    scene::draw_scene(std::span(scene.nodes.data(), 2), device, static_cast<float>(t), scene.camera);
    clock.update();
}

system::application* make_demo(system::creation_params*) { return new Demo; }

} // namespace quor::demo
