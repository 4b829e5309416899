// frame_probe SECONDS OUT.png: draws one frame of the demo at demo time SECONDS in a 640 x 480
// GLUT window, as the player draws it, and saves it as a PNG. Built for Linux and for Windows from
// this one file, so that the two builds' pictures of one moment can be compared. Prints which of
// the native handles the player offers its application were found for this window.
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/player_options.h"
#include "app/render_device.h"
#include "app/system.h"
#include "demo/demo.h"
#include "gl/api.h"
#include "io/png_file.h"
#include "platform/native_window.h"
#include "platform/window.h"

using namespace quor;

int main(int argc, char** argv)
{
    std::string no_display;
    if (!platform::start_window_system(argc, argv, no_display)) {
        std::cerr << "frame_probe: " << no_display << std::endl;
        return 1;
    }
    if (argc != 3) {
        std::cerr << "usage: frame_probe SECONDS OUT.png" << std::endl;
        return 2;
    }
    platform::window_request window;
    window.title = "frame probe";
    platform::open_window(window);
    const platform::native_handles handles = platform::find_native_handles(argv[0], window.title);
    std::cout << "instance " << (handles.instance != nullptr) << " window " << (handles.window != nullptr) << std::endl;
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
    system::shutdown();
    return 0;
}
