// The player's options through CLI11. Values are checked whole here ("800x" is not a size, "nan"
// not a time), so the window and the timeline never see one they cannot use.
#include "app/player_options.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <cmath>
#include <string_view>

#include "version.h"

namespace quor::system {

namespace {

constexpr const char* program = "quor-demo";
constexpr int largest_window_side = 16384;

bool parse_int(std::string_view text, int& out)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// "WxH", both sides from 1 to the largest the window system is asked for.
bool parse_size(std::string_view text, window_size& out)
{
    const std::size_t x = text.find('x');
    return x != std::string_view::npos && parse_int(text.substr(0, x), out.width) &&
           parse_int(text.substr(x + 1), out.height) && out.width >= 1 && out.height >= 1 &&
           out.width <= largest_window_side && out.height <= largest_window_side;
}

const CLI::Validator window_size_check(
    [](std::string& text) {
        window_size size;
        return text.empty() || parse_size(text, size)
                   ? std::string()
                   : "'" + text + "' is not WxH with sides from 1 to " + std::to_string(largest_window_side);
    },
    "WxH");

const CLI::Validator seconds_check(
    [](std::string& text) {
        double seconds = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        return error == std::errc() && end == text.data() + text.size() && std::isfinite(seconds) && seconds >= 0.0
                   ? std::string()
                   : "'" + text + "' is not a number of seconds, 0 or more";
    },
    "SECONDS");

std::string error_line(const std::string& what, const std::string& why)
{
    return std::string(program) + ": " + what + ": " + why + " (see " + program + " --help)";
}

} // namespace

parse_outcome parse_options(int argc, const char* const* argv, player_options& out)
{
    CLI::App cli("Plays the demo: a 31-second real-time scene with music, full screen unless told otherwise.",
                 program);
    // Unknown arguments are reported below, one line naming the first of them.
    cli.allow_extras();
    std::string window;
    CLI::Option* window_option =
        cli.add_option("--window", window, "a resizable window of WxH pixels (default 1280x720), not full screen")
            ->expected(0, 1)
            ->check(window_size_check)
            ->option_text("[=WxH]");
    cli.add_flag("--fullscreen", out.full_screen, "full screen (the default)");
    cli.add_flag("--loop", out.loop, "start again at the end of the timeline instead of ending");
    cli.add_option("--start", out.start, "begin at this demo time, music included")
        ->check(seconds_check)
        ->option_text("SECONDS");
    cli.add_flag("--mute", out.mute, "no music; no audio device is opened");
    cli.add_option("--msaa", out.msaa, "anti-alias with N samples a pixel where the OpenGL offers it")
        ->check(CLI::IsMember({2, 4, 8}))
        ->option_text("N (2, 4 or 8)");
    cli.add_option("--data", out.data_dir, "change to DIR before looking for tesk.mem and demo.mp3")
        ->check(CLI::ExistingDirectory)
        ->option_text("DIR");
    // A player built without the workbench does not offer --edit: it is then an unknown option.
#ifdef QUOR_WORKBENCH
    cli.add_flag("--edit", out.edit,
                 "the workbench: transport, motion channels, key editor, save and hot reload, over the demo "
                 "(in a window unless --fullscreen)");
#endif
    cli.set_version_flag("--version", std::string(program) + " " + QUOR_VERSION, "print the version and exit");
    cli.footer("Keys: Escape ends, Space pauses and resumes, F11 switches between window and full screen,\n"
               "F12 saves the picture as quor-<time>.png in the folder the demo was started from."
#ifdef QUOR_WORKBENCH
               "\nWith --edit: Space plays and pauses, Left/Right step a frame (with Shift a second), Home goes\n"
               "to the start, Ctrl+Z/Ctrl+Y undo and redo, Tab hides and shows the panels."
#endif
    );

    try {
        cli.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {false, 0, cli.help()};
    } catch (const CLI::CallForVersion& e) {
        return {false, 0, std::string(e.what()) + "\n"};
    } catch (const CLI::ParseError& e) {
        const std::string message = e.what();
        const std::size_t colon = message.find(": ");
        if (message.rfind("--", 0) == 0 && colon != std::string::npos)
            return {false, 2, error_line(message.substr(0, colon), message.substr(colon + 2))};
        return {false, 2, error_line("command line", message)};
    }
    const std::vector<std::string> extras = cli.remaining();
    if (!extras.empty()) {
        const std::string& first = extras.front();
        return {false, 2, error_line(first, first.rfind('-', 0) == 0 ? "unknown option" : "unexpected argument")};
    }
    if (out.full_screen && window_option->count() > 0)
        return {false, 2, error_line("--fullscreen", "cannot be used with --window")};

    if (window_option->count() > 0 || (out.edit && !out.full_screen)) {
        out.window.emplace();
        if (!window.empty())
            parse_size(window, *out.window);
    }
    return {};
}

bool asks_for_information(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "--version")
            return true;
    }
    return false;
}

} // namespace quor::system
