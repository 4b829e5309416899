// The one writer of our own message lines.
#include "app/report.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace quor::system {

namespace {
std::string program = "quor-demo";
}

void set_program_name(std::string_view name) { program = name; }

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
    std::cerr << program << ": " << printable(what, std::string_view::npos) << ": "
              << printable(why, std::string_view::npos) << std::endl;
}

void report(std::string_view message)
{
    std::cerr << program << ": " << printable(message, std::string_view::npos) << std::endl;
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
