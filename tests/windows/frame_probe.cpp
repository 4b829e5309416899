// frame_probe SECONDS OUT.png [FRAMES]: draws one frame of the demo at demo time SECONDS in a
// 640 x 480 GLUT window, as the player draws it, and saves it as a PNG; with FRAMES, then runs the
// player's loop for that many more frames of that moment and prints their rate. Built for Linux
// and for Windows from this one file, so that the two builds can be compared.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/player_options.h"
#include "app/render_device.h"
#include "app/system.h"
#include "demo/demo.h"
#include "gl/api.h"
#include "io/png_file.h"
#include "platform/window.h"

using namespace quor;

namespace {

int frames = 0;
int drawn = 0;
std::chrono::steady_clock::time_point loop_start;

bool timed_display()
{
    if (drawn == 0)
        loop_start = std::chrono::steady_clock::now();
    if (drawn++ == frames) {
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - loop_start;
        std::cout << frames / took.count() << " frames/s" << std::endl;
        return false;
    }
    return system::display();
}

} // namespace

int main(int argc, char** argv)
{
    platform::start_window_system(argc, argv);
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: frame_probe SECONDS OUT.png [FRAMES]" << std::endl;
        return 2;
    }
    platform::window_request window;
    window.title = "frame probe";
    platform::open_window(window);
    if (!gl::load_system_api())
        return 1;
    system::player_options options;
    options.mute = true;
    system::creation_params params;
    params.width = window.width;
    params.height = window.height;
    params.options = &options;
    system::create_engine(params);
    system::reshape(window.width, window.height);
    if (!system::create_application(demo::make_demo, &params))
        return 1;
    static_cast<demo::Demo*>(system::current_application())->show_time(std::atof(argv[1]));
    system::display();
    const auto pixels = system::render_device().read_pixels(window.width, window.height);
    std::string error;
    if (!write_png(argv[2], pixels.data(), window.width, window.height, true, &error)) {
        std::cerr << error << std::endl;
        return 1;
    }
    if (argc == 4) {
        frames = std::atoi(argv[3]);
        platform::run_main_loop(timed_display, system::reshape, system::shutdown);
    }
    system::shutdown();
    return 0;
}
