// The demo's start-up and its frame: projection, viewport and culling, the animation frame of the
// timeline, the scene draw from the camera, then the clock.
#include "demo/demo.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <span>

#include "app/device_manager.h"
#include "app/render_device.h"
#include "app/screenshot.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/music.h"
#include "platform/arrival.h"
#include "scene/draw.h"
#include "io/utf8_path.h"

namespace quor::demo {

static_assert(system::latest_start == layout::timeline_end, "--start is refused past the timeline's end");

namespace {

// The scene's nodes that are drawn: the animated object and the quad. The camera, the third
// node, only gives the view.
constexpr std::size_t drawn_nodes = 2;

// The show starts once it has the frames of its first seconds from `start` on; the rest may
// arrive while it plays.
constexpr double lead_seconds = 2.0;

// How many animated frames, from the first, the timeline shows in its first seconds from `start`.
std::size_t frames_first(double start)
{
    std::size_t last = 0;
    for (double t = start; t <= start + lead_seconds; t += 1.0 / layout::frames_per_second)
        last = std::max(last, layout::frame_at(t));
    return last + 1;
}

} // namespace

Demo::Demo(system::counter& time_source, system::player_options player)
    : clock(time_source), actions(&system::device_manager()), options(std::move(player)), time_source_(&time_source),
      time_offset(options.start)
{
}

void Demo::bind_actions()
{
    input::Device* keyboard = system::device_manager().find(input::keyboard_kind, 0);
    actions.bind("exit", {keyboard, input::escape_control, 0.05f, 0.05f});
    actions.bind("pause", {keyboard, input::character_control(' '), 0.05f, 0.05f});
    actions.bind("full screen", {keyboard, input::special_control(input::special_key_f11), 0.05f, 0.05f});
    actions.bind("screenshot", {keyboard, input::special_control(input::special_key_f12), 0.05f, 0.05f});
}

bool Demo::init()
{
    bind_actions();
    if (!scene.load(frames_first(options.start)))
        return false;
    // Beside the data: run from a folder below, the data is found in the parent and so is the music.
    music_file = io::utf8_text(io::utf8_path(scene.file_path).replace_filename(layout::music_file_name));
    if (!options.mute)
        music_playing = start_music(music_file.c_str(), options.start);
    clock.start();
    return true;
}

void Demo::run_timeline(bool run)
{
    if (!run) {
        clock.stop();
        pause_music();
    } else {
        // From the paused frame's time, so that music and picture go on together.
        play_music_from(demo_time());
        clock.start();
    }
}

void Demo::set_paused(bool pause)
{
    if (pause == paused_)
        return;
    paused_ = pause;
    if (!starved_)
        run_timeline(!pause);
}

long long Demo::frame_to_draw(double t)
{
    const std::size_t wanted = layout::frame_at(t);
    const bool there = scene.frame_arrived(wanted);
    // A change: the data ran out, or what was waited for came.
    if (there == starved_) {
        starved_ = !there;
        platform::show_waiting(starved_);
        if (!paused_ && !time_is_fixed)
            run_timeline(there);
    }
    if (there)
        drawn_frame_ = static_cast<long long>(wanted);
    return drawn_frame_;
}

bool Demo::handle_player_keys()
{
    if (system::exit_requested())
        return false;
    if (actions.pressed("pause"))
        set_paused(!paused_);
    if (actions.pressed("full screen"))
        system::toggle_full_screen();
    return actions.pressed("screenshot");
}

void Demo::restart()
{
    clock = system::clock(*time_source_);
    time_offset = 0.0;
    play_music_from(0.0);
    clock.start();
}

void Demo::frame()
{
    const bool screenshot = handle_player_keys();
    double t = demo_time();
    if (actions.active("exit"))
        system::request_exit();
    // A paused timeline does not run out: the countdown starts only after the pause ends.
    if (t > layout::timeline_end && !paused_) {
        if (options.loop) {
            restart();
            t = demo_time();
        } else {
            system::request_exit();
        }
    }

    gl::render_device& device = system::render_device();
    device.clear();
    mat4 projection;
    if (picture) {
        const picture_area& p = *picture;
        device.load_projection(
            scene.camera.projection(projection, static_cast<float>(static_cast<double>(p.width) / p.height)));
        device.set_viewport(p.x, p.y, p.width, p.height, 0.0f, 1.0f);
    } else {
        device.load_projection(scene.camera.projection(projection));
        device.set_viewport(0, 0, system::screen_width(), system::screen_height(), 0.0f, 1.0f);
    }
    device.set_cull(gl::cull_front);
    // Without any frame yet the animated object is left out rather than drawn from missing data.
    const long long shown = frame_to_draw(t);
    if (shown >= 0)
        scene.animated_object.set_frame(static_cast<int>(shown));
    const std::span nodes = shown >= 0 ? std::span(scene.nodes.data(), drawn_nodes) : std::span(scene.nodes.data() + 1, 1);
    scene::draw_scene(nodes, device, static_cast<float>(t), scene.camera);
    if (screenshot) {
        const std::string path = system::save_screenshot(system::start_folder());
        if (!path.empty())
            std::cout << path << std::endl;
    }
    clock.update();
}

bool Demo::reload(data_file file)
{
    if (!file.check.ok)
        return false;
    const std::string path = scene.file_path;
    for (gl::texture& t : scene.textures)
        t.destroy();
    // The scene's nodes point into it, so it is rebuilt in place rather than assigned.
    std::destroy_at(&scene);
    std::construct_at(&scene);
    const bool built = scene.build(std::move(file));
    scene.file_path = path;
    return built;
}

system::application* make_demo(system::creation_params* params)
{
    return new Demo(system::system_counter(), params && params->options ? *params->options : system::player_options{});
}

} // namespace quor::demo
