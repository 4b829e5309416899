// The data file's read and checked replacement.
#include "data_update.h"

#include <fstream>

#include "data_file.h"

namespace quor::tools {

bool read_data_file(const std::string& path, std::vector<char>& data, demo::data_check_result& checked,
                    std::string* error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *error = path + ": cannot be opened";
        return false;
    }
    const auto size = static_cast<std::size_t>(in.tellg());
    if (size > demo::layout::max_file_size) {
        *error = path + ": " + std::to_string(size) + " bytes, longer than the data file's block";
        return false;
    }
    data.resize(size);
    in.seekg(0);
    if (!in.read(data.data(), static_cast<std::streamsize>(size))) {
        *error = path + ": read failed";
        return false;
    }
    checked = demo::check_data(data.data(), data.size(), path);
    if (!checked.ok) {
        *error = checked.message;
        return false;
    }
    return true;
}

bool replace_data_file(const std::string& path, const std::vector<char>& data, std::string* error)
{
    const demo::data_check_result r = demo::check_data(data.data(), data.size(), path);
    if (!r.ok) {
        *error = "the changed file would not load: " + r.message;
        return false;
    }
    return write_atomically(path, data.data(), data.size(), error);
}

} // namespace quor::tools
