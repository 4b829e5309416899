// Entry point of the demo executable.
#include "app/render_device.h"
#include "app/system.h"
#include "app/device_manager.h"

namespace {

// Stand-in application until the demo lands: clears the screen, ends 30 frames after Escape.
class clear_screen final : public quor::system::application {
public:
    void init() override {}
    void frame() override
    {
        if (quor::system::device_manager().keyboard().value(36) == 1.0f)
            quor::system::request_exit();
        quor::system::render_device().clear();
    }
};

quor::system::application* factory(quor::system::creation_params*) { return new clear_screen; }

} // namespace

int main(int argc, char** argv) { return quor::system::run(argc, argv, factory); }
