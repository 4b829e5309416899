#include "record_shim.h"

#include "anim/channel.h"
#include "anim/envelope_mixer.h"

namespace quor::record {
namespace {
const char* read_keys(const char* pos, const char* end, std::vector<Key>& keys, read_error* err)
{
    const char* past = skip_envelope(pos, end, err);
    if (!past)
        return nullptr;
    const std::uint32_t n = load_u32(pos);
    keys.clear();
    for (std::uint32_t i = 0; i < n; ++i) {
        const char* k = pos + 4 + i * key_bytes;
        Key key;
        key.value = load_f32(k);
        key.time = load_f32(k + 4);
        key.shape = static_cast<Shape>(load_u32(k + 8));
        key.tension = load_f32(k + 12);
        key.continuity = load_f32(k + 16);
        key.bias = load_f32(k + 20);
        keys.push_back(key);
    }
    return past;
}
} // namespace

const char* read_transformation(const char* pos, const char* end, transformation& out, read_error* err)
{
    for (channel& c : out) {
        c = channel{};
        if (!skip_channel(pos, end, err))
            return nullptr;
        c.tag = load_u32(pos);
        pos += 4;
        if (c.tag == constant_tag) {
            c.value = load_f32(pos);
            pos += 4;
        } else if (c.tag == envelope_tag) {
            pos = read_keys(pos, end, c.keys, err);
        } else if (c.tag == mixer_tag) {
            const std::uint32_t m = load_u32(pos);
            pos += 4;
            for (std::uint32_t i = 0; i < m; ++i) {
                c.entries.emplace_back();
                pos = read_keys(pos + 4, end, c.entries.back(), err);
            }
        }
    }
    return pos;
}

void write_channel(std::vector<char>& out, const channel& c)
{
    if (c.tag == constant_tag)
        write_constant_channel(out, c.value);
    else if (c.tag == envelope_tag)
        write_envelope_channel(out, c.keys);
    else if (c.tag == mixer_tag)
        write_mixer_channel(out, c.entries);
    else
        write_u32(out, c.tag);
}

void write_transformation(std::vector<char>& out, const transformation& rec)
{
    for (const channel& c : rec)
        write_channel(out, c);
}

void apply(const channel& rec, Channel& c)
{
    std::vector<char> bytes;
    write_channel(bytes, rec);
    read_channel(bytes.data(), bytes.data() + bytes.size(), c);
}
} // namespace quor::record
