// The programs' command-line layer: the shared validators at their limits, and one line for every
// refusal, naming the culprit and the command whose help to read.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

namespace sys = quor::system;

TEST(CommandLine, ValidatorsReadValuesWholeWithinTheirLimits)
{
    int w = 0, h = 0;
    EXPECT_TRUE(sys::parse_size("640x360", 2, 8192, true, w, h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 360);
    for (const char* bad : {"641x360", "0x360", "8194x2", "640x", "x360", "640x360x2", "640 x360", "-2x4"})
        EXPECT_FALSE(sys::parse_size(bad, 2, 8192, true, w, h)) << bad;
    EXPECT_EQ(w, 640) << "a refused size leaves the values as they were";
    EXPECT_TRUE(sys::parse_size("1x16384", 1, 16384, false, w, h));

    double s = -1;
    EXPECT_TRUE(sys::parse_seconds("3600", 3600, s));
    EXPECT_EQ(s, 3600.0);
    for (const char* bad : {"3600.5", "-0.5", "nan", "inf", "1e400", "", "2s"})
        EXPECT_FALSE(sys::parse_seconds(bad, 3600, s)) << bad;

    sys::frame_rate r;
    EXPECT_TRUE(sys::parse_frame_rate("30000/1001", r));
    EXPECT_EQ(r.text(), "30000/1001");
    EXPECT_TRUE(sys::parse_frame_rate("29.97", r));
    EXPECT_EQ(r.text(), "2997/100");
    EXPECT_DOUBLE_EQ(r.seconds(2997), 100.0);
    for (const char* bad : {"0", "1001/0", "1000.5", "1234567890", "-60", "60x", "1/"})
        EXPECT_FALSE(sys::parse_frame_rate(bad, r)) << bad;
}

TEST(CommandLine, EveryRefusalIsOneLineNamingTheCulpritAndTheCommandsHelp)
{
    const auto run = [](std::vector<const char*> args) {
        sys::command_line line("tool", "A tool.");
        CLI::App* sub = line.app().add_subcommand("sub", "A command.");
        sub->add_option("--size", "picture size")->check(sys::size_check(2, 64, true));
        sub->add_option("--at", "time")->check(sys::seconds_check(10));
        sub->add_option("--fps", "rate")->check(sys::rate_check());
        sub->add_option("--into", "file")->required();
        args.insert(args.begin(), "tool");
        return line.parse(static_cast<int>(args.size()), args.data());
    };
    const std::pair<std::vector<const char*>, const char*> cases[] = {
        {{"sub", "--into", "f", "--size", "3x4"},
         "tool: --size: '3x4' is not WxH with even sides from 2 to 64 (see tool sub --help)"},
        {{"sub", "--into", "f", "--at", "11"},
         "tool: --at: '11' is not a number of seconds from 0 to 10 (see tool sub --help)"},
        {{"sub", "--into", "f", "--fps=0"},
         "tool: --fps: '0' is not a rate above 0 and up to 1000, such as 60, 30000/1001 or 29.97 (see tool sub "
         "--help)"},
        {{"sub"}, "tool: --into: must be given (see tool sub --help)"},
        {{"sub", "--into"}, "tool: --into: needs a value (see tool sub --help)"},
        // An empty value after '=' is not the next argument.
        {{"sub", "--into=", "--size", "4x4"}, "tool: --into: the value after '=' is empty (see tool sub --help)"},
        {{"sub", "--into", "f", "--at="}, "tool: --at: the value after '=' is empty (see tool sub --help)"},
        {{"sub", "--into", "f", "--loud", "stray"}, "tool: --loud: unknown option (see tool sub --help)"},
        {{"sub", "--into", "f", "stray"}, "tool: stray: unexpected argument (see tool sub --help)"},
        // Close to a name of the command given: a slip, two, a swap, a single dash, the start of one.
        {{"sub", "--into", "f", "--szie=4x4"}, "tool: --szie=4x4: unknown option, did you mean --size? (see tool sub --help)"},
        {{"sub", "--into", "f", "--fsp", "60"}, "tool: --fsp: unknown option, did you mean --fps? (see tool sub --help)"},
        {{"sub", "--into", "f", "-at", "1"}, "tool: -at: unknown option, did you mean --at? (see tool sub --help)"},
        {{"sub", "--into", "f", "--vers"}, "tool: --vers: unknown option, did you mean --version? (see tool sub --help)"},
        {{"sub", "--into", "f", "--i"}, "tool: --i: unknown option (see tool sub --help)"},
        {{"sbu"}, "tool: sbu: unexpected argument, did you mean sub? (see tool --help)"},
    };
    for (const auto& [args, line] : cases) {
        const sys::parse_outcome r = run(args);
        EXPECT_FALSE(r.run);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.text, line);
    }

    const sys::parse_outcome help = run({"sub", "-h"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.text.find("A command."), std::string::npos) << "the help of the command it follows";
    EXPECT_EQ(run({"--version"}).text, "tool " QUOR_TEST_VERSION "\n");
    EXPECT_TRUE(run({"sub", "--into", "f", "--size=4x4"}).run);
}

} // namespace
