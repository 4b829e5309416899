// quor-mem: builds the demo's data file and music, checks a data file as the demo will, and
// brings motion, textures and music made in other tools into them.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "data_file.h"
#include "data_report.h"
#include "data_update.h"
#include "gltf_motion.h"
#include "lws_scene.h"
#include "motion_fit.h"
#include "motion_text.h"
#include "mp3_encoder.h"
#include "music_import.h"
#include "scene_section.h"
#include "texture_import.h"

namespace {

using namespace quor::tools;

constexpr const char* program = "quor-mem";

// One line `quor-mem: <what>: <why>` on the error stream; the status of a failed command.
int refuse(const std::string& what, const std::string& why)
{
    std::cerr << program << ": " << what << ": " << why << std::endl;
    return 1;
}

bool read_text(const std::string& path, std::string& text, std::string* error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": cannot be opened";
        return false;
    }
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

int motion_export(const std::string& data_path, const std::string& out_path)
{
    std::vector<char> data;
    quor::demo::data_check_result checked;
    std::string error;
    if (!read_data_file(data_path, data, checked, &error))
        return refuse("motion export", error);
    const std::vector<char> section = section_of(data);
    const std::string text = motion_text(read_records(section));

    // The text must bring back this section byte for byte; say so when it cannot.
    parsed_motion parsed;
    quor::tools::text_error text_err;
    std::vector<char> again = section;
    if (!parse_motion_text(text, parsed, text_err) || !replace_records(again, parsed.records, &error) ||
        again != section)
        std::cerr << program << ": motion export: warning: " << data_path
                  << " holds what the text cannot (non-zero unread bytes, tangent parameters, keys out of "
                     "order or bytes past the camera record); an import will not give back the same bytes"
                  << std::endl;

    if (out_path.empty() || out_path == "-") {
        std::cout << text << std::flush;
        return 0;
    }
    if (!write_atomically(out_path, text.data(), text.size(), &error))
        return refuse("motion export", error);
    return 0;
}

int motion_import(const std::string& text_path, const std::string& data_path)
{
    std::string text, error;
    if (!read_text(text_path, text, &error))
        return refuse("motion import", error);
    parsed_motion parsed;
    quor::tools::text_error text_err;
    if (!parse_motion_text(text, parsed, text_err))
        return refuse("motion import", text_path + ":" + std::to_string(text_err.line) + ":" +
                                           std::to_string(text_err.column) + ": " + text_err.what);
    std::vector<char> data;
    quor::demo::data_check_result checked;
    if (!read_data_file(data_path, data, checked, &error))
        return refuse("motion import", error);
    std::vector<char> section = section_of(data);
    if (!replace_records(section, parsed.records, &error))
        return refuse("motion import", error);
    data.resize(quor::demo::layout::scene_section.offset);
    data.insert(data.end(), section.begin(), section.end());
    if (!replace_data_file(data_path, data, &error))
        return refuse("motion import", error);
    return 0;
}

std::size_t record_index(const std::string& as)
{
    std::size_t r = 0;
    while (motion_record_names[r] != as)
        ++r;
    return r;
}

// Imported motion into one record of the data file: the camera's takes it animated, an object's
// or the quad's the values at `at`.
int import_motion(const std::string& what, const source_motion& src, const std::string& as, double at,
                  const std::string& data_path)
{
    const std::size_t r = record_index(as);
    parsed_motion parsed;
    quor::record::transformation& rec = parsed.records[r].emplace();
    std::string error;
    if (r + 1 < motion_record_count) {
        rec = constants_at(src, at);
        if (std::any_of(src.begin(), src.end(), [](const source_curve& c) { return !c.constant; }))
            std::cout << program << ": " << what << ": the " << as
                      << " record holds nine constants only: it takes the values at " << at << " s" << std::endl;
    } else {
        std::vector<std::string> baked;
        if (!fit_camera(src, quor::demo::layout::timeline_end, rec, baked, &error))
            return refuse(what, error);
        if (!baked.empty()) {
            std::string names;
            for (const std::string& n : baked)
                names += (names.empty() ? "" : ", ") + n;
            std::cout << program << ": " << what << ": baked " << names
                      << " (shapes or behaviours the data file cannot hold) up to " << quor::demo::layout::timeline_end
                      << " s" << std::endl;
        }
    }
    std::vector<char> data;
    quor::demo::data_check_result checked;
    if (!read_data_file(data_path, data, checked, &error))
        return refuse(what, error);
    std::vector<char> section = section_of(data);
    if (!replace_records(section, parsed.records, &error))
        return refuse(what, error);
    data.resize(quor::demo::layout::scene_section.offset);
    data.insert(data.end(), section.begin(), section.end());
    if (!replace_data_file(data_path, data, &error))
        return refuse(what, error);
    return 0;
}

// The motion of a scene file's object or camera, channels it leaves out at LightWave's rest values.
int motion_lws(const std::string& scene_path, const std::string& object, const std::string& camera,
               const std::string& as, double at, const std::string& data_path)
{
    std::string text, error;
    if (!read_text(scene_path, text, &error))
        return refuse("motion lws", error);
    std::vector<scene_item> items;
    quor::tools::text_error err;
    if (!read_scene(text, items, err))
        return refuse("motion lws", scene_path + ":" + std::to_string(err.line) + ":" + std::to_string(err.column) +
                                        ": " + err.what);
    const bool want_camera = !camera.empty();
    const std::string& name = want_camera ? camera : object;
    const scene_item* found = nullptr;
    for (const scene_item& item : items)
        if (item.camera == want_camera && item.name == name) {
            if (found)
                return refuse("motion lws", scene_path + ": two " + (want_camera ? "cameras" : "objects") +
                                                " are named " + name);
            found = &item;
        }
    if (!found)
        return refuse("motion lws", scene_path + ": no " + (want_camera ? "camera" : "object") + " named " + name);
    source_motion src;
    for (std::size_t c = 0; c < src.size(); ++c) {
        if (found->channels[c]) {
            src[c] = curve_of(*found->channels[c], quor::demo::layout::timeline_end, 1e-3f);
        } else {
            const float rest = c >= 6 ? 1.0f : 0.0f;
            src[c].value = [rest](double) { return rest; };
            src[c].constant = true;
        }
    }
    return import_motion("motion lws", src, as, at, data_path);
}

int motion_gltf(const std::string& file, const std::string& node, const std::string& as, double at,
                const std::string& data_path)
{
    source_motion src;
    std::string error;
    if (!gltf_motion(file, node, quor::demo::layout::timeline_end, src, &error))
        return refuse("motion gltf", error);
    return import_motion("motion gltf", src, as, at, data_path);
}

// Seconds of fade-out before the cut of a recording longer than the timeline.
constexpr double music_fade = 2.0;

int music(const std::string& in_path, const std::string& out_path)
{
    stereo_pcm pcm;
    int rate = 0;
    std::string error;
    if (!read_music(in_path, pcm, rate, &error))
        return refuse("music", error);
    const double end = quor::demo::layout::timeline_end;
    const double seconds = end_with_timeline(pcm, rate, end, music_fade);
    if (seconds < end)
        std::cerr << program << ": music: warning: " << in_path << " lasts " << seconds << " s, shorter than the "
                  << end << " s timeline: the demo ends in silence" << std::endl;
    const std::vector<std::uint8_t> mp3 = encode_mp3(pcm, &error, rate);
    if (mp3.empty() || !write_atomically(out_path, mp3.data(), mp3.size(), &error))
        return refuse("music", error);
    return 0;
}

int texture_import(std::size_t slot, const std::string& image_path, const std::string& data_path)
{
    std::vector<std::uint8_t> chain;
    std::string error;
    if (!chain_from_image(image_path, slot, chain, &error))
        return refuse("texture import", error);
    std::vector<char> data;
    quor::demo::data_check_result checked;
    if (!read_data_file(data_path, data, checked, &error))
        return refuse("texture import", error);
    const auto& entry = quor::demo::layout::texture_table[slot];
    std::copy(chain.begin(), chain.end(),
              data.begin() + static_cast<std::ptrdiff_t>(quor::demo::layout::textures.offset + entry.level0_offset));
    if (!replace_data_file(data_path, data, &error))
        return refuse("texture import", error);
    return 0;
}

int texture_export(std::size_t slot, const std::string& data_path, const std::string& png_path)
{
    std::vector<char> data;
    quor::demo::data_check_result checked;
    std::string error;
    if (!read_data_file(data_path, data, checked, &error) || !write_png(png_path, decode_level0(data, slot), &error))
        return refuse("texture export", error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Builds the demo's data file and music, checks a data file as the demo will, and brings "
                 "motion, textures and music made in other tools into them.",
                 program};
    app.require_subcommand(1);
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
            std::cerr << program << ": " << error << std::endl;
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
        ->check(CLI::NonNegativeNumber);
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
        ->check(CLI::NonNegativeNumber);
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
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }
    return status;
}
