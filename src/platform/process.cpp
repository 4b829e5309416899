// POSIX behind platform/process.h: posix_spawnp with a pipe and a temporary file as the child's
// standard streams, waitpid, getcwd and chdir, SIGPIPE, getrusage, isatty, dup2 onto /dev/null.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace quor::platform {

bool program_on_path(const char* name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        if (access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

start_result start_program(const std::vector<std::string>& args, child_program& child, std::string* why)
{
    int pipe_fds[2];
    std::FILE* log_file = std::tmpfile();
    if (!log_file || pipe2(pipe_fds, O_CLOEXEC) != 0) {
        *why = std::strerror(errno);
        if (log_file)
            std::fclose(log_file);
        return start_result::failed;
    }
    child.log = fcntl(fileno(log_file), F_DUPFD_CLOEXEC, 0);
    std::fclose(log_file);
    // A bigger pipe means fewer switches between the two processes per picture.
    fcntl(pipe_fds[1], F_SETPIPE_SZ, 1 << 20);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, child.log, STDERR_FILENO);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);

    std::vector<char*> argv;
    for (const auto& s : args)
        argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    pid_t id = -1;
    const int spawned = posix_spawnp(&id, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[0]);
    if (spawned != 0) {
        close(pipe_fds[1]);
        close_log(child);
        *why = std::strerror(spawned);
        return spawned == ENOENT ? start_result::not_found : start_result::failed;
    }
    child.id = id;
    child.input = pipe_fds[1];
    return start_result::started;
}

program_end finish_program(child_program& child)
{
    program_end end;
    if (child.input >= 0)
        close(child.input);
    child.input = -1;
    if (child.id < 0)
        return end;
    int status = 0;
    while (waitpid(static_cast<pid_t>(child.id), &status, 0) < 0 && errno == EINTR) {
    }
    child.id = -1;
    end.exited = WIFEXITED(status);
    end.status = end.exited ? WEXITSTATUS(status) : 0;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

std::string program_log(const child_program& child, std::size_t keep)
{
    std::string text;
    char chunk[4096];
    ssize_t n;
    off_t at = 0;
    while (child.log >= 0 && (n = pread(child.log, chunk, sizeof chunk, at)) > 0) {
        text.append(chunk, static_cast<std::size_t>(n));
        at += n;
        if (text.size() > 2 * keep)
            text.erase(0, text.size() - keep);
    }
    return text;
}

void close_log(child_program& child)
{
    if (child.log >= 0)
        close(child.log);
    child.log = -1;
}

std::string current_folder()
{
    char here[PATH_MAX];
    return getcwd(here, sizeof here) ? std::string(here) : std::string();
}

bool change_folder(const std::string& path, std::string* why)
{
    if (chdir(path.c_str()) == 0)
        return true;
    *why = std::strerror(errno);
    return false;
}

void ignore_broken_pipes() { signal(SIGPIPE, SIG_IGN); }

double processor_seconds()
{
    double total = 0.0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
    }
    return total;
}

quiet_errors::quiet_errors()
{
    saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0)
        dup2(null, STDERR_FILENO);
    if (null >= 0)
        close(null);
}

quiet_errors::~quiet_errors()
{
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}

bool errors_to_terminal() { return isatty(STDERR_FILENO) != 0; }

} // namespace quor::platform
