// The DDS reader. Levels go straight from the file into the caller's destination; sizes are
// checked in 64 bits before anything is read.
#include "gl/dds.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>

#include "gl/dxt.h"
#include "io/disk_binfile.h"

namespace quor::gl {

namespace {

constexpr std::uint32_t fourcc(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
           std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

std::uint32_t little_endian(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

int log2_floor(std::uint32_t v)
{
    int bits = 0;
    while (v >>= 1)
        ++bits;
    return bits;
}

} // namespace

dds_header decode_dds_header(const unsigned char* bytes)
{
    dds_header header;
    header.height = little_endian(bytes + 8);
    header.width = little_endian(bytes + 12);
    header.linear_size = little_endian(bytes + 16);
    header.mipmap_count = little_endian(bytes + 24);
    header.fourcc = little_endian(bytes + 80);
    return header;
}

bool measure_dds_levels(const dds_header& header, int block_bytes, dds_levels& out)
{
    const std::uint32_t w = header.width;
    const std::uint32_t h = header.height;
    if (w == 0 || h == 0 || w > dds_max_dimension || h > dds_max_dimension)
        return false;
    const std::uint32_t most_levels = std::uint32_t(log2_floor(std::max(w, h))) + 1;
    if (header.mipmap_count > most_levels)
        return false;

    const std::uint64_t block = std::uint64_t(block_bytes);
    const std::uint64_t first = header.linear_size != 0 ? header.linear_size : std::uint64_t(w) * h / 2;
    out.levels = header.mipmap_count == 0 ? 1 : int(header.mipmap_count);
    out.size = first;
    out.grid_bytes = 0;
    std::uint64_t level_size = first;
    for (int level = 0; level < out.levels; ++level) {
        if (level > 0) {
            level_size = std::max(level_size / 4, block);
            out.size += level_size;
        }
        out.grid_bytes += dxt_level_bytes(dxt_level_side(w, level), dxt_level_side(h, level), block);
    }
    return true;
}

dds_info read_dds(Binfile& file, const char* file_name, void* destination, std::size_t capacity)
{
    unsigned char magic[4] = {};
    for (unsigned char& byte : magic)
        file.read(&byte, 1);
    if (std::memcmp(magic, "DDS ", 4) != 0) {
        std::cerr << "The file " << file_name << " doesn't appear to be a valid .dds file!" << std::endl;
        return {};
    }

    unsigned char bytes[dds_header_bytes];
    if (file.read(bytes, dds_header_bytes) != dds_header_bytes)
        return {};
    const dds_header header = decode_dds_header(bytes);

    dds_info info;
    switch (header.fourcc) {
    case fourcc('D', 'X', 'T', '1'): info.dxt = 1; break;
    case fourcc('D', 'X', 'T', '3'): info.dxt = 3; break;
    case fourcc('D', 'X', 'T', '5'): info.dxt = 5; break;
    default:
        std::cerr << "Error: Only DXT[1,3,5] compressed textures are supported at the moment: " << file_name
                  << std::endl;
        return {};
    }

    dds_levels levels;
    if (!measure_dds_levels(header, dxt_block_bytes(info.dxt), levels))
        return {};
    // Enough for the reported total and for every block an upload will read.
    const std::uint64_t wanted = std::max(levels.size, levels.grid_bytes);
    if (wanted > INT_MAX || wanted > capacity)
        return {};
    if (file.read(destination, int(wanted)) != int(wanted))
        return {};

    info.width = int(header.width);
    info.height = int(header.height);
    info.components = info.dxt == 1 ? 3 : 4;
    info.levels = levels.levels;
    info.size = int(levels.size);
    info.data = destination;
    return info;
}

dds_info read_dds(const char* file_name, void* destination, std::size_t capacity)
{
    DiskBinfile file(default_search_path);
    if (!file.open(file_name)) {
        std::cerr << "Could not find " << file_name << std::endl;
        return {};
    }
    return read_dds(file, file_name, destination, capacity);
}

} // namespace quor::gl
