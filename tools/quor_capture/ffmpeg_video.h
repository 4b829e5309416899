// A video through the ffmpeg program: pictures converted to 4:2:0 YUV go to its standard input,
// the music file is its second input, and it encodes H.264 and AAC into the output file.
#pragma once

#include <string>
#include <vector>
#include <sys/types.h>

#include "frame_sink.h"

namespace quor::capture {

struct video_settings {
    std::string output;
    int width = 0;
    int height = 0;
    int fps = 60;
    std::string preset = "ultrafast";
    // The music to mux in, or empty for a video without sound; it starts at `music_offset`
    // seconds, so that it lines up with a capture that starts later in the timeline.
    std::string music;
    double music_offset = 0.0;
};

// The ffmpeg arguments for `s`, the program name first. Pictures are planar 4:2:0 YUV, BT.709,
// video range, top row first, and the stream says so.
std::vector<std::string> ffmpeg_arguments(const video_settings& s);

class ffmpeg_video final : public frame_sink {
public:
    explicit ffmpeg_video(video_settings s);
    ~ffmpeg_video() override;

    // Checks, without leaving a file behind, that the output can be created and that ffmpeg is
    // installed. False with `error()` set otherwise.
    bool check() override;
    // Starts ffmpeg. False with `error()` set when it cannot be started.
    bool open() override;
    bool write(const std::uint8_t* bgra, std::uint64_t index) override;
    // Closes ffmpeg's input and waits for it; false when it failed, with its last message.
    bool finish() override;
    std::string error() const override { return failure; }

private:
    std::string log_summary() const;

    video_settings settings;
    pid_t child = -1;
    int input = -1;    // write end of ffmpeg's standard input
    int log = -1;      // ffmpeg's standard error, kept for the failure message
    std::string failure;
    std::vector<std::uint8_t> yuv; // the picture being written
};

} // namespace quor::capture
