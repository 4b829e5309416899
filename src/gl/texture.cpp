// Compressed texture creation and binding through the OpenGL seam.
#include "gl/texture.h"

#include <iostream>
#include <sstream>

#include "gl/api.h"

namespace quor::gl {

void texture::create_compressed(const char* data, int width, int height, int, int levels)
{
    std::ostringstream image;
    image << "memory image " << width << 'x' << height << " at " << static_cast<const void*>(data);
    upload(data, width, height, levels, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 8, image.str());
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
        const int size = ((w + 3) / 4) * ((h + 3) / 4) * block_bytes;
        api.CompressedTexImage2D(GL_TEXTURE_2D, level, format, w, h, 0, size, data + offset);
        offset += size;
        w >>= 1;
        h >>= 1;
    }
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

} // namespace quor::gl
