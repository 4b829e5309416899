// Bounds checks of the packed motion records: every count is weighed against the bytes that
// remain before anything trusts it, so a damaged file is refused instead of over-read.
#include "anim/record.h"

#include <cstring>
#include <utility>

namespace quor::record {
namespace {

std::size_t bytes_left(const char* pos, const char* end) { return pos < end ? static_cast<std::size_t>(end - pos) : 0; }

const char* refuse(read_error* err, const char* at, std::string reason)
{
    if (err) {
        err->at = at;
        err->reason = std::move(reason);
    }
    return nullptr;
}

const char* with_context(read_error* err, const std::string& context)
{
    if (err)
        err->reason = context + err->reason;
    return nullptr;
}

} // namespace

std::uint32_t load_u32(const char* pos)
{
    std::uint32_t v;
    std::memcpy(&v, pos, sizeof v);
    return v;
}

float load_f32(const char* pos)
{
    float v;
    std::memcpy(&v, pos, sizeof v);
    return v;
}

const char* skip_envelope(const char* pos, const char* end, read_error* err)
{
    if (bytes_left(pos, end) < word_bytes)
        return refuse(err, pos, "envelope key count cut off with " + std::to_string(bytes_left(pos, end)) + " bytes left");
    const std::uint64_t n = load_u32(pos);
    const std::size_t left = bytes_left(pos + word_bytes, end);
    const std::uint64_t needed = n * key_bytes + envelope_trailer_bytes;
    if (needed > left)
        return refuse(err, pos, "envelope key count " + std::to_string(n) + " needs " + std::to_string(needed) +
                                    " bytes, " + std::to_string(left) + " are left");
    return pos + word_bytes + needed;
}

const char* skip_mixer(const char* pos, const char* end, read_error* err)
{
    if (bytes_left(pos, end) < word_bytes)
        return refuse(err, pos, "mixer entry count cut off with " + std::to_string(bytes_left(pos, end)) + " bytes left");
    const std::uint64_t m = load_u32(pos);
    const std::size_t left = bytes_left(pos + word_bytes, end);
    if (m * min_mixer_entry_bytes > left)
        return refuse(err, pos, "mixer entry count " + std::to_string(m) + " needs at least " +
                                    std::to_string(m * min_mixer_entry_bytes) + " bytes, " + std::to_string(left) +
                                    " are left");
    pos += word_bytes;
    for (std::uint64_t i = 0; i < m; ++i) {
        if (bytes_left(pos, end) < mixer_entry_skip_bytes)
            return refuse(err, pos, "mixer entry " + std::to_string(i) + " cut off");
        pos = skip_envelope(pos + mixer_entry_skip_bytes, end, err);
        if (!pos)
            return with_context(err, "mixer entry " + std::to_string(i) + " ");
    }
    return pos;
}

const char* skip_channel(const char* pos, const char* end, read_error* err)
{
    if (bytes_left(pos, end) < word_bytes)
        return refuse(err, pos, "channel tag cut off with " + std::to_string(bytes_left(pos, end)) + " bytes left");
    const std::uint32_t tag = load_u32(pos);
    pos += word_bytes;
    switch (tag) {
    case constant_tag:
        if (bytes_left(pos, end) < word_bytes)
            return refuse(err, pos, "constant value cut off");
        return pos + word_bytes;
    case envelope_tag:
        return skip_envelope(pos, end, err);
    case mixer_tag:
        return skip_mixer(pos, end, err);
    default:
        return pos;
    }
}

} // namespace quor::record
