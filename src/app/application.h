// The application interface the frame drives, its creation parameters and its factory.
#pragma once

namespace quor::system {

struct player_options;

struct creation_params {
    int argc = 0;
    char** argv = nullptr;
    // Kept for the interface: native handles offered to applications (on Windows the program's
    // module and the GLUT window); nothing in the engine reads them. Empty where the system has none.
    void* instance = nullptr;
    void* window = nullptr;
    int width = 0;  // requested window size; the reference size for mouse positions
    int height = 0;
    // The player's command line; null when the frame is driven without one (tests, capture).
    const player_options* options = nullptr;
};

class application {
public:
    virtual ~application() = default;
    // Once, right after the factory, before the window goes full screen. False when the
    // application cannot run, after it has said why; the frame then ends the process (status 1).
    virtual bool init() = 0;
    // Kept for the interface: the reserved hooks and queries belong to the application's
    // interface, but nothing in this system calls them.
    virtual void reserved_hook_a() {}
    // Once per display callback.
    virtual void frame() = 0;
    // Once, when the exit countdown completes, before the destructor.
    virtual void shutdown() {}
    virtual void reserved_hook_b() {}
    virtual void reserved_hook_c() {}
    virtual bool reserved_query_a() { return true; }
    virtual bool reserved_query_b() { return false; }
};

// Returns a new application allocated with `new`; the frame takes ownership.
using application_factory = application* (*)(creation_params*);

} // namespace quor::system
