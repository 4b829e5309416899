// quor-demo: the frame runs the demo until its timeline ends or Escape is pressed; in a build with
// the workbench, --edit runs the demo under the workbench's overlay.
#include "app/player_options.h"
#include "app/system.h"
#include "build_config.h"
#include "demo/demo.h"
#if QUOR_WORKBENCH
#include "workbench_app.h"
#endif

namespace {

quor::system::application* make_application(quor::system::creation_params* params)
{
#if QUOR_WORKBENCH
    if (params && params->options && params->options->edit)
        return quor::apps::make_workbench(params);
#endif
    return quor::demo::make_demo(params);
}

} // namespace

int main(int argc, char** argv) { return quor::system::run(argc, argv, make_application); }
