// Other programs through the platform: what we write reaches the program, its errors and its end
// come back, a program not on the PATH is told apart from one that fails, and the current folder
// changes only to a folder that exists.
#include "platform/process.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/file.h"

namespace {

using namespace quor::platform;

TEST(Process, AStartedProgramReadsOurPipeAndItsErrorsAndEndComeBack)
{
    ignore_broken_pipes();
    child_program child;
    std::string why;
    ASSERT_EQ(start_program({"sh", "-c", "n=$(wc -c); echo \"read $n\" >&2; exit 3"}, child, &why),
              start_result::started)
        << why;
    const std::string bytes(100000, 'x');
    EXPECT_EQ(write_full(child.input, bytes.data(), bytes.size()), bytes.size());
    const program_end end = finish_program(child);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 3);
    EXPECT_EQ(child.id, -1);
    EXPECT_EQ(program_log(child, 4096), "read 100000\n");
    close_log(child);

    child_program killed;
    ASSERT_EQ(start_program({"sh", "-c", "kill -TERM $$"}, killed, &why), start_result::started) << why;
    const program_end signalled = finish_program(killed);
    EXPECT_FALSE(signalled.exited);
    EXPECT_EQ(signalled.signal, 15);
    close_log(killed);

    child_program missing;
    EXPECT_FALSE(program_on_path("quor-no-such-program"));
    EXPECT_TRUE(program_on_path("sh"));
    EXPECT_EQ(start_program({"quor-no-such-program"}, missing, &why), start_result::not_found);
    EXPECT_EQ(missing.id, -1);
}

TEST(Process, TheCurrentFolderChangesOnlyToAFolderThatExists)
{
    const std::string before = current_folder();
    ASSERT_FALSE(before.empty());
    const std::string there = std::filesystem::temp_directory_path().string();
    std::string why;
    EXPECT_FALSE(change_folder(there + "/quor-no-such-folder", &why));
    EXPECT_EQ(why, "No such file or directory");
    EXPECT_EQ(current_folder(), before);
    ASSERT_TRUE(change_folder(there, &why)) << why;
    EXPECT_EQ(std::filesystem::path(current_folder()), std::filesystem::canonical(there));
    ASSERT_TRUE(change_folder(before, &why));
}

} // namespace
