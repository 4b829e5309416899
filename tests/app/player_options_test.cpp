// The player's command line: defaults, each option, bad values and unknown arguments, help and version.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "app/command_line.h"
#include "app/player_options.h"

namespace {

namespace sys = quor::system;

sys::parse_outcome parse(std::initializer_list<const char*> args, sys::player_options& out)
{
    std::vector<const char*> argv{"quor-demo"};
    argv.insert(argv.end(), args);
    return sys::parse_options(static_cast<int>(argv.size()), argv.data(), out);
}

TEST(PlayerOptions, NoArgumentsKeepThePlainDemo)
{
    sys::player_options o;
    EXPECT_TRUE(parse({}, o).run);
    EXPECT_FALSE(o.window.has_value());
    EXPECT_FALSE(o.full_screen);
    EXPECT_FALSE(o.loop);
    EXPECT_FALSE(o.mute);
    EXPECT_EQ(o.start, 0.0);
    EXPECT_EQ(o.msaa, 0);
    EXPECT_TRUE(o.data_dir.empty());
}

TEST(PlayerOptions, EachOptionReachesItsField)
{
    const std::string here = std::filesystem::temp_directory_path().string();
    sys::player_options o;
    ASSERT_TRUE(parse({"--window=800x600", "--loop", "--start", "12.5", "--mute", "--msaa", "4", "--data",
                       here.c_str()},
                      o)
                    .run);
    ASSERT_TRUE(o.window.has_value());
    EXPECT_EQ(o.window->width, 800);
    EXPECT_EQ(o.window->height, 600);
    EXPECT_TRUE(o.loop);
    EXPECT_TRUE(o.mute);
    EXPECT_EQ(o.start, 12.5);
    EXPECT_EQ(o.msaa, 4);
    EXPECT_EQ(o.data_dir, here);

    sys::player_options bare;
    ASSERT_TRUE(parse({"--window"}, bare).run);
    ASSERT_TRUE(bare.window.has_value());
    EXPECT_EQ(bare.window->width, 1280);
    EXPECT_EQ(bare.window->height, 720);

    sys::player_options last;
    ASSERT_TRUE(parse({"--start", "31"}, last).run) << "the timeline's end itself is a start";
    EXPECT_EQ(last.start, 31.0);

    sys::player_options full;
    ASSERT_TRUE(parse({"--fullscreen", "--msaa=8"}, full).run);
    EXPECT_TRUE(full.full_screen);
    EXPECT_FALSE(full.window.has_value());
    EXPECT_EQ(full.msaa, 8);
}

TEST(PlayerOptions, BadCommandLinesEndWithStatusTwoAndOneLineNamingTheCulprit)
{
    const struct {
        std::vector<const char*> args;
        const char* named;
    } cases[] = {
        {{"--window=800x"}, "--window"},
        {{"--window=0x600"}, "--window"},
        {{"--window=800x600x2"}, "--window"},
        {{"--window=99999x600"}, "--window"},
        {{"--msaa", "3"}, "--msaa"},
        {{"--msaa"}, "--msaa"},
        {{"--start", "-1"}, "--start"},
        {{"--start", "abc"}, "--start"},
        {{"--start", "nan"}, "--start"},
        {{"--start", "31.01"}, "--start"},
        {{"--start", "1", "--start", "2"}, "--start"},
        {{"--data", "/nonexistent/quor"}, "--data"},
        {{"--data=", "--mute"}, "--data: the value after '=' is empty"},
        {{"--window", "--fullscreen"}, "--fullscreen"},
        {{"--windowed"}, "--windowed"},
        {{"--loop", "-x"}, "-x"},
        {{"stray"}, "stray"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"quor-demo"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        sys::player_options o;
        const sys::parse_outcome r = sys::parse_options(static_cast<int>(argv.size()), argv.data(), o);
        SCOPED_TRACE(r.text);
        EXPECT_FALSE(r.run);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.text.rfind("quor-demo: ", 0), 0u);
        EXPECT_NE(r.text.find(c.named), std::string::npos);
        EXPECT_NE(r.text.find("--help"), std::string::npos);
        EXPECT_EQ(r.text.find('\n'), std::string::npos);
    }
}

TEST(PlayerOptions, ARefusedSampleCountSaysWhichCountsThereAre)
{
    for (const char* value : {"1e9", "3", "4.0", "x"}) {
        sys::player_options o;
        const sys::parse_outcome r = parse({"--msaa", value}, o);
        EXPECT_EQ(r.text, std::string("quor-demo: --msaa: '") + value +
                              "' is not 2, 4 or 8 samples a pixel (see quor-demo --help)");
    }
}

TEST(PlayerOptions, HelpAndVersionEndWithStatusZeroAndAreSeenBeforeTheWindowSystem)
{
    sys::player_options o;
    const sys::parse_outcome help = parse({"--loop", "--help"}, o);
    EXPECT_FALSE(help.run);
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--window", "--fullscreen", "--loop", "--start", "--mute", "--msaa", "--data",
                               "--version", "Space", "F11", "F12"})
        EXPECT_NE(help.text.find(option), std::string::npos) << option;

    const sys::parse_outcome version = parse({"--version"}, o);
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.text, "quor-demo " QUOR_TEST_VERSION "\n");

    // GLUT's own options may still stand before ours when help is asked for first.
    const char* with_glut[] = {"quor-demo", "-display", ":7", "--help"};
    EXPECT_TRUE(sys::asks_for_information(4, with_glut));
    EXPECT_EQ(sys::parse_options(4, with_glut, o).status, 0);
    const char* plain[] = {"quor-demo", "--window", "--loop"};
    EXPECT_FALSE(sys::asks_for_information(3, plain));
}

} // namespace
