// The demo with the workbench: an application that runs the demo's frame, then the workbench's
// bookkeeping and the overlay, and takes the input the overlay needs before the demo sees it.
#pragma once

#include <cstdint>
#include <memory>

#include "app/application.h"
#include "app/player_options.h"
#include "demo/demo.h"
#include "edit/workbench.h"
#include "overlay/overlay.h"

namespace quor::apps {

class workbench_app final : public system::application {
public:
    // The transport takes over the player's start time and looping; the demo gets the rest.
    explicit workbench_app(const system::player_options& options);
    ~workbench_app() override;

    // The demo's init, then the workbench over its data file and the overlay over its window.
    bool init() override;
    void frame() override;
    void shutdown() override { demo.shutdown(); }

    // Input from the window, before the demo's devices: true when the workbench took it.
    bool key(unsigned char key, bool down, int x, int y);
    bool special(int key, bool down, int x, int y);
    bool button(int button, int state, int x, int y);
    bool motion(int x, int y);
    void wheel(int direction, int x, int y);

    demo::Demo demo;

private:
    // The status line, on stdout or, when it says something failed, as a report on stderr.
    void say_in_terminal() const;

    std::unique_ptr<edit::workbench> bench;
    std::unique_ptr<overlay::workbench_overlay> view;
    double start = 0;
    bool repeat = false;
    std::uint64_t last_tick = 0;
    // A held key repeats as a release and a press that arrive together, between two frames: the
    // last release and the frame it came in tell a repeat of a toggle key from a new press.
    std::uint64_t frames = 0;
    unsigned char released = 0;
    std::uint64_t released_in = 0;
    int saves_said = 0;
    int imports_said = 0;
};

// The factory the entry point hands to the frame for `--edit`.
system::application* make_workbench(system::creation_params* params);

} // namespace quor::apps
