// Disk files and the search path, run inside a scratch tree "<tmp>/parent/child" with the
// working directory set to child, so "../" is a directory the test owns.
#include "io/disk_binfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../support/cerr_capture.h"

namespace fs = std::filesystem;
using namespace quor;
using quor::test::cerr_capture;

namespace {

class DiskBinfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        root_ = fs::temp_directory_path() / ("quor_io_" + std::to_string(random()));
        fs::create_directories(root_ / "parent" / "child");
        previous_ = fs::current_path();
        fs::current_path(root_ / "parent" / "child");
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }
    // Writes `size` bytes of a pattern to `path` (relative to the working directory).
    static std::vector<char> write_file(const fs::path& path, std::size_t size)
    {
        fs::create_directories(fs::absolute(path).parent_path());
        std::vector<char> bytes(size);
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7 + 3);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
        return bytes;
    }

    fs::path root_;
    fs::path previous_;
};

TEST_F(DiskBinfileTest, SearchPathFindsFilesInOrder)
{
    write_file("../only_parent.bin", 5);
    write_file("tesk.mem", 11);
    write_file("../tesk.mem", 13);
    write_file("../parent_first.mem", 17);

    DiskBinfile file(default_search_path);
    ASSERT_TRUE(file.open("only_parent.bin"));
    EXPECT_EQ(file.length, 5);
    file.close();

    // A drive prefix is dropped for the candidates: ./tesk.mem comes before ../tesk.mem.
    ASSERT_TRUE(file.open("c:tesk.mem"));
    EXPECT_EQ(file.length, 11);
    file.close();
    fs::remove("tesk.mem");
    ASSERT_TRUE(file.open("c:tesk.mem"));
    EXPECT_EQ(file.length, 13);
    file.close();

    // Directories in the name stay after the prefix.
    fs::create_directories("../sub");
    write_file("../sub/x.bin", 3);
    ASSERT_TRUE(file.open("d:sub/x.bin"));
    EXPECT_EQ(file.length, 3);
}

TEST_F(DiskBinfileTest, EmptyEntryTriesTheBareBaseName)
{
    // "a/;;b/" tries a/x, then x, then b/x for a name x not found unchanged ("q:x": on Windows
    // "c:x" unchanged is x in drive C's current folder, which may be this one).
    write_file("b/x", 3);
    DiskBinfile file("a/;;b/");
    ASSERT_TRUE(file.open("q:x"));
    EXPECT_EQ(file.length, 3);
    file.close();

    write_file("x", 2);
    ASSERT_TRUE(file.open("q:x"));
    EXPECT_EQ(file.length, 2);
    file.close();

    write_file("a/x", 1);
    ASSERT_TRUE(file.open("q:x"));
    EXPECT_EQ(file.length, 1);
}

TEST_F(DiskBinfileTest, MissingFileWarnsAndStaysClosed)
{
    write_file("../elsewhere.bin", 4);
    cerr_capture err;
    DiskBinfile empty_path("");
    EXPECT_FALSE(empty_path.open("elsewhere.bin"));
    EXPECT_EQ(empty_path.fd, -1);
    EXPECT_EQ(empty_path.length, 0);

    DiskBinfile file(default_search_path);
    EXPECT_FALSE(file.open("nowhere.bin"));
    EXPECT_EQ(file.fd, -1);
    EXPECT_EQ(err.str(), "WARNING: file not found: elsewhere.bin\n"
                         "WARNING: file not found: nowhere.bin\n");

    // With an empty path the name unchanged still opens.
    EXPECT_TRUE(empty_path.open("../elsewhere.bin"));
}

TEST_F(DiskBinfileTest, OpenRefusesWhileAFileIsOpen)
{
    write_file("first.bin", 6);
    write_file("second.bin", 9);
    DiskBinfile file(default_search_path);
    ASSERT_TRUE(file.open("first.bin"));
    const int fd = file.fd;
    EXPECT_FALSE(file.open("second.bin"));
    EXPECT_FALSE(file.create("third.bin"));
    EXPECT_EQ(file.fd, fd);
    EXPECT_EQ(file.length, 6);
    EXPECT_FALSE(fs::exists("third.bin"));
}

TEST_F(DiskBinfileTest, CreateWriteReadSeek)
{
    const char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    {
        DiskBinfile out(default_search_path);
        ASSERT_TRUE(out.create("made.bin"));
        EXPECT_EQ(out.length, 0);
        EXPECT_EQ(out.write(data, 10), 10);
        EXPECT_EQ(out.length, 10);
        EXPECT_EQ(out.write(data, 0), 0);
        EXPECT_EQ(out.tell(), 10);
        out.close();
        EXPECT_EQ(out.length, 0);
        EXPECT_EQ(out.fd, -1);
    }
#ifndef _WIN32
    // POSIX permission bits; a Windows file has only its read-only attribute.
    EXPECT_EQ(fs::status("made.bin").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif

    DiskBinfile in(default_search_path);
    ASSERT_TRUE(in.open("made.bin"));
    EXPECT_EQ(in.length, 10);
    char byte = 0;
    EXPECT_TRUE(in.seek(4));
    EXPECT_EQ(in.read(&byte, 1), 1);
    EXPECT_EQ(byte, 4);
    EXPECT_TRUE(in.skip(2));
    EXPECT_EQ(in.tell(), 7);
    EXPECT_EQ(in.read(&byte, 1), 1);
    EXPECT_EQ(byte, 7);
    EXPECT_FALSE(in.skip(-100));
    char rest[16];
    EXPECT_EQ(in.read(rest, 16), 2);
    EXPECT_EQ(in.read(rest, 16), 0);
    EXPECT_EQ(in.read(rest, -1), 0);
    in.close();
    EXPECT_EQ(in.tell(), -1);
    EXPECT_EQ(in.read(rest, 4), 0);

    // create truncates an existing file.
    DiskBinfile again(default_search_path);
    ASSERT_TRUE(again.create("made.bin"));
    again.close();
    EXPECT_EQ(file_length("made.bin"), 0);
}

TEST_F(DiskBinfileTest, CloneIsClosedWithTheSamePath)
{
    write_file("open.bin", 8);
    DiskBinfile file("x/;y/");
    ASSERT_TRUE(file.open("open.bin"));
    std::unique_ptr<DiskBinfile> copy(file.clone());
    EXPECT_EQ(copy->search_path, "x/;y/");
    EXPECT_EQ(copy->fd, -1);
    EXPECT_EQ(copy->length, 0);
    DiskBinfile constructed(file);
    EXPECT_EQ(constructed.search_path, "x/;y/");
    EXPECT_EQ(constructed.fd, -1);
    EXPECT_EQ(constructed.length, 0);
    EXPECT_EQ(file.length, 8);
}

TEST_F(DiskBinfileTest, LengthAndExistence)
{
    write_file("here.bin", 21);
    write_file("../up.bin", 2);
    EXPECT_EQ(file_length("here.bin"), 21);
    // file_length uses the name unchanged.
    EXPECT_EQ(file_length("up.bin"), 0);
    EXPECT_EQ(file_length("../up.bin"), 2);
    EXPECT_TRUE(file_exists("here.bin"));
    EXPECT_TRUE(file_exists("up.bin"));
    cerr_capture err;
    EXPECT_FALSE(file_exists("gone.bin"));
    EXPECT_EQ(err.str(), "WARNING: file not found: gone.bin\n");
}

TEST_F(DiskBinfileTest, LoadReadsAWholeFileFromTheParent)
{
    // Large enough that the kernel may hand it over in several pieces.
    const std::vector<char> bytes = write_file("../big.mem", 3 * 1024 * 1024 + 17);
    std::vector<char> buffer(bytes.size());
    DiskBinfile file(default_search_path);
    ASSERT_TRUE(file.load("big.mem", buffer.data(), 0));
    EXPECT_EQ(buffer, bytes);
    EXPECT_EQ(file.fd, -1);
    EXPECT_EQ(file.length, 0);

    cerr_capture err;
    EXPECT_FALSE(file.load("absent.mem", buffer.data(), 0));
    EXPECT_EQ(err.str(), "WARNING: file not found: absent.mem\n");
}

} // namespace
