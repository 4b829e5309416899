// Changes to the data file from two processes at once, through the commands that make them: two
// imports started while a third writer holds the file (its new version written, its rename
// delayed) wait for it, then each builds on the version before it, and every change arrives.
#include "demo/data_update.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "demo/data_layout.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor;
using namespace quor::demo;
using namespace quor::demo::layout;

// quor-mem with `args` in the background, its streams into `base`.out and `base`.err.
pid_t start_quor_mem(const std::string& args, const std::string& base)
{
    const std::string command =
        std::string(QUOR_BIN_DIR) + "/quor-mem " + args + " >" + base + ".out 2>" + base + ".err";
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

int exit_status(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string object_record(float x)
{
    std::string text = "Record object\n{\n";
    const char* names[] = {"position.x", "position.y", "position.z", "yaw",    "pitch",
                           "bank",       "scale.x",    "scale.y",    "scale.z"};
    for (int c = 0; c < 9; ++c)
        text += std::string("  Channel ") + names[c] + " Constant " + (c == 0 ? std::to_string(x) : c < 6 ? "0" : "1") +
                "\n";
    return text + "}\n";
}

std::string level0(const std::string& file, std::size_t slot)
{
    return file.substr(textures.offset + texture_table[slot].level0_offset, 64);
}

// Another program holds the file (its new version written, its rename delayed) while a motion
// import and a texture import start: both wait, then each builds on the version before it.
TEST(ImportRace, TwoImportsBehindADelayedWriterAllArrive)
{
    const quor::test::scratch_data scratch("import-race");
    ASSERT_FALSE(scratch.data.empty());
    std::ofstream(scratch.dir + "/object.txt") << object_record(7);
    std::string red = "P6\n64 64\n255\n";
    for (int i = 0; i < 64 * 64; ++i)
        red += std::string("\xff\0\0", 3);
    std::ofstream(scratch.dir + "/red.ppm", std::ios::binary) << red;
    const std::string before = quor::test::slurp(scratch.data);

    // Close-on-exec: a lock shared with the imports through an inherited descriptor would be theirs too.
    const int held = ::open(scratch.data.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t motion =
        start_quor_mem("motion import " + scratch.dir + "/object.txt --into " + scratch.data, scratch.dir + "/motion");
    const pid_t texture =
        start_quor_mem("texture import 0 " + scratch.dir + "/red.ppm --into " + scratch.data, scratch.dir + "/texture");
    sleep(1);
    int status = 0;
    EXPECT_EQ(waitpid(motion, &status, WNOHANG), 0) << "the motion import waits for the file";
    EXPECT_EQ(waitpid(texture, &status, WNOHANG), 0) << "the texture import waits for the file";
    EXPECT_EQ(quor::test::slurp(scratch.data), before);

    // The holder puts its version in place: slot 3's first blocks changed.
    std::string theirs = before;
    std::memset(theirs.data() + textures.offset + texture_table[3].level0_offset, 0x5a, 64);
    std::ofstream(scratch.data + ".theirs", std::ios::binary) << theirs;
    std::filesystem::rename(scratch.data + ".theirs", scratch.data);
    ::close(held);

    EXPECT_EQ(exit_status(motion), 0) << quor::test::slurp(scratch.dir + "/motion.err");
    EXPECT_EQ(exit_status(texture), 0) << quor::test::slurp(scratch.dir + "/texture.err");
    const std::string after = quor::test::slurp(scratch.data);
    EXPECT_EQ(level0(after, 3), std::string(64, 0x5a)) << "the delayed writer's change";
    EXPECT_NE(level0(after, 0), level0(before, 0)) << "the texture import's change";
    demo::section_records records;
    std::string error;
    ASSERT_TRUE(read_records(scratch.data, records, &error)) << error;
    EXPECT_EQ(records[0][0].value, 7.0f) << "the motion import's change";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.dir), {}), 7) << "nothing left beside them";
}

} // namespace
