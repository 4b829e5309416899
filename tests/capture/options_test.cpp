// quor-capture's command line: defaults, values in both forms, refusals in one line.
#include <gtest/gtest.h>


#include "app/command_line.h"
#include "capture/options.h"

namespace {

// The arguments after the program's name, parsed.
quor::system::parse_outcome parse(std::vector<const char*> args, quor::capture::options& o)
{
    args.insert(args.begin(), "quor-capture");
    return quor::capture::parse_options(static_cast<int>(args.size()), args.data(), o);
}

TEST(Options, DefaultsAndValuesInBothForms)
{
    quor::capture::options o;
    const quor::system::parse_outcome r =
        parse({"--out", "v.mp4", "--size=640x360", "--fps", "30000/1001", "--from", "2.5", "--to=4", "--data", "d",
               "--preset", "veryfast", "--msaa=8", "--crf", "23"},
              o);
    ASSERT_TRUE(r.run) << r.text;
    EXPECT_EQ(o.video, "v.mp4");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.fps.num, 30000);
    EXPECT_EQ(o.fps.den, 1001);
    EXPECT_EQ(o.from, 2.5);
    EXPECT_EQ(o.to, 4.0);
    EXPECT_EQ(o.data_dir, "d");
    EXPECT_EQ(o.preset, "veryfast");
    EXPECT_EQ(o.msaa, 8);
    EXPECT_EQ(o.crf, 23);

    quor::capture::options d;
    ASSERT_TRUE(parse({"--frames=f"}, d).run);
    EXPECT_EQ(d.frames_dir, "f");
    EXPECT_EQ(d.width, 1280);
    EXPECT_EQ(d.height, 720);
    EXPECT_EQ(d.fps.text(), "60");
    EXPECT_EQ(d.msaa, 4);
    EXPECT_EQ(d.from, 0.0);
    EXPECT_LT(d.to, 0.0) << "to the end of the timeline";

    quor::capture::options s;
    ASSERT_TRUE(parse({"--out", "v.mp4", "--start", "20"}, s).run) << "the player's name for --from";
    EXPECT_EQ(s.from, 20.0);
    quor::capture::options late;
    EXPECT_EQ(parse({"--out", "v.mp4", "--start", "40"}, late).text.find("--from: 40 is past the end"), 14u);

    quor::capture::frame_rate rate;
    ASSERT_TRUE(quor::capture::parse_frame_rate("29.97", rate));
    EXPECT_EQ(rate.text(), "2997/100");
    ASSERT_TRUE(quor::capture::parse_frame_rate("50/2", rate));
    EXPECT_EQ(rate.text(), "25");
}

TEST(Options, BadArgumentsAreRefusedWithOneLineNamingTheCulprit)
{
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, "--out or --frames: nothing to write"},
        {{"--out", "a.mp4", "--frames", "f"}, "--frames: cannot be used with --out"},
        {{"--out", "a.mp4", "--size", "1280x"}, "--size: '1280x' is not WxH with even sides from 2 to 8192"},
        {{"--out", "a.mp4", "--size", "1281x720"}, "--size"},
        {{"--out", "a.mp4", "--size", "0x720"}, "--size"},
        {{"--out", "a.mp4", "--fps", "60x"}, "--fps: '60x' is not a rate"},
        {{"--out", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "30000/0"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "1001/"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "2000"}, "--fps"},
        {{"--out", "a.mp4", "--from", "-1"}, "--from: '-1' is not a number of seconds from 0 to 3600"},
        {{"--out", "a.mp4", "--from", "nan"}, "--from"},
        {{"--out", "a.mp4", "--from", "40"}, "--from: 40 is past the end of the timeline"},
        {{"--out", "a.mp4", "--from", "5", "--to", "5"}, "--to: must be later than --from"},
        {{"--out", "a.mp4", "--preset", "quick"}, "--preset"},
        {{"--out", "a.mp4", "--msaa", "3"}, "--msaa: '3' is not 1, 2, 4, 8 or 16"},
        {{"--out", "a.mp4", "--crf", "52"}, "--crf"},
        {{"--out", "a.webm", "--crf", "64"}, "--crf"},
        {{"--out", "a.gif", "--crf", "20"}, "--crf: does not apply"},
        {{"--out="}, "--out"},
        {{"--data=", "--out", "a.mp4"}, "--data: the value after '=' is empty"},
        {{"--out"}, "--out: needs a value"},
        {{"--out", "a.mp4", "--loud"}, "--loud: unknown option (see"},
        {{"--out", "a.mp4", "--form", "3"}, "--form: unknown option, did you mean --from?"},
        {{"--out", "a.mp4", "stray"}, "stray: unexpected argument"},
    };
    for (const auto& [args, reason] : cases) {
        quor::capture::options o;
        const quor::system::parse_outcome r = parse(args, o);
        EXPECT_FALSE(r.run) << reason;
        EXPECT_EQ(r.status, 2) << reason;
        EXPECT_EQ(r.text.rfind("quor-capture: " + reason, 0), 0u) << r.text;
        EXPECT_NE(r.text.find(" (see quor-capture --help)"), std::string::npos) << r.text;
    }
}

} // namespace
