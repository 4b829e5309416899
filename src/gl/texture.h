// OpenGL 2D textures made from block-compressed (S3TC) image data with a chain of mipmap levels.
// The compressed levels are uploaded straight from the caller's memory; nothing is copied.
#pragma once

#include <string>

namespace quor::gl {

struct memory_arena;

class texture {
public:
    // No OpenGL name until creation.
    static constexpr unsigned no_name = ~0u;

    texture() = default;

    // DXT1 data of `levels` mipmap levels laid end to end, level 0 first. `reserved` is kept
    // for the interface and has no effect. Needs a current context; the texture stays bound on the active unit.
    void create_compressed(const char* data, int width, int height, int reserved, int levels);
    // Creates the texture from levels of `block_bytes`-byte 4x4 blocks in `format`. The walk
    // stops early once both sizes have halved to 0; a size of 0 in one direction counts as 1.
    // `image_name` identifies the image in the message printed when GL produces no name.
    void upload(const char* data, int width, int height, int levels, unsigned format, int block_bytes,
                const std::string& image_name);
    // Reads a .dds file (DXT1, DXT3 or DXT5) into `arena` and uploads it from there.
    void load_dds(std::string name, memory_arena& arena);

    // Binds on the active unit and sets repeat wrapping and linear filtering; a texture
    // without a name switches GL_TEXTURE_2D off instead.
    void bind() const;
    // Deletes the GL texture, if there is one, and returns to the state before creation. Only a
    // scene that is replaced while the program runs needs this.
    void destroy();

    unsigned name() const { return name_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const char* source() const { return source_; }

private:
    const char* source_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    unsigned name_ = no_name;
};

} // namespace quor::gl
