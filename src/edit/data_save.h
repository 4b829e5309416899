// Save of the edited motion records into the data file: every byte outside the scene section's
// records is the file as loaded, and the new file passes the load's own check before it
// replaces the old one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "edit/motion_document.h"
#include "platform/file.h"

namespace quor::edit {

// `block` holds the file as loaded, `size` bytes, in a block of the layout's size (the demo's
// file data), and `loaded` is the stamp of that version (none: not known). On success the file at
// `path` holds the document's records, the block's scene section and `size` match it, the
// document counts as saved and *placed is the new version's stamp. Refused, with nothing
// changed, when the file on disk is no longer the loaded version (another program changed it:
// the caller offers it for reload) or another program is changing it right now: a save never
// waits and never writes over what it has not seen. On failure *error says why in one line.
bool save_records(const std::string& path, char* block, std::size_t& size, motion_document& doc,
                  const std::optional<platform::file_stamp>& loaded, platform::file_stamp& placed, std::string* error);

} // namespace quor::edit
