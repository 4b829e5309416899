// DirectDraw Surface files with DXT1/3/5 levels: a reader that puts the levels straight into
// their final place (see memory_arena.h). A .dds file is untrusted: every size it claims is
// checked against the header's own limits and the bytes really read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quor {
class Binfile;
}

namespace quor::gl {

// Result of the reader; `width` 0 means failure (all fields 0).
struct dds_info {
    int width = 0;
    int height = 0;
    // 3 for DXT1, 4 for DXT3 and DXT5.
    int components = 0;
    // 1, 3 or 5.
    int dxt = 0;
    // At least 1 on success.
    int levels = 0;
    // Level 0 as the header's linear size gives it, each further level a quarter of the one before
    // but at least one block. `data` holds at least this many bytes, and at least every level of the
    // 4x4 block grid that an upload reads.
    int size = 0;
    void* data = nullptr;
};

// The header fields the reader relies on, by offset inside the 124-byte header that follows the
// magic number "DDS ".
struct dds_header {
    std::uint32_t height = 0;       // 8
    std::uint32_t width = 0;        // 12
    std::uint32_t linear_size = 0;  // 16
    std::uint32_t mipmap_count = 0; // 24
    std::uint32_t fourcc = 0;       // 80, the pixel format's FourCC
};

inline constexpr int dds_header_bytes = 124;
// Larger sizes are refused: they keep the block arithmetic far from overflow.
inline constexpr std::uint32_t dds_max_dimension = 1u << 16;

dds_header decode_dds_header(const unsigned char* bytes);

// What a header's levels take.
struct dds_levels {
    int levels = 0;
    // The reported total (see dds_info::size).
    std::uint64_t size = 0;
    // The 4x4 block grid of every level, as an upload walks it.
    std::uint64_t grid_bytes = 0;
};

// Levels of a header with `block_bytes`-byte blocks (8 for DXT1, 16 for DXT3 and DXT5). False for
// a width or height of 0 or above dds_max_dimension, or a mipmap count above
// floor(log2(max(width, height))) + 1.
bool measure_dds_levels(const dds_header& header, int block_bytes, dds_levels& out);

// Reads the file, found with the default search path, into `destination`, which holds `capacity`
// bytes. Fails (zero result) with a message when the file is missing, lacks the "DDS " magic or is
// not DXT1/3/5; silently when its sizes are unusable, do not fit in `capacity` or the file ends
// before its levels do.
dds_info read_dds(const char* file_name, void* destination, std::size_t capacity);
// The same over a file already open at its start, which is left open; `file_name` is used in the
// messages only.
dds_info read_dds(Binfile& file, const char* file_name, void* destination, std::size_t capacity);

} // namespace quor::gl
