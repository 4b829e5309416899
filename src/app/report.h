// Messages of our own: one line on the standard error stream, "<program>: <what>: <why>", and the
// caller carries on or refuses; news that is no fault goes the same way to the standard output.
// The warnings whose wording the file and texture layers fix keep their own form ("message" +
// name) and are written where they arise.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quor::system {

// The program that speaks: "quor-demo" unless a tool names itself at start-up.
void set_program_name(std::string_view name);

// At start: joins the standard streams to whoever started the program. Where they reach nobody (a
// windowed program started from the desktop), the lines of report and say are held, and
// end_messages shows them in one box when the program ends with a fault, or when the user asked
// for them (--help); it returns `status`.
void start_messages();
int end_messages(int status);

// Text the user asked for (help, the version) on the standard output, or a whole refusal on the
// standard error when `fault`.
void say(std::string_view text, bool fault);

// Text from outside (a token of a file, an argument) fit to stand in a message line: control
// characters (line breaks, terminal escape sequences) shown as \xNN, and cut after `limit` bytes
// with "..." when longer.
std::string printable(std::string_view text, std::size_t limit = 64);

// A number as a person writes it in a message: "2", "30.5", "0.0001" (six significant digits).
std::string number_text(double v);

// "<program>: <what>: <why>", control characters shown as printable() shows them, so the line
// stays one line whatever a file or an argument put into it.
void report(std::string_view what, std::string_view why);
// "<program>: <message>", for a message that is already one sentence.
void report(std::string_view message);

// The same on the standard output: what a command did or found, that is no fault.
void inform(std::string_view what, std::string_view why);
void inform(std::string_view message);

} // namespace quor::system
