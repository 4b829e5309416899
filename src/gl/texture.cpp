// Compressed texture creation (from memory or from a .dds file) and binding through the
// OpenGL seam.
#include "gl/texture.h"

#include <cstring>
#include <iostream>
#include <sstream>

#include "gl/api.h"
#include "gl/dds.h"
#include "gl/dxt.h"
#include "gl/memory_arena.h"
#include "io/disk_binfile.h"

namespace quor::gl {

void texture::create_compressed(const char* data, int width, int height, int, int levels)
{
    std::ostringstream image;
    image << "memory image " << width << 'x' << height << " at " << static_cast<const void*>(data);
    upload(data, width, height, levels, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, dxt1_block_bytes, image.str());
}

void texture::upload(const char* data, int width, int height, int levels, unsigned format, int block_bytes,
                     const std::string& image_name)
{
    source_ = data;
    width_ = width;
    height_ = height;

    // A failed glGenTextures leaves the name untouched: start from none, never from a stale name.
    name_ = no_name;
    api.GenTextures(1, &name_);
    if (name_ == no_name)
        std::cerr << "Error - could not generate OpenGL texture coordinate for image: " << image_name << std::endl;
    api.BindTexture(GL_TEXTURE_2D, name_);
    api.PixelStorei(GL_UNPACK_ALIGNMENT, 1);

    int w = width;
    int h = height;
    long offset = 0;
    for (int level = 0; level < levels; ++level) {
        if (w == 0 && h == 0)
            break;
        if (w == 0)
            w = 1;
        if (h == 0)
            h = 1;
        const int size = static_cast<int>(dxt_level_bytes(w, h, block_bytes));
        api.CompressedTexImage2D(GL_TEXTURE_2D, level, format, w, h, 0, size, data + offset);
        offset += size;
        w >>= 1;
        h >>= 1;
    }
}

void texture::destroy()
{
    if (name_ != no_name)
        api.DeleteTextures(1, &name_);
    *this = texture();
}

void texture::bind() const
{
    if (name_ == no_name) {
        api.Disable(GL_TEXTURE_2D);
        return;
    }
    api.BindTexture(GL_TEXTURE_2D, name_);
    api.Enable(GL_TEXTURE_2D);
    // Linear minification on purpose: the mipmap levels are uploaded but not sampled.
    api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    api.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void texture::load_dds(std::string name, memory_arena& arena)
{
    // A .tga name is looked for as .dds: the last three characters are replaced.
    if (name.size() < 3 || name.size() > 255) {
        std::cerr << "Error - file not found: " << name << std::endl;
        return;
    }
    char file_name[256];
    std::memcpy(file_name, name.c_str(), name.size() + 1);
    std::memcpy(file_name + name.size() - 3, "dds", 3);

    const int length = file_length(file_name);
    if (length == 0) {
        std::cerr << "Error - file not found: " << file_name << std::endl;
        return;
    }
    // The levels take the file less its magic number and header.
    const std::size_t level_bytes = length > 4 + dds_header_bytes ? std::size_t(length - 4 - dds_header_bytes) : 0;
    void* destination = arena.allocate(level_bytes);
    const dds_info info = destination ? read_dds(file_name, destination, level_bytes) : dds_info{};
    if (info.width == 0) {
        std::cerr << "Error - invalid dds file: " << file_name << std::endl;
        return;
    }

    const unsigned format = info.dxt == 1   ? GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
                            : info.dxt == 3 ? GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
                                            : GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    upload(static_cast<const char*>(info.data), info.width, info.height, info.levels, format,
           dxt_block_bytes(info.dxt), file_name);
}

} // namespace quor::gl
