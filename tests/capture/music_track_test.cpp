// The capture's music: which tracks count as readable (the whole track decodes, whatever comes
// before its first frame), and the stretch cut out of one as a WAV file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capture/music_track.h"

namespace {

using bytes = std::vector<unsigned char>;

// `count` MPEG-1 Layer III frames at 128 kbit/s, 44.1 kHz, stereo, no padding: a header and 413
// bytes of zero side information and data, which decode to silence; 1152 samples each.
bytes silent_frames(int count)
{
    bytes b;
    for (int i = 0; i < count; ++i) {
        b.insert(b.end(), {0xFF, 0xFB, 0x90, 0x00});
        b.insert(b.end(), 413, 0);
    }
    return b;
}

// Text: no byte of it starts a frame header (0xFF), so a decoder finds nothing in it.
bytes text(std::size_t size)
{
    bytes b;
    const std::string line = "not music at all\n";
    while (b.size() < size)
        b.push_back(static_cast<unsigned char>(line[b.size() % line.size()]));
    return b;
}

bytes operator+(bytes a, const bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class MusicTrack : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = ::testing::TempDir() + "capture-music-" + std::to_string(getpid());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name, const bytes& content)
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
        return path;
    }
    // Empty when the track counts as readable; otherwise why not.
    std::string refusal(const std::string& name, const bytes& content)
    {
        std::string why;
        const bool readable = quor::capture::music_readable(file(name, content), why);
        return readable ? std::string() : why.empty() ? "refused without a reason" : why;
    }

    std::string dir;
};

TEST_F(MusicTrack, OnlyATrackThatDecodesToItsEndIsReadable)
{
    EXPECT_EQ(refusal("whole.mp3", silent_frames(10)), "");
    // Bytes before the first frame that another reader takes for a FLAC or Ogg file, or an
    // ID3 tag, change nothing: the decoder looks past them.
    for (const char* magic : {"fLaC", "OggS"}) {
        const std::string m(magic);
        EXPECT_EQ(refusal(m + ".mp3", bytes(m.begin(), m.end()) + bytes(300, 0) + silent_frames(10)), "") << magic;
    }
    const bytes id3 = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 16};
    EXPECT_EQ(refusal("tagged.mp3", id3 + bytes(16, 0) + silent_frames(10)), "");

    // A few frames and then nothing the decoder can find a frame in: what a run of random bytes
    // with frame headers in it by chance looks like. Said with how far it decodes: 10 frames are
    // 11520 / 44100 = 0.26 s, 2 frames 0.05 s.
    EXPECT_EQ(refusal("cut.mp3", silent_frames(10) + text(50000)), "damaged: it does not decode past 0.3 s");
    EXPECT_EQ(refusal("two.mp3", silent_frames(2) + text(50000)), "damaged: it does not decode past 0.1 s");

    EXPECT_EQ(refusal("text.mp3", text(50000)), "not MPEG audio");
    EXPECT_EQ(refusal("empty.mp3", {}), "not MPEG audio");
    EXPECT_EQ(refusal("tag-only.mp3", id3 + bytes(16, 0)), "not MPEG audio");
    // A tag that says it is larger than the file.
    EXPECT_EQ(refusal("huge-tag.mp3", bytes{'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F} + silent_frames(10)),
              "not MPEG audio");

    // Frames the decoder talks about on stderr however quiet it is asked to be (MPEG-1 Layer II,
    // 32 kbit/s, 48 kHz, joint stereo past the coded subbands; 96 bytes each): readable, and not
    // a word of it reaches the user, through the check or the stretch.
    bytes chatty;
    for (int i = 0; i < 10; ++i) {
        chatty.insert(chatty.end(), {0xFF, 0xFD, 0x14, 0x70});
        chatty.insert(chatty.end(), 92, 0);
    }
    ::testing::internal::CaptureStderr();
    const std::string chatty_refusal = refusal("chatty.mp3", chatty);
    std::string stretch_error;
    const bool stretch = quor::capture::write_music_stretch(dir + "/chatty.mp3", dir + "/chatty.wav", 0.0, 0.5,
                                                            stretch_error);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(chatty_refusal, "");
    EXPECT_TRUE(stretch) << stretch_error;

    std::string why;
    EXPECT_FALSE(quor::capture::music_readable(dir + "/none.mp3", why));
    EXPECT_EQ(why, "No such file or directory");
}

TEST_F(MusicTrack, TheStretchHasTheLengthAskedForWithSilenceAfterTheTrack)
{
    const std::string track = file("whole.mp3", silent_frames(10));
    const std::string wav = dir + "/stretch.wav";
    std::string error;
    // 1 s from 0.1 s on: 44100 frames of two 16-bit samples after a 44-byte header, although
    // the track ends 0.16 s in.
    ASSERT_TRUE(quor::capture::write_music_stretch(track, wav, 0.1, 1.0, error)) << error;
    EXPECT_EQ(std::filesystem::file_size(wav), 44u + 44100u * 4u);
    EXPECT_FALSE(std::filesystem::exists(wav + ".tmp"));

    EXPECT_FALSE(quor::capture::write_music_stretch(file("text.mp3", text(5000)), dir + "/t.wav", 0.0, 1.0, error));
    EXPECT_EQ(error, "cannot read " + dir + "/text.mp3: not MPEG audio");
    EXPECT_FALSE(std::filesystem::exists(dir + "/t.wav"));
}

} // namespace
