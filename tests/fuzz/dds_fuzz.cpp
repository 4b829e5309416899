// Feeds arbitrary bytes to the DDS reader as a file, with a destination as large as the file's
// level data (as the texture loader sizes it), then walks the upload over what was read: every
// level the upload would send must lie inside the bytes the reader filled.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

#include "gl/dds.h"
#include "gl/dxt.h"
#include "gl/memory_arena.h"
#include "gl/texture.h"
#include "gl_recorder.h"
#include "io/binfile.h"

namespace {

// A read-only file over the fuzzer's bytes.
class memory_file : public quor::Binfile {
public:
    memory_file(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) { length = int(size); }
    bool open(const char*) override { return false; }
    bool create(const char*) override { return false; }
    void close() override { length = 0; }
    int read(void* buffer, int size) override
    {
        if (size <= 0 || position_ >= size_)
            return 0;
        const std::size_t n = std::min(std::size_t(size), size_ - position_);
        std::memcpy(buffer, data_ + position_, n);
        position_ += n;
        return int(n);
    }
    int write(const void*, int) override { return 0; }
    bool seek(int) override { return false; }
    bool skip(int) override { return false; }
    int tell() override { return int(position_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "dds_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The reader's messages are expected; keep the fuzzer's output readable.
    std::ostringstream quiet;
    std::streambuf* previous = std::cerr.rdbuf(quiet.rdbuf());

    const std::size_t capacity = size > 128 ? size - 128 : 0;
    std::vector<char> destination(capacity);
    memory_file file(data, size);
    const quor::gl::dds_info info = quor::gl::read_dds(file, "fuzz.dds", destination.data(), capacity);
    if (info.width != 0) {
        const std::size_t filled = std::size_t(file.tell()) - 128;
        check(info.data == destination.data(), "data is not the destination");
        check(info.levels >= 1 && info.height > 0 && std::size_t(info.size) <= filled, "bad totals");
        check(info.dxt == 1 || info.dxt == 3 || info.dxt == 5, "bad format");

        quor::test::gl_recorder recorder;
        quor::gl::texture texture;
        const int block = quor::gl::dxt_block_bytes(info.dxt);
        texture.upload(static_cast<const char*>(info.data), info.width, info.height, info.levels, 0, block, "fuzz.dds");
        const double start = double(reinterpret_cast<std::uintptr_t>(destination.data()));
        for (const quor::test::gl_call& call : recorder.named("glCompressedTexImage2D")) {
            const double offset = call.args[7] - start;
            check(call.args[6] > 0 && offset >= 0 && offset + call.args[6] <= double(filled),
                  "an uploaded level lies outside the bytes read");
        }
    }
    std::cerr.rdbuf(previous);
    return 0;
}
