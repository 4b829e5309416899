// quor-capture: renders the demo's timeline offscreen, each frame at its exact time, into a video or images.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/report.h"
#include "capture.h"
#include "options.h"
#include "platform/interrupt.h"

namespace {

std::string absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char here[4096];
    return getcwd(here, sizeof here) ? std::string(here) + "/" + path : path;
}

} // namespace

int main(int argc, char** argv)
{
    quor::system::set_program_name("quor-capture");
    quor::capture::options o;
    std::string error;
    if (!quor::capture::parse_options(argc - 1, argv + 1, o, error)) {
        quor::system::report(error + " (see quor-capture --help)");
        return 2;
    }
    if (o.help) {
        std::cout << quor::capture::usage();
        return 0;
    }
    if (!o.version.empty()) {
        std::cout << o.version << std::endl;
        return 0;
    }
    // Outputs are named from where the user stands, the data folder notwithstanding.
    o.video = absolute(o.video);
    o.frames_dir = absolute(o.frames_dir);
    if (!o.data_dir.empty() && chdir(o.data_dir.c_str()) != 0) {
        quor::system::report("cannot change to the data folder " + o.data_dir, std::strerror(errno));
        return 1;
    }
    // The music plays along inside the demo, but never aloud on this machine.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // A failed encoder shows up as a failed write, reported with its reason, not as a signal.
    signal(SIGPIPE, SIG_IGN);
    if (o.benchmark > 0)
        return quor::capture::benchmark(o);
    // Ctrl-C or a SIGTERM stops the capture between frames, so that it can clean up after itself.
    quor::platform::record_interruptions();
    return quor::capture::run(o);
}
