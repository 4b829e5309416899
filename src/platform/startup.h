// What a program takes from the system it starts on: its arguments as UTF-8 text, and standard
// streams that reach whoever started it; where they reach nobody, the one way left to tell the
// user something.
#pragma once

#include <string>
#include <vector>

namespace quor::platform {

// The arguments, the program's name first, as UTF-8 whatever the system's own encoding of the
// command line: every name in them reaches the file calls whole.
std::vector<std::string> utf8_arguments(int argc, char** argv);

// Joins the standard streams to the console of the program that started this one, where the
// system starts a windowed program without them. False when they reach nobody: started from a
// desktop, with no console and nothing redirected.
bool connect_standard_streams();

// Shows `text` to the user under `title` and waits until it is read; for a program whose streams
// reach nobody.
void show_message(const std::string& title, const std::string& text);

} // namespace quor::platform
