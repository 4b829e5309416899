// quor-mem: builds the demo's data file and music, checks a data file as the demo will, and
// brings motion, textures and music made in other tools into them.
#include <string>

#include <CLI/CLI.hpp>

#include "app/report.h"
#include "commands.h"
#include "version.h"

using quor::apps::program;

int main(int argc, char** argv)
{
    quor::system::set_program_name(program);
    CLI::App app{"Builds the demo's data file and music, checks a data file as the demo will, and brings "
                 "motion, textures and music made in other tools into them.",
                 program};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string(program) + " " + QUOR_VERSION, "Print the version and exit");
    app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
        std::string path = failed->get_name();
        for (const CLI::App* a = failed; !a->get_subcommands().empty();) {
            a = a->get_subcommands().front();
            path += " " + a->get_name();
        }
        return std::string(program) + ": " + e.what() + " (see " + path + " --help)\n";
    });

    int status = 0;
    quor::apps::add_build(app, status);
    quor::apps::add_check(app, status);
    quor::apps::add_motion(app, status);
    quor::apps::add_texture(app, status);
    quor::apps::add_music(app, status);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    return status;
}
