// Data files for the tests of the data file and the workbench: the layout's regions left as
// zeros (a sparse file on disk), real motion records of every channel kind, and a scratch folder
// per test.
#pragma once

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "anim/record.h"
#include "demo/data_layout.h"

namespace quor::test {

namespace layout = demo::layout;

inline Key key(float time, float value, Shape shape = Shape::TCB)
{
    Key k;
    k.time = time;
    k.value = value;
    k.shape = shape;
    return k;
}

// Objects: nine constants each. Camera: envelopes with non-zero trailers, a mixer, constants,
// then `tail` bytes of whatever follows the record.
inline std::vector<char> scene_section(std::size_t tail = 5)
{
    std::vector<char> out;
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(out, c < 6 ? static_cast<float>(c) : 1.0f);
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(out, 2.0f);
    const std::vector<Key> path{key(1, 10), key(2, 20), key(4, 0, Shape::Linear)};
    for (int c = 0; c < 3; ++c) {
        record::write_envelope_channel(out, path);
        std::memcpy(out.data() + out.size() - 8, "trailer!", 8);
    }
    record::write_constant_channel(out, 0.5f);
    record::write_constant_channel(out, 0.0f);
    record::write_envelope_channel(out, {key(3, 1, Shape::Stepped)});
    record::write_mixer_channel(out, {{key(0, 1)}, {key(1, 2), key(2, 3)}});
    record::write_constant_channel(out, 1);
    record::write_constant_channel(out, 1);
    out.insert(out.end(), tail, 'x');
    return out;
}

// Bytes that make the vertex, index and texture regions more than zeros, which the check
// refuses as never written: a vertex byte, the first index 1 (of the quad's four vertices) and
// the first texture's prefix.
inline const std::array<std::pair<std::size_t, char>, 3> region_marks{
    {{1, 1}, {layout::indices.offset, 1}, {layout::textures.offset, 'D'}}};

// The file as the demo's load holds it: a block of the layout's size, its regions zeros but for
// region_marks.
inline std::unique_ptr<char[]> file_block(const std::vector<char>& section, std::size_t& size)
{
    size = layout::scene_section.offset + section.size();
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memset(block.get(), 0, layout::scene_section.offset);
    for (const auto& [at, byte] : region_marks)
        block[at] = byte;
    std::memcpy(block.get() + layout::scene_section.offset, section.data(), section.size());
    return block;
}

// Writes the file with holes for the zero regions; `marker` goes into the first vertex so files
// can be told apart.
inline void write_file(const std::string& path, const std::vector<char>& section, char marker = 0)
{
    std::filesystem::remove(path);
    std::ofstream out(path, std::ios::binary);
    out.put(marker);
    for (const auto& [at, byte] : region_marks) {
        out.seekp(static_cast<std::streamoff>(at));
        out.put(byte);
    }
    out.seekp(static_cast<std::streamoff>(layout::scene_section.offset));
    out.write(section.data(), static_cast<std::streamsize>(section.size()));
}

inline std::vector<char> read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(std::filesystem::file_size(path));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

class scratch_folder {
public:
    scratch_folder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("quor_data_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~scratch_folder() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

} // namespace quor::test
