// Starting ffmpeg and feeding it: posix_spawn with our pipe as its standard input and a
// temporary file as its standard error (it reports its own failures there, quietly otherwise).
#include "ffmpeg_video.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::vector<std::string> ffmpeg_arguments(const video_settings& s)
{
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-y",
                                  "-f", "rawvideo", "-pix_fmt", "yuv420p",
                                  "-s", std::to_string(s.width) + "x" + std::to_string(s.height),
                                  "-framerate", std::to_string(s.fps), "-i", "pipe:0"};
    if (!s.music.empty()) {
        std::ostringstream offset;
        offset.precision(6);
        offset << std::fixed << s.music_offset;
        a.insert(a.end(), {"-ss", offset.str(), "-i", s.music});
    }
    // One encoder thread: the renderer already keeps the other cores busy, and x264's own
    // threads cost more in hand-offs than they gain there.
    a.insert(a.end(), {"-map", "0:v", "-c:v", "libx264", "-preset", s.preset, "-crf", "18", "-threads", "1",
                       "-pix_fmt", "yuv420p", "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                       "-color_range", "tv"});
    if (!s.music.empty()) {
        // The track may end before the pictures do: pad it with silence, and cut at the last
        // picture so that sound and picture have the same length.
        a.insert(a.end(), {"-map", "1:a", "-af", "apad", "-shortest", "-c:a", "aac", "-b:a", "192k"});
    }
    a.insert(a.end(), {"-movflags", "+faststart", s.output});
    return a;
}

ffmpeg_video::ffmpeg_video(video_settings s) : settings(std::move(s)) {}

ffmpeg_video::~ffmpeg_video() { finish(); }

bool ffmpeg_video::check()
{
    // Learnt here rather than from ffmpeg, so that the user hears of it before any rendering.
    struct stat before;
    const bool existed = stat(settings.output.c_str(), &before) == 0;
    if (existed && S_ISDIR(before.st_mode)) {
        failure = "cannot write " + settings.output + ": it is a folder";
        return false;
    }
    const int probe = ::open(settings.output.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0) {
        failure = "cannot write " + settings.output + ": " + std::strerror(errno);
        return false;
    }
    close(probe);
    if (!existed)
        unlink(settings.output.c_str());
    if (!in_path("ffmpeg")) {
        failure = missing_ffmpeg;
        return false;
    }
    return true;
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

    const std::vector<std::string> args = ffmpeg_arguments(settings);
    std::vector<char*> argv;
    for (const auto& s : args)
        argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&child, "ffmpeg", &actions, nullptr, argv.data(), environ);
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
    while ((n = pread(log, chunk, sizeof chunk, at)) > 0 && text.size() < 4096) {
        text.append(chunk, static_cast<std::size_t>(n));
        at += n;
    }
    // Its few error lines joined: the first usually names the cause, the last what it gave up on.
    std::string summary;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            summary += (summary.empty() ? "" : "; ") + line;
    }
    return summary.size() > 300 ? summary.substr(0, 300) + "..." : summary;
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
        line << "ffmpeg failed";
        if (WIFEXITED(status))
            line << " (status " << WEXITSTATUS(status) << ")";
        else if (WIFSIGNALED(status))
            line << " (signal " << WTERMSIG(status) << ")";
        if (!why.empty())
            line << ": " << why;
        failure = line.str();
    }
    close(log);
    log = -1;
    return ok && failure.empty();
}

} // namespace quor::capture
