// Writer and parser of the motion text. The parser works on whitespace-separated tokens that know
// their line and column; Key and Behaviors lines must hold all their numbers on one line, as in
// scene files. Every refusal names the token it stopped at.
#include "motion_text.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "demo/data_layout.h"

namespace quor::tools {
namespace {

using record::channel;
using record::transformation;

// Columns of a Key line after the value and time: shape, tension, continuity, bias, then three
// tangent parameters the data file cannot hold.
constexpr std::size_t key_numbers = 9;
constexpr int constant_behavior = static_cast<int>(Behavior::Constant);
constexpr int last_shape = static_cast<int>(Shape::Bezier2D);

constexpr const char* header =
    "# Motion records of the data file: the animated object, the quad and the camera.\n"
    "# A channel is `Constant VALUE`, an envelope block or a mixer of envelope blocks.\n"
    "# Key value time shape tension continuity bias p4 p5 p6, as LightWave scene files write it;\n"
    "# shapes 0 TCB, 1 Hermite, 2 Bezier, 3 Linear, 4 Stepped, 5 2D Bezier. The data file keeps\n"
    "# no tangent parameters (p4-p6 stay 0) and no behaviours (Behaviors 1 1: Constant).\n"
    "# The engine puts a key of value 0 at time 0 ahead of every envelope's keys.\n";

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

struct token {
    std::string_view text;
    std::size_t line = 0;
    std::size_t column = 0;
};

std::vector<token> tokenise(std::string_view text)
{
    std::vector<token> out;
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            column = 1;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++column;
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                ++i;
            out.push_back({text.substr(start, i - start), line, column});
            column += i - start;
        }
    }
    return out;
}

class parser {
public:
    parser(std::string_view text, text_error& err) : tokens(tokenise(text)), err(err)
    {
        end_line = 1;
        for (char c : text)
            end_line += c == '\n';
    }

    bool file(parsed_motion& out)
    {
        while (!at_end()) {
            const token start = peek();
            if (!word("Record"))
                return false;
            const token name = peek();
            std::size_t index = motion_record_count;
            for (std::size_t r = 0; r < motion_record_count; ++r)
                if (name.text == motion_record_names[r])
                    index = r;
            if (index == motion_record_count)
                return fail(name, "unknown record '" + std::string(name.text) + "' (object, quad or camera)");
            if (out.records[index])
                return fail(name, "the " + std::string(name.text) + " record is listed twice");
            next();
            transformation rec;
            if (!record_body(rec) || !fits(rec, index, start))
                return false;
            out.records[index] = std::move(rec);
        }
        return true;
    }

private:
    std::vector<token> tokens;
    std::size_t pos = 0;
    std::size_t end_line = 1;
    text_error& err;

    bool at_end() const { return pos >= tokens.size(); }
    token peek() const { return at_end() ? token{"end of file", end_line, 1} : tokens[pos]; }
    token next() { return tokens[pos++]; }

    bool fail(const token& t, std::string what)
    {
        err = {t.line, t.column, std::move(what)};
        return false;
    }

    std::string found(const token& t) const
    {
        return at_end() && t.text == "end of file" ? "the end of the file" : "'" + std::string(t.text) + "'";
    }

    bool word(std::string_view w)
    {
        const token t = peek();
        if (at_end() || t.text != w)
            return fail(t, "expected '" + std::string(w) + "', found " + found(t));
        next();
        return true;
    }

    // A number on the same line as the keyword that opened it; the refusal points just past the
    // line's last token.
    bool same_line(const token& opener, const char* what)
    {
        if (!at_end() && peek().line == opener.line)
            return true;
        const token& last = tokens[pos - 1];
        return fail({last.text, last.line, last.column + last.text.size()},
                    std::string(opener.text) + " line ends before its " + what);
    }

    bool real(float& v, const char* what)
    {
        const token t = peek();
        if (at_end())
            return fail(t, std::string("expected a ") + what + ", found the end of the file");
        const char* first = t.text.data();
        const char* last = first + t.text.size();
        if (first != last && *first == '+')
            ++first;
        const auto r = std::from_chars(first, last, v);
        if (r.ec == std::errc::result_out_of_range)
            return fail(t, std::string(what) + " " + std::string(t.text) + " does not fit a 32-bit float");
        if (r.ec != std::errc() || r.ptr != last)
            return fail(t, std::string("expected a ") + what + " (a number), found " + found(t));
        if (!std::isfinite(v))
            return fail(t, std::string(what) + " must be a finite number, found " + found(t));
        next();
        return true;
    }

    bool integer(long long& v, const char* what, long long lo, long long hi)
    {
        const token t = peek();
        if (at_end())
            return fail(t, std::string("expected ") + what + ", found the end of the file");
        const char* last = t.text.data() + t.text.size();
        const auto r = std::from_chars(t.text.data(), last, v);
        if (r.ec == std::errc::invalid_argument || r.ptr != last)
            return fail(t, std::string("expected ") + what + " (a whole number), found " + found(t));
        if (r.ec == std::errc::result_out_of_range || v < lo || v > hi)
            return fail(t, std::string(what) + " " + std::string(t.text) + " is outside " + std::to_string(lo) +
                               " to " + std::to_string(hi));
        next();
        return true;
    }

    bool record_body(transformation& rec)
    {
        if (!word("{"))
            return false;
        std::array<bool, record::transformation_channels> seen{};
        while (at_end() || peek().text != "}") {
            if (!word("Channel"))
                return false;
            const token name = peek();
            std::size_t c = seen.size();
            for (std::size_t i = 0; i < seen.size(); ++i)
                if (name.text == motion_channel_names[i])
                    c = i;
            if (at_end() || c == seen.size())
                return fail(name, "unknown channel " + found(name) +
                                      " (position.x/y/z, yaw, pitch, bank, scale.x/y/z)");
            if (seen[c])
                return fail(name, "channel " + std::string(name.text) + " is listed twice");
            seen[c] = true;
            next();
            if (!channel_body(rec[c]))
                return false;
        }
        for (std::size_t i = 0; i < seen.size(); ++i)
            if (!seen[i])
                return fail(peek(), std::string("the record ends without channel ") + motion_channel_names[i]);
        next();
        return true;
    }

    bool channel_body(channel& c)
    {
        const token t = peek();
        if (t.text == "Constant" && !at_end()) {
            next();
            c.tag = record::constant_tag;
            return real(c.value, "value");
        }
        if (t.text == "{" && !at_end() && pos + 1 < tokens.size() && tokens[pos + 1].text == "Mixer") {
            pos += 2;
            c.tag = record::mixer_tag;
            long long n = 0;
            if (!integer(n, "an entry count", 0, record_limit / record::min_mixer_entry_bytes))
                return false;
            c.entries.resize(static_cast<std::size_t>(n));
            for (std::vector<Key>& keys : c.entries)
                if (!envelope(keys))
                    return false;
            return word("}");
        }
        if (t.text == "{") {
            c.tag = record::envelope_tag;
            return envelope(c.keys);
        }
        if (t.text == "Tag" && !at_end()) {
            next();
            long long tag = 0;
            if (!integer(tag, "a tag", record::mixer_tag + 1, UINT32_MAX))
                return false;
            c.tag = static_cast<std::uint32_t>(tag);
            return true;
        }
        return fail(t, "expected Constant, '{ Envelope', '{ Mixer' or Tag, found " + found(t));
    }

    bool envelope(std::vector<Key>& keys)
    {
        if (!word("{") || !word("Envelope"))
            return false;
        long long n = 0;
        if (!integer(n, "a key count", 0, record_limit / record::key_bytes))
            return false;
        keys.resize(static_cast<std::size_t>(n));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const token opener = peek();
            if (opener.text == "Behaviors" || opener.text == "}")
                return fail(opener, "the envelope has " + std::to_string(i) + " keys, its count says " +
                                        std::to_string(keys.size()));
            if (!word("Key") || !key(opener, keys[i], i > 0 ? &keys[i - 1] : nullptr))
                return false;
        }
        if (peek().text == "Key" && !at_end())
            return fail(peek(), "more keys than the envelope's count of " + std::to_string(keys.size()));
        const token opener = peek();
        if (!word("Behaviors"))
            return false;
        for (const char* side : {"pre-behaviour", "post-behaviour"}) {
            long long b = 0;
            const token t = peek();
            if (!same_line(opener, side) || !integer(b, side, 0, 5))
                return false;
            if (b != constant_behavior)
                return fail(t, std::string(side) + " " + std::to_string(b) +
                                   " cannot be stored: the data file keeps Constant (1) before and after the keys");
        }
        return word("}");
    }

    bool key(const token& opener, Key& k, const Key* previous)
    {
        float fields[key_numbers];
        for (std::size_t i = 0; i < key_numbers; ++i) {
            static constexpr const char* names[key_numbers] = {
                "value", "time", "shape", "tension", "continuity", "bias", "p4", "p5", "p6"};
            if (!same_line(opener, names[i]))
                return false;
            const token t = peek();
            if (i == 2) {
                long long shape = 0;
                if (!integer(shape, "shape", 0, last_shape))
                    return false;
                k.shape = static_cast<Shape>(shape);
                fields[i] = 0;
                continue;
            }
            if (!real(fields[i], names[i]))
                return false;
            if (i == 1 && fields[i] < 0)
                return fail(t, "time " + std::string(t.text) + " is before 0, where the engine seeds its first key");
            if (i == 1 && previous && fields[i] < previous->time)
                return fail(t, "time " + std::string(t.text) + " is before the previous key's " +
                                   number(previous->time) + ": keys go in time order");
            if (fields[i] != 0 && (i >= 6 || (i >= 3 && k.shape == Shape::Bezier2D)))
                return fail(t, "tangent parameter " + std::string(t.text) +
                                   " cannot be stored: the data file keeps value, time, shape, tension, "
                                   "continuity and bias only");
        }
        k.value = fields[0];
        k.time = fields[1];
        k.tension = fields[3];
        k.continuity = fields[4];
        k.bias = fields[5];
        return true;
    }

    // A camera record runs to the end of the scene section.
    static constexpr std::size_t record_limit =
        demo::layout::scene_section_capacity - demo::layout::camera_record;

    bool fits(const transformation& rec, std::size_t index, const token& start)
    {
        const std::size_t bytes = record_bytes(rec);
        const bool object = index + 1 < motion_record_count;
        const std::size_t limit = object ? demo::layout::object_record_limit : record_limit;
        if (bytes <= limit)
            return true;
        if (object)
            return fail(start, "the " + std::string(motion_record_names[index]) + " record takes " +
                                   std::to_string(bytes) + " bytes, its slot holds 72 (nine constants): "
                                   "animated motion fits only the camera");
        return fail(start, "the camera record takes " + std::to_string(bytes) + " bytes, the scene section holds " +
                               std::to_string(limit) + " after the two object records");
    }
};

} // namespace

std::size_t record_bytes(const transformation& rec)
{
    std::vector<char> bytes;
    record::write_transformation(bytes, rec);
    return bytes.size();
}

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

} // namespace quor::tools
