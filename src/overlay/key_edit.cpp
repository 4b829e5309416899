// Operations on the picked keys go through edit/key_moves and motion_document::set_keys, which
// checks the record's room as every edit does.
#include "overlay/key_edit.h"

#include <imgui.h>

#include <string>

#include "app/report.h"

namespace quor::overlay {

edit::key_set picked(const selection& selected, std::size_t key_count)
{
    edit::key_set out;
    for (std::size_t k : selected.keys)
        if (k < key_count)
            out.insert(k);
    if (selected.key >= 0 && static_cast<std::size_t>(selected.key) < key_count)
        out.insert(static_cast<std::size_t>(selected.key));
    return out;
}

bool put_keys(edit::workbench& bench, selection& selected, const edit::moved_keys& moved, bool continues)
{
    const edit::channel_ref at = selected.channel;
    if (!bench.edit([&](edit::motion_document& d) { return d.set_keys(at, moved.keys, continues); }).ok)
        return false;
    selected.keys = moved.selected;
    selected.key = moved.selected.empty() ? -1 : static_cast<int>(*moved.selected.begin());
    selected.scroll_to_key = selected.key >= 0;
    return true;
}

namespace {

// The selected channel's keys, when it is an envelope; else says why not.
const std::vector<Key>* envelope_keys(edit::workbench& bench, const selection& selected)
{
    const edit::channel_record& c = bench.document().channel(selected.channel);
    if (c.kind() != edit::channel_kind::envelope) {
        bench.set_status("the selected channel is a " + std::string(edit::kind_name(c.kind())) +
                             ": keys belong to envelopes",
                         true);
        return nullptr;
    }
    return &c.keys;
}

std::string count_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " key" : " keys"); }

} // namespace

void delete_picked(edit::workbench& bench, selection& selected)
{
    const std::vector<Key>* keys = envelope_keys(bench, selected);
    if (!keys)
        return;
    const edit::key_set set = picked(selected, keys->size());
    if (set.empty()) {
        bench.set_status("no key picked to delete", false);
        return;
    }
    if (put_keys(bench, selected, edit::delete_keys(*keys, set)))
        bench.set_status("deleted " + count_text(set.size()), false);
}

void copy_picked(edit::workbench& bench, selection& selected)
{
    const std::vector<Key>* keys = envelope_keys(bench, selected);
    if (!keys)
        return;
    const edit::key_clip clip = edit::copy_keys(*keys, picked(selected, keys->size()));
    if (clip.empty()) {
        bench.set_status("no key picked to copy", false);
        return;
    }
    selected.clip = clip;
    bench.set_status("copied " + count_text(clip.keys.size()), false);
}

void paste_here(edit::workbench& bench, selection& selected)
{
    if (selected.clip.empty()) {
        bench.set_status("nothing copied to paste", false);
        return;
    }
    const std::vector<Key>* keys = envelope_keys(bench, selected);
    if (!keys)
        return;
    const double at = bench.settings().get().snapped(bench.player().time());
    if (put_keys(bench, selected, edit::paste_keys(*keys, selected.clip, at)))
        bench.set_status("pasted " + count_text(selected.clip.keys.size()) + " at " + system::number_text(at) + " s",
                         false);
}

void stretch_picked(edit::workbench& bench, selection& selected, double factor)
{
    const std::vector<Key>* keys = envelope_keys(bench, selected);
    if (!keys)
        return;
    const edit::key_set set = picked(selected, keys->size());
    if (set.size() < 1 || !(factor > 0)) {
        bench.set_status(set.empty() ? "no key picked to stretch" : "a stretch takes a factor above 0", true);
        return;
    }
    const double pivot = bench.player().time();
    if (put_keys(bench, selected, edit::stretch_keys(*keys, set, pivot, factor)))
        bench.set_status("stretched " + count_text(set.size()) + " " + system::number_text(factor) + " times about " +
                             system::number_text(pivot) + " s",
                         false);
}

void draw_key_tools(edit::workbench& bench, selection& selected)
{
    const std::size_t count = bench.document().channel(selected.channel).keys.size();
    const std::size_t n = picked(selected, count).size();
    ImGui::BeginDisabled(n == 0);
    if (ImGui::Button("Copy"))
        copy_picked(bench, selected);
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(selected.clip.empty());
    if (ImGui::Button("Paste"))
        paste_here(bench, selected);
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::SetNextItemWidth(60);
    ImGui::InputFloat("##stretch", &selected.stretch, 0, 0, "%.3g");
    ImGui::SameLine();
    ImGui::BeginDisabled(n == 0);
    if (ImGui::Button("Stretch about now"))
        stretch_picked(bench, selected, selected.stretch);
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::TextDisabled("%zu picked", n);
}

} // namespace quor::overlay
