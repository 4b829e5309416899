// The new file is the loaded block up to the scene section, then the document's section; the
// block is brought up to date only once the file has been replaced.
#include "edit/data_save.h"

#include <cstring>
#include <vector>

#include "demo/data_check.h"
#include "demo/data_layout.h"
#include "io/replace_file.h"

namespace quor::edit {

bool save_records(const std::string& path, char* block, std::size_t& size, motion_document& doc,
                  const std::optional<platform::file_stamp>& loaded, platform::file_stamp& placed, std::string* error)
{
    using demo::layout::scene_section;
    const std::vector<char> section = doc.section();
    std::vector<char> file;
    file.reserve(scene_section.offset + section.size());
    file.insert(file.end(), block, block + scene_section.offset);
    file.insert(file.end(), section.begin(), section.end());
    const file_check check = [&](std::span<const char> bytes) {
        const demo::data_check_result r = demo::check_data(bytes.data(), bytes.size(), path);
        return r.ok ? std::string() : r.message;
    };
    replace_options options;
    options.lock_wait_ms = 0;
    options.unchanged_since = loaded;
    options.placed = &placed;
    if (!replace_file(path, file, check, error, options))
        return false;
    std::memcpy(block + scene_section.offset, section.data(), section.size());
    size = file.size();
    doc.mark_saved();
    return true;
}

} // namespace quor::edit
