// Music import through the command line: a long recording is cut and faded to end with the
// timeline, a short one is kept with a warning, and a file that is not audio is refused.
#include "interchange/music_import.h"

#include <cmath>
#include <fstream>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "demo/data_layout.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor::interchange;

void write_tone(const std::string& path, int format, int rate, int channels, double seconds)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> frames(static_cast<std::size_t>(seconds * rate) * channels);
    for (std::size_t i = 0; i < frames.size(); ++i)
        frames[i] = 0.5f * static_cast<float>(std::sin(2 * 3.14159265 * 440 * double(i / channels) / rate));
    sf_writef_float(f, frames.data(), static_cast<sf_count_t>(frames.size() / channels));
    sf_close(f);
}

float loudness(const std::vector<float>& s, std::size_t from, std::size_t to)
{
    float peak = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i)
        peak = std::max(peak, std::fabs(s[i]));
    return peak;
}

TEST(MusicImport, ALongRecordingEndsWithTheTimelineAndAShortOneIsKeptWithAWarning)
{
    const quor::test::scratch_data scratch("music-import", false);
    const std::string& dir = scratch.dir;
    write_tone(dir + "/long.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2, 40);
    write_tone(dir + "/short.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, 2);

    auto r = quor::test::run_quor_mem("music " + dir + "/long.wav --out " + dir + "/demo.mp3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    stereo_pcm pcm;
    int rate = 0;
    std::string error;
    ASSERT_TRUE(read_music(dir + "/demo.mp3", pcm, rate, &error)) << error;
    EXPECT_EQ(rate, 44100);
    const double seconds = static_cast<double>(pcm.left.size()) / rate;
    EXPECT_NEAR(seconds, quor::demo::layout::timeline_end, 0.1);
    const auto at = [&](double t) { return static_cast<std::size_t>(t * rate); };
    EXPECT_GT(loudness(pcm.left, at(20), at(21)), 0.4f);
    EXPECT_LT(loudness(pcm.left, at(30.9), at(31.1)), 0.05f) << "faded out by the end";

    r = quor::test::run_quor_mem("music " + dir + "/short.flac --out " + dir + "/short.mp3");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "quor-mem: music: warning: " + dir + "/short.flac lasts 2 s, shorter than the 31 s timeline: "
                     "the demo ends in silence\n");
    ASSERT_TRUE(read_music(dir + "/short.mp3", pcm, rate, &error)) << error;
    EXPECT_GT(loudness(pcm.right, at(1), at(1.5)), 0.4f) << "a mono recording plays on both sides";

    std::ofstream(dir + "/notes.txt") << "not a recording\n";
    r = quor::test::run_quor_mem("music " + dir + "/notes.txt --out " + dir + "/demo.mp3");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quor-mem: music: " + dir + "/notes.txt: not audio that can be read"), std::string::npos)
        << r.err;
}

} // namespace
