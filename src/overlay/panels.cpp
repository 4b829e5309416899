// Panel layout and widgets. Edits go through the workbench as commands, one undo step each: a
// drag on the curve is one step (the edits after its first frame continue it), and so is a number
// typed into a field. A key whose typed time passes its neighbour changes places in the table.
#include "overlay/panels.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "demo/data_file.h"
#include "app/report.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/scene_section.h"
#include "overlay/key_edit.h"

namespace quor::overlay {
namespace {

using edit::channel_kind;
using edit::channel_record;
using edit::channel_ref;
using edit::motion_document;

// The panels sit beside the picture and have no background of their own: the demo's clear shows
// through them, and the software rasteriser fills only their widgets.
constexpr ImGuiWindowFlags fixed_panel = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                         ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground;
constexpr int min_key_rows = 3;
constexpr float status_lines = 2;
constexpr const char* number_format = "%.3f";
constexpr float question_width = 520;
const ImVec4 failure_colour(1, 0.45f, 0.35f, 1);
const ImVec4 success_colour(0.5f, 0.9f, 0.5f, 1);
constexpr std::array<const char*, 6> shape_names{"TCB", "Hermite", "Bezier", "Linear", "Stepped", "Bezier 2D"};

void place_panel(const rect& where)
{
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(where.x), static_cast<float>(where.y)));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(where.width), static_cast<float>(where.height)));
}

// Questions go over the top of the transport, not over the picture nor over the status line, at
// one width: their buttons stay where they are whatever a question says.
void ask_over(const rect& where)
{
    const float padding = ImGui::GetStyle().WindowPadding.y;
    const float width = std::min(question_width, static_cast<float>(where.width) - 2 * padding);
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(where.x) + static_cast<float>(where.width) / 2,
                                   static_cast<float>(where.y) + padding),
                            ImGuiCond_Always, ImVec2(0.5f, 0));
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0), ImVec2(width, static_cast<float>(where.height)));
}

// A failed save's reason, below the buttons of the question that tried it.
void failure_line(const edit::workbench& bench)
{
    if (bench.status_failed() && !bench.status().empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, failure_colour);
        ImGui::TextWrapped("%s", bench.status().c_str());
        ImGui::PopStyleColor();
    }
}

const char* shape_name(Shape s)
{
    const auto i = static_cast<std::size_t>(s);
    return i < shape_names.size() ? shape_names[i] : "other";
}

std::string summary(const channel_record& c)
{
    char text[64];
    switch (c.kind()) {
    case channel_kind::constant:
        // -0 (an import's heading of a level camera) reads as 0.
        std::snprintf(text, sizeof text, "constant %.4g", static_cast<double>(c.value) + 0.0);
        break;
    case channel_kind::envelope:
        std::snprintf(text, sizeof text, "envelope, %zu keys", c.keys.size());
        break;
    case channel_kind::mixer:
        std::snprintf(text, sizeof text, "mixer, %zu entries", c.entries.size());
        break;
    default:
        std::snprintf(text, sizeof text, "other (tag %u)", c.tag);
        break;
    }
    return text;
}

// The number a field shows for v, read back from its text: that text typed again changes nothing.
float as_shown(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, number_format, static_cast<double>(v));
    return std::strtof(text, nullptr);
}

// A change made says what it was on the status line; a refusal has said why already.
void said(edit::workbench& bench, const edit::edit_result& r, const std::string& what)
{
    if (r.ok)
        bench.set_status(what, false);
}

// Once its field is left (Enter, Tab to the next field, a click elsewhere), a typed number becomes
// one undo step. Escape has given the field its text back by then, which reads as the number
// shown: nothing changes. A number typed while the history moved (a reload) may name another key,
// and is dropped.
void commit_typing(edit::workbench& bench, selection& selected)
{
    const typed_number t = std::exchange(selected.typing, {});
    if (t.item == 0 || t.value == t.shown || t.moves != bench.history_moves())
        return;
    if (!t.field) {
        said(bench, bench.edit([&](motion_document& d) { return d.set_constant(t.at, t.value); }),
             "set " + edit::channel_name(t.at) + " to " + system::number_text(t.value));
        return;
    }
    // The curve and the playback end there: a key past it would never be seen.
    const double end = bench.player().end();
    if (t.field == &Key::time && t.value > end) {
        bench.set_status("not changed: a key at " + system::number_text(t.value) + " s is past the end of the timeline (" +
                             system::number_text(end) + " s)",
                         true);
        return;
    }
    const std::vector<Key>& keys = bench.document().channel(t.at).keys;
    Key key = t.key < keys.size() ? keys[t.key] : Key{};
    // A typed time goes to the beat while snapping is on.
    key.*t.field = t.field == &Key::time ? static_cast<float>(bench.settings().get().snapped(t.value)) : t.value;
    const edit::edit_result r = bench.edit([&](motion_document& d) { return d.set_key(t.at, t.key, key); });
    said(bench, r, "changed the key at " + system::number_text(key.time) + " s of " + edit::channel_name(t.at));
    if (r.ok && selected.channel == t.at) {
        // A new time may move the key past others: its row follows it.
        selected.scroll_to_key = r.key != t.key;
        selected.key = static_cast<int>(r.key);
    }
}

// A number that a click makes editable as text; ImGui selects it whole, so typing replaces it.
// What is typed waits in `selected.typing` for commit_typing.
void number_field(edit::workbench& bench, const char* id, float stored, selection& selected, typed_number target)
{
    const ImGuiID item = ImGui::GetID(id);
    float v = selected.typing.item == item ? selected.typing.value : stored;
    if (!ImGui::InputFloat(id, &v, 0, 0, number_format))
        return;
    if (selected.typing.item != item) {
        commit_typing(bench, selected);
        target.item = item;
        target.shown = as_shown(stored);
        target.moves = bench.history_moves();
        selected.typing = target;
    }
    selected.typing.value = v;
}

// The files of the chosen folder that an import can read, by their names.
void list_files(import_choice& choice)
{
    choice.listed = choice.folder.data();
    while (choice.listed.size() > 1 && choice.listed.back() == '/')
        choice.listed.pop_back();
    choice.files.clear();
    choice.file = choice.source = -1;
    choice.sources.clear();
    choice.trouble.clear();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(choice.listed, error)) {
        std::string extension = entry.path().extension().string();
        std::ranges::transform(extension, extension.begin(), [](unsigned char c) { return std::tolower(c); });
        std::error_code not_regular;
        if (entry.is_regular_file(not_regular) &&
            (extension == ".lws" || extension == ".gltf" || extension == ".glb" || extension == ".txt"))
            choice.files.push_back(entry.path().filename().string());
    }
    std::ranges::sort(choice.files);
    if (error)
        choice.trouble = choice.listed + ": " + error.message();
    else if (choice.files.empty())
        choice.trouble = choice.listed + " holds no scene, glTF or motion text";
}

// A list item whose identity is its place in the list, its text shown as it is: a file's or a
// node's name may hold "##" or "###", which Dear ImGui would read as an identity, so that two
// items shared one or a name lost its end.
bool list_item(std::size_t index, const std::string& text, bool selected)
{
    ImGui::PushID(static_cast<int>(index));
    const float x = ImGui::GetCursorPosX();
    const bool clicked = ImGui::Selectable("##item", selected);
    ImGui::SameLine(x);
    ImGui::TextUnformatted(text.c_str());
    ImGui::PopID();
    return clicked;
}

void pick_file(import_choice& choice, int file)
{
    choice.file = file;
    choice.source = -1;
    choice.trouble.clear();
    if (!interchange::list_motion_sources(choice.listed + "/" + choice.files[static_cast<std::size_t>(file)],
                                          choice.sources, &choice.trouble))
        choice.sources.clear();
    else if (choice.sources.size() == 1)
        choice.source = 0;
}

// The import's simplification: whether, within what, and for the chosen source what it would do.
// False when it is asked for and would not do (a tolerance that is not one, a source that does
// not import): Import waits.
bool draw_simplify(import_choice& choice, const std::optional<import_request>& request)
{
    ImGui::Checkbox("Simplify within", &choice.simplify);
    ImGui::BeginDisabled(!choice.simplify);
    const float field = ImGui::CalcTextSize("0.00000").x + 2 * ImGui::GetStyle().FramePadding.x;
    ImGui::SameLine();
    ImGui::SetNextItemWidth(field);
    ImGui::InputFloat("##distance", &choice.tolerance.distance, 0, 0, "%g");
    ImGui::SameLine();
    ImGui::TextUnformatted("units");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(field);
    ImGui::InputFloat("##degrees", &choice.tolerance.degrees, 0, 0, "%g");
    ImGui::SameLine();
    ImGui::TextUnformatted("degrees");
    ImGui::EndDisabled();
    if (!choice.simplify || !request)
        return true;
    const std::string& line = choice.preview.line(*request, choice.tolerance);
    const ImVec4 quiet = ImGui::GetStyle().Colors[ImGuiCol_TextDisabled];
    ImGui::PushStyleColor(ImGuiCol_Text, choice.preview.failed() ? failure_colour : quiet);
    ImGui::TextWrapped("%s%s", choice.preview.failed() ? "" : "Import: ", line.c_str());
    ImGui::PopStyleColor();
    return !choice.preview.failed();
}

void draw_key_table(edit::workbench& bench, channel_ref at, selection& selected)
{
    const std::vector<Key>& keys = bench.document().channel(at).keys;
    ImGui::TextDisabled("Every envelope is 0 at 0 s: the reader seeds that key.");
    const ImGuiTableFlags flags = ImGuiTableFlags_BordersOuter | ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_ScrollY;
    // The table takes the panel's height down to its foot, and scrolls.
    const float row = ImGui::GetFrameHeightWithSpacing();
    const float height = std::max(ImGui::GetContentRegionAvail().y, row * (min_key_rows + 1));
    // Each channel's table is its own: its scroll and its fields are not another channel's rows.
    ImGui::PushID(static_cast<int>(at.record * edit::channel_count + static_cast<std::size_t>(at.channel)));
    if (!ImGui::BeginTable("keys", 6, flags, ImVec2(0, height))) {
        ImGui::PopID();
        return;
    }
    // While playing, the row of the key last passed stays in view.
    int passed = -1;
    if (!bench.player().playing())
        selected.followed = -1;
    else
        for (std::size_t k = 0; k < keys.size() && keys[k].time <= bench.player().time(); ++k)
            passed = static_cast<int>(k);
    // Widths for the widest text each column shows (a key's "-11.437"), padding included.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float digit = ImGui::CalcTextSize("0").x;
    for (const auto& [name, digits] : {std::pair{"time", 6}, {"value", 7}, {"shape", 7}, {"tens.", 6}, {"cont.", 6}, {"bias", 6}})
        ImGui::TableSetupColumn(name, ImGuiTableColumnFlags_WidthFixed,
                                digit * static_cast<float>(digits) + 2 * style.FramePadding.x);
    ImGui::TableSetupScrollFreeze(0, 1);
    ImGui::TableHeadersRow();
    // Only the rows in view are made (an import's 745 keys would format every number of every row
    // each frame), and those brought into view or being typed into.
    ImGuiListClipper rows;
    rows.Begin(static_cast<int>(keys.size()));
    const auto keep = [&](int k) {
        if (k >= 0 && static_cast<std::size_t>(k) < keys.size())
            rows.ForceDisplayRangeByIndices(k, k + 1);
    };
    if (selected.scroll_to_key)
        keep(selected.key);
    if (passed != selected.followed)
        keep(passed);
    if (selected.typing.item && selected.typing.at == at)
        keep(static_cast<int>(selected.typing.key));
    bool changed = false;
    while (!changed && rows.Step()) {
        const auto last = static_cast<std::size_t>(rows.DisplayEnd);
        for (auto k = static_cast<std::size_t>(rows.DisplayStart); !changed && k < last; ++k) {
            ImGui::PushID(static_cast<int>(k));
            Key key = keys[k];
            ImGui::TableNextRow();
            if (static_cast<int>(k) == selected.key) {
                ImGui::TableSetBgColor(ImGuiTableBgTarget_RowBg0, ImGui::GetColorU32(ImGuiCol_Header));
                if (selected.scroll_to_key)
                    ImGui::SetScrollHereY(0.5f);
                selected.scroll_to_key = false;
            }
            if (static_cast<int>(k) == passed && passed != selected.followed) {
                ImGui::SetScrollHereY(0.5f);
                selected.followed = passed;
            }
            const auto number = [&](const char* id, float Key::*field) {
                ImGui::TableNextColumn();
                ImGui::SetNextItemWidth(-1);
                number_field(bench, id, key.*field, selected, {0, at, k, field});
                if (ImGui::IsItemActive())
                    selected.key = static_cast<int>(k);
            };
            number("##time", &Key::time);
            number("##value", &Key::value);
            ImGui::TableNextColumn();
            ImGui::SetNextItemWidth(-1);
            if (ImGui::BeginCombo("##shape", shape_name(key.shape), ImGuiComboFlags_NoArrowButton)) {
                selected.key = static_cast<int>(k);
                for (std::size_t s = 0; s < shape_names.size(); ++s)
                    if (ImGui::Selectable(shape_names[s], static_cast<std::size_t>(key.shape) == s)) {
                        key.shape = static_cast<Shape>(s);
                        changed = true;
                    }
                ImGui::EndCombo();
            }
            number("##tension", &Key::tension);
            number("##continuity", &Key::continuity);
            number("##bias", &Key::bias);
            ImGui::PopID();
            if (changed) {
                const edit::edit_result r = bench.edit([&](motion_document& d) { return d.set_key(at, k, key); });
                said(bench, r, "made the key at " + system::number_text(key.time) + " s of " + edit::channel_name(at) + " " +
                                   shape_name(key.shape));
                if (r.ok)
                    selected.key = static_cast<int>(k);
                // The table shows the new keys from the next frame.
            }
        }
    }
    rows.End();
    ImGui::EndTable();
    ImGui::PopID();
}

void draw_details(edit::workbench& bench, selection& selected, timing_state& timing, bool& scrubbing)
{
    const channel_ref at = selected.channel;
    const channel_record& c = bench.document().channel(at);
    const double now = bench.player().time();
    ImGui::Separator();
    ImGui::Text("%s %s: %s", demo::record_names[at.record], demo::channel_names[static_cast<std::size_t>(at.channel)],
                edit::kind_name(c.kind()));
    const bool curve = c.kind() == channel_kind::envelope || c.kind() == channel_kind::mixer;
    if (curve)
        draw_curve_choices(bench, at);
    else
        forget_curve(selected.view, at);
    switch (c.kind()) {
    case channel_kind::constant: {
        number_field(bench, "value", c.value, selected, {0, at, 0, nullptr});
        if (ImGui::Button("Make envelope"))
            said(bench, bench.edit([&](motion_document& d) { return d.make_envelope(at); }),
                 "made " + edit::channel_name(at) + " an envelope");
        break;
    }
    case channel_kind::envelope: {
        draw_curve(bench, at, &selected, selected.view, timing, scrubbing);
        if (ImGui::Button("Add key here")) {
            const double here = bench.settings().get().snapped(now);
            const edit::edit_result r = bench.edit([&](motion_document& d) { return d.add_key(at, here); });
            said(bench, r, "added a key at " + system::number_text(here) + " s to " + edit::channel_name(at));
            if (r.ok) {
                selected.key = static_cast<int>(r.key);
                selected.scroll_to_key = true;
            }
        }
        ImGui::SameLine();
        ImGui::BeginDisabled(picked(selected, c.keys.size()).empty());
        if (ImGui::Button("Delete key"))
            delete_picked(bench, selected);
        ImGui::EndDisabled();
        ImGui::SameLine();
        if (ImGui::Button("Make constant"))
            said(bench, bench.edit([&](motion_document& d) { return d.make_constant(at, now); }),
                 "made " + edit::channel_name(at) + " the constant of its value at " + system::number_text(now) + " s");
        draw_key_tools(bench, selected);
        draw_key_table(bench, at, selected);
        break;
    }
    case channel_kind::mixer:
        draw_curve(bench, at, nullptr, selected.view, timing, scrubbing);
        ImGui::TextWrapped("Mixer entries are shown read-only; editing them may come later. The file stores no "
                           "weights, so the mixer yields its entry 0, the reader's seed: 0.");
        if (ImGui::Button("Make constant"))
            said(bench, bench.edit([&](motion_document& d) { return d.make_constant(at, now); }),
                 "made " + edit::channel_name(at) + " the constant of its value at " + system::number_text(now) + " s");
        // However many entries: they scroll in what the panel has left.
        ImGui::BeginChild("entries");
        for (std::size_t e = 0; e < c.entries.size(); ++e) {
            ImGui::Text("entry %zu:", e + 1);
            for (const Key& k : c.entries[e])
                ImGui::BulletText("%.3f s  %.4g  %s  t %.2f c %.2f b %.2f", k.time, k.value, shape_name(k.shape),
                                  k.tension, k.continuity, k.bias);
        }
        ImGui::EndChild();
        break;
    default:
        ImGui::TextWrapped("The reader skips tag %u: the channel stays 0.", c.tag);
        if (ImGui::Button("Make constant 0"))
            said(bench, bench.edit([&](motion_document& d) { return d.set_constant(at, 0); }),
                 "set " + edit::channel_name(at) + " to 0");
        break;
    }
}

// The loop's stretch under the time slider just drawn: solid while it loops, an outline while off
// or while its marks are the wrong way round.
void draw_loop_range(const edit::transport& play)
{
    if (!play.in_mark() && !play.out_mark())
        return;
    const ImVec2 lo = ImGui::GetItemRectMin(), hi = ImGui::GetItemRectMax();
    const auto x_of = [&](double t) { return lo.x + static_cast<float>(t / play.end()) * (hi.x - lo.x); };
    const float from = x_of(play.in_mark().value_or(0)), to = x_of(play.out_mark().value_or(play.end()));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 a(std::min(from, to), hi.y - 4), b(std::max(from, to), hi.y);
    if (play.looping())
        draw->AddRectFilled(a, b, IM_COL32(255, 200, 60, 230));
    else
        draw->AddRect(a, b, IM_COL32(255, 200, 60, 140));
}

} // namespace

void draw_transport(edit::workbench& bench, const rect& where, questions& asked, import_choice& importing,
                    import_watch& watch, timing_state& timing, bool& scrubbing)
{
    edit::transport& play = bench.player();
    place_panel(where);
    if (!ImGui::Begin("Transport", nullptr, fixed_panel | ImGuiWindowFlags_NoScrollbar)) {
        ImGui::End();
        return;
    }
    if (ImGui::Button(play.playing() ? "Pause" : "Play", ImVec2(56, 0)))
        play.toggle();
    ImGui::SameLine();
    if (ImGui::Button("|<"))
        play.seek(0);
    ImGui::SameLine();
    if (ImGui::Button("<"))
        play.step(-edit::transport::frame_step);
    ImGui::SameLine();
    if (ImGui::Button(">"))
        play.step(edit::transport::frame_step);
    ImGui::SameLine();
    float speed = play.speed();
    ImGui::SetNextItemWidth(120);
    if (ImGui::SliderFloat("speed", &speed, edit::transport::min_speed, edit::transport::max_speed, "%.2fx"))
        play.set_speed(speed);
    ImGui::SameLine();
    if (ImGui::Button("1x"))
        play.set_speed(1.0f);
    ImGui::SameLine();
    if (ImGui::Button("In"))
        play.mark_in();
    ImGui::SameLine();
    if (ImGui::Button("Out"))
        play.mark_out();
    ImGui::SameLine();
    bool loop = play.loop_enabled();
    if (ImGui::Checkbox("Loop", &loop))
        play.enable_loop(loop);

    float t = static_cast<float>(play.time());
    ImGui::SetNextItemWidth(-1);
    const bool moved = ImGui::SliderFloat("##time", &t, 0, static_cast<float>(play.end()), "%.3f s");
    scrubbing = scrubbing || ImGui::IsItemActive();
    if (moved)
        play.seek(bench.settings().get().snapped(t));
    draw_loop_range(play);

    ImGui::Text("%.3f s   creature frame %zu   %.1f fps", play.time(), demo::layout::frame_at(play.time()),
                bench.frames_per_second());
    if (play.in_mark() || play.out_mark()) {
        ImGui::SameLine(0, 24);
        ImGui::Text("loop %.2f - %.2f s%s", play.in_mark().value_or(0), play.out_mark().value_or(play.end()),
                    !play.loop_enabled() ? " (off)" : play.looping() ? "" : " (in must come before out)");
    }
    const motion_document& doc = bench.document();
    ImGui::BeginDisabled(!doc.can_undo());
    if (ImGui::Button("Undo"))
        bench.undo();
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(!doc.can_redo());
    if (ImGui::Button("Redo"))
        bench.redo();
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("Save"))
        bench.save();
    ImGui::SameLine();
    if (ImGui::Button("Save as..."))
        ask_for_copy(bench, asked, false);
    if (doc.modified()) {
        ImGui::SameLine();
        ImGui::TextColored(ImVec4(1, 0.8f, 0.3f, 1), "unsaved edits");
    }
    if (ImGui::Button("Import..."))
        open_import(importing);
    if (watch.watching()) {
        const import_request& r = watch.request();
        ImGui::SameLine();
        if (ImGui::Button("Stop watching"))
            watch.stop();
        ImGui::SameLine();
        ImGui::TextDisabled("watching %s (%s) for the %s", r.path.substr(r.path.rfind('/') + 1).c_str(),
                            r.source.label().c_str(), demo::record_names[r.record]);
    }
    draw_timing(bench, timing, scrubbing);

    // The status line keeps its place at the panel's foot, whatever the rows above it show.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float lines = status_lines * ImGui::GetTextLineHeightWithSpacing();
    ImGui::SetCursorPosY(std::max(ImGui::GetCursorPosY(), ImGui::GetWindowHeight() - style.WindowPadding.y - lines));
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    if (!bench.status().empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, bench.status_failed() ? failure_colour : success_colour);
        ImGui::PushClipRect(at, ImVec2(at.x + width, at.y + lines), true);
        ImGui::TextWrapped("%s", bench.status().c_str());
        ImGui::PopClipRect();
        ImGui::PopStyleColor();
    }
    ImGui::End();
}

void draw_channels(edit::workbench& bench, const rect& where, selection& selected, timing_state& timing,
                   bool& scrubbing)
{
    if (selected.typing.item && ImGui::GetActiveID() != selected.typing.item)
        commit_typing(bench, selected);
    place_panel(where);
    if (!ImGui::Begin("Channels", nullptr, fixed_panel)) {
        ImGui::End();
        return;
    }
    const motion_document& doc = bench.document();
    // The records side by side as tabs; the nine channels of the selected one below them.
    const float tab_width = (ImGui::GetContentRegionAvail().x - 2 * ImGui::GetStyle().ItemSpacing.x) / edit::record_count;
    for (std::size_t r = 0; r < edit::record_count; ++r) {
        if (r > 0)
            ImGui::SameLine();
        ImGui::PushID(static_cast<int>(r));
        if (ImGui::Selectable(demo::record_names[r], selected.channel.record == r, 0, ImVec2(tab_width, 0)) &&
            selected.channel.record != r) {
            selected.channel.record = r;
            selected.key = -1, selected.keys.clear();
        }
        ImGui::PopID();
    }
    const std::size_t r = selected.channel.record;
    ImGui::TextDisabled("%zu bytes, %zu left", doc.record_bytes(r), doc.room(r));
    for (int c = 0; c < edit::channel_count; ++c) {
        const channel_ref at{r, c};
        const std::string label = std::string(demo::channel_names[static_cast<std::size_t>(c)]) + "  " +
                                  summary(doc.channel(at)) + "##channel" + std::to_string(c);
        if (ImGui::Selectable(label.c_str(), selected.channel == at) && !(selected.channel == at)) {
            selected.channel = at;
            selected.key = -1, selected.keys.clear();
        }
    }
    draw_details(bench, selected, timing, scrubbing);
    ImGui::End();
}

void draw_reload_prompt(edit::workbench& bench, const rect& where)
{
    if (bench.reload_pending() && !ImGui::IsPopupOpen("Data file changed"))
        ImGui::OpenPopup("Data file changed");
    ask_over(where);
    if (!ImGui::BeginPopupModal("Data file changed", nullptr, ImGuiWindowFlags_AlwaysAutoResize))
        return;
    ImGui::Text("The data file changed on disk, and the edits here are not saved.");
    if (ImGui::Button("Load it (Ctrl+Z brings my edits back)")) {
        bench.answer_reload(true);
        ImGui::CloseCurrentPopup();
    }
    ImGui::SameLine();
    if (ImGui::Button("Keep my edits")) {
        bench.answer_reload(false);
        ImGui::CloseCurrentPopup();
    }
    ImGui::EndPopup();
}

void open_import(import_choice& choice)
{
    choice.open = true;
    choice.listed.clear();
    if (choice.folder[0] == 0) {
        const std::string start = system::start_folder().empty() ? "." : system::start_folder();
        start.copy(choice.folder.data(), choice.folder.size() - 1);
    }
}

void draw_import(edit::workbench& bench, const rect& where, import_choice& choice, import_watch& watch)
{
    constexpr const char* name = "Import motion";
    if (choice.open && !ImGui::IsPopupOpen(name))
        ImGui::OpenPopup(name);
    const float padding = ImGui::GetStyle().WindowPadding.x;
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(where.x) + padding, static_cast<float>(where.y) + padding));
    const float width = static_cast<float>(where.width) - 2 * padding;
    ImGui::SetNextWindowSizeConstraints(ImVec2(width, 0), ImVec2(width, static_cast<float>(where.height) - 2 * padding));
    if (!ImGui::BeginPopupModal(name, nullptr, ImGuiWindowFlags_AlwaysAutoResize))
        return;
    const float row = ImGui::GetTextLineHeightWithSpacing();
    ImGui::TextUnformatted("Folder");
    ImGui::SetNextItemWidth(-ImGui::CalcTextSize("List").x - 3 * padding);
    // Selected whole when clicked: a typed path replaces the old one.
    const bool entered = ImGui::InputText("##folder", choice.folder.data(), choice.folder.size(),
                                          ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll);
    ImGui::SameLine();
    if (ImGui::Button("List") || entered || choice.listed.empty())
        list_files(choice);
    ImGui::TextDisabled("scenes (.lws), glTF (.gltf, .glb), motion text (.txt)");
    if (ImGui::BeginListBox("##files", ImVec2(-1, 5 * row))) {
        for (std::size_t f = 0; f < choice.files.size(); ++f)
            if (list_item(f, choice.files[f], choice.file == static_cast<int>(f)) &&
                choice.file != static_cast<int>(f))
                pick_file(choice, static_cast<int>(f));
        ImGui::EndListBox();
    }
    if (!choice.trouble.empty()) {
        ImGui::PushStyleColor(ImGuiCol_Text, failure_colour);
        ImGui::TextWrapped("%s", choice.trouble.c_str());
        ImGui::PopStyleColor();
    } else if (choice.file >= 0) {
        ImGui::TextUnformatted("It holds");
        if (ImGui::BeginListBox("##sources", ImVec2(-1, 4 * row))) {
            for (std::size_t i = 0; i < choice.sources.size(); ++i)
                if (list_item(i, choice.sources[i].label(), choice.source == static_cast<int>(i)))
                    choice.source = static_cast<int>(i);
            ImGui::EndListBox();
        }
    }
    ImGui::TextUnformatted("Into");
    for (int r = 0; r < static_cast<int>(edit::record_count); ++r) {
        ImGui::SameLine();
        ImGui::RadioButton(demo::record_names[static_cast<std::size_t>(r)], &choice.record, r);
    }
    const double now = bench.player().time();
    if (choice.record + 1 < static_cast<int>(edit::record_count))
        ImGui::TextDisabled("nine constants: the values at %.3f s, the time now", now);
    ImGui::Checkbox("Watch the file: import it again when it changes", &choice.watch);
    std::optional<import_request> request;
    if (choice.source >= 0)
        request = import_request{choice.listed + "/" + choice.files[static_cast<std::size_t>(choice.file)],
                                 choice.sources[static_cast<std::size_t>(choice.source)],
                                 static_cast<std::size_t>(choice.record), now,
                                 choice.simplify ? std::optional(choice.tolerance) : std::nullopt};
    const bool simplify_ready = draw_simplify(choice, request);
    ImGui::BeginDisabled(!request || !simplify_ready);
    if (ImGui::Button("Import")) {
        if (watch.start(bench, *request, choice.watch))
            choice.open = false;
    }
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("Cancel"))
        choice.open = false;
    failure_line(bench);
    if (!choice.open)
        ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

void ask_for_copy(const edit::workbench& bench, questions& asked, bool then_quit)
{
    asked.quit = false;
    asked.copy = true;
    asked.quit_after_copy = then_quit;
    asked.focus_path = true;
    const std::string path = bench.copy_path();
    asked.path.fill(0);
    path.copy(asked.path.data(), asked.path.size() - 1);
}

void draw_questions(edit::workbench& bench, const rect& where, questions& asked)
{
    constexpr const char* unsaved = "Unsaved edits";
    constexpr const char* copy = "Save a copy";
    // One question at a time; Escape closes it from outside the frame.
    for (const auto& [name, open] : {std::pair{unsaved, asked.quit}, {copy, asked.copy}})
        if (open && !ImGui::IsPopupOpen(name))
            ImGui::OpenPopup(name);
    ask_over(where);
    if (ImGui::BeginPopupModal(unsaved, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        ImGui::TextWrapped("The edits here are not saved in %s.", bench.file().c_str());
        if (ImGui::Button("Save and quit") && bench.save())
            asked.quit_chosen = true;
        ImGui::SameLine();
        if (ImGui::Button("Save a copy..."))
            ask_for_copy(bench, asked, true);
        ImGui::SameLine();
        if (ImGui::Button("Quit without saving"))
            asked.quit_chosen = true;
        ImGui::SameLine();
        if (ImGui::Button("Stay"))
            asked.quit = false;
        failure_line(bench);
        if (!asked.quit)
            ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    ask_over(where);
    if (ImGui::BeginPopupModal(copy, nullptr, ImGuiWindowFlags_AlwaysAutoResize)) {
        ImGui::TextWrapped("%s", bench.folder_writable() ? "Save the data file with the edits as:"
                                                            : "The data folder is not writable. Save the data file "
                                                              "with the edits where you can write:");
        if (std::exchange(asked.focus_path, false))
            ImGui::SetKeyboardFocusHere();
        ImGui::SetNextItemWidth(-1);
        const bool entered = ImGui::InputText("##path", asked.path.data(), asked.path.size(),
                                              ImGuiInputTextFlags_EnterReturnsTrue);
        if ((ImGui::Button("Save") || entered) && bench.save_as(asked.path.data())) {
            asked.copy = false;
            asked.quit_chosen = asked.quit_after_copy;
        }
        ImGui::SameLine();
        if (ImGui::Button("Cancel"))
            asked.copy = false;
        failure_line(bench);
        if (!asked.copy)
            ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
}

} // namespace quor::overlay
