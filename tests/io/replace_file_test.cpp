// Safe replacement: a refused, failed or interrupted write leaves the old file byte for byte and
// no new file behind; an accepted one replaces it whole, or with one region changed; two writers
// change a file in turn; links, read-only files and owners are respected.
#include "io/replace_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <chrono>
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

    static std::string read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string contents() const { return read(path_); }
    // Files in the folder: a replacement leaves nothing of its own beside the file.
    std::ptrdiff_t entries() const { return std::distance(fs::directory_iterator(dir_), {}); }
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
    EXPECT_EQ(entries(), 1);
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
    EXPECT_EQ(entries(), 1);

    const std::string nowhere = (dir_ / "missing" / "data.mem").string();
    EXPECT_FALSE(replace_file(nowhere, std::string("x"), {}, &error_));
    EXPECT_EQ(error_.rfind("cannot write a new file beside " + nowhere + ": ", 0), 0u) << error_;

    // A folder in the way: refused before anything is written, the folder stays.
    fs::create_directories(dir_ / "taken" / "inside");
    EXPECT_FALSE(replace_file((dir_ / "taken").string(), std::string("x"), {}, &error_));
    EXPECT_EQ(error_, "cannot replace " + (dir_ / "taken").string() + ": not a regular file");
    EXPECT_TRUE(fs::is_directory(dir_ / "taken" / "inside"));
    EXPECT_EQ(entries(), 2);
}

#ifndef _WIN32
// A file at a name an earlier version used for its temporary is not ours: it is neither written
// through nor removed. An interruption leaves the old file and nothing beside it.
TEST_F(ReplaceFileTest, StrayFilesAndInterruptions)
{
    ASSERT_TRUE(replace("old"));
    const fs::path victim = dir_ / "elsewhere";
    std::ofstream(victim) << "not ours";
    fs::create_symlink(victim, path_ + ".tmp");
    ASSERT_TRUE(replace("new")) << error_;
    EXPECT_EQ(contents(), "new");
    EXPECT_EQ(read(victim), "not ours");
    EXPECT_TRUE(fs::is_symlink(path_ + ".tmp"));
    fs::remove(path_ + ".tmp");
    fs::remove(victim);

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
        EXPECT_EQ(entries(), 1);
    }
}
#endif

// A writer killed outright where new files need a name leaves one beside the file: the next
// replacement, holding the lock, removes it, and nothing else that only looks alike.
TEST_F(ReplaceFileTest, WhatAKilledWriterLeftGoesWithTheNextReplacement)
{
    ASSERT_TRUE(replace("old"));
    const std::vector<std::string> leftovers{path_ + ".ab12cd.tmp", path_ + ".000000.tmp"};
    std::vector<std::string> others{path_ + ".ab12c.tmp", path_ + ".ab12cd.tmpx",
                                    (dir_ / "other.mem.ab12cd.tmp").string(), path_ + "x.ab12cd.tmp"};
#ifndef _WIN32
    // Windows' names ignore case: there this is the first leftover itself.
    others.push_back(path_ + ".AB12CD.tmp");
#endif
    for (const auto& names : {leftovers, others})
        for (const std::string& name : names)
            std::ofstream(name) << "half a data file";
    fs::create_directory(path_ + ".zz99zz.tmp");
#ifndef _WIN32
    fs::create_symlink(dir_ / "other.mem.ab12cd.tmp", path_ + ".yy88yy.tmp");
#endif
    // Older than any writer still on its way to its rename. Files only: Windows refuses a
    // folder's time, and the folder stays whatever its age.
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
        if (!entry.is_symlink() && entry.is_regular_file())
            fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::minutes(2));

    ASSERT_TRUE(replace("new")) << error_;
    EXPECT_EQ(contents(), "new");
    for (const std::string& name : leftovers)
        EXPECT_FALSE(fs::exists(name)) << name;
    for (const std::string& name : others)
        EXPECT_EQ(read(name), "half a data file") << name;
    EXPECT_TRUE(fs::is_directory(path_ + ".zz99zz.tmp"));
#ifndef _WIN32
    EXPECT_TRUE(fs::is_symlink(path_ + ".yy88yy.tmp"));
#endif
}

// The stamp a replacement reports is the version in place, with the time it was written; only
// that version is written over.
TEST_F(ReplaceFileTest, TheStampReportedIsTheVersionInPlace)
{
    platform::file_stamp placed, now;
    replace_options stamped;
    stamped.placed = &placed;
    ASSERT_TRUE(replace_file(path_, std::string("mine"), {}, &error_, stamped)) << error_;
    ASSERT_TRUE(platform::stamp_of(path_.c_str(), now));
    EXPECT_EQ(placed, now);
    EXPECT_EQ(placed.size, 4);
    const long long since_1970 =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    EXPECT_NEAR(static_cast<double>(placed.modified_ns / 1000000000), static_cast<double>(since_1970), 600.0)
        << "nanoseconds since 1970";
    ASSERT_TRUE(replace_file(path_, std::string("mine, twice"), {}, &error_, stamped)) << error_;
    EXPECT_NE(placed, now) << "a new version, a new stamp";

    replace_options unchanged;
    unchanged.unchanged_since = placed;
    ASSERT_TRUE(replace_file(path_, std::string("mine again"), {}, &error_, unchanged)) << error_;
    EXPECT_FALSE(replace_file(path_, std::string("over theirs"), {}, &error_, unchanged));
    EXPECT_EQ(error_, "cannot change " + path_ + ": another program changed it since it was read");
    EXPECT_EQ(contents(), "mine again");
}

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
    EXPECT_EQ(entries(), 1);

    EXPECT_FALSE(replace_region(path_, 11, 0, std::string("x"), {}, &error_));
    EXPECT_EQ(error_, "cannot replace bytes at 11 of " + path_ + ": it holds 10");
    EXPECT_FALSE(replace_region((dir_ / "absent").string(), 0, 0, std::string("x"), {}, &error_));
    EXPECT_EQ(error_.rfind("cannot read ", 0), 0u) << error_;
    EXPECT_EQ(contents(), "01abtail!+");
}

// Child processes, links, owners: POSIX only.
#ifndef _WIN32
// A writer in a child process that holds the file with its new version written and checked,
// delaying its rename as a loaded machine would, until the parent has started its own change.
// The check tells the parent (through `ready`) that the child holds the file.
pid_t delayed_writer(const std::string& path, std::size_t offset, const std::string& bytes, int ready,
                     int delay_ms)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    const bool ok = replace_region(path, offset, bytes.size(), bytes, [&](std::span<const char>) {
        const char byte = 1;
        static_cast<void>(write(ready, &byte, 1));
        usleep(static_cast<useconds_t>(delay_ms) * 1000);
        return std::string();
    }, nullptr);
    _exit(ok ? 0 : 1);
}

int exit_status(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Two writers at once: the second waits for the first and builds on its version, so both changes
// arrive; one that may not wait is told so and changes nothing; a version changed since it was
// read is not written over.
TEST_F(ReplaceFileTest, WritersChangeTheFileInTurn)
{
    ASSERT_TRUE(replace("0123456789"));
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    char byte = 0;

    pid_t first = delayed_writer(path_, 0, "AB", ready[1], 300);
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    std::string current;
    ASSERT_TRUE(change_region(path_, [&](std::span<const char> bytes, region_change& change) {
        current.assign(bytes.begin(), bytes.end());
        change = {8, 2, {'y', 'z'}};
        return std::string();
    }, {}, &error_)) << error_;
    EXPECT_EQ(current, "AB23456789") << "the second writer works on the first one's version";
    EXPECT_EQ(exit_status(first), 0);
    EXPECT_EQ(contents(), "AB234567yz");

    first = delayed_writer(path_, 2, "CD", ready[1], 300);
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    replace_options at_once;
    at_once.lock_wait_ms = 0;
    EXPECT_FALSE(replace_region(path_, 4, 1, std::string("!"), {}, &error_, at_once));
    EXPECT_EQ(error_, "cannot change " + path_ + ": another program is changing it; try again when it is done");
    EXPECT_EQ(exit_status(first), 0);
    EXPECT_EQ(contents(), "ABCD4567yz");
    EXPECT_EQ(entries(), 1);
    close(ready[0]);
    close(ready[1]);

}

// A link is followed to the file it names, which is replaced while the link stays; a file with
// other names, or one that is read-only, is refused; the owner and group stay.
TEST_F(ReplaceFileTest, LinksReadOnlyFilesAndOwners)
{
    const fs::path shared = dir_ / "shared";
    fs::create_directories(shared);
    const fs::path target = shared / "data.mem";
    std::ofstream(target) << "old";
    fs::create_symlink(target, path_);
    ASSERT_TRUE(replace("through the link")) << error_;
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(read(target), "through the link");
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), {}), 1);
    fs::remove(path_);

    std::ofstream(path_) << "old";
    fs::create_hard_link(path_, dir_ / "other name");
    EXPECT_FALSE(replace("new"));
    EXPECT_EQ(error_, "cannot change " + path_ +
                          ": it has 2 names (hard links), and a replacement would leave the others with the old contents");
    EXPECT_EQ(read(dir_ / "other name"), "old");
    fs::remove(dir_ / "other name");

    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(replace("new"));
    EXPECT_EQ(error_, "cannot change " + path_ + ": it is read-only");
    EXPECT_EQ(contents(), "old");
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);

    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs the superuser";
    const uid_t nobody = 65534;
    ASSERT_EQ(chown(path_.c_str(), nobody, nobody), 0);
    ASSERT_TRUE(replace("kept")) << error_;
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, nobody);
    EXPECT_EQ(st.st_gid, nobody);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // Another user who may write the file and its folder, but cannot give a new file away.
    ASSERT_EQ(chown(path_.c_str(), 0, 0), 0);
    fs::permissions(path_, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    fs::permissions(dir_, fs::perms::all);
    const pid_t child = fork();
    if (child == 0) {
        std::string why;
        const bool replaced = setgid(nobody) == 0 && setuid(nobody) == 0 && replace_file(path_, std::string("theirs"), {}, &why);
        _exit(!replaced && why == "cannot change " + path_ + ": it belongs to another user, and a new file cannot be "
                                  "given to them" ? 0 : 1);
    }
    EXPECT_EQ(exit_status(child), 0);
    EXPECT_EQ(contents(), "kept");
    EXPECT_EQ(entries(), 2) << "the file and the shared folder";
}

#endif

} // namespace
