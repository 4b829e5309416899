// A file from outside (an image, a scene, a glTF, a motion text) read whole into memory, weighed
// before it is read: only a regular file, and no larger than its reader means to hold.
#pragma once

#include <cstddef>
#include <string>

namespace quor {

// The bytes of the file at `path`. False with one line in *error, naming the file, when it does
// not exist, is not a regular file (a FIFO would block the reader, a device act on the read),
// holds more than `limit` bytes, or cannot be read.
bool read_whole_file(const std::string& path, std::size_t limit, std::string& out, std::string* error);

} // namespace quor
