// Entry point of the demo: the frame runs the demo until its timeline ends or Escape is pressed;
// with --edit, the demo under the workbench's overlay.
#include "app/player_options.h"
#include "app/system.h"
#include "demo/demo.h"
#if QUOR_WORKBENCH
#include "overlay/workbench_app.h"
#endif

namespace {

quor::system::application* make_application(quor::system::creation_params* params)
{
#if QUOR_WORKBENCH
    if (params && params->options && params->options->edit)
        return quor::overlay::make_workbench(params);
#endif
    return quor::demo::make_demo(params);
}

} // namespace

int main(int argc, char** argv) { return quor::system::run(argc, argv, make_application); }
