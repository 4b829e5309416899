// Validation of the data file against its fixed layout: sizes, regions that were written, index
// ranges, the bounded reads of the motion records and their channel tags, stopping at the first
// fault with a message that says where.
#include "demo/data_check.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quor::demo {
namespace {

using namespace layout;

std::string limit_text(std::size_t list, std::size_t limit)
{
    return list == quad_list ? "beyond the " + std::to_string(limit) + " quad vertices"
                             : "beyond the " + std::to_string(limit) + " vertices of a frame";
}

bool check_indices(const char* data, data_check_result& r, const std::string& name)
{
    for (std::size_t l = 0; l < index_lists.size(); ++l) {
        const index_list& list = index_lists[l];
        const char* at = data + indices.offset + list.offset;
        index_list_stats stats{UINT32_MAX, 0};
        for (std::size_t i = 0; i < list.count; ++i) {
            std::uint32_t v;
            std::memcpy(&v, at + i * index_bytes, sizeof v);
            if (v >= list.vertex_limit) {
                r.message = name + ": index " + std::to_string(i) + " of " + list.name + " is " + std::to_string(v) +
                            ", " + limit_text(l, list.vertex_limit);
                return false;
            }
            stats.min_index = std::min(stats.min_index, v);
            stats.max_index = std::max(stats.max_index, v);
        }
        r.lists[l] = stats;
    }
    return true;
}

// A region the file's writer never filled: every byte zero. No content the format describes is
// all zeros (a vertex has a unit normal, the built textures' prefixes name their format), while a
// file preallocated, zero-filled or cut short by a failing disk is.
bool check_filled(const char* data, data_check_result& r, const std::string& name)
{
    const std::pair<const char*, region> regions[] = {
        {"vertex", {quad_vertices.offset, indices.offset}}, {"index", indices}, {"texture", textures}};
    for (const auto& [what, where] : regions) {
        const char* begin = data + where.offset;
        if (std::all_of(begin, begin + where.size, [](char b) { return b == 0; })) {
            r.message = name + ": its " + what + " region (bytes " + std::to_string(where.offset) + " to " +
                        std::to_string(where.end()) + ") holds nothing but zeros";
            return false;
        }
    }
    return true;
}

bool check_records(const char* data, std::size_t size, data_check_result& r, const std::string& name)
{
    scene_section_read section = read_scene_section(data + scene_section.offset, size - scene_section.offset);
    r.records = std::move(section.records);
    r.record_bytes = section.record_bytes;
    r.surround = std::move(section.surround);
    if (!section.fault.empty()) {
        r.message = name + ": " + section.fault;
        return false;
    }
    // The reader passes over a channel tag it does not know, leaving the channel at 0: a file
    // holding one was not written for this format (all ones is what erased flash reads as).
    for (std::size_t i = 0; i < r.records.size(); ++i)
        for (std::size_t c = 0; c < r.records[i].size(); ++c)
            if (const std::uint32_t tag = r.records[i][c].tag; tag > record::mixer_tag) {
                r.message = name + ": the " + record_names[i] + " record at scene offset " +
                            std::to_string(record_offsets[i]) + " holds channel " + std::to_string(c) +
                            " with tag " + std::to_string(tag) +
                            ", which is none of the format's (0 constant, 1 envelope, 2 mixer)";
                return false;
            }
    return true;
}

} // namespace

data_check_result check_data(const char* data, std::size_t size, const std::string& name)
{
    data_check_result r;
    r.file_size = size;
    if (size < min_file_size) {
        r.message = name + ": " + std::to_string(size) + " bytes, shorter than the " + std::to_string(min_file_size) +
                    " bytes of its vertex, index and texture regions";
        return r;
    }
    if (size > max_file_size) {
        r.message = name + ": " + std::to_string(size) + " bytes, longer than the " + std::to_string(max_file_size) +
                    "-byte block it is read into";
        return r;
    }
    if (!check_filled(data, r, name) || !check_indices(data, r, name) || !check_records(data, size, r, name))
        return r;
    r.ok = true;
    return r;
}

} // namespace quor::demo
