// Save into a data file on disk: the round trip (records as edited, every other byte as it was)
// and failures at each step (a folder that takes no new file, a full disk, a new file the load
// would refuse), each leaving the old file byte for byte.
#include "edit/data_save.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "demo/data_check.h"
#include "edit_files.h"

namespace {

using namespace quor;
using namespace quor::edit;
using namespace quor::edit::test;

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

class DataSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.file("tesk.mem");
        write_file(path, scene_section(), 'a');
        old_bytes = read_all(path);
        block = file_block(scene_section(), size);
        block[0] = 'a';
        std::string why;
        ASSERT_TRUE(doc.read(block.get(), size, &why)) << why;
        ASSERT_TRUE(doc.add_key({2, 0}, 3).ok);
        ASSERT_TRUE(doc.set_constant({1, 0}, -2).ok);
        ASSERT_TRUE(doc.make_envelope({2, 4}).ok);
        ASSERT_TRUE(platform::stamp_of(path.c_str(), loaded));
    }

    bool save() { return save_records(path, block.get(), size, doc, loaded, placed, &error); }

    void expect_old_file_kept(bool saved, const char* because)
    {
        EXPECT_FALSE(saved);
        EXPECT_NE(error.find(because), std::string::npos) << error;
        EXPECT_TRUE(read_all(path) == old_bytes) << "the old file changed";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1) << "a new file was left";
        EXPECT_TRUE(doc.modified());
        EXPECT_EQ(size, old_bytes.size());
    }

    scratch_folder folder;
    std::string path;
    std::vector<char> old_bytes;
    std::unique_ptr<char[]> block;
    std::size_t size = 0;
    motion_document doc;
    platform::file_stamp loaded, placed;
    std::string error;
};

TEST_F(DataSave, WritesTheEditedRecordsAndKeepsEveryOtherByte)
{
    ASSERT_TRUE(save()) << error;
    EXPECT_FALSE(doc.modified());
    platform::file_stamp now;
    ASSERT_TRUE(platform::stamp_of(path.c_str(), now));
    EXPECT_EQ(placed, now);

    const std::vector<char> saved = read_all(path);
    ASSERT_EQ(saved.size(), size);
    EXPECT_TRUE(demo::check_data(saved.data(), saved.size()).ok);
    EXPECT_TRUE(std::equal(old_bytes.begin(), old_bytes.begin() + layout::scene_section.offset, saved.begin()));
    EXPECT_TRUE(std::equal(old_bytes.end() - 5, old_bytes.end(), saved.end() - 5)) << "the bytes after the records";
    EXPECT_EQ(std::memcmp(saved.data(), block.get(), saved.size()), 0) << "the block holds what the file holds";

    motion_document back;
    ASSERT_TRUE(back.read(saved.data(), saved.size()));
    for (std::size_t rec = 0; rec < record_count; ++rec)
        for (int c = 0; c < channel_count; ++c)
            EXPECT_TRUE(same_channel(back.channel({rec, c}), doc.channel({rec, c}))) << rec << " " << c;
    EXPECT_EQ(back.section(), doc.section());
}

TEST_F(DataSave, AFolderThatTakesNoNewFileLeavesTheOldFile)
{
    set_folder_writable(folder.path, false);
    const bool saved = save();
    set_folder_writable(folder.path, true);
    expect_old_file_kept(saved, "cannot write");
}

TEST_F(DataSave, AFullDiskLeavesTheOldFile)
{
    // A file size limit makes the writes fail past 1 MB, as a full disk would.
    struct rlimit old_limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit small = old_limit;
    small.rlim_cur = 1 << 20;
    const auto old_signal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = save();
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_signal);
    expect_old_file_kept(saved, "File too large");
}

// An import running while the workbench saves: while it holds the file the save is refused at once
// (the frame does not wait), and once it has put its version in place the save does not write over
// that unseen version. Saved over the version loaded, the save goes through.
TEST_F(DataSave, AnotherWriterHoldingOrChangingTheFileIsNotWrittenOver)
{
    const int held = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    expect_old_file_kept(save(), "another program is changing it");
    write_file(path + ".new", scene_section(), 'i');
    std::filesystem::rename(path + ".new", path);
    ::close(held);
    old_bytes = read_all(path);
    expect_old_file_kept(save(), "another program changed it since it was read");

    ASSERT_TRUE(platform::stamp_of(path.c_str(), loaded));
    ASSERT_TRUE(save()) << error;
    EXPECT_EQ(read_all(path)[0], 'a') << "the block's bytes, as the user chose to keep the edits";
}

TEST_F(DataSave, ANewFileThatFailsTheLoadsCheckLeavesTheOldFile)
{
    // The block's first index points past the quad's vertices: the load would refuse that file.
    std::memset(block.get() + layout::indices.offset, 0xff, 4);
    expect_old_file_kept(save(), "index 0 of quad");
}

} // namespace
