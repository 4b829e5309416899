// The file service's own promises beyond what the io suite reaches: a file's stamp tells a
// replaced or rewritten file from the one seen before, and a file longer than 2 GiB is measured
// and moved in without wrapping.
#include "platform/file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using namespace quor::platform;

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() / ("quor_platform_" + std::to_string(random()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(FileTest, StampsTellFilesApart)
{
    std::ofstream(path("a"), std::ios::binary) << "12345";
    file_stamp first, again, other;
    ASSERT_TRUE(stamp_of(path("a").c_str(), first));
    ASSERT_TRUE(stamp_of(path("a").c_str(), again));
    EXPECT_EQ(first, again);
    EXPECT_EQ(first.size, 5);

    // Another file of the same size renamed over it: a different file, though nothing else differs.
    std::ofstream(path("b"), std::ios::binary) << "abcde";
    ASSERT_TRUE(rename_over(path("b").c_str(), path("a").c_str()));
    ASSERT_TRUE(stamp_of(path("a").c_str(), other));
    EXPECT_NE(other, first);
    EXPECT_FALSE(fs::exists(path("b")));

    file_stamp none;
    EXPECT_FALSE(stamp_of(path("missing").c_str(), none));
}

TEST_F(FileTest, LengthsAndPositionsPastTwoGibibytes)
{
    const long long far = (3ll << 30) + 3;
    {
        // Sparse where the file system allows it: nothing of it is written but the last byte.
        std::ofstream out(path("big"), std::ios::binary);
        out.seekp(far - 1);
        out.put('x');
    }
    const int fd = open_for_input(path("big").c_str());
    ASSERT_NE(fd, no_file);
    EXPECT_EQ(file_length(fd), far);
    EXPECT_EQ(seek(fd, far - 1, false), far - 1);
    char last = 0;
    EXPECT_EQ(read_full(fd, &last, 1), 1u);
    EXPECT_EQ(last, 'x');
    EXPECT_EQ(seek(fd, 0, true), far);
    close_file(fd);
}

TEST_F(FileTest, OnlyRegularFilesOpenForInput)
{
    open_result how = open_result::opened;
    EXPECT_EQ(open_for_input(dir_.string().c_str(), &how), no_file);
    EXPECT_EQ(how, open_result::not_regular);
    EXPECT_EQ(open_for_input(path("missing").c_str(), &how), no_file);
    EXPECT_EQ(how, open_result::missing);
}

} // namespace
