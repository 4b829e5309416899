// Starting ffmpeg and feeding it: posix_spawn with our pipe as its standard input and a
// temporary file as its standard error (it reports its own failures there, quietly otherwise).
#include "ffmpeg_video.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "yuv_picture.h"

extern char** environ;

namespace quor::capture {

namespace {

constexpr const char* missing_ffmpeg = "the ffmpeg program is not installed (Debian package ffmpeg)";

bool in_path(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t at = 0;
    while (at <= dirs.size()) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > at ? dirs.substr(at, end - at) : ".";
        if (access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

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
    const bool sound = !s.music.empty() && c != container::gif;
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
                                  "-f", "rawvideo", "-pix_fmt", "yuv420p",
                                  "-s", std::to_string(s.width) + "x" + std::to_string(s.height),
                                  "-framerate", s.fps.text(), "-i", "pipe:0"};
    if (sound) {
        std::ostringstream offset;
        offset.precision(6);
        offset << std::fixed << s.music_offset;
        a.insert(a.end(), {"-ss", offset.str(), "-i", s.music});
    }
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
        // The track may end before the pictures do: pad it with silence, and cut at the last
        // picture so that sound and picture have the same length.
        a.insert(a.end(), {"-map", "1:a", "-af", "apad", "-shortest"});
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

ffmpeg_video::ffmpeg_video(video_settings s) : settings(std::move(s)), incomplete(incomplete_name(settings.output)) {}

ffmpeg_video::~ffmpeg_video()
{
    finish();
    unlink(incomplete.c_str());
}

bool ffmpeg_video::check()
{
    // Learnt here rather than from ffmpeg, so that the user hears of it before any rendering.
    struct stat before;
    if (stat(settings.output.c_str(), &before) == 0 && S_ISDIR(before.st_mode)) {
        failure = "cannot write " + settings.output + ": it is a folder";
        return false;
    }
    // Whatever is there is a leftover of an earlier capture: ours to replace.
    const int probe = ::open(incomplete.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (probe < 0) {
        failure = "cannot write " + incomplete + ": " + std::strerror(errno);
        return false;
    }
    close(probe);
    unlink(incomplete.c_str());
    if (!in_path("ffmpeg")) {
        failure = missing_ffmpeg;
        return false;
    }
    return true;
}

void ffmpeg_video::set_music(const std::string& file, double offset)
{
    settings.music = file;
    settings.music_offset = offset;
}

bool ffmpeg_video::open()
{
    int pipe_fds[2];
    FILE* log_file = std::tmpfile();
    if (!log_file || pipe2(pipe_fds, O_CLOEXEC) != 0) {
        failure = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        if (log_file)
            std::fclose(log_file);
        return false;
    }
    log = fcntl(fileno(log_file), F_DUPFD_CLOEXEC, 0);
    std::fclose(log_file);
    // A bigger pipe means fewer switches between us and ffmpeg per picture.
    fcntl(pipe_fds[1], F_SETPIPE_SZ, 1 << 20);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    video_settings to_incomplete = settings;
    to_incomplete.output = incomplete;
    const std::vector<std::string> args = ffmpeg_arguments(to_incomplete);
    std::vector<char*> argv;
    for (const auto& s : args)
        argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&child, "ffmpeg", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[0]);
    if (spawned != 0) {
        child = -1;
        close(pipe_fds[1]);
        failure = spawned == ENOENT ? missing_ffmpeg
                                    : std::string("cannot start ffmpeg: ") + std::strerror(spawned);
        return false;
    }
    input = pipe_fds[1];
    return true;
}

bool ffmpeg_video::write(const std::uint8_t* bgra, std::uint64_t)
{
    yuv.resize(i420_bytes(settings.width, settings.height));
    bgra_to_i420(bgra, settings.width, settings.height, yuv.data());
    std::size_t done = 0;
    while (done < yuv.size()) {
        const ssize_t n = ::write(input, yuv.data() + done, yuv.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // ffmpeg has gone; `finish` reaps it and tells why.
            failure = "ffmpeg stopped reading";
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string ffmpeg_video::log_summary() const
{
    std::string text;
    char chunk[4096];
    ssize_t n;
    off_t at = 0;
    while ((n = pread(log, chunk, sizeof chunk, at)) > 0) {
        text.append(chunk, static_cast<std::size_t>(n));
        at += n;
        // Only the end matters: keep what a last line can be found in.
        if (text.size() > 8192)
            text.erase(0, text.size() - 4096);
    }
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
    if (child < 0)
        return failure.empty();
    close(input);
    input = -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    child = -1;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        const std::string why = log_summary();
        std::ostringstream line;
        line << "ffmpeg could not write " << settings.output;
        if (WIFEXITED(status))
            line << " (status " << WEXITSTATUS(status) << ")";
        else if (WIFSIGNALED(status))
            line << " (signal " << WTERMSIG(status) << ")";
        if (!why.empty())
            line << "\nffmpeg: " << why;
        failure = line.str();
    }
    close(log);
    log = -1;
    return ok && failure.empty();
}

bool ffmpeg_video::commit()
{
    if (std::rename(incomplete.c_str(), settings.output.c_str()) == 0)
        return true;
    failure = "cannot rename " + incomplete + " to " + settings.output + ": " + std::strerror(errno);
    return false;
}

} // namespace quor::capture
