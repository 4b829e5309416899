// The demo application: its scene from the data file, the clock of its 31-second timeline, the
// "exit" action and the music; and what a player adds: pause, start time, looping, full screen and
// screenshot keys.
#pragma once

#include <optional>

#include "app/action_map.h"
#include "app/application.h"
#include "app/clock.h"
#include "app/player_options.h"
#include "demo/demo_scene.h"

namespace quor::demo {

// A part of the window, in pixels from its bottom left as OpenGL counts them.
struct picture_area {
    int x = 0, y = 0, width = 0, height = 0;
};

class Demo final : public system::application {
public:
    // Builds nothing yet: the scene is loaded by init. `time_source` drives the clock (the
    // platform's monotonic counter for the real-time demo, a fixed step for a capture).
    explicit Demo(system::counter& time_source = system::system_counter(), system::player_options options = {});
    ~Demo() override = default;

    // Binds "exit" to Escape and the player's keys, loads the scene, starts the music from the data
    // file's folder, starts the clock. False, after one line saying why, for a data file that
    // cannot be used; nothing else is started then.
    bool init() override;
    // Kept for the interface: nothing calls it.
    void reserved_hook_a() override {}
    void frame() override;
    // Replaces the scene by one built over another data file, keeping the clock, the actions and
    // the music; the old scene's textures are deleted. A file the load's check refused leaves the
    // scene as it was (false).
    bool reload(data_file file);

    // From now on every frame shows demo time `seconds` instead of the clock's time (which
    // still runs): a capture shows each frame at its exact time, free of the clock's
    // single-precision sums. Without a call the clock drives the timeline.
    void show_time(double seconds)
    {
        fixed_time = seconds;
        time_is_fixed = true;
    }
    // "exit" on Escape, "pause" on Space, "full screen" on F11, "screenshot" on F12 (part of init).
    void bind_actions();
    // The time the frame draws: the one `show_time` gave, else the clock's time plus the start offset.
    double demo_time() const
    {
        return time_is_fixed ? fixed_time : static_cast<double>(clock.time()) + time_offset;
    }
    // Stops or restarts the timeline and the music together.
    void set_paused(bool pause);
    bool paused() const { return paused_; }
    // Whether the timeline stands because the frame it shows has not arrived yet.
    bool waiting_for_data() const { return starved_; }

    DemoScene scene;
    system::clock clock;
    input::ActionMap actions;
    // The music beside the data file, wherever the load found it; empty until init.
    std::string music_file;
    bool music_playing = false;
    system::player_options options;
    // Where the frame is drawn, at that part's own aspect; unset (the player), the whole window.
    // The rest of the window is cleared and left to whoever draws after the demo.
    std::optional<picture_area> picture;

private:
    // Space and F11; true when F12 asks for a screenshot of this frame. Keys are ignored once the
    // exit is requested: the input no longer rolls over, so a key would act in every frame.
    bool handle_player_keys();
    // Back to demo time 0 on a fresh clock, the music from its start.
    void restart();
    // The animated frame to draw at t, or -1 for none: the timeline's when it has arrived; else
    // the timeline and the music stand, the viewer is told, and the last frame drawn is kept
    // until it comes.
    long long frame_to_draw(double t);
    // The clock and the music run when neither the viewer's pause nor missing data holds them.
    void run_timeline(bool run);

    system::counter* time_source_;
    double time_offset = 0.0; // --start; 0 after a restart
    bool paused_ = false;
    bool starved_ = false;
    long long drawn_frame_ = -1;
    double fixed_time = 0.0;
    bool time_is_fixed = false;
};

// The factory the entry point hands to the frame.
system::application* make_demo(system::creation_params* params);

} // namespace quor::demo
