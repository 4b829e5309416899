// The data file's owner on disk: a section or records replaced keep every other byte (the bytes
// around the records included), a texture lands in its slot, and a failure at each step (a
// folder that takes no new file, a full disk, a result the load would refuse) leaves the old
// file byte for byte.
#include "demo/data_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "data_files.h"

namespace {

using namespace quor;
using namespace quor::test;

// No new file may be created in the folder: by permissions, or for root (whom permissions do not
// stop) by the immutable flag.
void set_folder_writable(const std::filesystem::path& dir, bool writable)
{
    if (::geteuid() != 0) {
        ::chmod(dir.c_str(), writable ? 0755 : 0555);
        return;
    }
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_NE(fd, -1);
    int flags = 0;
    ASSERT_EQ(::ioctl(fd, FS_IOC_GETFLAGS, &flags), 0);
    flags = writable ? flags & ~FS_IMMUTABLE_FL : flags | FS_IMMUTABLE_FL;
    ASSERT_EQ(::ioctl(fd, FS_IOC_SETFLAGS, &flags), 0) << std::strerror(errno);
    ::close(fd);
}

class DataFileChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.file("tesk.mem");
        write_file(path, scene_section(), 'a');
        old_bytes = read_all(path);
        // The camera's first channel becomes the constant 9; the quad's first one the constant -2.
        demo::section_records records;
        demo::section_surround surround;
        ASSERT_TRUE(demo::read_records(path, records, surround, &error)) << error;
        records[2][0] = {};
        records[2][0].value = 9;
        records[1][0].value = -2;
        ASSERT_TRUE(demo::write_scene_section(records, section, &error, surround)) << error;
    }

    void expect_old_file_kept(bool replaced, const char* because)
    {
        EXPECT_FALSE(replaced);
        EXPECT_NE(error.find(because), std::string::npos) << error;
        EXPECT_TRUE(read_all(path) == old_bytes) << "the old file changed";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1) << "a new file was left";
    }

    scratch_folder folder;
    std::string path;
    std::vector<char> old_bytes;
    std::vector<char> section;
    std::string error;
};

TEST_F(DataFileChanges, ARecordsChangeKeepsEveryOtherByteAndReadsBackOnce)
{
    std::array<std::optional<record::transformation>, 3> changed;
    changed[2].emplace();
    for (record::channel& c : *changed[2])
        c.value = 1;
    ASSERT_TRUE(demo::replace_records(path, changed, &error)) << error;

    const std::vector<char> saved = read_all(path);
    const std::vector<char> was = scene_section();
    EXPECT_TRUE(std::equal(old_bytes.begin(), old_bytes.begin() + layout::camera_record + layout::scene_section.offset,
                           saved.begin()))
        << "the regions and the object slots, the quad's unread bytes included";
    EXPECT_TRUE(std::equal(was.end() - 5, was.end(), saved.end() - 5)) << "the bytes after the camera's record";
    EXPECT_EQ(saved.size(), layout::scene_section.offset + layout::camera_record + 9 * 8 + 5);

    demo::data_file file;
    ASSERT_TRUE(demo::read_data_file(path, file, &error)) << error;
    EXPECT_EQ(file.size, saved.size());
    EXPECT_EQ(file.check.records[2][4].value, 1.0f);
    EXPECT_EQ(file.check.record_bytes[2], 9 * 8u);
    EXPECT_EQ(file.check.surround.tail, std::vector<char>(5, 'x'));
}

TEST_F(DataFileChanges, ASectionAndATextureLandWhereTheLayoutPutsThem)
{
    ASSERT_TRUE(demo::replace_section(path, section, &error)) << error;
    std::vector<char> saved = read_all(path);
    ASSERT_EQ(saved.size(), layout::scene_section.offset + section.size());
    EXPECT_TRUE(std::equal(section.begin(), section.end(), saved.begin() + layout::scene_section.offset));
    EXPECT_TRUE(std::equal(old_bytes.begin(), old_bytes.begin() + layout::scene_section.offset, saved.begin()));

    const auto& slot = layout::texture_table[3];
    const std::vector<char> chain(slot.chain_bytes, 'T');
    ASSERT_TRUE(demo::replace_texture(path, 3, chain, &error)) << error;
    const std::vector<char> textured = read_all(path);
    ASSERT_EQ(textured.size(), saved.size());
    const std::size_t at = layout::textures.offset + slot.level0_offset;
    EXPECT_TRUE(std::equal(chain.begin(), chain.end(), textured.begin() + static_cast<std::ptrdiff_t>(at)));
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(at), textured.begin()));
    EXPECT_TRUE(std::equal(saved.begin() + static_cast<std::ptrdiff_t>(at + chain.size()), saved.end(),
                           textured.begin() + static_cast<std::ptrdiff_t>(at + chain.size())));
}

TEST_F(DataFileChanges, AFolderThatTakesNoNewFileLeavesTheOldFile)
{
    set_folder_writable(folder.path, false);
    const bool replaced = demo::replace_section(path, section, &error);
    set_folder_writable(folder.path, true);
    expect_old_file_kept(replaced, "cannot write");
}

TEST_F(DataFileChanges, AFullDiskLeavesTheOldFile)
{
    // A file size limit makes the writes fail past 1 MB, as a full disk would.
    struct rlimit old_limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit small = old_limit;
    small.rlim_cur = 1 << 20;
    const auto old_signal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = demo::replace_section(path, section, &error);
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_signal);
    expect_old_file_kept(replaced, "File too large");
}

TEST_F(DataFileChanges, AResultTheLoadWouldRefuseLeavesTheOldFile)
{
    // The camera's record cut short: the load would refuse that file.
    section.resize(layout::camera_record + 6);
    expect_old_file_kept(demo::replace_section(path, section, &error), "the camera record at scene offset 144");
}

TEST(RecordRoom, ObjectsHaveTheirSlotsAndTheCameraTheRestOfTheSection)
{
    EXPECT_EQ(demo::record_room(0), 72u);
    EXPECT_EQ(demo::record_room(1, 500), 72u);
    EXPECT_EQ(demo::record_room(2), 100000u - 144u);
    EXPECT_EQ(demo::record_room(2, 856), 99000u);
}

} // namespace
