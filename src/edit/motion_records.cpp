// Plain channel records with their source bytes: read with the format's own bounded reader,
// written back through its writers once edited, applied to fresh channels as the load does.
#include "edit/motion_records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace quor::edit {
namespace {

// Bit for bit, so a NaN read from a file equals itself. (memcmp rather than std::bit_cast, which not
// every standard library has.)
bool same_bits(float a, float b)
{
    static_assert(sizeof(float) == sizeof(std::uint32_t));
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool same_key(const Key& a, const Key& b)
{
    return same_bits(a.value, b.value) && same_bits(a.time, b.time) && a.shape == b.shape &&
           same_bits(a.tension, b.tension) && same_bits(a.continuity, b.continuity) && same_bits(a.bias, b.bias);
}

bool same_keys(const std::vector<Key>& a, const std::vector<Key>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same_key);
}

} // namespace

const char* kind_name(channel_kind kind)
{
    switch (kind) {
    case channel_kind::constant:
        return "constant";
    case channel_kind::envelope:
        return "envelope";
    case channel_kind::mixer:
        return "mixer";
    default:
        return "other";
    }
}

channel_kind channel_record::kind() const
{
    switch (tag) {
    case record::constant_tag:
        return channel_kind::constant;
    case record::envelope_tag:
        return channel_kind::envelope;
    case record::mixer_tag:
        return channel_kind::mixer;
    default:
        return channel_kind::other;
    }
}

bool same_channel(const channel_record& a, const channel_record& b)
{
    if (a.tag != b.tag)
        return false;
    switch (a.kind()) {
    case channel_kind::constant:
        return same_bits(a.value, b.value);
    case channel_kind::envelope:
        return same_keys(a.keys, b.keys);
    case channel_kind::mixer:
        return std::equal(a.entries.begin(), a.entries.end(), b.entries.begin(), b.entries.end(), same_keys);
    default:
        return true;
    }
}

void append_channel(std::vector<char>& out, const channel_record& c)
{
    if (c.source.empty())
        record::write_channel(out, c);
    else
        out.insert(out.end(), c.source.begin(), c.source.end());
}

std::size_t record_size(const motion_record& r)
{
    std::vector<char> bytes;
    for (const channel_record& c : r)
        append_channel(bytes, c);
    return bytes.size();
}

Channel engine_channel(const channel_record& c)
{
    Channel channel;
    record::apply(c, channel);
    return channel;
}

} // namespace quor::edit
