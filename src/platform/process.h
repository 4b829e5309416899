// Other programs and this process's own surroundings: a program started to read what we write
// to it, the current folder, the environment, the processor time used, and the error stream (a
// terminal or not, silenced for a while). What a program that drives an encoder needs of the operating system.
#pragma once

#include <string>
#include <vector>

namespace quor::platform {

// A program started by start_program; `id` is -1 when none runs.
struct child_program {
    long long id = -1;
    int input = -1; // the write end of its standard input
    int log = -1;   // its standard error: a temporary file, read by program_log
};

enum class start_result { started, not_found, failed };

// True when `name` is an executable file in one of the PATH's folders.
bool program_on_path(const char* name);
// Starts args[0], looked up on the PATH, with `args` as its arguments: its standard input a pipe
// that `child.input` writes, its output discarded, its errors kept for program_log, and in a
// process group of its own (a Ctrl-C at the terminal is the caller's to handle). `failed` comes
// with *why, one short phrase.
start_result start_program(const std::vector<std::string>& args, child_program& child, std::string* why);

// How a program ended: its exit status, or the signal that ended it.
struct program_end {
    bool exited = false;
    int status = 0;
    int signal = 0;
};
// Closes the program's input and waits for it to end; `child.id` is -1 afterwards.
program_end finish_program(child_program& child);
// What the program wrote to its error stream, at most the last `keep` bytes of it. The log goes
// with close_log.
std::string program_log(const child_program& child, std::size_t keep);
void close_log(child_program& child);

// The current folder ("" when the system does not say), and a change of it; false with *why.
std::string current_folder();
bool change_folder(const std::string& path, std::string* why);
// A write to a pipe whose reader has gone fails with an error instead of ending the process.
void ignore_broken_pipes();
// Seconds of processor time used by this process and the programs it has waited for.
double processor_seconds();
// While it lives, the standard error stream goes nowhere: for a library that prints there
// unasked. Whatever another thread reports meanwhile is lost too.
class quiet_errors {
public:
    quiet_errors();
    ~quiet_errors();
    quiet_errors(const quiet_errors&) = delete;
    quiet_errors& operator=(const quiet_errors&) = delete;

private:
    int saved = -1;
};
// Whether the standard error stream goes to a terminal.
bool errors_to_terminal();

} // namespace quor::platform
