// Tempo and markers change the side file's settings through the workbench, which writes them after
// the frame; the tempo's fields change it once they are left, not at every step of a drag.
#include "overlay/timing_panel.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/report.h"
#include "overlay/plot_colours.h"

namespace quor::overlay {
namespace {

constexpr float lane_height = 30;
// Grid lines closer than this many pixels are left out.
constexpr float min_line_gap = 6;

void add_marker_here(edit::workbench& bench, timing_state& state)
{
    std::string why;
    const double now = bench.player().time();
    if (bench.settings().change().add_marker(now, state.marker_name.data(), &why)) {
        bench.set_status("marker at " + system::number_text(now) + " s", false);
        state.marker_name[0] = 0;
    } else {
        bench.set_status("no marker: " + why, true);
    }
}

void go_to(edit::workbench& bench, std::optional<double> t, const char* none)
{
    if (t)
        bench.player().seek(*t);
    else
        bench.set_status(none, false);
}

void tap(edit::workbench& bench, timing_state& state)
{
    state.taps.tap(bench.player().time());
    const auto t = state.taps.estimate(bench.settings().get().beat.beats_per_bar);
    if (!t) {
        bench.set_status("tap " + std::to_string(state.taps.count()) + ": tap on the beat while the music plays", false);
        return;
    }
    bench.settings().change().beat = *t;
    bench.set_status("tapped " + std::to_string(state.taps.count()) + " beats: " + system::number_text(t->bpm) +
                         " BPM, first beat at " + system::number_text(t->offset) + " s",
                     false);
}

} // namespace

void draw_beat_grid(ImDrawList* draw, const ImVec2& origin, const ImVec2& size, double from, double to,
                    const edit::workbench_settings& s, const music_lane& music, waveform_image& wave)
{
    if (!(to > from) || size.x <= 0)
        return;
    if (s.music_lane)
        music.draw(draw, wave, origin, size, from, to, wave_colour);
    const double per_pixel = (to - from) / size.x;
    const auto x_of = [&](double t) { return origin.x + static_cast<float>((t - from) / per_pixel); };
    for (const edit::grid_line& line : edit::grid_lines(s.beat, from, to, 4, min_line_gap * per_pixel)) {
        const ImU32 colour = line.what == edit::grid_line::kind::bar    ? bar_colour
                             : line.what == edit::grid_line::kind::beat ? beat_colour
                                                                        : part_colour;
        const float x = std::floor(x_of(line.time)) + 0.5f;
        draw->AddLine(ImVec2(x, origin.y), ImVec2(x, origin.y + size.y), colour);
    }
    for (const edit::marker& m : s.markers) {
        if (m.time < from || m.time > to)
            continue;
        const float x = std::floor(x_of(m.time)) + 0.5f;
        draw->AddLine(ImVec2(x, origin.y), ImVec2(x, origin.y + size.y), marker_colour);
    }
}

void draw_timing(edit::workbench& bench, timing_state& state, bool& scrubbing)
{
    const edit::workbench_settings& s = bench.settings().get();
    edit::transport& play = bench.player();
    state.music.follow(bench.file());
    ImGui::PushID("timing");

    // The tempo's fields change a copy; it goes to the settings once the field is left.
    if (!state.changing_tempo)
        state.shown = s.beat;
    edit::tempo& beat = state.shown;
    bool changing = false;
    const auto field_done = [&]() {
        changing = changing || ImGui::IsItemActive();
        if (ImGui::IsItemDeactivatedAfterEdit() && edit::tempo_refusal(beat).empty())
            bench.settings().change().beat = beat;
    };
    ImGui::SetNextItemWidth(70);
    ImGui::DragScalar("BPM", ImGuiDataType_Double, &beat.bpm, 0.05f, &edit::tempo::min_bpm, &edit::tempo::max_bpm, "%.2f",
                      ImGuiSliderFlags_AlwaysClamp);
    field_done();
    ImGui::SameLine();
    static constexpr double offset_low = -edit::tempo::max_offset, offset_high = edit::tempo::max_offset;
    ImGui::SetNextItemWidth(64);
    ImGui::DragScalar("first beat", ImGuiDataType_Double, &beat.offset, 0.001f, &offset_low, &offset_high, "%.3f s",
                      ImGuiSliderFlags_AlwaysClamp);
    field_done();
    ImGui::SameLine();
    ImGui::SetNextItemWidth(28);
    ImGui::DragInt("/bar", &beat.beats_per_bar, 0.05f, 1, edit::tempo::max_beats_per_bar, "%d",
                   ImGuiSliderFlags_AlwaysClamp);
    field_done();
    state.changing_tempo = changing;
    ImGui::SameLine();
    if (ImGui::Button("Tap"))
        tap(bench, state);
    ImGui::SameLine();
    bool snapping = s.snap;
    if (ImGui::Checkbox("snap", &snapping))
        bench.settings().change().snap = snapping;
    ImGui::SameLine();
    static constexpr const char* parts[] = {"beat", "1/2", "1/4"};
    const int part = s.division == 4 ? 2 : s.division == 2 ? 1 : 0;
    ImGui::SetNextItemWidth(52);
    if (ImGui::BeginCombo("##parts", parts[part], ImGuiComboFlags_NoArrowButton)) {
        for (int p = 0; p < 3; ++p)
            if (ImGui::Selectable(parts[p], p == part))
                bench.settings().change().division = 1 << p;
        ImGui::EndCombo();
    }
    ImGui::SameLine();
    ImGui::Text("%s", edit::bar_beat(s.beat, play.time()).c_str());
    ImGui::SameLine(0, 16);
    if (ImGui::ArrowButton("previous marker", ImGuiDir_Left))
        go_to(bench, edit::previous_time(s.marker_times(), play.time()), "no marker before");
    ImGui::SameLine();
    ImGui::SetNextItemWidth(90);
    ImGui::InputTextWithHint("##name", "marker name", state.marker_name.data(), state.marker_name.size());
    ImGui::SameLine();
    if (ImGui::Button("+"))
        add_marker_here(bench, state);
    ImGui::SameLine();
    if (ImGui::ArrowButton("next marker", ImGuiDir_Right))
        go_to(bench, edit::next_time(s.marker_times(), play.time()), "no marker after");
    ImGui::SameLine();
    // The marker the playhead stands on: its name, and a button that removes it.
    const auto here = std::find_if(s.markers.begin(), s.markers.end(),
                                   [&](const edit::marker& m) { return std::abs(m.time - play.time()) < 1e-3; });
    if (here != s.markers.end()) {
        if (ImGui::SmallButton("x"))
            bench.settings().change().remove_marker(static_cast<std::size_t>(here - s.markers.begin()));
        else {
            ImGui::SameLine();
            ImGui::TextColored(ImVec4(1, 0.75f, 0.25f, 1), "%s", here->name.c_str());
        }
    } else {
        ImGui::NewLine();
    }

    // The lane: a click or a drag seeks, snapped while snapping is on.
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const ImVec2 size(ImGui::GetContentRegionAvail().x, lane_height);
    ImGui::InvisibleButton("lane", ImVec2(std::max(size.x, 1.0f), size.y));
    const double end = play.end();
    if (ImGui::IsItemActive()) {
        scrubbing = true;
        const double t = (ImGui::GetIO().MousePos.x - origin.x) / size.x * end;
        play.seek(bench.settings().get().snapped(std::clamp(t, 0.0, end)));
    }
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const auto x_of = [&](double t) { return origin.x + static_cast<float>(t / end) * size.x; };
    draw->AddRectFilled(origin, ImVec2(origin.x + size.x, origin.y + size.y), plot_background);
    if (play.in_mark() || play.out_mark())
        draw->AddRectFilled(ImVec2(x_of(play.in_mark().value_or(0)), origin.y),
                            ImVec2(x_of(play.out_mark().value_or(end)), origin.y + size.y), loop_colour);
    draw_beat_grid(draw, origin, size, 0, end, s, state.music, state.lane_wave);
    for (const edit::marker& m : s.markers)
        draw->AddText(ImVec2(x_of(m.time) + 2, origin.y), marker_colour, m.name.c_str());
    const float now = x_of(play.time());
    draw->AddLine(ImVec2(now, origin.y), ImVec2(now, origin.y + size.y), playhead_colour);

    bool shown = s.music_lane;
    if (ImGui::Checkbox("waveform", &shown))
        bench.settings().change().music_lane = shown;
    ImGui::SameLine();
    const interchange::music_peaks& peaks = state.music.peaks();
    if (!state.music.ready()) {
        ImGui::TextDisabled("%s", state.music.trouble().c_str());
    } else if (!peaks.beat_found) {
        ImGui::TextDisabled("no beat found in the music: tap it or type it");
    } else {
        // The music's beat, for the author to take and correct.
        edit::tempo found = s.beat;
        found.bpm = std::clamp(peaks.beat.bpm, edit::tempo::min_bpm, edit::tempo::max_bpm);
        found.offset = peaks.beat.first_beat;
        ImGui::TextDisabled("the music's beat: %.2f BPM from %.3f s", found.bpm, found.offset);
        ImGui::SameLine();
        ImGui::BeginDisabled(found == s.beat);
        if (ImGui::SmallButton("Use it")) {
            bench.settings().change().beat = found;
            bench.set_status("tempo from the music: " + system::number_text(found.bpm) + " BPM, first beat at " +
                                 system::number_text(found.offset) + " s",
                             false);
        }
        ImGui::EndDisabled();
    }
    ImGui::PopID();
}

bool timing_key(edit::workbench& bench, timing_state& state, unsigned char key)
{
    const edit::workbench_settings& s = bench.settings().get();
    const double now = bench.player().time();
    switch (key) {
    case 'g':
        bench.settings().change().snap = !s.snap;
        bench.set_status(s.snap ? "snapping to the beat on" : "snapping off", false);
        return true;
    case 'm':
        add_marker_here(bench, state);
        return true;
    case '[':
        go_to(bench, edit::previous_time(s.marker_times(), now), "no marker before");
        return true;
    case ']':
        go_to(bench, edit::next_time(s.marker_times(), now), "no marker after");
        return true;
    case 't':
        tap(bench, state);
        return true;
    default:
        return false;
    }
}

} // namespace quor::overlay
