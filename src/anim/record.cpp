// The motion records read and written in one place. Readers walk each record once, weighing every
// count against the bytes that remain before trusting it, so a damaged file is refused instead of
// over-read; the live readers build on the plain ones, so a refused record changes nothing.
#include "anim/record.h"

#include <cmath>
#include <cstring>
#include <utility>

#include <boost/shared_ptr.hpp>

#include "anim/channel.h"
#include "anim/envelope_mixer.h"

namespace quor {
namespace record {
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

// Records sit at any alignment: fields are copied out, never dereferenced in place.
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

} // namespace

void append_keys(Envelope& e, const std::vector<Key>& keys)
{
    e.reserve(e.key_count() + keys.size());
    for (const Key& k : keys)
        e.add_key(k);
}

const char* read_envelope(const char* pos, const char* end, std::vector<Key>& keys, read_error* err)
{
    if (bytes_left(pos, end) < word_bytes)
        return refuse(err, pos, "envelope key count cut off with " + std::to_string(bytes_left(pos, end)) + " bytes left");
    const std::uint64_t n = load_u32(pos);
    const std::size_t left = bytes_left(pos + word_bytes, end);
    const std::uint64_t needed = n * key_bytes + envelope_trailer_bytes;
    if (needed > left)
        return refuse(err, pos, "envelope key count " + std::to_string(n) + " needs " + std::to_string(needed) +
                                    " bytes, " + std::to_string(left) + " are left");
    const char* at = pos + word_bytes;
    keys.clear();
    keys.reserve(n);
    for (std::uint64_t i = 0; i < n; ++i, at += key_bytes) {
        Key k;
        k.value = load_f32(at);
        k.time = load_f32(at + 4);
        k.shape = static_cast<Shape>(static_cast<std::int32_t>(load_u32(at + 8)));
        k.tension = load_f32(at + 12);
        k.continuity = load_f32(at + 16);
        k.bias = load_f32(at + 20);
        keys.push_back(k);
    }
    return at + envelope_trailer_bytes;
}

const char* read_mixer(const char* pos, const char* end, std::vector<std::vector<Key>>& entries, read_error* err)
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
    entries.clear();
    entries.resize(m);
    for (std::uint64_t i = 0; i < m; ++i) {
        if (bytes_left(pos, end) < mixer_entry_skip_bytes)
            return refuse(err, pos, "mixer entry " + std::to_string(i) + " cut off");
        pos = read_envelope(pos + mixer_entry_skip_bytes, end, entries[i], err);
        if (!pos)
            return with_context(err, "mixer entry " + std::to_string(i) + " ");
    }
    return pos;
}

const char* read_channel(const char* pos, const char* end, channel& out, read_error* err)
{
    if (bytes_left(pos, end) < word_bytes)
        return refuse(err, pos, "channel tag cut off with " + std::to_string(bytes_left(pos, end)) + " bytes left");
    out = channel{};
    out.tag = load_u32(pos);
    pos += word_bytes;
    switch (out.tag) {
    case constant_tag:
        if (bytes_left(pos, end) < word_bytes)
            return refuse(err, pos, "constant value cut off");
        out.value = load_f32(pos);
        return pos + word_bytes;
    case envelope_tag:
        return read_envelope(pos, end, out.keys, err);
    case mixer_tag:
        return read_mixer(pos, end, out.entries, err);
    default:
        return pos;
    }
}

const char* read_transformation(const char* pos, const char* end, transformation& out, read_error* err)
{
    for (std::size_t i = 0; i < out.size(); ++i) {
        pos = read_channel(pos, end, out[i], err);
        if (!pos)
            return with_context(err, "channel " + std::to_string(i) + " ");
    }
    return pos;
}

namespace {

bool key_finite(const Key& k, non_finite& out)
{
    const std::pair<const char*, float> fields[] = {
        {"value", k.value}, {"time", k.time}, {"tension", k.tension}, {"continuity", k.continuity}, {"bias", k.bias}};
    for (const auto& [name, number] : fields)
        if (!std::isfinite(number)) {
            out.field = name;
            out.number = number;
            return false;
        }
    return true;
}

bool keys_finite(const std::vector<Key>& keys, non_finite& out)
{
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (!key_finite(keys[i], out)) {
            out.key = static_cast<long>(i);
            return false;
        }
    return true;
}

} // namespace

non_finite first_non_finite(const transformation& rec)
{
    non_finite out;
    for (std::size_t c = 0; c < rec.size(); ++c) {
        const channel& ch = rec[c];
        bool finite = true;
        if (ch.tag == constant_tag && !std::isfinite(ch.value)) {
            out.field = "value";
            out.number = ch.value;
            finite = false;
        } else if (ch.tag == envelope_tag) {
            finite = keys_finite(ch.keys, out);
        } else if (ch.tag == mixer_tag) {
            for (std::size_t e = 0; finite && e < ch.entries.size(); ++e)
                if (!keys_finite(ch.entries[e], out)) {
                    out.entry = static_cast<long>(e);
                    finite = false;
                }
        }
        if (!finite) {
            out.channel = static_cast<int>(c);
            return out;
        }
    }
    return out;
}

void apply(const channel& rec, Channel& c)
{
    switch (rec.tag) {
    case constant_tag:
        c.value = rec.value;
        break;
    case envelope_tag:
        append_keys(c.make_envelope(), rec.keys);
        break;
    case mixer_tag: {
        EnvelopeMixer& mixer = c.make_mixer();
        for (const std::vector<Key>& keys : rec.entries) {
            boost::shared_ptr<Envelope> e(new Envelope);
            append_keys(*e, keys);
            mixer.add(e);
        }
        break;
    }
    default:
        break;
    }
}

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

void write_mixer(std::vector<char>& out, const std::vector<std::vector<Key>>& entries)
{
    write_u32(out, static_cast<std::uint32_t>(entries.size()));
    for (const std::vector<Key>& keys : entries) {
        out.insert(out.end(), mixer_entry_skip_bytes, 0);
        write_envelope(out, keys);
    }
}

void write_channel(std::vector<char>& out, const channel& rec)
{
    write_u32(out, rec.tag);
    switch (rec.tag) {
    case constant_tag:
        write_f32(out, rec.value);
        break;
    case envelope_tag:
        write_envelope(out, rec.keys);
        break;
    case mixer_tag:
        write_mixer(out, rec.entries);
        break;
    default:
        break;
    }
}

void write_transformation(std::vector<char>& out, const transformation& rec)
{
    for (const channel& c : rec)
        write_channel(out, c);
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
    write_mixer(out, entries);
}

} // namespace record

const char* read_envelope(const char* pos, const char* end, Envelope& e, record::read_error* err)
{
    std::vector<Key> keys;
    const char* after = record::read_envelope(pos, end, keys, err);
    if (after)
        record::append_keys(e, keys);
    return after;
}

const char* read_mixer(const char* pos, const char* end, Channel& c, record::read_error* err)
{
    record::channel rec;
    rec.tag = record::mixer_tag;
    const char* after = record::read_mixer(pos, end, rec.entries, err);
    if (after)
        record::apply(rec, c);
    return after;
}

const char* read_channel(const char* pos, const char* end, Channel& c, record::read_error* err)
{
    record::channel rec;
    const char* after = record::read_channel(pos, end, rec, err);
    if (after)
        record::apply(rec, c);
    return after;
}

} // namespace quor
