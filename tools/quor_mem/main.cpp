// quor-mem: builds the demo's data file and music, checks a data file as the demo will, and
// brings motion, textures and music made in other tools into them.
#include <charconv>
#include <cmath>
#include <iostream>
#include <new>
#include <string>

#include <CLI/CLI.hpp>

#include "app/report.h"
#include "commands.h"
#include "data_file.h"
#include "data_report.h"
#include "demo/data_layout.h"
#include "version.h"

using namespace quor::tools;

namespace {

// The latest time --at takes: an hour, past any timeline a scene or glTF file is made for.
constexpr double latest_at = 3600;

const CLI::Validator seconds_at(
    [](std::string& text) {
        double seconds = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        return error == std::errc() && end == text.data() + text.size() && std::isfinite(seconds) && seconds >= 0 &&
                       seconds <= latest_at
                   ? std::string()
                   : "'" + quor::system::printable(text) + "' is not a number of seconds from 0 to 3600";
    },
    "SECONDS");

} // namespace

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

    std::string build_dir = ".";
    CLI::App* build = app.add_subcommand("build", "Write DIR/tesk.mem and DIR/demo.mp3, the same bytes every run");
    build->add_option("--out", build_dir, "Folder to write into")->capture_default_str();
    build->callback([&] {
        std::string error;
        if (!build_outputs(build_dir, [](const std::string& line) { std::cout << line << std::endl; }, &error)) {
            quor::system::report(error);
            status = 1;
            return;
        }
        std::cout << "done" << std::endl;
    });

    std::string check_path;
    CLI::App* check = app.add_subcommand("check", "Validate a data file as the demo's load does and summarise it");
    check->add_option("FILE", check_path, "The data file")->required();
    check->callback([&] { status = check_file(check_path, std::cout, std::cerr); });

    CLI::App* motion = app.add_subcommand("motion", "Motion records: text export and import, scene and glTF import");
    motion->require_subcommand(1);

    std::string export_data, export_out;
    CLI::App* mexport = motion->add_subcommand("export", "Write the three motion records as text");
    mexport->add_option("DATA", export_data, "The data file (tesk.mem)")->required();
    mexport->add_option("-o,--out", export_out, "Text file to write (default: standard output)");
    mexport->callback([&] { status = motion_export(export_data, export_out); });

    std::string import_text, import_into;
    CLI::App* mimport = motion->add_subcommand("import", "Write the records a motion text lists into a data file");
    mimport->add_option("FILE", import_text, "The motion text")->required();
    mimport->add_option("--into", import_into, "The data file to change (tesk.mem)")->required();
    mimport->callback([&] { status = motion_import(import_text, import_into); });

    const std::vector<std::string> record_choices{"object", "quad", "camera"};
    const std::string as_help = "The record to write: object (the animated object) or quad take constants, the "
                                "source's values at --at; camera takes the motion";

    std::string lws_scene, lws_object, lws_camera, lws_as, lws_into;
    double lws_at = 0;
    CLI::App* mlws = motion->add_subcommand(
        "lws", "Take an object's or a camera's motion from a LightWave scene file (format 3, LightWave 6 on)");
    mlws->add_option("SCENE", lws_scene, "The scene file (.lws)")->required();
    auto* lws_object_opt = mlws->add_option("--object", lws_object, "The object: its file name without extension, "
                                                                    "or a null's name");
    mlws->add_option("--camera", lws_camera, "The camera's name")->excludes(lws_object_opt);
    mlws->add_option("--as", lws_as, as_help)->required()->check(CLI::IsMember(record_choices));
    mlws->add_option("--at", lws_at, "Seconds: the time whose values an object or the quad takes")
        ->capture_default_str()
        ->check(seconds_at);
    mlws->add_option("--into", lws_into, "The data file to change (tesk.mem)")->required();
    mlws->callback([&] {
        if (lws_object.empty() == lws_camera.empty())
            throw CLI::ValidationError("--object or --camera", "name one object or one camera");
        status = motion_lws(lws_scene, lws_object, lws_camera, lws_as, lws_at, lws_into);
    });

    std::string gltf_file, gltf_node, gltf_as, gltf_into;
    double gltf_at = 0;
    CLI::App* mgltf = motion->add_subcommand(
        "gltf", "Take a node's translation, rotation and scale animation from a glTF file (.gltf or .glb)");
    mgltf->add_option("FILE", gltf_file, "The glTF file")->required();
    mgltf->add_option("--node", gltf_node, "The node's name")->required();
    mgltf->add_option("--as", gltf_as, as_help)->required()->check(CLI::IsMember(record_choices));
    mgltf->add_option("--at", gltf_at, "Seconds: the time whose values an object or the quad takes")
        ->capture_default_str()
        ->check(seconds_at);
    mgltf->add_option("--into", gltf_into, "The data file to change (tesk.mem)")->required();
    mgltf->callback([&] { status = motion_gltf(gltf_file, gltf_node, gltf_as, gltf_at, gltf_into); });

    CLI::App* texture = app.add_subcommand("texture", "Textures: import an image into a slot, export a slot as PNG");
    texture->require_subcommand(1);
    const std::string slots = "Texture slot, 0-" + std::to_string(quor::demo::layout::texture_table.size() - 1) +
                              " (sizes: quor-mem check)";

    std::size_t timport_slot = 0;
    std::string timport_image, timport_into;
    CLI::App* timport = texture->add_subcommand(
        "import", "Resize a PNG/JPEG/TGA/BMP image to a slot's size and write it as the slot's DXT1 mip chain "
                  "(opaque: alpha is dropped)");
    timport->add_option("SLOT", timport_slot, slots)->required()->check(
        CLI::Range(std::size_t{0}, quor::demo::layout::texture_table.size() - 1));
    timport->add_option("IMAGE", timport_image, "The image file")->required();
    timport->add_option("--into", timport_into, "The data file to change (tesk.mem)")->required();
    timport->callback([&] { status = texture_import(timport_slot, timport_image, timport_into); });

    std::size_t texport_slot = 0;
    std::string texport_data, texport_png;
    CLI::App* texport = texture->add_subcommand("export", "Decode a slot's full-size level to a PNG file");
    texport->add_option("SLOT", texport_slot, slots)->required()->check(
        CLI::Range(std::size_t{0}, quor::demo::layout::texture_table.size() - 1));
    texport->add_option("DATA", texport_data, "The data file (tesk.mem)")->required();
    texport->add_option("-o,--out", texport_png, "The PNG file to write")->required();
    texport->callback([&] { status = texture_export(texport_slot, texport_data, texport_png); });

    std::string music_in, music_out = quor::demo::layout::music_file_name;
    CLI::App* musiccmd = app.add_subcommand(
        "music", "Make a WAV, FLAC or MP3 recording into the demo's music: cut at the end of the timeline with a "
                 "short fade-out, encoded as 44.1 kHz stereo MP3");
    musiccmd->add_option("FILE", music_in, "The recording")->required();
    musiccmd->add_option("--out", music_out, "The MP3 file to write")->capture_default_str();
    musiccmd->callback([&] { status = music(music_in, music_out); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const std::bad_alloc&) {
        // Inputs are weighed before they are decoded; what still does not fit the memory the
        // process may have (ulimit -v) ends here in one line, every file as it was.
        quor::system::report(app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name(),
                             "not enough memory for this input");
        return 1;
    }
    return status;
}
