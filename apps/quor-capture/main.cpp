// quor-capture: renders the demo's timeline offscreen, each frame at its exact time, into a video or images.
#include "app/command_line.h"
#include "app/report.h"
#include "capture/capture.h"
#include "capture/options.h"
#include "platform/interrupt.h"
#include "platform/process.h"

namespace {

std::string absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    const std::string here = quor::platform::current_folder();
    return here.empty() ? path : here + "/" + path;
}

} // namespace

int main(int argc, char** argv)
{
    quor::system::set_program_name("quor-capture");
    quor::capture::options o;
    if (const quor::system::parse_outcome parsed = quor::capture::parse_options(argc, argv, o); !parsed.run)
        return quor::system::answer(parsed);
    // Outputs are named from where the user stands, the data folder notwithstanding.
    o.video = absolute(o.video);
    o.frames_dir = absolute(o.frames_dir);
    std::string why;
    if (!o.data_dir.empty() && !quor::platform::change_folder(o.data_dir, &why)) {
        quor::system::report("cannot change to the data folder " + o.data_dir, why);
        return 1;
    }
    // A failed encoder shows up as a failed write, reported with its reason, not as a signal.
    quor::platform::ignore_broken_pipes();
    if (o.benchmark > 0)
        return quor::capture::benchmark(o);
    // Ctrl-C or a SIGTERM stops the capture between frames, so that it can clean up after itself.
    quor::platform::record_interruptions();
    return quor::capture::run(o);
}
