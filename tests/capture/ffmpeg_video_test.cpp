// The video sink: ffmpeg's arguments, and the check of the output before anything is rendered.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "capture/ffmpeg_video.h"

namespace {

TEST(FfmpegArguments, MusicStartsAtTheCapturesFirstFrameAndLastsAsLongAsThePictures)
{
    quor::capture::video_settings s;
    s.output = "/o/v.mp4";
    s.width = 640;
    s.height = 360;
    s.fps = {30, 1};
    s.music = "/d/demo.mp3";
    s.music_offset = 12.5;
    const auto a = quor::capture::ffmpeg_arguments(s);
    auto after = [&a](const std::string& name) {
        auto it = std::find(a.begin(), a.end(), name);
        return it == a.end() || it + 1 == a.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(after("-s"), "640x360");
    EXPECT_EQ(after("-framerate"), "30");
    EXPECT_EQ(after("-ss"), "12.500000");
    EXPECT_EQ(after("-af"), "apad");
    EXPECT_NE(std::find(a.begin(), a.end(), "-shortest"), a.end());
    EXPECT_EQ(after("-pix_fmt"), "yuv420p") << "the pictures' own format comes first";
    EXPECT_EQ(after("-colorspace"), "bt709") << "the stream says how its colours were converted";
    EXPECT_EQ(std::find(a.begin(), a.end(), "-vf"), a.end()) << "pictures arrive upright";
    EXPECT_EQ(a.back(), "/o/v.mp4");

    EXPECT_EQ(after("-crf"), "18");

    // The extension chooses the codecs; a GIF has no sound.
    s.output = "/o/v.webm";
    s.fps = {30000, 1001};
    const auto webm = quor::capture::ffmpeg_arguments(s);
    EXPECT_NE(std::find(webm.begin(), webm.end(), "libvpx-vp9"), webm.end());
    EXPECT_NE(std::find(webm.begin(), webm.end(), "libopus"), webm.end());
    EXPECT_NE(std::find(webm.begin(), webm.end(), "30000/1001"), webm.end());
    s.output = "/o/v.gif";
    const auto gif = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(gif.begin(), gif.end(), "1:a"), gif.end());
    EXPECT_EQ(std::find(gif.begin(), gif.end(), "-crf"), gif.end());

    s.output = "/o/v.mkv";
    s.music.clear();
    const auto silent = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "1:a"), silent.end());
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "-ss"), silent.end());
    EXPECT_NE(std::find(silent.begin(), silent.end(), "libx264"), silent.end());
}

TEST(FfmpegVideo, TheCheckRefusesAFolderAndLeavesNoFile)
{
    const std::filesystem::path dir = ::testing::TempDir() + "capture-video-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    quor::capture::video_settings v;
    v.output = (dir / "new.mp4").string();
    quor::capture::ffmpeg_video fresh(v);
    EXPECT_TRUE(fresh.check()) << fresh.error();
    EXPECT_FALSE(std::filesystem::exists(v.output)) << "the check leaves no file";
    v.output = dir.string();
    quor::capture::ffmpeg_video folder(v);
    EXPECT_FALSE(folder.check());
    EXPECT_NE(folder.error().find("it is a folder"), std::string::npos) << folder.error();
    std::filesystem::remove_all(dir);
}

} // namespace
