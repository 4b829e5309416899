// Reading and changing the data file through the platform's file calls and the shared replace;
// every change is weighed by the demo's own check before it replaces the file.
#include "demo/data_file.h"

#include <algorithm>

#include "platform/file.h"

namespace quor::demo {
namespace {

// The data file open for reading, with its size; no_file (and *error) when it does not open.
int open_data(const std::string& path, std::size_t& size, std::string* error)
{
    platform::open_result how;
    const int fd = platform::open_for_input(path.c_str(), &how);
    const long long length = fd == platform::no_file ? -1 : platform::file_length(fd);
    if (length < 0) {
        const std::string why = how == platform::open_result::missing       ? "no such file"
                                : how == platform::open_result::not_regular ? "not a regular file"
                                                                            : platform::last_error();
        platform::close_file(fd);
        *error = path + ": cannot be opened: " + why;
        return platform::no_file;
    }
    size = static_cast<std::size_t>(length);
    return fd;
}

} // namespace

std::size_t record_size(const record::transformation& rec)
{
    std::vector<char> bytes;
    record::write_transformation(bytes, rec);
    return bytes.size();
}

data_file check_block(std::unique_ptr<char[]> block, std::size_t size, const std::string& name)
{
    data_file out;
    out.check = check_data(block.get(), size, name);
    out.block = std::move(block);
    out.size = size;
    return out;
}

bool read_data_file(const std::string& path, data_file& out, std::string* error)
{
    std::size_t size = 0;
    const int fd = open_data(path, size, error);
    if (fd == platform::no_file)
        return false;
    // Only what fits the demo's block is read; the check refuses a longer file by its size.
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    const std::size_t wanted = std::min(size, layout::block_size);
    const bool read = platform::read_full(fd, block.get(), wanted) == wanted;
    platform::close_file(fd);
    if (!read) {
        *error = path + ": read failed";
        return false;
    }
    out = check_block(std::move(block), size, path);
    if (!out.check.ok) {
        *error = out.check.message;
        return false;
    }
    return true;
}

bool read_records(const std::string& path, section_records& records, section_surround& surround, std::string* error)
{
    const std::size_t start = layout::scene_section.offset;
    std::size_t size = 0;
    const int fd = open_data(path, size, error);
    if (fd == platform::no_file)
        return false;
    std::vector<char> section(size > start ? std::min(size, layout::max_file_size) - start : 0);
    const bool read = !section.empty() && platform::seek(fd, static_cast<long long>(start), false) >= 0 &&
                      platform::read_full(fd, section.data(), section.size()) == section.size();
    platform::close_file(fd);
    if (!read) {
        *error = path + ": " + (section.empty() ? "ends before its scene section" : "read failed");
        return false;
    }
    scene_section_read r = read_scene_section(section.data(), section.size());
    if (!r.fault.empty()) {
        *error = path + ": " + r.fault;
        return false;
    }
    records = std::move(r.records);
    surround = std::move(r.surround);
    return true;
}

file_check loads_as_the_demo(const std::string& path)
{
    return [path](std::span<const char> bytes) {
        const data_check_result r = check_data(bytes.data(), bytes.size(), path);
        return r.ok ? std::string() : r.message;
    };
}

bool replace_section(const std::string& path, std::span<const char> section, std::string* error)
{
    return replace_region(path, layout::scene_section.offset, to_end, section, loads_as_the_demo(path), error);
}

bool replace_texture(const std::string& path, std::size_t slot, std::span<const char> chain, std::string* error)
{
    return replace_region(path, layout::textures.offset + layout::texture_table[slot].level0_offset, chain.size(),
                          chain, loads_as_the_demo(path), error);
}

bool replace_records(const std::string& path, const std::array<std::optional<record::transformation>, 3>& records,
                     std::string* error)
{
    section_records changed;
    section_surround surround;
    if (!read_records(path, changed, surround, error))
        return false;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r])
            changed[r] = *records[r];
    std::vector<char> section;
    return write_scene_section(changed, section, error, surround) && replace_section(path, section, error);
}

} // namespace quor::demo
