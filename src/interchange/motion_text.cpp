// Writer and parser of the motion text. Envelope blocks are read in the full model and then held
// to what the data file stores, so a refusal points at the number it cannot keep.
#include "interchange/motion_text.h"

#include <charconv>
#include <vector>

#include "demo/data_file.h"
#include "demo/data_layout.h"

namespace quor::interchange {
namespace {

using record::channel;
using record::transformation;

constexpr const char* header =
    "# Motion records of the data file: the animated object, the quad and the camera.\n"
    "# A channel is `Constant VALUE`, an envelope block or a mixer of envelope blocks.\n"
    "# Key value time shape tension continuity bias p4 p5 p6, as LightWave scene files write it;\n"
    "# shapes 0 TCB, 1 Hermite, 2 Bezier, 3 Linear, 4 Stepped, 5 2D Bezier. The data file keeps\n"
    "# no tangent parameters (p4-p6 stay 0) and no behaviours (Behaviors 1 1: Constant).\n"
    "# The engine puts a key of value 0 at time 0 ahead of every envelope's keys.\n";

// A camera record runs to the end of the scene section.
constexpr std::size_t camera_limit = demo::record_room(motion_record_count - 1);

std::string number(float v)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

void write_keys(std::string& out, const std::vector<Key>& keys, const std::string& indent)
{
    out += indent + "{ Envelope\n";
    out += indent + "  " + std::to_string(keys.size()) + "\n";
    for (const Key& k : keys)
        out += indent + "  Key " + number(k.value) + " " + number(k.time) + " " +
               std::to_string(static_cast<std::int32_t>(k.shape)) + " " + number(k.tension) + " " +
               number(k.continuity) + " " + number(k.bias) + " 0 0 0\n";
    out += indent + "  Behaviors 1 1\n";
    out += indent + "}\n";
}

class parser {
public:
    parser(std::string_view text, text_error& err) : in(text, err, true) {}

    bool file(parsed_motion& out)
    {
        while (!in.at_end()) {
            const token start = in.peek();
            if (!in.word("Record"))
                return false;
            const token name = in.peek();
            std::size_t index = motion_record_count;
            for (std::size_t r = 0; r < motion_record_count; ++r)
                if (name.text == motion_record_names[r])
                    index = r;
            if (index == motion_record_count)
                return in.fail(name, "unknown record " + in.found(name) + " (object, quad or camera)");
            if (out.records[index])
                return in.fail(name, "the " + std::string(name.text) + " record is listed twice");
            in.next();
            transformation rec;
            if (!record_body(rec) || !fits(rec, index, start))
                return false;
            out.records[index] = std::move(rec);
        }
        return true;
    }

private:
    token_cursor in;

    bool record_body(transformation& rec)
    {
        if (!in.word("{"))
            return false;
        std::array<bool, record::transformation_channels> seen{};
        while (!in.is("}")) {
            if (!in.word("Channel"))
                return false;
            const token name = in.peek();
            std::size_t c = seen.size();
            for (std::size_t i = 0; i < seen.size(); ++i)
                if (name.text == motion_channel_names[i])
                    c = i;
            if (c == seen.size())
                return in.fail(name, "unknown channel " + in.found(name) +
                                         " (position.x/y/z, yaw, pitch, bank, scale.x/y/z)");
            if (seen[c])
                return in.fail(name, "channel " + std::string(name.text) + " is listed twice");
            seen[c] = true;
            in.next();
            if (!channel_body(rec[c]))
                return false;
        }
        for (std::size_t i = 0; i < seen.size(); ++i)
            if (!seen[i])
                return in.fail(in.peek(), std::string("the record ends without channel ") + motion_channel_names[i]);
        in.next();
        return true;
    }

    bool channel_body(channel& c)
    {
        if (in.is("Constant")) {
            in.next();
            c.tag = record::constant_tag;
            return in.real(c.value, "value");
        }
        if (in.is("Tag")) {
            in.next();
            long long tag = 0;
            if (!in.integer(tag, "a tag", record::mixer_tag + 1, UINT32_MAX))
                return false;
            c.tag = static_cast<std::uint32_t>(tag);
            return true;
        }
        if (!in.is("{"))
            return in.fail(in.peek(), "expected Constant, '{ Envelope', '{ Mixer' or Tag, found " + in.found(in.peek()));
        if (in.is("Mixer", 1)) {
            in.next();
            in.next();
            c.tag = record::mixer_tag;
            long long n = 0;
            if (!in.integer(n, "an entry count", 0, camera_limit / record::min_mixer_entry_bytes))
                return false;
            c.entries.resize(static_cast<std::size_t>(n));
            for (std::vector<Key>& keys : c.entries)
                if (!envelope(keys))
                    return false;
            return in.word("}");
        }
        c.tag = record::envelope_tag;
        return envelope(c.keys);
    }

    // An envelope block held to what the data file stores.
    bool envelope(std::vector<Key>& keys)
    {
        envelope_block block;
        if (!read_envelope_block(in, block, camera_limit / record::key_bytes))
            return false;
        for (std::size_t i = 0; i < block.keys.size(); ++i) {
            const Key& k = block.keys[i];
            const auto& t = block.lines[i].tokens;
            if (k.time < 0)
                return in.fail(t[1], "time " + std::string(t[1].text) +
                                         " is before 0, where the engine seeds its first key");
            for (std::size_t c = k.shape == Shape::Bezier2D ? 3 : 6; c < t.size(); ++c)
                if (block.lines[i].numbers[c] != 0)
                    return in.fail(t[c], "tangent parameter " + std::string(t[c].text) +
                                             " cannot be stored: the data file keeps value, time, shape, tension, "
                                             "continuity and bias only");
        }
        for (int side = 0; side < 2; ++side)
            if ((side == 0 ? block.pre : block.post) != Behavior::Constant)
                return in.fail(block.behavior_tokens[side],
                               std::string(side == 0 ? "pre" : "post") + "-behaviour " +
                                   std::string(block.behavior_tokens[side].text) +
                                   " cannot be stored: the data file keeps Constant (1) before and after the keys");
        keys = std::move(block.keys);
        return true;
    }

    bool fits(const transformation& rec, std::size_t index, const token& start)
    {
        const std::size_t bytes = demo::record_size(rec);
        const bool object = index + 1 < motion_record_count;
        const std::size_t limit = demo::record_room(index);
        if (bytes <= limit)
            return true;
        if (object)
            return in.fail(start, "the " + std::string(motion_record_names[index]) + " record takes " +
                                      std::to_string(bytes) + " bytes, its slot holds 72 (nine constants): "
                                      "animated motion fits only the camera");
        return in.fail(start, "the camera record takes " + std::to_string(bytes) +
                                  " bytes, the scene section holds " + std::to_string(limit) +
                                  " after the two object records");
    }
};

} // namespace

std::string motion_text(const motion_records& records)
{
    std::string out = header;
    for (std::size_t r = 0; r < records.size(); ++r) {
        out += "\nRecord " + std::string(motion_record_names[r]) + "\n{\n";
        for (std::size_t c = 0; c < records[r].size(); ++c) {
            const channel& ch = records[r][c];
            out += "  Channel " + std::string(motion_channel_names[c]);
            switch (ch.tag) {
            case record::constant_tag:
                out += " Constant " + number(ch.value) + "\n";
                break;
            case record::envelope_tag:
                out += "\n";
                write_keys(out, ch.keys, "  ");
                break;
            case record::mixer_tag:
                out += "\n  { Mixer\n    " + std::to_string(ch.entries.size()) + "\n";
                for (const std::vector<Key>& keys : ch.entries)
                    write_keys(out, keys, "    ");
                out += "  }\n";
                break;
            default:
                out += " Tag " + std::to_string(ch.tag) + "\n";
            }
        }
        out += "}\n";
    }
    return out;
}

bool parse_motion_text(std::string_view text, parsed_motion& out, text_error& err)
{
    out = {};
    return parser(text, err).file(out);
}

} // namespace quor::interchange
