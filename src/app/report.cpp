// The one writer of our own message lines.
#include "app/report.h"

#include <iostream>
#include <string>

namespace quor::system {

namespace {
std::string program = "quor-demo";
}

void set_program_name(std::string_view name) { program = name; }

void report(std::string_view what, std::string_view why)
{
    std::cerr << program << ": " << what << ": " << why << std::endl;
}

void report(std::string_view message) { std::cerr << program << ": " << message << std::endl; }

void inform(std::string_view what, std::string_view why)
{
    std::cout << program << ": " << what << ": " << why << std::endl;
}

void inform(std::string_view message) { std::cout << program << ": " << message << std::endl; }

} // namespace quor::system
