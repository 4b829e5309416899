// quor-mem: builds the demo's data file and music, checks a data file as the demo will, and
// brings motion, textures and music made in other tools into them.
#include "app/command_line.h"
#include "app/report.h"
#include "commands.h"

using quor::apps::program;

int main(int argc, char** argv)
{
    quor::system::set_program_name(program);
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

    if (const quor::system::parse_outcome parsed = line.parse(argc, argv); !parsed.run)
        return quor::system::answer(parsed);
    return chosen();
}
