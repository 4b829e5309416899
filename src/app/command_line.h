// The programs' command lines: one layer over CLI11 that answers --help and --version the same
// way everywhere, checks values whole with validators the programs share (sizes, seconds, frame
// rates), and refuses a bad command line with one line, "<program>: <what>: <why> (see <command>
// --help)", and status 2.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/frame_rate.h"

namespace quor::system {

struct parse_outcome {
    bool run = true;  // false: end at once with `status` after printing `text`
    int status = 0;   // 0 after --help or --version, 2 after a bad command line
    std::string text; // help or version for the standard output, or one error line for the standard error
};

// The arguments as UTF-8 (platform/startup.h), in the shape of main's: the names in them reach the
// file calls whole on every system. Lives as long as anything uses argv().
class utf8_arguments {
public:
    utf8_arguments(int argc, char** argv);
    int argc() const { return static_cast<int>(texts.size()); }
    char** argv() { return pointers.data(); }

private:
    std::vector<std::string> texts;
    std::vector<char*> pointers;
};

// Prints what the command line asked for or got wrong; the status to end with.
int answer(const parse_outcome& parsed);

// "WxH", both sides from `low` to `high`, and even when `even` is set.
bool parse_size(std::string_view text, int low, int high, bool even, int& width, int& height);
// Seconds: a finite number from 0 to `high`.
bool parse_seconds(std::string_view text, double high, double& seconds);

// The same as CLI11 validators, whose refusal quotes the value and says what was expected.
CLI::Validator size_check(int low, int high, bool even = false);
CLI::Validator seconds_check(double high = 1e308);
CLI::Validator rate_check();
// An existing folder.
CLI::Validator folder_check();

// One program's command line: add the options and subcommands to app(), then parse.
class command_line {
public:
    command_line(std::string program, const std::string& description);

    CLI::App& app() { return cli; }
    // Parses argv[1..]. --help (-h) anywhere gives the help of the command it follows, --version
    // the version line; an unknown option or a stray argument is named, the first of them.
    parse_outcome parse(int argc, const char* const* argv);
    // The refusal of a check made after the parse, for the command that was parsed.
    parse_outcome refuse(std::string_view what, std::string_view why) const;

private:
    std::string program;
    CLI::App cli;
};

} // namespace quor::system
