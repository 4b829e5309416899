// Safe replacement: a refused, failed or interrupted write leaves the old file byte for byte and
// no temporary behind; an accepted one replaces it whole, or with one region changed.
#include "io/replace_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quor;

namespace {

class ReplaceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        dir_ = fs::temp_directory_path() / ("quor_replace_" + std::to_string(random()));
        fs::create_directories(dir_);
        path_ = (dir_ / "data.mem").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string contents() const
    {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool replace(const std::string& bytes, const file_check& check = {})
    {
        return replace_file(path_, bytes, check, &error_);
    }

    fs::path dir_;
    std::string path_;
    std::string error_;
};

TEST_F(ReplaceFileTest, WritesNewFilesAndReplacesOldOnes)
{
    ASSERT_TRUE(replace("first")) << error_;
    EXPECT_EQ(contents(), "first");
    std::string seen;
    ASSERT_TRUE(replace("second, longer", [&](std::span<const char> b) {
        seen.assign(b.begin(), b.end());
        return std::string();
    })) << error_;
    // The check sees the bytes as they came back from the disk.
    EXPECT_EQ(seen, "second, longer");
    EXPECT_EQ(contents(), "second, longer");
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    ASSERT_TRUE(replace_region(path_, 0, 1, std::string("S"), {}, &error_)) << error_;
    EXPECT_EQ(contents(), "Second, longer");
}

// POSIX permission bits, symbolic links and signals: Windows files have none of them.
#ifndef _WIN32
TEST_F(ReplaceFileTest, PermissionsAreKept)
{
    ASSERT_TRUE(replace("second")) << error_;
    // The replacement keeps the old file's permissions, whatever the umask would give a new one.
    const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path_, kept);
    ASSERT_TRUE(replace("third")) << error_;
    EXPECT_EQ(fs::status(path_).permissions(), kept);
    ASSERT_TRUE(replace_region(path_, 0, 1, std::string("T"), {}, &error_)) << error_;
    EXPECT_EQ(contents(), "Third");
    EXPECT_EQ(fs::status(path_).permissions(), kept);
}
#endif

TEST_F(ReplaceFileTest, RefusalsAndFailuresLeaveTheOldFile)
{
    ASSERT_TRUE(replace(std::string("old\0bytes", 9)));
    EXPECT_FALSE(replace("new", [](std::span<const char>) { return std::string("data.mem: index 3 is 9000"); }));
    EXPECT_EQ(error_, "data.mem: index 3 is 9000");
    EXPECT_EQ(contents(), std::string("old\0bytes", 9));
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));

    const std::string nowhere = (dir_ / "missing" / "data.mem").string();
    EXPECT_FALSE(replace_file(nowhere, std::string("x"), {}, &error_));
    EXPECT_EQ(error_.rfind("cannot write " + nowhere + ".tmp: ", 0), 0u) << error_;

    // A directory in the way of the rename: the temporary goes, the directory stays.
    fs::create_directories(dir_ / "taken" / "inside");
    EXPECT_FALSE(replace_file((dir_ / "taken").string(), std::string("x"), {}, &error_));
    EXPECT_EQ(error_.rfind("cannot rename ", 0), 0u) << error_;
    EXPECT_TRUE(fs::is_directory(dir_ / "taken" / "inside"));
    EXPECT_FALSE(fs::exists(dir_ / "taken.tmp"));
}

#ifndef _WIN32
// What an interrupted run leaves is replaced, never written through; an interruption itself
// leaves the old file and takes the temporary with it.
TEST_F(ReplaceFileTest, StaleTemporariesAndInterruptions)
{
    ASSERT_TRUE(replace("old"));
    const fs::path victim = dir_ / "elsewhere";
    std::ofstream(victim) << "not ours";
    fs::create_symlink(victim, path_ + ".tmp");
    ASSERT_TRUE(replace("new")) << error_;
    EXPECT_EQ(contents(), "new");
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "not ours");
    EXPECT_FALSE(fs::exists(fs::symlink_status(path_ + ".tmp")));

    for (int signal : {SIGINT, SIGTERM}) {
        const pid_t child = fork();
        if (child == 0) {
            // The check runs while the temporary is complete on disk: the latest moment to stop.
            replace("interrupted", [signal](std::span<const char>) {
                raise(signal);
                return std::string();
            });
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_EQ(contents(), "new");
        EXPECT_FALSE(fs::exists(path_ + ".tmp"));
    }
}
#endif

TEST_F(ReplaceFileTest, RegionsGrowShrinkOrRunToTheEnd)
{
    ASSERT_TRUE(replace("0123456789"));
    ASSERT_TRUE(replace_region(path_, 2, 3, std::string("ab"), {}, &error_)) << error_;
    EXPECT_EQ(contents(), "01ab56789");
    ASSERT_TRUE(replace_region(path_, 4, to_end, std::string("tail!"), {}, &error_)) << error_;
    EXPECT_EQ(contents(), "01abtail!");
    ASSERT_TRUE(replace_region(path_, 9, 0, std::string("+"), {}, &error_)) << error_;
    EXPECT_EQ(contents(), "01abtail!+");

    // The check sees the whole new file as it came back from the disk, and can still refuse it.
    std::string seen;
    EXPECT_FALSE(replace_region(path_, 0, 2, std::string("XY"), [&](std::span<const char> b) {
        seen.assign(b.begin(), b.end());
        return std::string("refused");
    }, &error_));
    EXPECT_EQ(seen, "XYabtail!+");
    EXPECT_EQ(contents(), "01abtail!+");
    EXPECT_FALSE(fs::exists(path_ + ".tmp"));

    EXPECT_FALSE(replace_region(path_, 11, 0, std::string("x"), {}, &error_));
    EXPECT_EQ(error_, "cannot replace bytes at 11 of " + path_ + ": it holds 10");
    EXPECT_FALSE(replace_region((dir_ / "absent").string(), 0, 0, std::string("x"), {}, &error_));
    EXPECT_EQ(error_.rfind("cannot read ", 0), 0u) << error_;
    EXPECT_EQ(contents(), "01abtail!+");
}

} // namespace
