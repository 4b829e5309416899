// The side file's text: "quor-workbench 2" first, then one "name value..." line a setting, '#'
// starting a comment line. Numbers are written in their shortest exact form, so a file read back
// gives the very same settings (the save's check relies on it).
#include "edit/side_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/report.h"
#include "demo/data_file.h"
#include "io/replace_file.h"
#include "io/whole_file.h"

namespace quor::edit {
namespace {

constexpr std::string_view magic = "quor-workbench";
constexpr std::size_t max_file = 64 * 1024;

std::string number(double v)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

// The words of a line, and the rest of it after the first `n` words (a marker's name).
struct line_reader {
    std::string_view rest;
    std::string_view word()
    {
        const std::size_t start = rest.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            rest = {};
            return {};
        }
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find_first_of(" \t"), rest.size());
        const std::string_view w = rest.substr(0, end);
        rest.remove_prefix(end);
        return w;
    }
    bool number(double& v)
    {
        const std::string_view w = word();
        const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
        return !w.empty() && r.ec == std::errc() && r.ptr == w.data() + w.size() && std::isfinite(v);
    }
    bool whole(int& v)
    {
        const std::string_view w = word();
        const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
        return !w.empty() && r.ec == std::errc() && r.ptr == w.data() + w.size();
    }
    bool on_off(bool& v)
    {
        const std::string_view w = word();
        v = w == "on";
        return w == "on" || w == "off";
    }
    bool done()
    {
        return rest.find_first_not_of(" \t") == std::string_view::npos;
    }
};

// A channel as the side file names it: its name with a full stop for the space ("position.y"), as
// the motion text spells it.
std::string channel_word(std::size_t c)
{
    std::string w = demo::channel_names[c];
    std::replace(w.begin(), w.end(), ' ', '.');
    return w;
}

// The channels a "curve-overlay" line names, or "-" for none.
bool read_overlay(line_reader& in, std::array<bool, record::transformation_channels>& overlay)
{
    overlay = {};
    line_reader peek = in;
    if (peek.word() == "-")
        return peek.done();
    bool named = false;
    for (std::string_view w = in.word(); !w.empty(); w = in.word()) {
        std::size_t c = 0;
        while (c < overlay.size() && w != channel_word(c))
            ++c;
        if (c == overlay.size() || overlay[c])
            return false;
        overlay[c] = named = true;
    }
    return named;
}

std::string clean_name(std::string_view name)
{
    std::string out(name.substr(0, std::min(name.size(), workbench_settings::max_name)));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

} // namespace

std::vector<double> workbench_settings::marker_times() const
{
    std::vector<double> times;
    for (const marker& m : markers)
        times.push_back(m.time);
    return times;
}

bool workbench_settings::add_marker(double t, std::string_view name, std::string* why)
{
    if (!std::isfinite(t) || std::abs(t) > tempo::max_offset * 60) {
        if (why)
            *why = "a marker must stand within the timeline";
        return false;
    }
    std::string n = clean_name(name);
    const auto at = std::lower_bound(markers.begin(), markers.end(), t - 1e-3,
                                     [](const marker& m, double v) { return m.time < v; });
    if (at != markers.end() && std::abs(at->time - t) <= 1e-3) {
        if (!n.empty())
            at->name = std::move(n);
        return true;
    }
    if (markers.size() >= max_markers) {
        if (why)
            *why = "at most " + std::to_string(max_markers) + " markers";
        return false;
    }
    if (n.empty())
        n = "marker " + std::to_string(markers.size() + 1);
    markers.insert(at, marker{t, std::move(n)});
    return true;
}

void workbench_settings::remove_marker(std::size_t m)
{
    if (m < markers.size())
        markers.erase(markers.begin() + static_cast<std::ptrdiff_t>(m));
}

std::string side_file_path(const std::string& data_path)
{
    const std::size_t slash = data_path.rfind('/');
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    std::string base = data_path;
    if (base.size() > name + 4 && base.compare(base.size() - 4, 4, ".mem") == 0)
        base.resize(base.size() - 4);
    return base + ".workbench";
}

namespace {

// One line of words with a space between each. The words are appended one by one: MinGW's GCC 12
// misreads a chain of concatenated temporaries, inlined, as an overlapping copy (-Wrestrict).
void put_line(std::string& out, std::initializer_list<std::string_view> words)
{
    std::string_view gap;
    for (const std::string_view word : words) {
        out += gap;
        out += word;
        gap = " ";
    }
    out += '\n';
}

} // namespace

std::string write_settings(const workbench_settings& s)
{
    std::string out = "# The workbench's tempo, markers and settings for the data file beside it; the player never reads this.\n";
    put_line(out, {magic, std::to_string(workbench_settings::version)});
    put_line(out, {"tempo", number(s.beat.bpm), number(s.beat.offset), std::to_string(s.beat.beats_per_bar)});
    put_line(out, {"snap", s.snap ? "on" : "off", std::to_string(s.division)});
    put_line(out, {"music-lane", s.music_lane ? "on" : "off"});
    put_line(out, {"curve-height", number(s.curve_height)});
    out += "curve-overlay";
    bool any = false;
    for (std::size_t c = 0; c < s.curve_overlay.size(); ++c)
        if (s.curve_overlay[c]) {
            out += ' ';
            out += channel_word(c);
            any = true;
        }
    out += any ? "\n" : " -\n";
    if (s.loop_in || s.loop_out)
        put_line(out, {"loop", s.loop_in ? number(*s.loop_in) : "-", s.loop_out ? number(*s.loop_out) : "-"});
    for (const marker& m : s.markers)
        put_line(out, {"marker", number(m.time), m.name});
    return out;
}

bool read_settings(std::string_view text, workbench_settings& out, std::string* why)
{
    workbench_settings s;
    s.markers.clear();
    bool versioned = false;
    std::size_t line_number = 0;
    std::string trouble;
    while (!text.empty() && trouble.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++line_number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line_reader in{line};
        const std::string_view key = in.word();
        if (key.empty() || key.front() == '#')
            continue;
        if (!versioned) {
            int v = 0;
            if (key != magic || !in.whole(v) || !in.done())
                trouble = "this is no workbench file (its first line is not \"" + std::string(magic) + " " +
                          std::to_string(workbench_settings::version) + "\")";
            else if (v < workbench_settings::oldest_version || v > workbench_settings::version)
                trouble = "version " + std::to_string(v) + " is not one this workbench reads (it reads " +
                          std::to_string(workbench_settings::oldest_version) + " to " +
                          std::to_string(workbench_settings::version) + ")";
            versioned = true;
            continue;
        }
        if (key == "tempo") {
            tempo t;
            if (!in.number(t.bpm) || !in.number(t.offset) || !in.whole(t.beats_per_bar) || !in.done())
                trouble = "tempo wants beats a minute, the first beat's seconds and beats a bar";
            else if (trouble = tempo_refusal(t); trouble.empty())
                s.beat = t;
        } else if (key == "snap") {
            if (!in.on_off(s.snap) || !in.whole(s.division) || !in.done() ||
                (s.division != 1 && s.division != 2 && s.division != 4))
                trouble = "snap wants on or off, then 1, 2 or 4 parts of a beat";
        } else if (key == "music-lane") {
            if (!in.on_off(s.music_lane) || !in.done())
                trouble = "music-lane wants on or off";
        } else if (key == "curve-height") {
            double h = 0;
            if (!in.number(h) || !in.done() || h < workbench_settings::min_curve_height ||
                h > workbench_settings::max_curve_height)
                trouble = "curve-height wants " + system::number_text(workbench_settings::min_curve_height) + " to " +
                          system::number_text(workbench_settings::max_curve_height) + " pixels";
            s.curve_height = static_cast<float>(h);
        } else if (key == "curve-overlay") {
            if (!read_overlay(in, s.curve_overlay))
                trouble = "curve-overlay wants the channels drawn under the edited one, each once (position.x to "
                          "scale.z), or - for none";
        } else if (key == "loop") {
            for (std::optional<double>* mark : {&s.loop_in, &s.loop_out}) {
                line_reader peek = in;
                if (peek.word() == "-") {
                    in = peek;
                    continue;
                }
                double v = 0;
                if (!in.number(v) || v < 0 || v > tempo::max_offset * 60)
                    trouble = "loop wants two times in seconds, - for a mark not set";
                *mark = v;
            }
            if (!in.done())
                trouble = "loop wants two times in seconds, - for a mark not set";
        } else if (key == "marker") {
            double t = 0;
            const bool timed = in.number(t);
            const std::size_t before = s.markers.size();
            std::string refused;
            if (!timed)
                trouble = "marker wants its time in seconds, then its name";
            else if (!s.add_marker(t, in.rest, &refused))
                trouble = refused;
            else if (s.markers.size() == before)
                trouble = "two markers at " + system::number_text(t) + " s";
        } else {
            trouble = "unknown setting \"" + system::printable(key, 24) + "\"";
        }
    }
    if (trouble.empty() && !versioned)
        trouble = "this is no workbench file (it is empty)";
    if (!trouble.empty()) {
        if (why)
            *why = (line_number > 0 && versioned ? "line " + std::to_string(line_number) + ": " : std::string()) + trouble;
        return false;
    }
    out = std::move(s);
    return true;
}

side_read load_side_file(const std::string& path, workbench_settings& out, std::string* why)
{
    std::error_code none;
    if (!std::filesystem::exists(path, none) && !none)
        return side_read::missing;
    std::string text, error;
    if (!read_whole_file(path, max_file, text, &error)) {
        if (why)
            *why = error;
        return side_read::refused;
    }
    std::string trouble;
    if (!read_settings(text, out, &trouble)) {
        if (why)
            *why = path + ": " + trouble;
        return side_read::refused;
    }
    return side_read::read;
}

bool save_side_file(const std::string& path, const workbench_settings& s, std::string* why)
{
    const std::string text = write_settings(s);
    const file_check same = [&](std::span<const char> bytes) -> std::string {
        workbench_settings back;
        std::string trouble;
        if (!read_settings(std::string_view(bytes.data(), bytes.size()), back, &trouble))
            return "the side file does not read back: " + trouble;
        return back == s ? std::string() : "the side file reads back different settings";
    };
    replace_options options;
    options.lock_wait_ms = 0;
    return replace_file(path, std::span<const char>(text.data(), text.size()), same, why, options);
}

side_settings::side_settings(const std::string& data_path)
{
    const std::string path = side_file_path(data_path);
    if (load_side_file(path, now, &refused) == side_read::refused)
        refused_path = path;
    else
        refused.clear();
}

bool side_settings::write(const std::string& data_path, std::string* why)
{
    if (!due)
        return true;
    const std::string path = side_file_path(data_path);
    if (path == refused_path) {
        // Mended or removed since: written over from now on.
        workbench_settings ignored;
        std::string still;
        if (load_side_file(path, ignored, &still) == side_read::refused) {
            if (why)
                *why = "settings not saved: " + still + " (mend or remove it)";
            return false;
        }
        refused_path.clear();
    }
    std::string error;
    if (!save_side_file(path, now, &error)) {
        if (why)
            *why = "settings not saved: " + error;
        return false;
    }
    due = false;
    return true;
}

} // namespace quor::edit
