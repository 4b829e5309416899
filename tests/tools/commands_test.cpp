// The import and export commands as users run them, side by side and by mistake: two imports
// started together while a third writer holds the data file both arrive, after it, with every
// change kept; an output that names the data file is refused; an input that lists nothing, a
// folder or a hostile token gets one short line.
#include "commands.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include "data_update.h"
#include "demo/data_layout.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor;
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
    std::vector<unsigned char> red(64 * 64 * 3);
    for (std::size_t i = 0; i < red.size(); i += 3)
        red[i] = 255;
    ASSERT_TRUE(stbi_write_png((scratch.dir + "/red.png").c_str(), 64, 64, 3, red.data(), 64 * 3));
    const std::string before = quor::test::slurp(scratch.data);

    // Close-on-exec: a lock shared with the imports through an inherited descriptor would be theirs too.
    const int held = ::open(scratch.data.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t motion =
        start_quor_mem("motion import " + scratch.dir + "/object.txt --into " + scratch.data, scratch.dir + "/motion");
    const pid_t texture =
        start_quor_mem("texture import 0 " + scratch.dir + "/red.png --into " + scratch.data, scratch.dir + "/texture");
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
    ASSERT_TRUE(tools::read_records(scratch.data, records, &error)) << error;
    EXPECT_EQ(records[0][0].value, 7.0f) << "the motion import's change";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.dir), {}), 7) << "nothing left beside them";
}

// motion export -o, texture export -o and music --out naming the data file would put a text, a
// picture or a recording in its place: refused, the file as it was.
TEST(CommandOutputs, OutputsNamingADataFileAreRefused)
{
    const quor::test::scratch_data scratch("data-outputs");
    ASSERT_FALSE(scratch.data.empty());
    std::ofstream(scratch.dir + "/silence.wav", std::ios::binary)
        << std::string("RIFF\x2c\x00\x01\x00WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0data"
                       "\x08\x00\x01\x00", 44)
        << std::string(65544, '\0');
    const std::string before = quor::test::slurp(scratch.data);
    const std::string line = scratch.data + " is a data file: the output would replace it (name another file)\n";
    const std::array<std::pair<std::string, std::string>, 3> commands{{
        {"motion export " + scratch.data + " -o " + scratch.data, "motion export"},
        {"texture export 1 " + scratch.data + " -o " + scratch.data, "texture export"},
        {"music " + scratch.dir + "/silence.wav --out " + scratch.data, "music"},
    }};
    for (const auto& [args, what] : commands) {
        const auto r = quor::test::run_quor_mem(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(r.err, "quor-mem: " + what + ": " + line);
    }
    EXPECT_EQ(quor::test::slurp(scratch.data), before);
}

// An input that lists nothing or is no file, and tokens and numbers no message should echo whole:
// one short line each, and the data file as it was.
TEST(CommandMessages, OneShortLineForEmptyInputsHostileTokensAndTimes)
{
    const quor::test::scratch_data scratch("messages");
    ASSERT_FALSE(scratch.data.empty());
    const std::string before = quor::test::slurp(scratch.data);
    std::ofstream(scratch.dir + "/empty.txt") << "";
    std::ofstream(scratch.dir + "/returns.txt") << "\r\r\r";
    for (const char* text : {"empty.txt", "returns.txt"}) {
        const auto r = quor::test::run_quor_mem("motion import " + scratch.dir + "/" + text + " --into " + scratch.data);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "quor-mem: motion import: " + scratch.dir + "/" + text +
                             ": lists no records (Record object, quad or camera)\n");
    }
    auto r = quor::test::run_quor_mem("motion import " + scratch.dir + " --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: motion import: " + scratch.dir + ": cannot be opened: not a regular file\n");

    // A 100 000-byte word with a terminal escape sequence where a record name belongs.
    std::ofstream(scratch.dir + "/hostile.txt") << "Record \x1b]0;owned\x07" + std::string(100000, 'x') + "\n";
    r = quor::test::run_quor_mem("motion import " + scratch.dir + "/hostile.txt --into " + scratch.data);
    EXPECT_EQ(r.status, 1);
    EXPECT_LT(r.err.size(), 300u) << r.err.substr(0, 300);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    EXPECT_NE(r.err.find("unknown record '\\x1b]0;owned\\x07xxx"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);

    for (const char* at : {"nan", "1e400", "-1e308", "inf"}) {
        r = quor::test::run_quor_mem("motion lws x.lws --camera C --as object --at " + std::string(at) + " --into " +
                                     scratch.data);
        EXPECT_EQ(r.status, 2) << at;
        EXPECT_EQ(r.err, "quor-mem: --at: '" + std::string(at) +
                             "' is not a number of seconds from 0 to 3600 (see quor-mem motion lws --help)\n");
    }
    EXPECT_EQ(quor::test::slurp(scratch.data), before);
}

} // namespace
