// Arbitrary command lines for the option parsers of the demo player and of quor-capture: the
// input's bytes split at zero bytes into arguments. Whatever comes in, a parser either accepts
// values its callers can use, or gives one line that names the problem.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/player_options.h"
#include "capture/options.h"

namespace {

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "options_fuzz: %s\n", what);
        std::abort();
    }
}

// A refusal quotes the argument it names, so a line break typed into one shows up in it.
bool arguments_break_lines = false;

bool one_line(const std::string& text)
{
    return !text.empty() && (arguments_break_lines || text.find('\n') == std::string::npos);
}

void player(const std::vector<const char*>& argv)
{
    quor::system::player_options o;
    const quor::system::parse_outcome r = quor::system::parse_options(int(argv.size()), argv.data(), o);
    if (!r.run) {
        check(r.status == 0 || r.status == 2, "player: an exit status other than 0 or 2");
        check(r.status == 0 || (one_line(r.text) && r.text.find("--help") != std::string::npos),
              "player: a refusal that is not one line pointing at --help");
        return;
    }
    check(std::isfinite(o.start) && o.start >= 0.0, "player: an unusable start time");
    check(o.msaa == 0 || o.msaa == 2 || o.msaa == 4 || o.msaa == 8, "player: an unusable sample count");
    check(!o.window || (o.window->width >= 1 && o.window->height >= 1 && !o.full_screen),
          "player: an unusable window");
}

void capture(const std::vector<const char*>& argv)
{
    quor::capture::options o;
    const quor::system::parse_outcome r = quor::capture::parse_options(int(argv.size()), argv.data(), o);
    if (!r.run) {
        check(r.status == 0 || r.status == 2, "capture: an exit status other than 0 or 2");
        check(r.status == 0 || (one_line(r.text) && r.text.find("--help") != std::string::npos),
              "capture: a refusal that is not one line pointing at --help");
        return;
    }
    check(o.width >= 2 && o.height >= 2 && o.width % 2 == 0 && o.height % 2 == 0, "capture: an unusable size");
    check(o.fps.num > 0 && o.fps.den > 0 && o.fps.per_second() <= 1000.0, "capture: an unusable rate");
    check(std::isfinite(o.from) && o.from >= 0.0 && (o.to < 0.0 || o.to > o.from), "capture: an unusable stretch");
    check(o.video.empty() != o.frames_dir.empty(), "capture: not exactly one output");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args{"program"};
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 24; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty())
        args.push_back(current);
    arguments_break_lines = false;
    for (const std::string& a : args)
        arguments_break_lines = arguments_break_lines || a.find('\n') != std::string::npos;
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    player(argv);
    capture(argv);
    return 0;
}
