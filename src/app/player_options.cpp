// The player's options through the programs' command-line layer. Values are checked whole ("800x"
// is not a size, "nan" not a time), so the window and the timeline never see one they cannot use.
#include "app/player_options.h"

#include <string_view>

#include "app/command_line.h"
#include "app/report.h"
#include "build_config.h"

namespace quor::system {

namespace {

constexpr int largest_window_side = 16384;

// Sample counts are named whole: CLI11's own conversion error for "1e9" gives no reason.
CLI::Validator samples_check()
{
    return CLI::Validator(
        [](std::string& text) {
            return text == "2" || text == "4" || text == "8" ? std::string()
                                                              : "'" + printable(text) + "' is not 2, 4 or 8 samples a pixel";
        },
        "N");
}

} // namespace

parse_outcome parse_options(int argc, const char* const* argv, player_options& out)
{
    command_line line("quor-demo",
                      "Plays the demo: a 31-second real-time scene with music, full screen unless told otherwise.");
    CLI::App& cli = line.app();
    std::string window;
    CLI::Option* window_option =
        cli.add_option("--window", window, "a resizable window of WxH pixels (default 1280x720), not full screen")
            ->expected(0, 1)
            ->check(size_check(1, largest_window_side))
            ->option_text("[=WxH]");
    cli.add_flag("--fullscreen", out.full_screen, "full screen (the default)");
    cli.add_flag("--loop", out.loop, "start again at the end of the timeline instead of ending");
    cli.add_option("--start", out.start, "begin at this demo time (0 to 31 s), music included")
        ->check(seconds_check(latest_start))
        ->option_text("SECONDS");
    cli.add_flag("--mute", out.mute, "no music; no audio device is opened");
    cli.add_option("--msaa", out.msaa, "anti-alias with N samples a pixel where the OpenGL offers it")
        ->check(samples_check())
        ->option_text("N (2, 4 or 8)");
    cli.add_option("--data", out.data_dir, "change to DIR before looking for tesk.mem and demo.mp3")
        ->check(folder_check())
        ->option_text("DIR");
    // A player built without the workbench does not offer --edit: it is then an unknown option.
#if QUOR_WORKBENCH
    cli.add_flag("--edit", out.edit,
                 "the workbench: transport, motion channels, key editor, save and hot reload, over the demo "
                 "(in a window unless --fullscreen)");
#endif
    cli.footer("Keys: Escape ends, Space pauses and resumes, F11 switches between window and full screen,\n"
               "F12 saves the picture as quor-<time>.png in the folder the demo was started from."
#if QUOR_WORKBENCH
               "\nWith --edit: Space plays and pauses, Left/Right step a frame (with Shift a second), Home goes\n"
               "to the start, Ctrl+Z/Ctrl+Y undo and redo, Tab hides and shows the panels."
#endif
    );

    if (parse_outcome parsed = line.parse(argc, argv); !parsed.run)
        return parsed;
    if (out.full_screen && window_option->count() > 0)
        return line.refuse("--fullscreen", "cannot be used with --window");

    if (window_option->count() > 0 || (out.edit && !out.full_screen)) {
        out.window.emplace();
        if (!window.empty())
            parse_size(window, 1, largest_window_side, false, out.window->width, out.window->height);
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
