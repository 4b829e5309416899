// Glue between the workbench's parts and the demo: edited channels are loaded into the scene's
// transformations, music cues go to the player's music, a new data file rebuilds the scene.
#include "edit/workbench.h"

#include <cstring>

#include "demo/data_file.h"
#include "platform/audio.h"

namespace quor::edit {
namespace {

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

} // namespace

workbench::workbench(demo::Demo& demo, std::string path, system::counter& counter)
    : demo_(&demo), play(demo.clock), watch(std::move(path)), ticks(&counter)
{
    std::string why;
    if (!doc.read(demo.scene.file_data.get(), demo.scene.file_size, &why))
        line = "records: " + why;
    if (!ticks->frequency(frequency) || frequency == 0)
        frequency = 1000;
    ticks->sample(fps_mark);
}

edit_result workbench::edit(const std::function<edit_result(motion_document&)>& command)
{
    edit_result r = command(doc);
    if (!r.ok) {
        line = r.reason;
        return r;
    }
    if (r.every_channel) {
        for (std::size_t record = 0; record < record_count; ++record)
            for (int c = 0; c < channel_count; ++c)
                transformation_of(demo_->scene, record).channel(c) = engine_channel(doc.channel({record, c}));
    } else {
        transformation_of(demo_->scene, r.changed.record).channel(r.changed.channel) = engine_channel(doc.channel(r.changed));
    }
    line.clear();
    return r;
}

edit_result workbench::undo()
{
    const edit_result r = edit([](motion_document& d) { return d.undo(); });
    moves += r.ok;
    return r;
}

edit_result workbench::redo()
{
    const edit_result r = edit([](motion_document& d) { return d.redo(); });
    moves += r.ok;
    return r;
}

bool workbench::save()
{
    // The file's copy of everything before the section is made by the kernel, from the file on
    // disk; the scene's block learns the new section only once the file holds it.
    const std::vector<char> section = doc.section();
    std::string error;
    if (!demo::replace_section(watch.path(), section, &error)) {
        line = "not saved: " + error;
        return false;
    }
    demo::DemoScene& scene = demo_->scene;
    std::memcpy(scene.file_data.get() + demo::layout::scene_section.offset, section.data(), section.size());
    scene.file_size = demo::layout::scene_section.offset + section.size();
    doc.mark_saved();
    // Over a newer version whose edits were kept, the file now holds that version's other bytes
    // with the edited records: left unseen, it is taken over like any new version.
    if (!over_newer)
        watch.saved();
    over_newer = false;
    pending = false;
    line = "saved " + watch.path();
    return true;
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
    } else {
        watch.keep();
        doc.file_replaced();
        over_newer = true;
        line = "kept the edits; saving writes over the new " + watch.path();
    }
}

void workbench::take(reload_outcome outcome)
{
    switch (outcome.what) {
    case reload_outcome::kind::ask:
        pending = true;
        line = outcome.message;
        break;
    case reload_outcome::kind::refused:
        line = "not reloaded: " + outcome.message;
        break;
    case reload_outcome::kind::reloaded: {
        motion_document fresh;
        fresh.read(outcome.data);
        // Checked once, by the poll: the demo refuses only what that check refused.
        const std::string why = outcome.data.check.message;
        if (!demo_->reload(std::move(outcome.data))) {
            line = "not reloaded: " + why;
            break;
        }
        doc.take_over(std::move(fresh));
        over_newer = false;
        ++reload_count;
        ++moves;
        line = "reloaded " + watch.path();
        break;
    }
    default:
        break;
    }
}

} // namespace quor::edit
