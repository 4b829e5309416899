// Glue between the workbench's parts and the demo: edited channels are loaded into the scene's
// transformations, music cues go to the player's music, a new data file rebuilds the scene.
#include "edit/workbench.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/system.h"
#include "demo/data_file.h"
#include "demo/scene_section.h"
#include "platform/audio.h"
#include "platform/file.h"

namespace quor::edit {
namespace {

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

lightwave::transformation& transformation_of(demo::DemoScene& scene, std::size_t record)
{
    switch (record) {
    case 0:
        return scene.animated_object.transformation;
    case 1:
        return scene.quad_object.transformation;
    default:
        return scene.camera.transformation;
    }
}

std::string changed_channels(const edit_result& r)
{
    return r.every_channel ? "every channel" : channel_name(r.changed);
}

} // namespace

std::string channel_name(channel_ref at)
{
    return std::string(demo::record_names[at.record]) + " " + demo::channel_names[static_cast<std::size_t>(at.channel)];
}

workbench::workbench(demo::Demo& demo, std::string path, system::counter& counter)
    : demo_(&demo), play(demo.clock), watch(std::move(path)), side(watch.path()), ticks(&counter)
{
    if (side.get().loop_in || side.get().loop_out)
        play.set_loop(side.get().loop_in, side.get().loop_out);
    std::string why;
    if (!doc.read(demo.scene.file_data.get(), demo.scene.file_size, &why))
        say("records: " + why, true);
    else if (!side.refusal().empty())
        say(side.refusal() + ": the tempo, markers and settings start from their defaults and are not saved", true);
    else if (!folder_writable())
        say("the data folder " + folder_of(watch.path()) + " is not writable: Save as writes a copy where you can", true);
    if (!ticks->frequency(frequency) || frequency == 0)
        frequency = 1000;
    ticks->sample(fps_mark);
}

edit_result workbench::edit(const std::function<edit_result(motion_document&)>& command)
{
    edit_result r = command(doc);
    if (!r.ok) {
        say(r.reason, true);
        return r;
    }
    if (r.every_channel) {
        for (std::size_t record = 0; record < record_count; ++record)
            for (int c = 0; c < channel_count; ++c)
                transformation_of(demo_->scene, record).channel(c) = engine_channel(doc.channel({record, c}));
    } else {
        transformation_of(demo_->scene, r.changed.record).channel(r.changed.channel) = engine_channel(doc.channel(r.changed));
    }
    say({});
    return r;
}

edit_result workbench::undo()
{
    const edit_result r = edit([](motion_document& d) { return d.undo(); });
    moves += r.ok;
    if (r.ok)
        say("undone: a change to " + changed_channels(r));
    return r;
}

edit_result workbench::redo()
{
    const edit_result r = edit([](motion_document& d) { return d.redo(); });
    moves += r.ok;
    if (r.ok)
        say("redone: a change to " + changed_channels(r));
    return r;
}

workbench::merge_outcome workbench::merge(const demo::data_file& file, std::string* why)
{
    motion_document theirs;
    if (!file.block || !theirs.read(file.block.get(), std::min(file.size, demo::layout::block_size), why))
        return merge_outcome::unread;
    std::vector<std::size_t> both;
    const edit_result r = edit([&](motion_document& d) { return d.merge(std::move(theirs), &both); });
    if (!r.ok) {
        *why = r.reason;
        return merge_outcome::refused;
    }
    ++moves;
    for (const std::size_t record : both)
        written_over[record] = true;
    return merge_outcome::merged;
}

std::string workbench::written_over_note() const
{
    std::string names;
    for (std::size_t r = 0; r < record_count; ++r)
        if (written_over[r])
            names += (names.empty() ? "" : " and ") + std::string(demo::record_names[r]);
    return names.empty() ? names : "; another program changed the " + names + " record too: the edits replace its change";
}

bool workbench::save()
{
    ++save_count;
    // Over a kept newer version only the records edited here replace its own; it is read again
    // in case it was not at hand when kept. Records that no longer read take the edits.
    if (over_newer) {
        const reload_outcome kept = watch.read_version();
        std::string why;
        if (kept.what != reload_outcome::kind::none && merge(kept.data, &why) == merge_outcome::refused) {
            say("not saved: " + why, true);
            return false;
        }
    }
    // The file's copy of everything before the section is made by the kernel, from the file on
    // disk; the scene's block learns the new section only once the file holds it.
    const std::vector<char> section = doc.section();
    std::string error;
    // Never waiting (the frame would stall) and never over a version the workbench has not seen:
    // another program's change is offered for reload first.
    replace_options options;
    options.lock_wait_ms = 0;
    options.unchanged_since = watch.version();
    platform::file_stamp placed;
    options.placed = &placed;
    if (!demo::replace_section(watch.path(), section, &error, options)) {
        say("not saved: " + error, true);
        return false;
    }
    keep(section);
    pending = false;
    say("saved " + watch.path() + written_over_note());
    written_over = {};
    if (!over_newer) {
        watch.saved(placed);
        return true;
    }
    // Over a newer version whose edits were kept, the file now holds that version's other bytes
    // with the edited records: the scene takes them in as part of the save, which is no outside
    // change and no reload (the document already holds these records).
    over_newer = false;
    reload_outcome written = watch.read_saved(placed);
    const std::string why = written.what == reload_outcome::kind::refused ? written.message : written.data.check.message;
    if (written.what == reload_outcome::kind::reloaded && demo_->reload(std::move(written.data)))
        return true;
    if (written.what != reload_outcome::kind::none)
        say("saved " + watch.path() + ", but the rest of the new version does not load: " + why, true);
    return true;
}

bool workbench::save_as(const std::string& path)
{
    if (path.empty() || path.back() == '/') {
        ++save_count;
        say("not saved: give a file name for the copy", true);
        return false;
    }
    // The data file itself by another name is saved as a save does: only the scene section
    // changes, and only over the version the workbench has seen.
    platform::file_stamp target, source;
    const bool same_file = platform::resolve_links(path.c_str()) == platform::resolve_links(watch.path().c_str()) ||
                           (platform::stamp_of(path.c_str(), target) && platform::stamp_of(watch.path().c_str(), source) &&
                            target.device == source.device && target.inode == source.inode);
    if (same_file)
        return save();
    ++save_count;
    // Everything before the section as the data file holds it now: the scene's copy, unless
    // another program put a newer version in place that loads, whose other changes the copy keeps.
    const char* block = demo_->scene.file_data.get();
    demo::data_file newer;
    const bool scene_is_current = !over_newer && platform::stamp_of(watch.path().c_str(), source) &&
                                  watch.version() == source;
    std::string unread;
    // Its records too, where not edited here; edits it has no room for go into a copy of the
    // version loaded.
    if (!scene_is_current && demo::read_data_file(watch.path(), newer, &unread)) {
        if (std::string why; merge(newer, &why) == merge_outcome::merged)
            block = newer.block.get();
        else
            newer = {};
    }
    const std::vector<char> section = doc.section();
    std::vector<char> file(block, block + demo::layout::scene_section.offset);
    file.insert(file.end(), section.begin(), section.end());
    std::string error;
    // As a save: another writer holding the copy's name refuses at once rather than stall the frame.
    replace_options options;
    options.lock_wait_ms = 0;
    if (!replace_file(path, file, demo::loads_as_the_demo(path), &error, options)) {
        say("not saved: " + error, true);
        return false;
    }
    keep(section);
    watch = data_reload(path);
    // The copy holds a version the scene has not loaded: the next look at the file takes it over.
    if (newer.block)
        watch.forget();
    demo_->scene.file_path = path;
    over_newer = false;
    pending = false;
    // The copy's side file gets the settings too.
    side.change();
    say("saved a copy as " + path + written_over_note() + "; quor-demo --data " + folder_of(path) + " runs it");
    written_over = {};
    return true;
}

void workbench::keep(const std::vector<char>& section)
{
    demo::DemoScene& scene = demo_->scene;
    std::memcpy(scene.file_data.get() + demo::layout::scene_section.offset, section.data(), section.size());
    scene.file_size = demo::layout::scene_section.offset + section.size();
    doc.mark_saved();
}

bool workbench::folder_writable() const { return platform::folder_writable(folder_of(watch.path()).c_str()); }

std::string workbench::copy_path() const
{
    if (folder_writable())
        return watch.path();
    const std::string& path = watch.path();
    const std::string name = path.substr(path.rfind('/') + 1);
    std::vector<std::string> folders{system::start_folder()};
    if (const char* home = std::getenv("HOME"))
        folders.emplace_back(home);
    for (const std::string& folder : folders)
        if (!folder.empty() && platform::folder_writable(folder.c_str()))
            return folder + "/" + name;
    return name;
}

void workbench::say(std::string text, bool failure)
{
    line = std::move(text);
    failed = failure;
}

void workbench::after_frame()
{
    const music_cue cue = play.settle();
    if (cue.what == music_cue::kind::pause)
        platform::pause_music();
    else if (cue.what == music_cue::kind::play_from)
        platform::play_music_from(cue.position);

    ++fps_frames;
    std::uint64_t now = 0;
    ticks->sample(now);
    const double span = static_cast<double>(now - fps_mark) / static_cast<double>(frequency);
    if (span >= 0.5) {
        fps = static_cast<float>(fps_frames / span);
        fps_frames = 0;
        fps_mark = now;
    }

    // The loop marks are one of the settings kept beside the data.
    if (side.get().loop_in != play.in_mark() || side.get().loop_out != play.out_mark()) {
        workbench_settings& s = side.change();
        s.loop_in = play.in_mark();
        s.loop_out = play.out_mark();
    }
    if (side.unsaved() && side.changes() != side_tried) {
        side_tried = side.changes();
        std::string why;
        if (!side.write(watch.path(), &why))
            say(why, true);
    }

    if (!pending) {
        const int before = reload_count;
        take(watch.poll(doc.modified()));
        if (reload_count != before) {
            std::uint64_t done = 0;
            ticks->sample(done);
            reload_took = static_cast<double>(done - now) / static_cast<double>(frequency);
            line += " in " + std::to_string(static_cast<int>(reload_took * 1000 + 0.5)) + " ms";
        }
    }
}

void workbench::answer_reload(bool reload)
{
    if (!pending)
        return;
    pending = false;
    if (reload) {
        take(watch.take());
        return;
    }
    watch.keep();
    doc.file_replaced();
    over_newer = true;
    // What is shown is what the file holds, but for the edits.
    const reload_outcome kept = watch.read_version();
    std::string why;
    switch (kept.what == reload_outcome::kind::none ? merge_outcome::merged : merge(kept.data, &why)) {
    case merge_outcome::merged:
        say("kept the edits; the records not edited here are those of the new " + watch.path() + written_over_note());
        break;
    case merge_outcome::unread:
        say("kept the edits; the new " + watch.path() + " has records that do not read (" + why +
                "): saving writes the workbench's over them",
            true);
        break;
    case merge_outcome::refused:
        say("kept the edits, which the new " + watch.path() + " has no room for (" + why + "): save a copy elsewhere",
            true);
        break;
    }
}

void workbench::take(reload_outcome outcome)
{
    switch (outcome.what) {
    case reload_outcome::kind::ask:
        pending = true;
        say(outcome.message);
        break;
    case reload_outcome::kind::refused:
        say("not reloaded: " + outcome.message, true);
        break;
    case reload_outcome::kind::reloaded: {
        motion_document fresh;
        fresh.read(outcome.data);
        // Checked once, by the poll: the demo refuses only what that check refused.
        const std::string why = outcome.data.check.message;
        if (!demo_->reload(std::move(outcome.data))) {
            say("not reloaded: " + why, true);
            break;
        }
        doc.take_over(std::move(fresh));
        over_newer = false;
        ++reload_count;
        ++moves;
        say("reloaded " + watch.path());
        break;
    }
    default:
        break;
    }
}

} // namespace quor::edit
