// Music import through the command line: a long recording is cut and faded to end with the
// timeline, a short one is kept with a warning, and a file that is not audio is refused.
#include "interchange/music_import.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

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
    ASSERT_TRUE(read_music(dir + "/demo.mp3", pcm, rate, &error, 60)) << error;
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
    ASSERT_TRUE(read_music(dir + "/short.mp3", pcm, rate, &error, 60)) << error;
    EXPECT_GT(loudness(pcm.right, at(1), at(1.5)), 0.4f) << "a mono recording plays on both sides";

    std::ofstream(dir + "/notes.txt") << "not a recording\n";
    r = quor::test::run_quor_mem("music " + dir + "/notes.txt --out " + dir + "/demo.mp3");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quor-mem: music: " + dir + "/notes.txt: not audio that can be read"), std::string::npos)
        << r.err;
}

// The 44-byte header of a 16-bit PCM WAV file whose data chunk holds `bytes`.
std::string wav_header(int rate, int channels, std::uint32_t bytes)
{
    const auto le = [](std::uint32_t v, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += char(v >> (8 * i));
        return out;
    };
    return "RIFF" + le(36 + bytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(rate, 4) +
           le(rate * channels * 2, 4) + le(channels * 2, 2) + le(16, 2) + "data" + le(bytes, 4);
}

// Recordings that are hostile, damaged or merely unusual, each made here: an 8-hour one is read
// only as far as the timeline (under a 1 GiB address space); a NaN sample, a damaged FLAC or MP3,
// a rate too low to resample and a text posing as MP3 are refused with one line; recordings at
// 8, 4 and 1 kHz are encoded whole.
TEST(MusicImport, HostileDamagedAndLowRateRecordings)
{
    const quor::test::scratch_data scratch("music-hostile");
    ASSERT_FALSE(scratch.data.empty());
    const std::string& dir = scratch.dir;
    const auto music = [&](const std::string& in) {
        return quor::test::run_quor_mem("music " + dir + "/" + in + " --out " + dir + "/out.mp3", 1 << 20);
    };
    const auto seconds_of = [&](const std::string& mp3) {
        stereo_pcm pcm;
        int rate = 0;
        std::string error;
        EXPECT_TRUE(read_music(mp3, pcm, rate, &error, 60)) << error;
        return rate > 0 ? static_cast<double>(pcm.left.size()) / rate : 0.0;
    };

    // Eight hours of silence at 8 kHz: 460 MB of samples, a sparse file on disk.
    const std::uint32_t bytes = 8u * 3600 * 8000 * 2;
    std::ofstream(dir + "/night.wav", std::ios::binary) << wav_header(8000, 1, bytes);
    std::filesystem::resize_file(dir + "/night.wav", 44 + bytes);
    auto r = music("night.wav");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NEAR(seconds_of(dir + "/out.mp3"), quor::demo::layout::timeline_end, 0.1);

    for (int rate : {8000, 4000, 1000}) {
        write_tone(dir + "/low.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, 3);
        r = music("low.wav");
        EXPECT_EQ(r.status, 0) << rate << ": " << r.err;
        EXPECT_NEAR(seconds_of(dir + "/out.mp3"), 3, 0.1) << rate;
    }

    // The refusals: one line each, and the output as it was.
    write_tone(dir + "/slow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 500, 1, 3);
    {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* f = sf_open((dir + "/nan.wav").c_str(), SFM_WRITE, &info);
        std::vector<float> frames(2 * 44100, 0.25f);
        frames[2 * 22050 + 1] = std::numeric_limits<float>::quiet_NaN();
        sf_writef_float(f, frames.data(), 44100);
        sf_close(f);
    }
    write_tone(dir + "/tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, 10);
    std::string flac = quor::test::slurp(dir + "/tone.flac");
    flac.replace(flac.size() / 10, 20000, 20000, '\0');
    std::ofstream(dir + "/damaged.flac", std::ios::binary) << flac;
    write_tone(dir + "/tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 10);
    ASSERT_EQ(music("tone.wav").status, 0);
    std::string mp3 = quor::test::slurp(dir + "/out.mp3");
    mp3.replace(mp3.size() / 10, 8192, 8192, '\0');
    std::ofstream(dir + "/damaged.mp3", std::ios::binary) << mp3;
    std::ofstream(dir + "/notes.mp3") << std::string(100, 'x') << "\n";
    const std::string before = quor::test::slurp(dir + "/out.mp3");

    const std::pair<const char*, const char*> refusals[] = {
        {"slow.wav", "slow.wav: has a sample rate of 500 Hz; a recording may have 1000 to 192000"},
        {"nan.wav", "nan.wav: holds a sample that is not a finite number, at 0.5"},
        {"damaged.flac", "damaged.flac: is damaged or cut short: "},
        {"damaged.mp3", "damaged.mp3: is damaged: decoding stops at "},
        {"notes.mp3", "notes.mp3: not audio that can be read"},
    };
    for (const auto& [file, line] : refusals) {
        r = music(file);
        EXPECT_EQ(r.status, 1) << file;
        EXPECT_EQ(r.err.rfind("quor-mem: music: " + dir + "/" + line, 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_TRUE(quor::test::slurp(dir + "/out.mp3") == before);

    const std::string data = quor::test::slurp(scratch.data);
    r = quor::test::run_quor_mem("music " + dir + "/tone.wav --out " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: music: " + scratch.data + " is a data file: the output would replace it (name another "
                                                          "file)\n");
    EXPECT_TRUE(quor::test::slurp(scratch.data) == data);
}

} // namespace
