// The music's peaks: the lowest and highest sample of each 1/200 s, cached beside the music and
// taken from the cache only while it is that music's (length and hash of every byte); a damaged
// or foreign cache is worked out again and replaced.
#include "interchange/music_peaks.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include <gtest/gtest.h>

#include "data_files.h"
#include "interchange/mp3_encoder.h"

namespace {

using namespace quor::interchange;

TEST(MusicPeaks, EachPeakIsTheLowestAndHighestOfItsStretch)
{
    // One second of a ramp from -1 to 1 at 1000 Hz: 5 samples a peak, each peak's stretch
    // ascending, so its first sample is the lowest and its last the highest.
    std::vector<float> ramp(1000);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = -1 + 2 * static_cast<float>(i) / 999;
    const music_peaks p = compute_peaks(ramp, 1000);
    ASSERT_EQ(p.low.size(), 200u);
    for (std::size_t i : {0u, 1u, 77u, 199u}) {
        EXPECT_FLOAT_EQ(p.low[i], ramp[i * 5]);
        EXPECT_FLOAT_EQ(p.high[i], ramp[i * 5 + 4]);
    }
    // A stretch that is not whole at the end still counts.
    EXPECT_EQ(compute_peaks(std::vector<float>(1003), 1000).low.size(), 201u);
    EXPECT_TRUE(compute_peaks({}, 44100).low.empty());

    EXPECT_EQ(peaks_path("/data/demo.mp3"), "/data/demo.peaks");
    EXPECT_EQ(peaks_path("a.b/music"), "a.b/music.peaks");
    EXPECT_EQ(peaks_path(".mp3"), ".mp3.peaks");
}

TEST(MusicPeaks, CachedBesideTheMusicAndWorkedOutAgainForOtherMusic)
{
    quor::test::scratch_folder folder;
    const std::string music = folder.file("demo.mp3");
    // 3 s: a tone at half level for a second, then silence.
    stereo_pcm pcm;
    for (int i = 0; i < 3 * sample_rate; ++i) {
        const float v = i < sample_rate ? 0.5f * static_cast<float>(std::sin(2 * std::numbers::pi * 440 * i / sample_rate)) : 0;
        pcm.left.push_back(v);
        pcm.right.push_back(v);
    }
    std::string why;
    const std::vector<std::uint8_t> mp3 = encode_mp3(pcm, &why);
    ASSERT_FALSE(mp3.empty()) << why;
    std::ofstream(music, std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(mp3.size()));

    music_peaks first;
    bool cached = true;
    ASSERT_TRUE(load_music_peaks(music, first, cached, &why)) << why;
    EXPECT_FALSE(cached);
    ASSERT_NEAR(static_cast<double>(first.low.size()), 3 * peaks_per_second, 10);
    EXPECT_NEAR(first.high[100], 0.5, 0.03);
    EXPECT_NEAR(first.low[100], -0.5, 0.03);
    EXPECT_NEAR(first.high[400], 0, 0.01);
    ASSERT_TRUE(std::filesystem::exists(folder.file("demo.peaks")));

    music_peaks again;
    ASSERT_TRUE(load_music_peaks(music, again, cached, &why)) << why;
    EXPECT_TRUE(cached);
    EXPECT_EQ(again, first);

    // Another music of the same length: one byte differs.
    std::string bytes(mp3.begin(), mp3.end());
    bytes[bytes.size() / 2] ^= 0x10;
    std::ofstream(music, std::ios::binary) << bytes;
    ASSERT_TRUE(load_music_peaks(music, again, cached, &why)) << why;
    EXPECT_FALSE(cached) << "the cache is another music's";

    // A damaged cache is worked out again and replaced.
    std::filesystem::resize_file(folder.file("demo.peaks"), 40);
    ASSERT_TRUE(load_music_peaks(music, again, cached, &why)) << why;
    EXPECT_FALSE(cached);
    ASSERT_TRUE(load_music_peaks(music, again, cached, &why)) << why;
    EXPECT_TRUE(cached);

    EXPECT_FALSE(load_music_peaks(folder.file("none.mp3"), again, cached, &why));
    EXPECT_NE(why.find("none.mp3"), std::string::npos) << why;
}

TEST(MusicPeaks, ACacheReadsOnlyForItsOwnMusic)
{
    music_peaks p;
    p.low = {-1, -0.5f, 0};
    p.high = {1, 0.5f, 0.25f};
    p.beat_found = true;
    p.beat = {114.25, 0.01, 40};
    const std::vector<char> bytes = write_peaks(p, 1234, 99);
    music_peaks back;
    ASSERT_TRUE(read_peaks(bytes, 1234, 99, back));
    EXPECT_EQ(back.beat, p.beat);
    EXPECT_NEAR(back.high[2], 0.25, 1.0 / 127);
    EXPECT_FALSE(read_peaks(bytes, 1235, 99, back)) << "other length";
    EXPECT_FALSE(read_peaks(bytes, 1234, 98, back)) << "other hash";
    EXPECT_FALSE(read_peaks(std::span(bytes).first(bytes.size() - 1), 1234, 99, back)) << "cut short";
    std::vector<char> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(read_peaks(longer, 1234, 99, back)) << "bytes past the peaks";
    EXPECT_NE(bytes_hash(std::span(bytes).first(10)), bytes_hash(std::span(bytes).first(11)));
}

} // namespace
