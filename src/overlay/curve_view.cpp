// The curve is sampled a point a pixel over the time shown, from the channel as the demo builds
// it, so the curve shown is the curve drawn; the samples are kept until the channel or the view
// changes, so that a long import's curve costs nothing while it plays. A key under the pointer is
// picked, selected and gone to; Ctrl+click adds it to the picked keys or takes it out. Dragging a
// picked key moves all of them together along the way the pointer mostly goes: in time (snapped
// while snapping is on) or in value, one undo step for the whole drag, at the scale of its press.
// Shift+drag elsewhere picks the keys in a box; a plain click or drag seeks.
#include "overlay/curve_view.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "anim/envelope.h"
#include "demo/data_file.h"
#include "overlay/key_edit.h"
#include "overlay/panels.h"
#include "overlay/plot_colours.h"
#include "overlay/timing_panel.h"

namespace quor::overlay {
namespace {

using edit::channel_record;
using edit::channel_ref;
using edit::curve_scale;

constexpr float key_pick_radius = 5;
constexpr float key_radius = 3.5f;
// Keys closer than this many pixels are drawn as dots, shapes would merge into a band; closer
// than the crowded gap only the picked ones are drawn, the curve shows the rest.
constexpr float dense_key_gap = 9;
constexpr float crowded_key_gap = 3;
constexpr float wheel_height_step = 10;
// The rulers' labels stand at least this many pixels apart.
constexpr float second_gap = 56, bar_gap = 48, value_gap = 22;
// The triple's colours: x, y, z.
const std::array<ImU32, 3> triple_colours{IM_COL32(255, 120, 110, 255), IM_COL32(120, 220, 120, 255),
                                          IM_COL32(120, 180, 255, 255)};
const ImU32 picked_colour = IM_COL32(255, 220, 80, 255);
const ImU32 key_colour = IM_COL32(255, 255, 255, 255);
const ImU32 handle_colour = IM_COL32(255, 160, 230, 255);
const ImU32 label_colour = IM_COL32(170, 170, 180, 200);
const ImU32 bar_label_colour = IM_COL32(160, 160, 200, 220);
const ImU32 value_line_colour = IM_COL32(90, 90, 100, 60);
constexpr const char* help =
    "wheel: zoom in time about the pointer\n"
    "Shift+wheel: zoom in value\n"
    "Ctrl+wheel: the curve taller or shorter\n"
    "middle drag: pan\n"
    "f: frame the picked keys   a: frame the whole channel\n"
    "click: go to that time   click a key: pick it and go to it\n"
    "drag a key: move the picked keys   Ctrl+click: pick one more\n"
    "Shift+drag: pick the keys in a box";

std::size_t slot(channel_ref at)
{
    return at.record * record::transformation_channels + static_cast<std::size_t>(at.channel);
}

ImU32 faded(ImU32 colour, int alpha) { return (colour & ~IM_COL32_A_MASK) | (static_cast<ImU32>(alpha) << IM_COL32_A_SHIFT); }

// The channel's curve at `count` points evenly over `time`, kept while nothing it depends on changed.
const std::vector<float>& samples_of(curve_view_state& view, const edit::workbench& bench, channel_ref at,
                                     const edit::time_range& time, int count)
{
    const channel_record& c = bench.document().channel(at);
    curve_view_state::sampled& s = view.samples[slot(at)];
    if (s.time == time && s.values.size() == static_cast<std::size_t>(count) && edit::same_channel(s.channel, c))
        return s.values;
    Channel curve = edit::engine_channel(c);
    s.channel = c;
    s.channel.source.clear();
    s.time = time;
    s.values.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s.values[static_cast<std::size_t>(i)] =
            curve.evaluate(time.from + (time.to - time.from) * i / std::max(1, count - 1));
    return s.values;
}

// The channels drawn with `at`: those of its triple the author overlaid, and it.
std::vector<channel_ref> shown_with(const edit::workbench& bench, channel_ref at)
{
    const auto& overlaid = bench.settings().get().curve_overlay;
    std::vector<channel_ref> out;
    const int first = at.channel / 3 * 3;
    for (int c = first; c < first + 3; ++c)
        if (c != at.channel && overlaid[static_cast<std::size_t>(c)])
            out.push_back({at.record, c});
    return out;
}

// The whole timeline's values of `at` (and those overlaid), its keys included.
edit::value_range whole_range(curve_view_state& view, const edit::workbench& bench, channel_ref at, int count,
                              bool with_overlaid)
{
    const double end = bench.player().end();
    std::vector<float> all = samples_of(view, bench, at, {0, end}, count);
    for (const Key& k : bench.document().channel(at).keys)
        all.push_back(k.value);
    if (with_overlaid)
        for (channel_ref other : shown_with(bench, at)) {
            const std::vector<float>& more = samples_of(view, bench, other, {0, end}, count);
            all.insert(all.end(), more.begin(), more.end());
        }
    return edit::range_of(all);
}

// The picked keys' stretch, and the values of the curve between the first and the last of them.
bool frame_picked(curve_view_state& view, edit::workbench& bench, const selection& selected, int count)
{
    const channel_record& c = bench.document().channel(selected.channel);
    const edit::key_set set = picked(selected, c.keys.size());
    if (set.empty()) {
        bench.set_status("no key picked to frame: a click on a key picks it", false);
        return false;
    }
    std::vector<double> times;
    std::vector<float> values;
    for (std::size_t k : set) {
        times.push_back(c.keys[k].time);
        values.push_back(c.keys[k].value);
    }
    const auto [first, last] = std::minmax_element(times.begin(), times.end());
    if (*last > *first) {
        const std::vector<float>& between = samples_of(view, bench, selected.channel, {*first, *last}, count);
        values.insert(values.end(), between.begin(), between.end());
    }
    view.time = edit::framed_times(times, bench.player().end());
    view.values[slot(selected.channel)] = edit::range_of(values);
    return true;
}

void draw_key(ImDrawList* draw, const ImVec2& p, Shape shape, ImU32 colour, bool dense)
{
    const float r = key_radius;
    if (dense) {
        draw->AddRectFilled(ImVec2(p.x - 1.5f, p.y - 1.5f), ImVec2(p.x + 1.5f, p.y + 1.5f), colour);
        return;
    }
    switch (shape) {
    case Shape::Linear: // a square
        draw->AddRectFilled(ImVec2(p.x - r, p.y - r), ImVec2(p.x + r, p.y + r), colour);
        break;
    case Shape::Stepped: // a step
        draw->AddRectFilled(ImVec2(p.x - r, p.y - 1.5f), ImVec2(p.x + r, p.y + 1.5f), colour);
        draw->AddRectFilled(ImVec2(p.x - 1.5f, p.y - r), ImVec2(p.x + 1.5f, p.y), colour);
        break;
    case Shape::TCB: // a round
        draw->AddCircleFilled(p, r, colour);
        break;
    default: // the handled curves (Hermite, Bezier): a diamond
        draw->AddQuadFilled(ImVec2(p.x, p.y - r - 1), ImVec2(p.x + r + 1, p.y), ImVec2(p.x, p.y + r + 1),
                            ImVec2(p.x - r - 1, p.y), colour);
        break;
    }
}

bool hermite_span(Shape s) { return s == Shape::TCB || s == Shape::Hermite || s == Shape::Bezier; }

// The tangents of key k of the channel's keys, taken from the envelope the demo builds (the
// reader's seed key first), each drawn a third of its span along it: where a Bezier span's control
// point stands. A side is drawn only where its span uses the tangent.
void draw_tangents(ImDrawList* draw, const edit::channel_record& c, std::size_t k, const curve_scale& s,
                   const edit::plot_area& at)
{
    Channel curve = edit::engine_channel(c);
    const Envelope* envelope = curve.dynamic ? curve.dynamic->as_envelope() : nullptr;
    if (!envelope || envelope->key_count() != c.keys.size() + 1)
        return;
    const std::vector<Key>& keys = envelope->keys();
    const std::size_t e = k + 1;
    const Key& key = keys[e];
    const ImVec2 p(s.x_of(at, key.time), s.y_of(at, key.value));
    const auto handle = [&](double dt, double dv) {
        const ImVec2 q(s.x_of(at, key.time + dt), s.y_of(at, key.value + dv));
        draw->AddLine(p, q, handle_colour, 1.5f);
        draw->AddCircle(q, 3, handle_colour);
    };
    if (hermite_span(key.shape))
        handle(-(key.time - keys[e - 1].time) / 3, -tangent_in(keys, e) / 3);
    if (e + 1 < keys.size() &&
        (hermite_span(keys[e + 1].shape) || (keys[e + 1].shape == Shape::Bezier2D && key.shape != Shape::Bezier2D)))
        handle((keys[e + 1].time - key.time) / 3, tangent_out(keys, e) / 3);
}

void draw_rulers(ImDrawList* draw, const curve_scale& s, const edit::plot_area& at, const edit::tempo& beat)
{
    char text[32];
    const float line = ImGui::GetTextLineHeight();
    const float foot = at.y + at.height;
    // Values: a faint line and the value at the left.
    const double value_step = edit::tick_step(s.values.hi - s.values.lo, at.height - 2 * edit::plot_area::margin, value_gap);
    const int value_digits = edit::tick_decimals(value_step);
    for (double v : edit::ticks(s.values.lo, s.values.hi, value_step)) {
        const float y = std::floor(s.y_of(at, v)) + 0.5f;
        draw->AddLine(ImVec2(at.x, y), ImVec2(at.x + at.width, y), value_line_colour);
        std::snprintf(text, sizeof text, "%.*f", value_digits, v + 0.0);
        draw->AddText(ImVec2(at.x + 2, std::clamp(y - line / 2, at.y, foot - line)), label_colour, text);
    }
    // Seconds along the foot, bars along the top.
    const double span = s.time.to - s.time.from;
    const double second_step = edit::tick_step(span, at.width, second_gap);
    const int second_digits = edit::tick_decimals(second_step);
    for (double t : edit::ticks(s.time.from, s.time.to, second_step)) {
        const float x = std::floor(s.x_of(at, t)) + 0.5f;
        draw->AddLine(ImVec2(x, foot - 4), ImVec2(x, foot), label_colour);
        std::snprintf(text, sizeof text, "%.*f s", second_digits, t);
        draw->AddText(ImVec2(x + 2, foot - line), label_colour, text);
    }
    for (const edit::bar_tick& b : edit::bar_ticks(beat, s.time.from, s.time.to, bar_gap * s.seconds_per_pixel(at))) {
        std::snprintf(text, sizeof text, "bar %d", b.bar);
        draw->AddText(ImVec2(s.x_of(at, b.time) + 2, at.y), bar_label_colour, text);
    }
}

} // namespace

void take_wheel(curve_view_state& view, ImGuiIO& io)
{
    const edit::plot_area& p = view.plot;
    const bool over = view.plotted && io.MousePos.x >= p.x && io.MousePos.x < p.x + p.width && io.MousePos.y >= p.y &&
                      io.MousePos.y < p.y + p.height;
    // Drawn again this frame, or not at all (a constant selected): then the wheel is the panel's.
    view.plotted = false;
    if (!over || io.MouseWheel == 0)
        return;
    view.wheel += io.MouseWheel;
    view.wheel_shift = io.KeyShift;
    view.wheel_ctrl = io.KeyCtrl;
    io.MouseWheel = 0;
}

void forget_curve(curve_view_state& view, channel_ref at) { view.values.erase(slot(at)); }

void draw_curve_choices(edit::workbench& bench, channel_ref at)
{
    const auto& overlaid = bench.settings().get().curve_overlay;
    const int first = at.channel / 3 * 3;
    ImGui::SameLine(0, 16);
    ImGui::TextDisabled("with");
    for (int c = first; c < first + 3; ++c) {
        if (c == at.channel)
            continue;
        const auto i = static_cast<std::size_t>(c);
        const ImU32 colour = triple_colours[i % 3];
        ImGui::SameLine();
        ImGui::PushID(c);
        ImGui::PushStyleColor(ImGuiCol_Button, overlaid[i] ? faded(colour, 110) : faded(colour, 25));
        ImGui::PushStyleColor(ImGuiCol_ButtonHovered, faded(colour, 150));
        // "y" for position y: the title line has room for little more.
        const std::string name = demo::channel_names[i];
        if (ImGui::SmallButton(name.substr(name.rfind(' ') + 1).c_str()))
            bench.settings().change().curve_overlay[i] = !overlaid[i];
        ImGui::PopStyleColor(2);
        ImGui::PopID();
    }
    ImGui::SameLine(0, 16);
    ImGui::TextDisabled("(?)");
    if (ImGui::IsItemHovered())
        ImGui::SetTooltip("%s", help);
}

bool curve_key(edit::workbench& bench, selection& selected, unsigned char key)
{
    if (key != 'f' && key != 'a')
        return false;
    const edit::channel_kind kind = bench.document().channel(selected.channel).kind();
    if (kind != edit::channel_kind::envelope && kind != edit::channel_kind::mixer) {
        bench.set_status("the selected channel has no curve to frame", false);
        return true;
    }
    if (key == 'f' && kind != edit::channel_kind::envelope) {
        bench.set_status("a mixer's keys are not picked: a frames its whole curve", false);
        return true;
    }
    selected.view.frame = key == 'f' ? curve_view_state::framing::picked : curve_view_state::framing::channel;
    return true;
}

void draw_curve(edit::workbench& bench, channel_ref at, selection* selected, curve_view_state& view,
                timing_state& timing, bool& scrubbing)
{
    const channel_record& c = bench.document().channel(at);
    const double end = bench.player().end();
    const ImVec2 size(std::max(ImGui::GetContentRegionAvail().x, 2.0f), bench.settings().get().curve_height);
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const edit::plot_area area{origin.x, origin.y, size.x, size.y};
    view.plot = area;
    view.plotted = true;
    const int count = std::max(2, static_cast<int>(size.x));

    // The view: the whole timeline and channel at first, then as the author zooms, pans and frames.
    if (!(view.time.to > view.time.from))
        view.time = {0, end};
    const auto asked = std::exchange(view.frame, curve_view_state::framing::none);
    if (asked == curve_view_state::framing::picked && selected)
        frame_picked(view, bench, *selected, count);
    if (asked == curve_view_state::framing::channel) {
        view.time = {0, end};
        view.values[slot(at)] = whole_range(view, bench, at, count, true);
    }
    if (!view.values.count(slot(at)))
        view.values[slot(at)] = whole_range(view, bench, at, count, false);
    edit::value_range& values = view.values[slot(at)];

    ImGui::InvisibleButton("curve", size, ImGuiButtonFlags_MouseButtonLeft | ImGuiButtonFlags_MouseButtonMiddle);
    const bool active = ImGui::IsItemActive();
    const bool hovered = ImGui::IsItemHovered();
    const ImGuiIO& io = ImGui::GetIO();
    const float wheel = std::exchange(view.wheel, 0.0f);
    curve_scale s{view.time, values};
    if (hovered && wheel != 0) {
        if (view.wheel_ctrl) {
            // The plot taller or shorter, kept in the side file.
            const float height = std::clamp(size.y + wheel_height_step * wheel, edit::workbench_settings::min_curve_height,
                                            edit::workbench_settings::max_curve_height);
            if (height != size.y)
                bench.settings().change().curve_height = height;
        } else if (view.wheel_shift) {
            values = edit::zoom_values(values, edit::wheel_factor(wheel), s.value_at(area, io.MousePos.y));
        } else {
            view.time = edit::zoom_time(view.time, edit::wheel_factor(wheel), s.time_at(area, io.MousePos.x), end);
        }
        s = {view.time, values};
    }
    const bool pressed = ImGui::IsItemActivated();
    const bool middle = active && GImGui->ActiveIdMouseButton == ImGuiMouseButton_Middle;
    // A middle drag pans, from the view at its press.
    if (pressed && middle) {
        view.panning = true;
        view.pan_start = s;
    }
    if (!active)
        view.panning = false;
    if (view.panning) {
        const ImVec2 d = ImGui::GetMouseDragDelta(ImGuiMouseButton_Middle, 0);
        view.time = edit::pan_time(view.pan_start.time, -d.x * view.pan_start.seconds_per_pixel(area), end);
        values = edit::pan_values(view.pan_start.values, d.y * view.pan_start.values_per_pixel(area));
        s = {view.time, values};
    }

    // The press's own frame moves nothing: its pointer delta is the travel to the key, which a quick
    // click makes in the same frame as the press.
    if (selected && pressed && !middle) {
        selected->dragging_key = selected->boxing = selected->drag_changed = false;
        int hit = -1;
        for (std::size_t k = 0; k < c.keys.size(); ++k)
            if (std::abs(s.x_of(area, c.keys[k].time) - io.MousePos.x) <= key_pick_radius &&
                std::abs(s.y_of(area, c.keys[k].value) - io.MousePos.y) <= key_pick_radius)
                hit = static_cast<int>(k);
        const auto k = static_cast<std::size_t>(hit);
        if (hit >= 0 && io.KeyCtrl) {
            // The table's key joins the picked ones before the set changes.
            selected->keys = picked(*selected, c.keys.size());
            if (selected->keys.erase(k) == 0)
                selected->keys.insert(k);
            selected->key = selected->keys.empty() ? -1 : static_cast<int>(selected->keys.count(k) ? k : *selected->keys.begin());
            selected->scroll_to_key = selected->key >= 0;
        } else if (hit >= 0) {
            if (!picked(*selected, c.keys.size()).count(k))
                selected->keys = {k};
            selected->key = hit;
            selected->scroll_to_key = selected->dragging_key = true;
            selected->drag_start = c.keys;
            selected->drag_set = picked(*selected, c.keys.size());
            selected->drag_time = c.keys[k].time;
            selected->drag_value = c.keys[k].value;
            selected->drag_seconds_per_pixel = s.seconds_per_pixel(area);
            selected->drag_values_per_pixel = s.values_per_pixel(area);
            bench.player().seek(c.keys[k].time);
        } else if (io.KeyShift) {
            selected->boxing = true;
            selected->box_x = io.MousePos.x;
            selected->box_y = io.MousePos.y;
        } else {
            selected->keys.clear();
        }
    }
    const bool on_key = selected && selected->dragging_key;
    const bool boxing = selected && selected->boxing;
    if (active && !middle && !on_key && !boxing) {
        scrubbing = true;
        bench.player().seek(bench.settings().get().snapped(std::clamp(s.time_at(area, io.MousePos.x), 0.0, end)));
    } else if (active && !middle && on_key && !pressed) {
        const ImVec2 d = ImGui::GetMouseDragDelta(ImGuiMouseButton_Left, 0);
        double dt = 0;
        float dv = 0;
        if (std::abs(d.x) >= std::abs(d.y))
            dt = bench.settings().get().snapped(std::max(0.0, selected->drag_time + d.x * selected->drag_seconds_per_pixel)) -
                 selected->drag_time;
        else
            dv = static_cast<float>(-d.y * selected->drag_values_per_pixel);
        const edit::moved_keys moved = edit::move_keys(selected->drag_start, selected->drag_set, dt, dv);
        const bool same = moved.keys.size() == c.keys.size() &&
                          std::equal(moved.keys.begin(), moved.keys.end(), c.keys.begin(), [](const Key& a, const Key& b) {
                              return a.time == b.time && a.value == b.value;
                          });
        if (!same && put_keys(bench, *selected, moved, selected->drag_changed)) {
            selected->drag_changed = true;
            // The pressed key stays the table's.
            for (std::size_t k : moved.selected)
                if (moved.keys[k].time == static_cast<float>(selected->drag_time + dt))
                    selected->key = static_cast<int>(k);
            selected->scroll_to_key = false;
        }
    }
    if (boxing && ImGui::IsItemDeactivated()) {
        selected->boxing = false;
        selected->keys = edit::keys_in_box(c.keys, s.time_at(area, selected->box_x), s.time_at(area, io.MousePos.x),
                                           s.value_at(area, selected->box_y), s.value_at(area, io.MousePos.y));
        selected->key = selected->keys.empty() ? -1 : static_cast<int>(*selected->keys.begin());
        selected->scroll_to_key = selected->key >= 0;
        bench.set_status("picked " + std::to_string(selected->keys.size()) + " keys", false);
    }
    const edit::key_set lit = selected ? picked(*selected, c.keys.size()) : edit::key_set{};

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 far(origin.x + size.x, origin.y + size.y);
    draw->PushClipRect(origin, far, true);
    draw->AddRectFilled(origin, far, plot_background);
    draw_beat_grid(draw, origin, size, s.time.from, s.time.to, bench.settings().get(), timing.music, timing.curve_wave);
    draw_rulers(draw, s, area, bench.settings().get().beat);
    std::vector<ImVec2> line(static_cast<std::size_t>(count));
    const auto plot_curve = [&](channel_ref which, float thickness, int alpha) {
        const std::vector<float>& v = samples_of(view, bench, which, s.time, count);
        for (int i = 0; i < count; ++i)
            line[static_cast<std::size_t>(i)] = ImVec2(origin.x + size.x * static_cast<float>(i) / static_cast<float>(count - 1),
                                                       s.y_of(area, v[static_cast<std::size_t>(i)]));
        draw->AddPolyline(line.data(), count, faded(triple_colours[static_cast<std::size_t>(which.channel) % 3], alpha), 0,
                          thickness);
    };
    // The overlaid channels under the edited one. Whole-pixel widths: ImGui draws those from its
    // font texture, two triangles a segment, which the software rasteriser sets up at a fraction
    // of the cost of the fringed ones.
    for (channel_ref other : shown_with(bench, at))
        plot_curve(other, 1, 150);
    plot_curve(at, 2, 255);
    if (s.time.from <= 0)
        draw->AddCircle(ImVec2(s.x_of(area, 0), s.y_of(area, 0)), key_radius, IM_COL32(160, 160, 160, 255));
    // Only the keys in view; dots where they crowd.
    const auto in_view = [&](const Key& k) { return k.time >= s.time.from - 1e-6 && k.time <= s.time.to + 1e-6; };
    const auto shown = std::count_if(c.keys.begin(), c.keys.end(), in_view);
    const float gap = shown > 1 ? size.x / static_cast<float>(shown) : size.x;
    const bool dense = gap < dense_key_gap, crowded = gap < crowded_key_gap;
    for (std::size_t k = 0; k < c.keys.size(); ++k)
        if (in_view(c.keys[k]) && (!crowded || lit.count(k)))
            draw_key(draw, ImVec2(s.x_of(area, c.keys[k].time), s.y_of(area, c.keys[k].value)), c.keys[k].shape,
                     lit.count(k) ? picked_colour : key_colour, dense && !lit.count(k));
    if (selected && selected->key >= 0 && static_cast<std::size_t>(selected->key) < c.keys.size())
        draw_tangents(draw, c, static_cast<std::size_t>(selected->key), s, area);
    if (boxing && active)
        draw->AddRect(ImVec2(selected->box_x, selected->box_y), io.MousePos, picked_colour);
    const float now = s.x_of(area, bench.player().time());
    draw->AddLine(ImVec2(now, origin.y), ImVec2(now, far.y), playhead_colour);
    draw->PopClipRect();
}

} // namespace quor::overlay
