// quor-mem: builds the demo's data file and music, checks a data file as the demo will, and
// brings motion, textures and music made in other tools into them.
#include <new>
#include <string>

#include "app/command_line.h"
#include "app/report.h"
#include "commands.h"

using quor::apps::program;

int main(int raw_argc, char** raw_argv)
{
    quor::system::set_program_name(program);
    quor::system::utf8_arguments arguments(raw_argc, raw_argv);
    quor::system::command_line line(program, "Builds the demo's data file and music, checks a data file as the demo "
                                             "will, and brings motion, textures and music made in other tools into "
                                             "them.");
    CLI::App& app = line.app();
    app.require_subcommand(1);

    quor::apps::command chosen;
    quor::apps::add_build(app, chosen);
    quor::apps::add_check(app, chosen);
    quor::apps::add_motion(app, chosen);
    quor::apps::add_texture(app, chosen);
    quor::apps::add_music(app, chosen);

    if (const quor::system::parse_outcome parsed = line.parse(arguments.argc(), arguments.argv()); !parsed.run)
        return quor::system::answer(parsed);
    try {
        return chosen();
    } catch (const std::bad_alloc&) {
        // Inputs are weighed before they are decoded; what still does not fit the memory the
        // process may have (ulimit -v) ends here in one line, every file as it was.
        std::string what;
        for (const CLI::App* a = &app; !a->get_subcommands().empty();) {
            a = a->get_subcommands().front();
            what += (what.empty() ? "" : " ") + a->get_name();
        }
        quor::system::report(what, "not enough memory for this input");
        return 1;
    }
}
