// The video sink: ffmpeg's arguments, the check of the output before anything is rendered, and a
// video with its music.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "capture/ffmpeg_video.h"

namespace {

TEST(FfmpegArguments, TheSoundIsTheSecondInputTakenWhole)
{
    quor::capture::video_settings s;
    s.output = "/o/v.mp4";
    s.width = 640;
    s.height = 360;
    s.fps = {30, 1};
    s.sound = "/o/v.incomplete.mp4.wav";
    const auto a = quor::capture::ffmpeg_arguments(s);
    auto after = [&a](const std::string& name) {
        auto it = std::find(a.begin(), a.end(), name);
        return it == a.end() || it + 1 == a.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(after("-s"), "640x360");
    EXPECT_EQ(after("-framerate"), "30");
    EXPECT_EQ(after("pipe:0"), "-i");
    EXPECT_EQ(after("-i"), "pipe:0");
    EXPECT_EQ(*(std::find(a.begin(), a.end(), "pipe:0") + 2), "/o/v.incomplete.mp4.wav");
    EXPECT_NE(std::find(a.begin(), a.end(), "1:a"), a.end());
    for (const char* cut : {"-ss", "-t", "-shortest", "-af"})
        EXPECT_EQ(std::find(a.begin(), a.end(), cut), a.end()) << cut << ": the sound is cut to the pictures already";
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
    s.sound.clear();
    const auto silent = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "1:a"), silent.end());
    EXPECT_EQ(std::count(silent.begin(), silent.end(), "-i"), 1);
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

TEST(FfmpegVideo, TheMusicGoesInAsDecodedHereAndItsFileGoesAfterwards)
{
    const std::filesystem::path dir = ::testing::TempDir() + "capture-sound-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    // A track behind bytes that ffmpeg's own reader takes for a FLAC file and refuses: ten
    // MPEG-1 Layer III frames of silence (128 kbit/s, 44.1 kHz, 417 bytes each).
    const std::string track = (dir / "demo.mp3").string();
    {
        std::ofstream out(track, std::ios::binary);
        out << "fLaC" << std::string(300, '\0');
        for (int i = 0; i < 10; ++i)
            out << "\xFF\xFB\x90" << std::string(414, '\0');
    }

    quor::capture::video_settings v;
    v.output = (dir / "clip.mp4").string();
    v.width = 64;
    v.height = 36;
    v.fps = {30, 1};
    quor::capture::ffmpeg_video video(v);
    ASSERT_TRUE(video.check()) << video.error();
    video.set_music(track, 0.1, 0.5);
    ASSERT_TRUE(video.open()) << video.error();
    const std::vector<std::uint8_t> picture(64 * 36 * 4, 128);
    for (std::uint64_t i = 0; i < 15; ++i)
        ASSERT_TRUE(video.write(picture.data(), i)) << video.error();
    ASSERT_TRUE(video.finish()) << video.error();
    ASSERT_TRUE(video.commit()) << video.error();

    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"clip.mp4", "demo.mp3"}));
    const std::string probe = "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + v.output +
                              " | paste -sd, | grep -qx video,audio";
    EXPECT_EQ(std::system(probe.c_str()), 0) << "a video with sound";
    std::filesystem::remove_all(dir);
}

} // namespace
