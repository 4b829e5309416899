// Validation of data blocks: the smallest valid file, and one damage of each kind refused with
// a message naming the fault and its place.
#include "demo/data_check.h"

#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

namespace {

using namespace quor::demo;
using namespace quor::demo::layout;

// A zeroed block with a byte in the vertex and texture regions and the last index 1 holds a
// valid file: zero indices are in range and three zero records are nine constant channels each.
constexpr std::size_t valid_size = scene_section.offset + camera_record + object_record_limit;

struct block {
    block()
    {
        data[quad_vertices.offset + 12] = 1;
        put_u32(indices.end() - index_bytes, 1);
        data[textures.offset] = 1;
    }
    std::unique_ptr<char[]> data{new char[block_size]()};
    char* at(std::size_t offset) { return data.get() + offset; }
    void put_u32(std::size_t offset, std::uint32_t v) { std::memcpy(at(offset), &v, 4); }
};

TEST(DataCheck, AcceptsTheSmallestCompleteFileAndReportsItsRanges)
{
    block b;
    b.put_u32(indices.offset + index_lists[2].offset + 4, 8307);
    const data_check_result r = check_data(b.data.get(), valid_size);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(r.lists[2].max_index, 8307u);
    EXPECT_EQ(r.lists[0].max_index, 0u);
    EXPECT_EQ(r.record_bytes, (std::array<std::size_t, 3>{72, 72, 72}));
}

TEST(DataCheck, RefusesFilesThatDoNotFitTheLayout)
{
    block b;
    EXPECT_EQ(check_data(b.data.get(), min_file_size - 1).message,
              "tesk.mem: 131178295 bytes, shorter than the 131178296 bytes of its vertex, index and texture regions");
    EXPECT_EQ(check_data(b.data.get(), block_size + 1, "x.mem").message,
              "x.mem: 131278297 bytes, longer than the 131278296-byte block it is read into");
    EXPECT_EQ(check_data(b.data.get(), min_file_size).message,
              "tesk.mem: the file ends before the animated object record at scene offset 0");
    EXPECT_EQ(check_data(b.data.get(), scene_section.offset + camera_record).message,
              "tesk.mem: the file ends before the camera record at scene offset 144");
}

// What the format cannot hold and a file written for it never has: a region of nothing but zeros
// (an all-zero file, a preallocated one), a channel tag other than 0, 1 and 2 (all ones, as
// erased flash reads).
TEST(DataCheck, RefusesRegionsNeverWrittenAndTagsNotTheFormats)
{
    const std::pair<std::size_t, const char*> regions[] = {
        {quad_vertices.offset + 12, "tesk.mem: its vertex region (bytes 0 to 129272640) holds nothing but zeros"},
        {indices.end() - index_bytes, "tesk.mem: its index region (bytes 129272640 to 129430392) holds nothing but zeros"},
        {textures.offset, "tesk.mem: its texture region (bytes 129430392 to 131178296) holds nothing but zeros"}};
    for (const auto& [mark, message] : regions) {
        block b;
        std::memset(b.at(mark), 0, 4);
        EXPECT_EQ(check_data(b.data.get(), valid_size).message, message);
    }
    const std::unique_ptr<char[]> all_zero{new char[block_size]()};
    EXPECT_EQ(check_data(all_zero.get(), block_size).message,
              "tesk.mem: its vertex region (bytes 0 to 129272640) holds nothing but zeros");

    const std::tuple<std::size_t, std::uint32_t, const char*> tags[] = {
        {0, 3, "the animated object record at scene offset 0 holds channel 0 with tag 3"},
        {72 + 6 * 8, 0xFFFFFFFF, "the quad record at scene offset 72 holds channel 6 with tag 4294967295"},
        {144 + 8 * 8, 7, "the camera record at scene offset 144 holds channel 8 with tag 7"}};
    for (const auto& [offset, tag, where] : tags) {
        block b;
        b.put_u32(scene_section.offset + offset, tag);
        EXPECT_EQ(check_data(b.data.get(), valid_size).message,
                  std::string("tesk.mem: ") + where + ", which is none of the format's (0 constant, 1 envelope, 2 mixer)");
    }
}

TEST(DataCheck, NamesTheFirstIndexOutOfRange)
{
    block b;
    b.put_u32(indices.offset + index_lists[2].offset + 52 * 4, 9000);
    b.put_u32(indices.offset + index_lists[3].offset, 8308);
    EXPECT_EQ(check_data(b.data.get(), valid_size).message,
              "tesk.mem: index 52 of mesh 2 is 9000, beyond the 8308 vertices of a frame");
    block q;
    q.put_u32(indices.offset + 5 * 4, 4);
    EXPECT_EQ(check_data(q.data.get(), valid_size).message, "tesk.mem: index 5 of quad is 4, beyond the 4 quad vertices");
}

TEST(DataCheck, RefusesRecordsThatRunPastTheirBounds)
{
    // An envelope channel in the object record: its 24-byte key and trailer overrun 72 bytes.
    block object;
    object.put_u32(scene_section.offset + 64, 1);
    object.put_u32(scene_section.offset + 68, 1);
    const std::string m = check_data(object.data.get(), valid_size).message;
    EXPECT_EQ(m.rfind("tesk.mem: the animated object record at scene offset 0 runs past its 72 bytes: ", 0), 0u) << m;

    // A camera envelope whose key count reaches past the end of the file.
    block camera;
    camera.put_u32(scene_section.offset + camera_record, 1);
    camera.put_u32(scene_section.offset + camera_record + 4, 1000000);
    const std::string c = check_data(camera.data.get(), valid_size).message;
    EXPECT_EQ(c.rfind("tesk.mem: the camera record at scene offset 144 runs past the end of the file: ", 0), 0u) << c;
    EXPECT_NE(c.find("(scene offset 148)"), std::string::npos) << c;

    // The camera's record may be longer than 72 bytes when the file holds it: an empty envelope
    // (tag, count, trailer) takes 8 bytes more than a constant.
    block longer;
    longer.put_u32(scene_section.offset + camera_record, 1);
    EXPECT_FALSE(check_data(longer.data.get(), valid_size + 7).ok);
    const data_check_result r = check_data(longer.data.get(), valid_size + 8);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.record_bytes[2], 80u);
}

} // namespace
