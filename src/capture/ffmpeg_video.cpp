// Starting ffmpeg and feeding it through the platform's programs: our pipe as its standard input
// and a temporary file as its standard error (it reports its own failures there, quietly
// otherwise).
#include "capture/ffmpeg_video.h"

#include <cctype>
#include <sstream>

#include "capture/music_track.h"
#include "capture/yuv_picture.h"
#include "platform/file.h"

namespace quor::capture {

namespace {

constexpr const char* missing_ffmpeg = "the ffmpeg program is not installed (Debian package ffmpeg)";

} // namespace

container container_of(const std::string& output)
{
    const std::size_t dot = output.rfind('.');
    std::string ext = dot == std::string::npos || output.find('/', dot) != std::string::npos ? "" : output.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "webm")
        return container::webm;
    if (ext == "gif")
        return container::gif;
    return container::h264;
}

int highest_crf(container c) { return c == container::h264 ? 51 : c == container::webm ? 63 : -1; }
int default_crf(container c) { return c == container::h264 ? 18 : c == container::webm ? 32 : -1; }

std::vector<std::string> ffmpeg_arguments(const video_settings& s)
{
    const container c = container_of(s.output);
    const bool sound = !s.sound.empty() && c != container::gif;
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
                                  "-f", "rawvideo", "-pix_fmt", "yuv420p",
                                  "-s", std::to_string(s.width) + "x" + std::to_string(s.height),
                                  "-framerate", s.fps.text(), "-i", "pipe:0"};
    if (sound)
        a.insert(a.end(), {"-i", s.sound});
    const std::string crf = std::to_string(s.crf >= 0 ? s.crf : default_crf(c));
    a.insert(a.end(), {"-map", "0:v"});
    switch (c) {
    case container::h264:
        // One encoder thread: the renderer already keeps the other cores busy, and x264's own
        // threads cost more in hand-offs than they gain there.
        a.insert(a.end(), {"-c:v", "libx264", "-preset", s.preset, "-crf", crf, "-threads", "1"});
        break;
    case container::webm:
        // The realtime deadline keeps VP9 near the renderer's pace; quality then comes from --crf.
        a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", crf, "-b:v", "0", "-deadline", "realtime", "-cpu-used",
                           "8", "-row-mt", "1"});
        break;
    case container::gif:
        // A palette of each picture's own colours: the bloom's gradients survive, and no pass
        // over the whole video is needed first. Players hold a picture at least 2/100 s, so
        // faster captures are thinned to 25 a second.
        a.insert(a.end(), {"-vf", std::string(s.fps.per_second() > 50 ? "fps=25," : "") +
                                      "scale=in_color_matrix=bt709:in_range=tv,split[a][b];"
                                      "[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1"});
        break;
    }
    if (c != container::gif)
        a.insert(a.end(), {"-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc",
                           "bt709", "-color_range", "tv"});
    if (sound) {
        // The sound is as long as the pictures already; ffmpeg's own cut (-shortest) would come a
        // packet or two late, as the pictures trickle in through the pipe.
        a.insert(a.end(), {"-map", "1:a"});
        if (c == container::webm)
            a.insert(a.end(), {"-c:a", "libopus", "-b:a", "160k"});
        else
            a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k"});
    }
    const std::size_t dot = s.output.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : s.output.substr(dot);
    if (ext == ".mp4" || ext == ".mov" || ext == ".m4v")
        a.insert(a.end(), {"-movflags", "+faststart"});
    a.push_back(s.output);
    return a;
}

std::string incomplete_name(const std::string& output)
{
    const std::size_t slash = output.rfind('/');
    const std::size_t dot = output.rfind('.');
    const std::size_t cut = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot
                                                                                                          : output.size();
    return output.substr(0, cut) + ".incomplete" + output.substr(cut);
}

ffmpeg_video::ffmpeg_video(video_settings s)
    : settings(std::move(s)), incomplete(incomplete_name(settings.output)), sound(incomplete + ".wav")
{
}

ffmpeg_video::~ffmpeg_video()
{
    finish();
    platform::remove_file(incomplete.c_str());
    platform::remove_file(sound.c_str());
}

bool ffmpeg_video::check()
{
    // Learnt here rather than from ffmpeg, so that the user hears of it before any rendering.
    if (platform::is_folder(settings.output.c_str())) {
        failure = "cannot write " + settings.output + ": it is a folder";
        return false;
    }
    // Whatever is there is a leftover of an earlier capture: ours to replace.
    const int probe = platform::create_file(incomplete.c_str(), 0666);
    if (probe == platform::no_file) {
        failure = "cannot write " + incomplete + ": " + platform::last_error();
        return false;
    }
    platform::close_file(probe);
    platform::remove_file(incomplete.c_str());
    if (!platform::program_on_path("ffmpeg")) {
        failure = missing_ffmpeg;
        return false;
    }
    return true;
}

void ffmpeg_video::set_music(const std::string& file, double from, double seconds)
{
    music = file;
    music_from = from;
    music_seconds = seconds;
}

bool ffmpeg_video::open()
{
    video_settings to_incomplete = settings;
    to_incomplete.output = incomplete;
    // Decoded by the decoder that judged the track: ffmpeg's own reading of an MPEG file refuses
    // some that decode (bytes before the first frame that look like another format to it, say),
    // and would then fail the whole video.
    if (!music.empty() && container_of(settings.output) != container::gif) {
        if (!write_music_stretch(music, sound, music_from, music_seconds, failure))
            return false;
        to_incomplete.sound = sound;
    }
    std::string why;
    switch (platform::start_program(ffmpeg_arguments(to_incomplete), child, &why)) {
    case platform::start_result::started:
        return true;
    case platform::start_result::not_found:
        failure = missing_ffmpeg;
        return false;
    default:
        failure = "cannot start ffmpeg: " + why;
        return false;
    }
}

bool ffmpeg_video::write(const std::uint8_t* bgra, std::uint64_t)
{
    yuv.resize(i420_bytes(settings.width, settings.height));
    bgra_to_i420(bgra, settings.width, settings.height, yuv.data());
    if (platform::write_full(child.input, yuv.data(), yuv.size()) != yuv.size()) {
        // ffmpeg has gone; `finish` reaps it and tells why.
        failure = "ffmpeg stopped reading";
        return false;
    }
    return true;
}

std::string ffmpeg_video::log_summary() const
{
    // Only the end matters: keep what a last line can be found in.
    const std::string text = platform::program_log(child, 4096);
    std::string last;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            last = line;
    }
    // ffmpeg names the file it writes; the user knows it by the output's name.
    for (std::size_t at = last.find(incomplete); at != std::string::npos;
         at = last.find(incomplete, at + settings.output.size()))
        last.replace(at, incomplete.size(), settings.output);
    return last.size() > 300 ? last.substr(0, 300) + "..." : last;
}

bool ffmpeg_video::finish()
{
    if (child.id < 0)
        return failure.empty();
    const platform::program_end end = platform::finish_program(child);
    platform::remove_file(sound.c_str());
    const bool ok = end.exited && end.status == 0;
    if (!ok) {
        const std::string why = log_summary();
        std::ostringstream line;
        line << "ffmpeg could not write " << settings.output;
        if (end.exited)
            line << " (status " << end.status << ")";
        else if (end.signal != 0)
            line << " (signal " << end.signal << ")";
        if (!why.empty())
            line << "\nffmpeg: " << why;
        failure = line.str();
    }
    platform::close_log(child);
    return ok && failure.empty();
}

bool ffmpeg_video::commit()
{
    if (platform::rename_over(incomplete.c_str(), settings.output.c_str()))
        return true;
    failure = "cannot rename " + incomplete + " to " + settings.output + ": " + platform::last_error();
    return false;
}

} // namespace quor::capture
