// A video through the ffmpeg program: pictures converted to 4:2:0 YUV go to its standard input,
// the music's stretch, decoded here, is its second input, and it encodes them for the container
// the output's extension names, into a file beside the output that takes the output's name only
// when the video is complete.
#pragma once

#include <string>
#include <vector>

#include "capture/frame_sink.h"
#include "capture/options.h"
#include "platform/process.h"

namespace quor::capture {

// What the output's extension asks for: .mp4/.mov/.mkv and anything unknown H.264 + AAC (ffmpeg
// decides whether it can mux them), .webm VP9 + Opus, .gif a palette picture per frame and no
// sound.
enum class container { h264, webm, gif };
container container_of(const std::string& output);
// The encoder's quality range and its default for --crf: 0-51 and 18 for H.264, 0-63 and 32 for
// VP9; a GIF has none (highest -1).
int highest_crf(container c);
int default_crf(container c);

struct video_settings {
    std::string output;
    int width = 0;
    int height = 0;
    frame_rate fps;
    std::string preset = "ultrafast";
    int crf = -1; // -1: the container's default
    // The sound to mux in, a WAV file that starts with the first picture; empty for a video
    // without sound.
    std::string sound;
};

// Where the video is written until it is complete: beside `output`, with the same extension (it
// tells ffmpeg the container).
std::string incomplete_name(const std::string& output);

// The ffmpeg arguments for `s`, the program name first. Pictures are planar 4:2:0 YUV, BT.709,
// video range, top row first, and the stream says so.
std::vector<std::string> ffmpeg_arguments(const video_settings& s);

class ffmpeg_video final : public frame_sink {
public:
    explicit ffmpeg_video(video_settings s);
    ~ffmpeg_video() override;

    // Checks, without leaving a file behind, that the video can be written beside the output and
    // that ffmpeg is installed. False with `error()` set otherwise.
    bool check() override;
    // The music to mux in, when it is known only once the demo is loaded: `seconds` of the MPEG
    // track `file` from `from` seconds on, the stretch the pictures show.
    void set_music(const std::string& file, double from, double seconds);
    // Starts ffmpeg, in a process group of its own: a Ctrl-C at the terminal is ours to handle.
    // The music's stretch goes to it decoded, as a WAV file beside the incomplete video. False
    // with `error()` set when that file cannot be written or ffmpeg cannot be started.
    bool open() override;
    bool write(const std::uint8_t* bgra, std::uint64_t index) override;
    // Closes ffmpeg's input and waits for it; false when it failed, with a line of ours and
    // ffmpeg's last line.
    bool finish() override;
    // Renames the finished video over the output.
    bool commit() override;
    std::string error() const override { return failure; }

private:
    std::string log_summary() const;

    video_settings settings;
    std::string incomplete; // ffmpeg's output file, removed unless committed
    std::string music;      // the MPEG track, its stretch and the WAV file ffmpeg reads it from
    double music_from = 0.0;
    double music_seconds = 0.0;
    std::string sound;
    platform::child_program child; // its standard error kept for the failure message
    std::string failure;
    std::vector<std::uint8_t> yuv; // the picture being written
};

} // namespace quor::capture
