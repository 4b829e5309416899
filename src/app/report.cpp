// The one writer of our own message lines.
#include "app/report.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/startup.h"

namespace quor::system {

namespace {

std::string program = "quor-demo";

// What the streams could not bring to anyone, and whether it is to be shown even on success.
bool streams_reach = true;
std::string held;
bool asked = false;

void hold(std::string_view line)
{
    if (!streams_reach)
        held.append(line).append("\n");
}

} // namespace

void set_program_name(std::string_view name) { program = name; }

void start_messages() { streams_reach = platform::connect_standard_streams(); }

int end_messages(int status)
{
    if (!held.empty() && (status != 0 || asked))
        platform::show_message(program, held);
    held.clear();
    return status;
}

void say(std::string_view text, bool fault)
{
    (fault ? std::cerr : std::cout) << text << (fault ? "\n" : "") << std::flush;
    hold(text);
    asked = asked || !fault;
}

std::string printable(std::string_view text, std::size_t limit)
{
    std::string out;
    const bool cut = text.size() > limit;
    for (char c : text.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return cut ? out + "..." : out;
}

std::string number_text(double v)
{
    std::ostringstream out;
    out << v;
    return out.str();
}

void report(std::string_view what, std::string_view why)
{
    const std::string line =
        program + ": " + printable(what, std::string_view::npos) + ": " + printable(why, std::string_view::npos);
    std::cerr << line << std::endl;
    hold(line);
}

void report(std::string_view message)
{
    const std::string line = program + ": " + printable(message, std::string_view::npos);
    std::cerr << line << std::endl;
    hold(line);
}

void inform(std::string_view what, std::string_view why)
{
    std::cout << program << ": " << printable(what, std::string_view::npos) << ": "
              << printable(why, std::string_view::npos) << std::endl;
}

void inform(std::string_view message)
{
    std::cout << program << ": " << printable(message, std::string_view::npos) << std::endl;
}

} // namespace quor::system
