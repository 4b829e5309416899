// Reading and changing the data file through the platform's file calls and the shared replace.
#include "demo/data_update.h"

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

bool read_data_file(const std::string& path, std::vector<char>& data, demo::data_check_result& checked,
                    std::string* error)
{
    std::size_t size = 0;
    const int fd = open_data(path, size, error);
    if (fd == platform::no_file)
        return false;
    // Only what fits the demo's block is read; the check refuses a longer file by its size.
    data.resize(std::min(size, demo::layout::block_size));
    const bool read = platform::read_full(fd, data.data(), data.size()) == data.size();
    platform::close_file(fd);
    if (!read) {
        *error = path + ": read failed";
        return false;
    }
    checked = demo::check_data(data.data(), size, path);
    if (!checked.ok) {
        *error = checked.message;
        return false;
    }
    return true;
}

bool read_records(const std::string& path, demo::section_records& records, std::string* error)
{
    const std::size_t start = demo::layout::scene_section.offset;
    std::size_t size = 0;
    const int fd = open_data(path, size, error);
    if (fd == platform::no_file)
        return false;
    std::vector<char> section(size > start ? std::min(size, demo::layout::max_file_size) - start : 0);
    const bool read = !section.empty() && platform::seek(fd, static_cast<long long>(start), false) >= 0 &&
                      platform::read_full(fd, section.data(), section.size()) == section.size();
    platform::close_file(fd);
    if (!read) {
        *error = path + ": " + (section.empty() ? "ends before its scene section" : "read failed");
        return false;
    }
    demo::scene_section_read r = demo::read_scene_section(section.data(), section.size());
    if (!r.fault.empty()) {
        *error = path + ": " + r.fault;
        return false;
    }
    records = std::move(r.records);
    return true;
}

file_check loads_as_the_demo(const std::string& path)
{
    return [path](std::span<const char> bytes) {
        const demo::data_check_result r = demo::check_data(bytes.data(), bytes.size(), path);
        return r.ok ? std::string() : r.message;
    };
}

bool change_data_file(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                      std::string* error)
{
    return replace_region(path, offset, replaced, bytes, loads_as_the_demo(path), error);
}

bool change_records(const std::string& path, const demo::section_records& current,
                    const std::array<std::optional<record::transformation>, 3>& records, std::string* error)
{
    demo::section_records changed = current;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (records[r])
            changed[r] = *records[r];
    std::vector<char> section;
    return demo::write_scene_section(changed, section, error) &&
           change_data_file(path, demo::layout::scene_section.offset, to_end, section, error);
}

} // namespace quor::demo
