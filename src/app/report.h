// Messages of our own: one line on the standard error stream, "<program>: <what>: <why>", and the
// caller carries on or refuses; news that is no fault goes the same way to the standard output. The warnings whose wording the file and texture layers fix keep
// their own form ("message" + name) and are written where they arise.
#pragma once

#include <string_view>

namespace quor::system {

// The program that speaks: "quor-demo" unless a tool names itself at start-up.
void set_program_name(std::string_view name);

// "<program>: <what>: <why>".
void report(std::string_view what, std::string_view why);
// "<program>: <message>", for a message that is already one sentence.
void report(std::string_view message);

// The same on the standard output: what a command did or found, that is no fault.
void inform(std::string_view what, std::string_view why);
void inform(std::string_view message);

} // namespace quor::system
