// The data file's check over a block of the real size, as the load hands it over. The first
// byte says where the rest of the input lands in an otherwise zero file (zero records are valid;
// one byte in each region keeps the check from refusing it as never written); every byte past
// the file's end is poisoned, so a read beyond it is caught.
#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "demo/data_check.h"
#include "demo/data_layout.h"

namespace {

using namespace quor::demo::layout;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "data_check_fuzz: %s\n", what);
        std::abort();
    }
}

// Allocated once: calloc leaves the untouched pages unbacked, so only what the inputs reach
// costs memory.
char* zero_block()
{
    static char* block = static_cast<char*>(std::calloc(block_size, 1));
    return block;
}

struct placement {
    std::size_t at;   // where the input lands
    std::size_t size; // the file's size
};

// A vertex byte, the last index 1 and a texture byte: no region holds nothing but zeros.
void mark_regions(char* block)
{
    block[quad_vertices.offset] = 1;
    block[indices.end() - index_bytes] = 1;
    block[textures.offset] = 1;
}

placement place(std::uint8_t mode, std::size_t n)
{
    switch (mode % 3) {
    case 0: // the scene section: the file ends where the input ends
        return {scene_section.offset, scene_section.offset + n};
    case 1: // the index lists, in a file with every region and three zero records
        return {indices.offset, std::max(indices.offset + n, min_file_size + 3 * object_record_limit)};
    default: // the index lists, the file ending where the input ends (mostly too short)
        return {indices.offset, indices.offset + n};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    char* block = zero_block();
    mark_regions(block);
    const placement p = place(data[0], size - 1);
    const std::size_t copied = std::min(size - 1, block_size - p.at);
    std::memcpy(block + p.at, data + 1, copied);
    const std::size_t readable = std::min(p.size, block_size);
    ASAN_POISON_MEMORY_REGION(block + readable, block_size - readable);

    const quor::demo::data_check_result r = quor::demo::check_data(block, p.size, "fuzz.mem");
    check(r.file_size == p.size, "wrong file size");
    check(r.ok == r.message.empty(), "a verdict without its message, or a message with success");
    check(r.ok || r.message.rfind("fuzz.mem: ", 0) == 0, "the message does not name the file");
    if (r.ok) {
        check(p.size >= min_file_size && p.size <= max_file_size, "a file of the wrong size passed");
        check(r.record_bytes[0] <= object_record_limit && r.record_bytes[1] <= object_record_limit,
              "an object record runs into the next");
    }

    ASAN_UNPOISON_MEMORY_REGION(block + readable, block_size - readable);
    std::memset(block + p.at, 0, copied);
    return 0;
}
