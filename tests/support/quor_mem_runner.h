// Runs this build's quor-mem as a user would and collects its status and output, over a data
// file it built once for the test run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quor::test {

struct tool_result {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Whether an address-space limit (ulimit -v) can be put on this build's programs: the address
// sanitizer reserves terabytes of shadow memory up front, which no such limit allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool address_limits_apply = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool address_limits_apply = false;
#else
inline constexpr bool address_limits_apply = true;
#endif
#else
inline constexpr bool address_limits_apply = true;
#endif

// `args` are appended to the program's path as they are (quote what needs quoting). With
// `address_space_kib`, the program may map no more than that (where address_limits_apply).
inline tool_result run_quor_mem(const std::string& args, long address_space_kib = 0)
{
    const std::string base = ::testing::TempDir() + "quor-mem-run-" + std::to_string(getpid());
    const std::string limit = address_space_kib > 0 && address_limits_apply
                                  ? "ulimit -v " + std::to_string(address_space_kib) + " && exec "
                                  : "";
    const std::string command =
        limit + std::string(QUOR_BIN_DIR) + "/quor-mem " + args + " >" + base + ".out 2>" + base + ".err";
    tool_result r;
    const int raw = std::system(command.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(base + ".out");
    r.err = slurp(base + ".err");
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return r;
}

// A data file built by quor-mem for this build tree, made again when quor-mem is newer; tests
// copy it before they change it.
inline std::string built_data_file()
{
    const std::string dir = std::string(QUOR_BIN_DIR) + "/../tool-test-data";
    const std::string data = dir + "/tesk.mem";
    std::filesystem::create_directories(dir);
    // Test processes run side by side: one builds, the others wait for it.
    const int lock = open((dir + "/.lock").c_str(), O_CREAT | O_RDWR, 0644);
    flock(lock, LOCK_EX);
    std::error_code ec;
    if (!std::filesystem::exists(data) || std::filesystem::last_write_time(std::string(QUOR_BIN_DIR) + "/quor-mem", ec) >
                                              std::filesystem::last_write_time(data, ec)) {
        if (run_quor_mem("build --out " + dir).status != 0) {
            close(lock);
            return {};
        }
    }
    close(lock);
    return data;
}

// A scratch folder, removed with the object, holding a copy of the built data file as tesk.mem
// unless `with_data` is false.
struct scratch_data {
    std::string dir;
    std::string data; // empty when the data file could not be built or was not asked for

    explicit scratch_data(const std::string& name, bool with_data = true)
        : dir(::testing::TempDir() + name + "-" + std::to_string(getpid()))
    {
        std::filesystem::create_directories(dir);
        const std::string built = with_data ? built_data_file() : std::string();
        if (!built.empty()) {
            data = dir + "/tesk.mem";
            std::filesystem::copy_file(built, data, std::filesystem::copy_options::overwrite_existing);
        }
    }
    ~scratch_data() { std::filesystem::remove_all(dir); }
    scratch_data(const scratch_data&) = delete;
    scratch_data& operator=(const scratch_data&) = delete;
};

} // namespace quor::test
