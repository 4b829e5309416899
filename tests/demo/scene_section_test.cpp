// The scene section as plain records: written at their fixed offsets and read back the same, the
// bytes around them kept by a rewrite, and records that do not fit their place refused.
#include "demo/scene_section.h"

#include <gtest/gtest.h>

namespace {

using namespace quor;
using namespace quor::demo;

section_records constant_records()
{
    section_records records;
    for (record::transformation& t : records)
        for (std::size_t c = 0; c < t.size(); ++c)
            t[c].value = float(c);
    return records;
}

TEST(SceneSection, WrittenRecordsReadBackAtTheirOffsets)
{
    section_records records = constant_records();
    records[1][0].tag = 5;
    records[2][3].tag = record::mixer_tag;
    records[2][3].entries = {{Key{}}, {}};
    std::vector<char> bytes;
    std::string error;
    ASSERT_TRUE(write_scene_section(records, bytes, &error)) << error;
    // A quad record of one tag-5 channel is short: its gap up to the camera is zero.
    EXPECT_EQ(bytes[record_offsets[1] + 68], 0);

    const scene_section_read back = read_scene_section(bytes.data(), bytes.size());
    ASSERT_EQ(back.fault, "");
    EXPECT_EQ(back.record_bytes[0], 72u);
    EXPECT_EQ(back.record_bytes[1], 68u);
    EXPECT_EQ(back.record_bytes[2], bytes.size() - record_offsets[2]);
    std::vector<char> again;
    ASSERT_TRUE(write_scene_section(back.records, again, &error));
    EXPECT_EQ(again, bytes);

    const scene_section_read cut = read_scene_section(bytes.data(), record_offsets[2] + 10);
    EXPECT_EQ(cut.fault.rfind("the camera record at scene offset 144 runs past the end of the file: channel 1 ", 0), 0u)
        << cut.fault;
}

TEST(SceneSection, ARewriteKeepsTheBytesAroundTheRecords)
{
    section_records records = constant_records();
    records[1][8].tag = 7;
    std::vector<char> bytes;
    std::string error;
    ASSERT_TRUE(write_scene_section(records, bytes, &error)) << error;
    bytes[record_offsets[1] + 70] = 'g';
    bytes.insert(bytes.end(), {'t', 'a', 'i', 'l'});

    const scene_section_read read = read_scene_section(bytes.data(), bytes.size());
    ASSERT_EQ(read.fault, "");
    EXPECT_EQ(read.surround.tail, (std::vector<char>{'t', 'a', 'i', 'l'}));
    section_records changed = read.records;
    changed[2][0].tag = record::envelope_tag;
    changed[2][0].keys = {Key{}};
    std::vector<char> again;
    ASSERT_TRUE(write_scene_section(changed, again, &error, read.surround)) << error;
    ASSERT_EQ(again.size(), bytes.size() + 4 + 8 + record::key_bytes - 4);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 144, again.begin())) << "the object slots, gap included";
    EXPECT_EQ(std::string(again.end() - 4, again.end()), "tail");
    EXPECT_EQ(read_scene_section(again.data(), again.size()).record_bytes[2], 9 * 8 + 4 + 8 + record::key_bytes - 4);
}

TEST(SceneSection, ObjectRecordsMustFitTheir72Bytes)
{
    section_records records = constant_records();
    records[0][8].tag = record::envelope_tag;
    records[0][8].keys = {Key{}};
    std::vector<char> bytes;
    std::string error;
    EXPECT_FALSE(write_scene_section(records, bytes, &error));
    EXPECT_EQ(error, "the animated object record takes 104 bytes, more than its 72");
}

} // namespace
