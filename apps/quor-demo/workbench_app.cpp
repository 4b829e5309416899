// Frame order: the layout gives the picture its place, the demo draws and updates its clock, the
// workbench settles the transport and looks at the data file, the overlay draws beside the
// picture; commands from the overlay and the keys show in the next frame. Keys go to the
// overlay's input and, unless a text field has them, to the transport and the history first.
#include "workbench_app.h"


#include "app/counter.h"
#include "app/report.h"
#include "app/system.h"
#include "platform/window.h"

namespace quor::apps {
namespace {

// GLUT's characters for Ctrl+S, Ctrl+Y and Ctrl+Z.
constexpr unsigned char ctrl_s = 19;
constexpr unsigned char ctrl_y = 25;
constexpr unsigned char ctrl_z = 26;
constexpr unsigned char escape = 27;

workbench_app* running = nullptr;

system::player_options without_timeline(system::player_options options)
{
    options.start = 0;
    options.loop = false;
    return options;
}

} // namespace

workbench_app::workbench_app(const system::player_options& options)
    : demo(system::system_counter(), without_timeline(options)), start(options.start), repeat(options.loop)
{
}

workbench_app::~workbench_app()
{
    view.reset();
    if (running == this)
        running = nullptr;
}

bool workbench_app::init()
{
    if (!demo.init())
        return false;
    bench = std::make_unique<edit::workbench>(demo, demo.scene.file_path);
    bench->player().set_repeat(repeat);
    if (start > 0)
        bench->player().seek(start);
    // An editor opens on a still picture; Space plays.
    bench->player().pause();
    view = std::make_unique<overlay::workbench_overlay>();
    running = this;
    platform::input_filter filter;
    filter.key = [](unsigned char k, bool down, int x, int y) { return running && running->key(k, down, x, y); };
    filter.special = [](int k, bool down, int x, int y) { return running && running->special(k, down, x, y); };
    filter.button = [](int b, int s, int x, int y) { return running && running->button(b, s, x, y); };
    filter.motion = [](int x, int y) { return running && running->motion(x, y); };
    filter.wheel = [](int d, int x, int y) {
        if (running)
            running->wheel(d, x, y);
    };
    platform::filter_input(filter);
    // The close button ends the workbench as Escape does, asking first about unsaved edits.
    platform::hold_close([] {
        if (running && running->view->may_close(*running->bench))
            system::request_exit();
    });
    system::system_counter().sample(last_tick);
    return true;
}

void workbench_app::frame()
{
    ++frames;
    const int width = system::screen_width(), height = system::screen_height();
    const overlay::rect& picture = view->place(*bench, width, height).picture;
    // GL counts rows from the bottom.
    demo.picture = demo::picture_area{picture.x, height - picture.y - picture.height, picture.width, picture.height};
    demo.frame();
    const int reloads = bench->reloads();
    const std::string status = bench->status();
    bench->after_frame();
    std::uint64_t now = 0, frequency = 1;
    system::system_counter().sample(now);
    system::system_counter().frequency(frequency);
    view->after_frame(*bench, static_cast<double>(now) / static_cast<double>(frequency));
    // Reloads and watched imports also go to the terminal the author started from, and so do
    // their refusals: a rebuild or an export there shows its effect.
    if (bench->reloads() != reloads || (bench->status() != status && bench->status_failed()))
        say_in_terminal();
    const auto seconds = static_cast<float>(static_cast<double>(now - last_tick) / static_cast<double>(frequency));
    last_tick = now;
    view->draw(*bench, seconds);
    if (view->quit_chosen())
        system::request_exit();
    // So do imports and saves, whether the panels, a key or the watch made them.
    if (bench->saves() != saves_said || view->imports() != imports_said) {
        saves_said = bench->saves();
        imports_said = view->imports();
        say_in_terminal();
    }
}

void workbench_app::say_in_terminal() const
{
    if (bench->status_failed())
        system::report(bench->status());
    else
        system::inform(bench->status());
}

bool workbench_app::key(unsigned char k, bool down, int, int)
{
    const int modifiers = platform::held_modifiers();
    if (!down) {
        view->input().key(k, false, modifiers);
        released = k;
        released_in = frames;
        return false;
    }
    if (view->typing()) {
        view->input().key(k, true, modifiers);
        if (k == escape)
            view->close_question();
        return true;
    }
    // Steps and undo repeat while their key is held; the toggles take the first press only.
    const bool repeated = k == released && released_in == frames;
    switch (k) {
    case ' ':
        if (!repeated)
            bench->player().toggle();
        return true;
    case '\t':
        if (!repeated)
            view->toggle_hidden();
        return true;
    case ctrl_z:
        bench->undo();
        return true;
    case ctrl_y:
        bench->redo();
        return true;
    case ctrl_s:
        bench->save();
        return true;
    case escape:
        if (view->escape(*bench))
            return true;
        view->input().key(k, true, modifiers);
        return false; // the demo's own Escape ends it
    default:
        if (!repeated && view->timing_key(*bench, k))
            return true;
        view->input().key(k, true, modifiers);
        return false;
    }
}

bool workbench_app::special(int k, bool down, int, int)
{
    const int modifiers = platform::held_modifiers();
    if (!down || view->typing()) {
        view->input().special(k, down, modifiers);
        return true;
    }
    const double step = (modifiers & platform::modifier_shift) ? 1.0 : edit::transport::frame_step;
    if (k == platform::special_left)
        bench->player().step(-step);
    else if (k == platform::special_right)
        bench->player().step(step);
    else if (k == platform::special_home)
        bench->player().seek(0);
    else
        return false; // F11 and F12 stay the player's
    return true;
}

bool workbench_app::button(int b, int s, int x, int y)
{
    view->input().button(b, s == platform::button_down, x, y, platform::held_modifiers());
    return view->wants_mouse();
}

bool workbench_app::motion(int x, int y)
{
    view->input().motion(x, y);
    return view->wants_mouse();
}

void workbench_app::wheel(int direction, int x, int y)
{
    view->input().wheel(direction, x, y, platform::held_modifiers());
}

system::application* make_workbench(system::creation_params* params)
{
    return new workbench_app(params && params->options ? *params->options : system::player_options{});
}

} // namespace quor::apps
