// Save of the edited motion records into the data file: every byte outside the scene section's
// records is the file as loaded, and the new file passes the load's own check before it
// replaces the old one.
#pragma once

#include <cstddef>
#include <string>

#include "edit/motion_document.h"

namespace quor::edit {

// `block` holds the file as loaded, `size` bytes, in a block of the layout's size (the demo's
// file data). On success the file at `path` holds the document's records, the block's scene
// section and `size` match it, and the document counts as saved. On failure nothing changes and
// *error says why in one line.
bool save_records(const std::string& path, char* block, std::size_t& size, motion_document& doc, std::string* error);

} // namespace quor::edit
