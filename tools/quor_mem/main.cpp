// quor-mem: builds the demo's data file and music, or checks a data file as the demo will.
#include <cstring>
#include <iostream>
#include <string>

#include "app/report.h"
#include "data_file.h"
#include "data_report.h"

namespace {

constexpr const char* usage =
    "usage: quor-mem build [--out DIR]   write DIR/tesk.mem and DIR/demo.mp3 (DIR defaults to .)\n"
    "       quor-mem check FILE          validate a data file as the demo's load does and summarise it\n"
    "       quor-mem --help              this text\n";

int refuse_usage(const std::string& why)
{
    quor::system::report(why + " (see quor-mem --help)");
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    quor::system::set_program_name("quor-mem");
    if (argc < 2)
        return refuse_usage("no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << usage;
        return 0;
    }
    if (command == "build") {
        std::string dir = ".";
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
                dir = argv[++i];
            else
                return refuse_usage(std::string("unexpected argument to build: ") + argv[i]);
        }
        std::string error;
        const bool ok = quor::tools::build_outputs(
            dir, [](const std::string& line) { std::cout << line << std::endl; }, &error);
        if (!ok) {
            quor::system::report(error);
            return 1;
        }
        std::cout << "done" << std::endl;
        return 0;
    }
    if (command == "check") {
        if (argc != 3)
            return refuse_usage("check takes one file");
        return quor::tools::check_file(argv[2], std::cout, std::cerr);
    }
    return refuse_usage("unknown command " + command);
}
