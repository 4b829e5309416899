// Process-wide frame state, the steps of one display callback, and the start-up that joins them
// to the platform's window and main loop.
#include "app/system.h"

#include <filesystem>
#include <memory>

#include "app/command_line.h"
#include "app/device_manager.h"
#include "app/player_options.h"
#include "app/render_device.h"
#include "app/report.h"
#include "gl/api.h"
#include "io/utf8_path.h"
#include "platform/native_window.h"
#include "platform/window.h"

namespace quor::system {

namespace {

// The countdown value adds the single-precision 1/30 in double precision (callback N+30 after
// the request sees 1.0000004); the shutdown itself goes by the count of callbacks, so that any
// other length ends on its own callback too.
constexpr int default_countdown_frames = 30;

struct frame_state {
    int screen_width = 1024;
    int screen_height = 768;
    std::unique_ptr<gl::render_device> device;
    std::unique_ptr<input::DeviceManager> devices;
    std::unique_ptr<application> app;
    bool exit_requested = false;
    float exit_countdown = 0.0f;
    int countdown_frames = default_countdown_frames;
    int countdown_done = 0;
    bool has_window = false;
    std::string start_folder;
};

frame_state state;

} // namespace

input::DeviceManager& device_manager() { return *state.devices; }
gl::render_device& render_device() { return *state.device; }
application* current_application() { return state.app.get(); }
void request_exit() { state.exit_requested = true; }
int screen_width() { return state.screen_width; }
int screen_height() { return state.screen_height; }
bool exit_requested() { return state.exit_requested; }
float exit_countdown() { return state.exit_countdown; }
void set_countdown_frames(int frames) { state.countdown_frames = frames > 0 ? frames : 1; }
const std::string& start_folder() { return state.start_folder; }

void toggle_full_screen()
{
    if (state.has_window)
        platform::toggle_full_screen();
}

void create_engine(const creation_params& params)
{
    state.screen_width = 1024;
    state.screen_height = 768;
    state.exit_requested = false;
    state.exit_countdown = 0.0f;
    state.countdown_frames = default_countdown_frames;
    state.countdown_done = 0;
    state.device = std::make_unique<gl::render_device>();
    state.devices = std::make_unique<input::DeviceManager>(params);
}

bool create_application(application_factory factory, creation_params* params)
{
    state.app.reset(factory(params));
    return state.app->init();
}

bool display()
{
    if (state.exit_requested) {
        const float step = 1.0f / static_cast<float>(state.countdown_frames);
        state.exit_countdown = static_cast<float>(static_cast<double>(state.exit_countdown) + step);
        if (++state.countdown_done >= state.countdown_frames) {
            shutdown();
            return false;
        }
    }
    state.app->frame();
    if (!state.exit_requested)
        state.devices->update();
    return true;
}

void reshape(int width, int height)
{
    state.screen_width = width;
    state.screen_height = height;
}

namespace {

int start(int argc, char** argv, application_factory factory)
{
    player_options options;
    if (asks_for_information(argc, argv))
        return answer(parse_options(argc, argv, options));
    // Options are checked before the display: a mistyped option is worth saying without one.
    std::string no_display;
    const bool display_opens = platform::start_window_system(argc, argv, no_display);
    if (const parse_outcome parsed = parse_options(argc, argv, options); !parsed.run)
        return answer(parsed);
    if (!display_opens) {
        report(no_display, "the demo plays in a window; quor-capture renders it to a video without a display");
        return 1;
    }
    std::error_code ignored;
    state.start_folder = io::utf8_text(std::filesystem::current_path(ignored));
    if (!options.data_dir.empty()) {
        std::error_code error;
        std::filesystem::current_path(io::utf8_path(options.data_dir), error);
        if (error) {
            report(options.data_dir, error.message());
            return 2;
        }
    }

    platform::window_request window;
    if (options.window) {
        window.width = options.window->width;
        window.height = options.window->height;
    }
    window.title = "render device test";
    window.class_name = "quor-demo";
    window.samples = options.msaa;
    if (!platform::open_window(window))
        report("--msaa " + std::to_string(options.msaa), "not offered by this OpenGL; running without");
    state.has_window = true;
    if (!gl::load_system_api()) {
        // Without these entry points nothing can be drawn; carrying on would crash on a null call.
        report("OpenGL 1.3 entry points not available", gl::renderer_name());
        return 1;
    }

    creation_params params;
    params.argc = argc;
    params.argv = argv;
    const platform::native_handles handles = platform::find_native_handles(argv[0], window.title);
    params.instance = handles.instance;
    params.window = handles.window;
    params.width = window.width;
    params.height = window.height;
    params.options = &options;
    create_engine(params);

    platform::listen_to_input([](unsigned char key) { device_manager().on_key(key); },
                              [](int key) { device_manager().on_special_key(key); },
                              [](int button, int button_state) { device_manager().on_button(button, button_state); },
                              [](int x, int y) { device_manager().on_motion(x, y); });

    // The one place where a failed start ends the process; the application has said why.
    if (!create_application(factory, &params))
        return 1;

    if (!options.window)
        platform::go_full_screen();
    // Closing the window ends the demo as its own end does, without the countdown's frames.
    platform::run_main_loop(display, reshape, shutdown);
}

} // namespace

int run(int argc, char** argv, application_factory factory)
{
    start_messages();
    // Kept for the whole run: the application holds on to argv.
    static utf8_arguments arguments(argc, argv);
    return end_messages(start(arguments.argc(), arguments.argv(), factory));
}

void shutdown()
{
    if (state.app)
        state.app->shutdown();
    state.app.reset();
    state.devices.reset();
    state.device.reset();
}

} // namespace quor::system
