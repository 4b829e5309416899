// Writers of the packed motion records, byte for byte what the readers expect.
#include "anim/record_writer.h"

#include <cstring>

namespace quor::record {

void write_u32(std::vector<char>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void write_f32(std::vector<char>& out, float v)
{
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    write_u32(out, bits);
}

void write_envelope(std::vector<char>& out, const std::vector<Key>& keys)
{
    write_u32(out, static_cast<std::uint32_t>(keys.size()));
    for (const Key& k : keys) {
        write_f32(out, k.value);
        write_f32(out, k.time);
        write_u32(out, static_cast<std::uint32_t>(k.shape));
        write_f32(out, k.tension);
        write_f32(out, k.continuity);
        write_f32(out, k.bias);
    }
    out.insert(out.end(), envelope_trailer_bytes, 0);
}

void write_constant_channel(std::vector<char>& out, float value)
{
    write_u32(out, constant_tag);
    write_f32(out, value);
}

void write_envelope_channel(std::vector<char>& out, const std::vector<Key>& keys)
{
    write_u32(out, envelope_tag);
    write_envelope(out, keys);
}

void write_mixer_channel(std::vector<char>& out, const std::vector<std::vector<Key>>& entries)
{
    write_u32(out, mixer_tag);
    write_u32(out, static_cast<std::uint32_t>(entries.size()));
    for (const std::vector<Key>& keys : entries) {
        out.insert(out.end(), mixer_entry_skip_bytes, 0);
        write_envelope(out, keys);
    }
}

} // namespace quor::record
