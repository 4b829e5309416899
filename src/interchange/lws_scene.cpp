// A line-by-line walk over a scene file: item lines open items, motion blocks fill them, and
// every other line is skipped. Envelope blocks go through the shared envelope reader.
#include "interchange/lws_scene.h"

#include <cctype>

namespace quor::interchange {
namespace {

constexpr std::size_t max_keys = 1 << 20;

// The rest of the line of the token last taken, its tokens joined by single spaces.
std::string rest_of_line(token_cursor& in, std::size_t line)
{
    std::string out;
    while (!in.at_end() && in.peek().line == line) {
        if (!out.empty())
            out += ' ';
        out += in.next().text;
    }
    return out;
}

// Item numbers of LightWave 7 on: eight hex digits ahead of the name.
bool is_item_number(std::string_view t)
{
    if (t.size() != 8)
        return false;
    for (char c : t)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string drop_item_number(std::string s)
{
    const std::size_t space = s.find(' ');
    if (space != std::string::npos && is_item_number(std::string_view(s).substr(0, space)))
        return s.substr(space + 1);
    return s;
}

// "Objects/Ship.lwo" and "disk:Objects/Ship.lwo" both name "Ship".
std::string object_name(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool motion_block(token_cursor& in, scene_item& item)
{
    const token opener = in.peek();
    if (!in.word("NumChannels"))
        return false;
    long long n = 0;
    if (!in.same_line(opener, "count") || !in.integer(n, "a channel count", 0, 1 << 16))
        return false;
    // A block may list fewer channels than its count says; the rest stay at rest.
    for (long long i = 0; i < n && in.is("Channel"); ++i) {
        const token channel = in.peek();
        long long index = 0;
        if (!in.word("Channel") || !in.same_line(channel, "number") || !in.integer(index, "a channel number", 0, 1 << 16))
            return false;
        envelope_block block;
        if (!read_envelope_block(in, block, max_keys))
            return false;
        // Channels past the nine of a transformation (pivot, rest length) play no part here.
        if (index >= static_cast<long long>(item.channels.size()))
            continue;
        Envelope e;
        for (const Key& k : block.keys)
            e.add_key(k);
        e.set_pre_behavior(block.pre);
        e.set_post_behavior(block.post);
        item.channels[static_cast<std::size_t>(index)] = std::move(e);
    }
    return true;
}

} // namespace

bool read_scene(std::string_view text, std::vector<scene_item>& items, text_error& err)
{
    token_cursor in(text, err, false);
    items.clear();
    const token magic = in.peek();
    if (!in.is("LWSC"))
        return in.fail(magic, "not a LightWave scene file: it does not start with LWSC");
    in.next();
    const token version_token = in.peek();
    long long version = 0;
    if (!in.integer(version, "a format version", 0, 1 << 16))
        return false;
    if (version < 3)
        return in.fail(version_token, "scene format " + std::to_string(version) +
                                          " keeps motion as keyframe lists; save the scene with LightWave 6 or later "
                                          "(format 3)");
    scene_item* current = nullptr;
    while (!in.at_end()) {
        const token t = in.next();
        const std::string_view w = t.text;
        if (w == "LoadObjectLayer" || w == "LoadObject" || w == "AddNullObject" || w == "AddCamera") {
            std::string rest = rest_of_line(in, t.line);
            // LoadObjectLayer names its layer first.
            if (w == "LoadObjectLayer" && rest.find(' ') != std::string::npos)
                rest = rest.substr(rest.find(' ') + 1);
            rest = drop_item_number(rest);
            scene_item item;
            item.camera = w == "AddCamera";
            item.name = item.camera ? "Camera" : w == "AddNullObject" ? rest : object_name(rest);
            items.push_back(std::move(item));
            current = &items.back();
        } else if (w == "AddLight" || w == "AddBone") {
            current = nullptr;
            in.skip_line();
        } else if (w == "CameraName" && current && current->camera) {
            current->name = rest_of_line(in, t.line);
        } else if ((w == "ObjectMotion" && current && !current->camera) ||
                   (w == "CameraMotion" && current && current->camera)) {
            in.skip_line();
            if (!motion_block(in, *current))
                return false;
        } else {
            in.skip_line();
        }
    }
    return true;
}

source_motion motion_of(const scene_item& item, double end)
{
    source_motion src;
    for (std::size_t c = 0; c < src.size(); ++c) {
        if (item.channels[c]) {
            src[c] = curve_of(*item.channels[c], end, 1e-3f);
        } else {
            const float rest = c >= 6 ? 1.0f : 0.0f;
            src[c].value = [rest](double) { return rest; };
            src[c].constant = true;
        }
    }
    return src;
}

} // namespace quor::interchange
