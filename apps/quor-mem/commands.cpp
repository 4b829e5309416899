// The commands of quor-mem: each reads what it needs, refuses with one line, and changes files
// only at the end; its registration beside it.
#include "commands.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

#include "app/command_line.h"
#include "app/report.h"
#include "content/data_writer.h"
#include "demo/data_file.h"
#include "demo/data_layout.h"
#include "demo/data_report.h"
#include "interchange/gltf_motion.h"
#include "interchange/motion_fit.h"
#include "interchange/motion_import.h"
#include "interchange/motion_simplify.h"
#include "interchange/motion_text.h"
#include "interchange/mp3_encoder.h"
#include "interchange/music_import.h"
#include "interchange/texture_import.h"
#include "io/png_file.h"
#include "platform/file.h"

namespace quor::apps {
namespace {

using namespace demo;
using namespace interchange;

// One line `quor-mem: <what>: <why>` on the error stream; the status of a failed command.
int refuse(const std::string& what, const std::string& why)
{
    system::report(what, why);
    return 1;
}

// The latest time --at takes: an hour, past any timeline a scene or glTF file is made for.
constexpr double latest_at = 3600;

// An output of an export or of `music` that names a data file is refused: such a slip of the
// command line would put a text, a picture or a recording in place of the demo's data.
bool names_data_file(const std::string& out_path, std::string* error)
{
    platform::file_stamp stamp;
    if (!platform::stamp_of(out_path.c_str(), stamp) || stamp.size < static_cast<long long>(demo::layout::min_file_size))
        return false;
    demo::data_file data;
    std::string unused;
    if (!read_data_file(out_path, data, &unused))
        return false;
    *error = out_path + " is a data file: the output would replace it (name another file)";
    return true;
}

// Seconds of fade-out before the cut of a recording longer than the timeline.
constexpr double music_fade = 2.0;

std::size_t record_index(const std::string& as)
{
    std::size_t r = 0;
    while (motion_record_names[r] != as)
        ++r;
    return r;
}

// --simplify[=TOLERANCE] on a motion import: absent, given alone (the default tolerances) or
// with its tolerance, which the option's check has passed.
struct simplify_option {
    std::string text;
    CLI::Option* given = nullptr;
    std::optional<simplify_tolerance> tolerance() const
    {
        if (given->count() == 0)
            return std::nullopt;
        simplify_tolerance t;
        std::string unused;
        if (!text.empty())
            parse_tolerance(text, t, &unused);
        return t;
    }
};

void add_simplify(CLI::App* command, simplify_option& option)
{
    const simplify_tolerance defaults;
    option.given =
        command
            ->add_option("--simplify", option.text,
                         "Keep only the keys the camera's motion needs to stay within TOLERANCE of the curve as "
                         "imported: DISTANCE for positions (scene units) and scales, or DISTANCE,DEGREES for "
                         "yaw, pitch and bank too (default " + system::number_text(defaults.distance) + "," +
                             system::number_text(defaults.degrees) + "); prints the keys before and after and the "
                             "largest deviation")
            ->expected(0, 1)
            ->check(CLI::Validator(
                [](std::string& text) {
                    simplify_tolerance t;
                    std::string error;
                    return text.empty() || parse_tolerance(text, t, &error) ? std::string() : error;
                },
                "TOLERANCE"))
            ->option_text("[=TOLERANCE]");
}

// Imported motion from `source` into one record of the data file, with a line for each note of
// the import.
int import_motion(const std::string& what, const std::string& source, const source_motion& src,
                  const std::string& as, double at, const std::optional<simplify_tolerance>& simplify,
                  const std::string& data_path)
{
    parsed_motion parsed;
    const std::size_t r = record_index(as);
    std::vector<std::string> notes;
    std::string error;
    if (!record_from_motion(src, r, at, parsed.records[r].emplace(), notes, &error, simplify ? &*simplify : nullptr))
        return refuse(what, source + ": " + error);
    for (const std::string& note : notes)
        system::inform(what, note);
    if (!replace_records(data_path, parsed.records, &error))
        return refuse(what, error);
    return 0;
}

int motion_export(const std::string& data_path, const std::string& out_path)
{
    demo::data_file data;
    std::string error;
    if (!read_data_file(data_path, data, &error))
        return refuse("motion export", error);
    const std::string text = motion_text(data.check.records);

    // Imported into this file, the text must bring back its section byte for byte (an import
    // keeps the bytes around the records); say so when it cannot.
    parsed_motion parsed;
    text_error text_err;
    demo::section_records again;
    std::vector<char> section;
    bool same = parse_motion_text(text, parsed, text_err);
    for (std::size_t r = 0; same && r < again.size(); ++r)
        again[r] = *parsed.records[r];
    const char* file_section = data.block.get() + demo::layout::scene_section.offset;
    const char* file_end = data.block.get() + data.size;
    same = same && demo::write_scene_section(again, section, &error, data.check.surround) &&
           std::equal(section.begin(), section.end(), file_section, file_end);
    if (!same)
        system::report("motion export", "warning: " + data_path +
                                            " holds what the text cannot (non-zero bytes a record leaves unread, "
                                            "tangent parameters or keys out of order); an import will not give back "
                                            "the same bytes");

    if (out_path.empty() || out_path == "-") {
        std::cout << text << std::flush;
        return 0;
    }
    if (names_data_file(out_path, &error) || !replace_file(out_path, text, {}, &error))
        return refuse("motion export", error);
    return 0;
}

int motion_import(const std::string& text_path, const std::optional<simplify_tolerance>& simplify,
                  const std::string& data_path)
{
    std::string text, error;
    if (!read_text(text_path, text, &error))
        return refuse("motion import", error);
    parsed_motion parsed;
    text_error text_err;
    if (!parse_motion_text(text, parsed, text_err))
        return refuse("motion import", text_path + ":" + std::to_string(text_err.line) + ":" +
                                           std::to_string(text_err.column) + ": " + text_err.what);
    if (std::none_of(parsed.records.begin(), parsed.records.end(), [](const auto& r) { return r.has_value(); }))
        return refuse("motion import", text_path + ": lists no records (Record object, quad or camera)");
    // Only the camera's record holds envelopes; the others have nothing to simplify.
    std::vector<std::string> notes;
    for (auto& rec : parsed.records)
        if (simplify && rec && std::any_of(rec->begin(), rec->end(), [](const record::channel& c) {
                return c.tag == record::envelope_tag;
            }))
            simplify_imported(*rec, *simplify, notes);
    for (const std::string& note : notes)
        system::inform("motion import", note);
    if (!replace_records(data_path, parsed.records, &error))
        return refuse("motion import", error);
    return 0;
}

// The motion of a scene file's object or camera, channels it leaves out at LightWave's rest values.
int motion_lws(const std::string& scene_path, const std::string& object, const std::string& camera,
               const std::string& as, double at, const std::optional<simplify_tolerance>& simplify,
               const std::string& data_path)
{
    source_motion src;
    std::string error;
    if (!scene_motion(scene_path, !camera.empty(), camera.empty() ? object : camera, src, &error))
        return refuse("motion lws", error);
    return import_motion("motion lws", scene_path, src, as, at, simplify, data_path);
}

int motion_gltf(const std::string& file, const std::string& node, const std::string& animation, const std::string& as,
                double at, const std::optional<simplify_tolerance>& simplify, const std::string& data_path)
{
    source_motion src;
    std::string error, note;
    if (!gltf_motion(file, node, animation, demo::layout::timeline_end, src, &error, &note))
        return refuse("motion gltf", error);
    if (!note.empty())
        system::inform("motion gltf", note);
    return import_motion("motion gltf", file, src, as, at, simplify, data_path);
}

int music(const std::string& in_path, const std::string& out_path)
{
    stereo_pcm pcm;
    int rate = 0;
    std::string error;
    const double end = demo::layout::timeline_end;
    if (names_data_file(out_path, &error) || !read_music(in_path, pcm, rate, &error, end))
        return refuse("music", error);
    const double seconds = end_with_timeline(pcm, rate, end, music_fade);
    if (seconds < end)
        system::report("music", "warning: " + in_path + " lasts " + system::number_text(seconds) + " s, shorter than the " +
                                    system::number_text(end) + " s timeline: the demo ends in silence");
    const std::vector<std::uint8_t> mp3 = encode_mp3(pcm, &error, rate);
    if (mp3.empty() ||
        !replace_file(out_path, std::span(reinterpret_cast<const char*>(mp3.data()), mp3.size()), {}, &error))
        return refuse("music", error);
    return 0;
}

int texture_import(std::size_t slot, const std::string& image_path, const std::string& data_path)
{
    std::vector<std::uint8_t> chain;
    std::string error;
    if (!chain_from_image(image_path, slot, chain, &error))
        return refuse("texture import", error);
    if (!replace_texture(data_path, slot, std::span(reinterpret_cast<const char*>(chain.data()), chain.size()), &error))
        return refuse("texture import", error);
    return 0;
}

int texture_export(std::size_t slot, const std::string& data_path, const std::string& png_path)
{
    demo::data_file data;
    std::string error;
    if (!read_data_file(data_path, data, &error) || names_data_file(png_path, &error))
        return refuse("texture export", error);
    const rgba_image level0 = decode_level0(std::span(data.block.get(), data.size), slot);
    if (!write_png(png_path, level0.texels.data(), level0.width, level0.height, false, &error))
        return refuse("texture export", error);
    return 0;
}

} // namespace

// Each registration keeps its options' values in a block that its command holds; the parse only
// chooses the command, which runs once the whole command line has passed.

void add_build(CLI::App& app, command& chosen)
{
    const auto dir = std::make_shared<std::string>(".");
    CLI::App* build = app.add_subcommand("build", "Write DIR/tesk.mem and DIR/demo.mp3, the same bytes every run");
    build->add_option("--out", *dir, "Folder to write into")->capture_default_str();
    build->callback([dir, &chosen] {
        chosen = [dir] {
            std::string error;
            if (!content::build_outputs(*dir, [](const std::string& line) { std::cout << line << std::endl; },
                                        &error)) {
                system::report(error);
                return 1;
            }
            std::cout << "done" << std::endl;
            return 0;
        };
    });
}

void add_check(CLI::App& app, command& chosen)
{
    const auto path = std::make_shared<std::string>();
    CLI::App* check = app.add_subcommand("check", "Validate a data file as the demo's load does and summarise it");
    check->add_option("FILE", *path, "The data file")->required();
    check->callback([path, &chosen] { chosen = [path] { return check_file(*path, std::cout, std::cerr); }; });
}

void add_motion(CLI::App& app, command& chosen)
{
    CLI::App* motion = app.add_subcommand("motion", "Motion records: text export and import, scene and glTF import");
    motion->require_subcommand(1);

    struct export_values {
        std::string data, out;
    };
    const auto ex = std::make_shared<export_values>();
    CLI::App* mexport = motion->add_subcommand("export", "Write the three motion records as text");
    mexport->add_option("DATA", ex->data, "The data file (tesk.mem)")->required();
    mexport->add_option("-o,--out", ex->out, "Text file to write (default: standard output)");
    mexport->callback([ex, &chosen] { chosen = [ex] { return motion_export(ex->data, ex->out); }; });

    struct import_values {
        std::string text, into;
        simplify_option simplify;
    };
    const auto im = std::make_shared<import_values>();
    CLI::App* mimport = motion->add_subcommand("import", "Write the records a motion text lists into a data file");
    mimport->add_option("FILE", im->text, "The motion text")->required();
    mimport->add_option("--into", im->into, "The data file to change (tesk.mem)")->required();
    add_simplify(mimport, im->simplify);
    mimport->footer(motion_text_format);
    mimport->callback([im, &chosen] {
        chosen = [im] { return motion_import(im->text, im->simplify.tolerance(), im->into); };
    });

    const std::vector<std::string> record_choices{"object", "quad", "camera"};
    const std::string as_help = "The record to write: object (the animated object) or quad take constants, the "
                                "source's values at --at; camera takes the motion";

    struct lws_values {
        std::string scene, object, camera, as, into;
        double at = 0;
        simplify_option simplify;
    };
    const auto lws = std::make_shared<lws_values>();
    CLI::App* mlws = motion->add_subcommand(
        "lws", "Take an object's or a camera's motion from a LightWave scene file (format 3, LightWave 6 on)");
    mlws->add_option("SCENE", lws->scene, "The scene file (.lws)")->required();
    auto* lws_object_opt = mlws->add_option("--object", lws->object, "The object: its file name without extension, "
                                                                     "or a null's name");
    mlws->add_option("--camera", lws->camera, "The camera's name")->excludes(lws_object_opt);
    mlws->add_option("--as", lws->as, as_help)->required()->check(CLI::IsMember(record_choices));
    mlws->add_option("--at", lws->at, "Seconds: the time whose values an object or the quad takes")
        ->capture_default_str()
        ->check(system::seconds_check(latest_at));
    mlws->add_option("--into", lws->into, "The data file to change (tesk.mem)")->required();
    add_simplify(mlws, lws->simplify);
    mlws->callback([lws, &chosen] {
        if (lws->object.empty() == lws->camera.empty())
            throw CLI::ValidationError("--object or --camera", "name one object or one camera");
        chosen = [lws] {
            return motion_lws(lws->scene, lws->object, lws->camera, lws->as, lws->at, lws->simplify.tolerance(),
                              lws->into);
        };
    });

    struct gltf_values {
        std::string file, node, animation, as, into;
        double at = 0;
        simplify_option simplify;
    };
    const auto gltf = std::make_shared<gltf_values>();
    CLI::App* mgltf = motion->add_subcommand(
        "gltf", "Take a node's translation, rotation and scale animation from a glTF file (.gltf or .glb)");
    mgltf->add_option("FILE", gltf->file, "The glTF file")->required();
    mgltf->add_option("--node", gltf->node, "The node's name")->required();
    mgltf->add_option("--animation", gltf->animation,
                      "The animation's name (default: the first that moves the node)");
    mgltf->add_option("--as", gltf->as, as_help)->required()->check(CLI::IsMember(record_choices));
    mgltf->add_option("--at", gltf->at, "Seconds: the time whose values an object or the quad takes")
        ->capture_default_str()
        ->check(system::seconds_check(latest_at));
    mgltf->add_option("--into", gltf->into, "The data file to change (tesk.mem)")->required();
    add_simplify(mgltf, gltf->simplify);
    mgltf->callback([gltf, &chosen] {
        chosen = [gltf] {
            return motion_gltf(gltf->file, gltf->node, gltf->animation, gltf->as, gltf->at,
                               gltf->simplify.tolerance(), gltf->into);
        };
    });
}

void add_texture(CLI::App& app, command& chosen)
{
    CLI::App* texture = app.add_subcommand("texture", "Textures: import an image into a slot, export a slot as PNG");
    texture->require_subcommand(1);
    const std::string slots = "Texture slot, 0-" + std::to_string(layout::texture_table.size() - 1) +
                              " (sizes: quor-mem check)";

    struct import_values {
        std::size_t slot = 0;
        std::string image, into;
    };
    const auto im = std::make_shared<import_values>();
    CLI::App* timport = texture->add_subcommand(
        "import", "Resize a PNG/JPEG/TGA/BMP image to a slot's size and write it as the slot's DXT1 mip chain "
                  "(opaque: alpha is dropped)");
    timport->add_option("SLOT", im->slot, slots)->required()->check(
        CLI::Range(std::size_t{0}, layout::texture_table.size() - 1));
    timport->add_option("IMAGE", im->image, "The image file")->required();
    timport->add_option("--into", im->into, "The data file to change (tesk.mem)")->required();
    timport->callback([im, &chosen] { chosen = [im] { return texture_import(im->slot, im->image, im->into); }; });

    struct export_values {
        std::size_t slot = 0;
        std::string data, png;
    };
    const auto ex = std::make_shared<export_values>();
    CLI::App* texport = texture->add_subcommand("export", "Decode a slot's full-size level to a PNG file");
    texport->add_option("SLOT", ex->slot, slots)->required()->check(
        CLI::Range(std::size_t{0}, layout::texture_table.size() - 1));
    texport->add_option("DATA", ex->data, "The data file (tesk.mem)")->required();
    texport->add_option("-o,--out", ex->png, "The PNG file to write")->required();
    texport->callback([ex, &chosen] { chosen = [ex] { return texture_export(ex->slot, ex->data, ex->png); }; });
}

void add_music(CLI::App& app, command& chosen)
{
    struct values {
        std::string in, out = layout::music_file_name;
    };
    const auto v = std::make_shared<values>();
    CLI::App* musiccmd = app.add_subcommand(
        "music", "Make a WAV, FLAC or MP3 recording into the demo's music: cut at the end of the timeline with a "
                 "short fade-out, encoded as 44.1 kHz stereo MP3");
    musiccmd->add_option("FILE", v->in, "The recording")->required();
    musiccmd->add_option("--out", v->out, "The MP3 file to write")->capture_default_str();
    musiccmd->callback([v, &chosen] { chosen = [v] { return music(v->in, v->out); }; });
}

} // namespace quor::apps
