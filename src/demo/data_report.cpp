// Summary printing for `quor-mem check`.
#include "demo/data_report.h"

#include <algorithm>
#include <cstdio>

#include "anim/envelope.h"
#include "anim/envelope_mixer.h"
#include "demo/data_file.h"
#include "scene/transformation.h"

namespace quor::demo {
namespace {

using namespace demo::layout;

constexpr double summary_end = 32.0;
constexpr int samples_per_second = 60;

std::string format(const char* fmt, double a, double b = 0)
{
    char text[96];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

// Keys and entries as the file stores them, as the text export and the workbench count them: the
// key the reader puts at 0 s ahead of each envelope's (and the mixer's entry made of it) is not
// the file's.
std::string kind_of(const Channel& c, const record::channel& stored)
{
    if (!c.is_dynamic())
        return "constant";
    if (c.dynamic->as_envelope())
        return "envelope with " + std::to_string(stored.keys.size()) + " keys";
    if (c.dynamic->as_mixer())
        return "mixer with " + std::to_string(stored.entries.size()) + " entries";
    return "driven";
}

void print_region(std::ostream& out, const char* name, const region& r)
{
    out << "  " << name << std::string(22 - std::string(name).size(), ' ') << "offset " << r.offset << ", "
        << r.size << " bytes\n";
}

} // namespace

void print_summary(const demo::data_check_result& r, std::ostream& out)
{
    out << "file: " << r.file_size << " bytes (block " << block_size << ")\n";
    out << "regions:\n";
    print_region(out, "quad vertices", quad_vertices);
    print_region(out, "animated vertices", animated_vertices);
    print_region(out, "index lists", indices);
    print_region(out, "textures", textures);
    print_region(out, "scene section", {scene_section.offset, r.file_size - scene_section.offset});
    out << "  " << frame_count << " frames of " << frame_vertex_count << " vertices\n";
    out << "index lists:\n";
    for (std::size_t l = 0; l < index_lists.size(); ++l)
        out << "  " << index_lists[l].name << ": " << index_lists[l].count << " indices, "
            << index_lists[l].triangles() << " triangles, indices " << r.lists[l].min_index << " to "
            << r.lists[l].max_index << "\n";
    out << "textures:\n";
    for (std::size_t t = 0; t < texture_table.size(); ++t) {
        const texture_entry& e = texture_table[t];
        out << "  " << t << ": " << e.width << " x " << e.height << ", " << e.levels << " DXT1 levels, "
            << e.chain_bytes << " bytes at texture offset " << e.level0_offset << "\n";
    }
    out << "records (values over 0 to " << summary_end << " s; ahead of each envelope's keys the reader puts one of "
           "value 0 at 0 s):\n";
    for (std::size_t i = 0; i < r.records.size(); ++i) {
        out << "  " << demo::record_names[i] << " at scene offset " << demo::record_offsets[i] << ", "
            << r.record_bytes[i] << " bytes\n";
        lightwave::transformation t;
        t.apply(r.records[i]);
        for (int c = 0; c < lightwave::transformation::channel_count; ++c) {
            Channel& ch = t.channel(c);
            float lo = ch.evaluate(0), hi = lo;
            for (int s = 1; s <= summary_end * samples_per_second; ++s) {
                const float v = ch.evaluate(static_cast<double>(s) / samples_per_second);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            const std::string kind = kind_of(ch, r.records[i][static_cast<std::size_t>(c)]);
            out << "    " << channel_names[c] << std::string(12 - std::string(channel_names[c]).size(), ' ') << kind
                << std::string(kind.size() < 26 ? 26 - kind.size() : 1, ' ')
                << (lo == hi ? format("%.4g", lo) : format("%.4g to %.4g", lo, hi)) << "\n";
        }
    }
}

int check_file(const std::string& path, std::ostream& out, std::ostream& err)
{
    data_file data;
    std::string error;
    if (!read_data_file(path, data, &error)) {
        err << error << std::endl;
        return 1;
    }
    print_summary(data.check, out);
    out << path << ": valid" << std::endl;
    return 0;
}

} // namespace quor::demo
