// The decoder's set-up, over hand-made MPEG-1 Layer III frames of silence: the encoding asked for
// is the one given, and a stream behind more junk than a short hunt is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/mp3_decoder.h"

namespace {

// Ten frames at 128 kbit/s, 44.1 kHz, stereo, no padding: a 4-byte header and 413 bytes of zero
// side information and data, which decode to silence (144 * 128000 / 44100 = 417 bytes a frame).
std::vector<unsigned char> silent_frames()
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 10; ++i) {
        const unsigned char header[] = {0xFF, 0xFB, 0x90, 0x00};
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), 413, 0);
    }
    return bytes;
}

struct format {
    int status = 0;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
};

format opened(quor::mp3_decoder& d, const std::vector<unsigned char>& bytes)
{
    format f;
    EXPECT_EQ(mpg123_open_feed(d.get()), MPG123_OK);
    mpg123_feed(d.get(), bytes.data(), bytes.size());
    f.status = mpg123_getformat(d.get(), &f.rate, &f.channels, &f.encoding);
    return f;
}

TEST(Mp3Decoder, GivesTheEncodingAskedFor)
{
    for (const int encoding : {MPG123_ENC_SIGNED_16, MPG123_ENC_FLOAT_32}) {
        std::string why;
        quor::mp3_decoder d = quor::make_mp3_decoder(encoding, why);
        ASSERT_TRUE(d) << why;
        const format f = opened(d, silent_frames());
        ASSERT_EQ(f.status, MPG123_OK) << mpg123_strerror(d.get());
        EXPECT_EQ(f.rate, 44100);
        EXPECT_EQ(f.channels, 2);
        EXPECT_EQ(f.encoding, encoding);
    }
}

TEST(Mp3Decoder, HuntsThroughLittleJunkOnly)
{
    for (const std::size_t junk : {std::size_t(100), std::size_t(64 * 1024)}) {
        std::vector<unsigned char> bytes(junk, 0x55);
        const std::vector<unsigned char> frames = silent_frames();
        bytes.insert(bytes.end(), frames.begin(), frames.end());
        std::string why;
        quor::mp3_decoder d = quor::make_mp3_decoder(MPG123_ENC_SIGNED_16, why);
        ASSERT_TRUE(d) << why;
        EXPECT_EQ(opened(d, bytes).status == MPG123_OK, junk < 2048) << junk << " bytes of junk";
    }
}

} // namespace
