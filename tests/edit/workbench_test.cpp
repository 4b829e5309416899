// The workbench over a demo drawing into the GL recorder: an edit reaches the next frame exactly
// as a file holding the edited record would draw, and a new file on disk rebuilds the scene
// unless it is damaged or edits are unsaved.
#include "edit/workbench.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "app/system.h"
#include "data_files.h"
#include "manual_counter.h"
#include "gl_recorder.h"
#include "platform/file.h"

namespace {

using namespace quor;
using namespace quor::edit;
using namespace quor::test;
using quor::test::manual_counter;

// The float at section offset `at` set to `value`, written straight into the bytes.
std::vector<char> with_value(std::vector<char> section, std::size_t at, float value)
{
    std::memcpy(section.data() + at, &value, sizeof value);
    return section;
}

// The camera's position x key at 2 s moved from 20 to 25.
std::vector<char> moved_camera(const std::vector<char>& section = scene_section())
{
    return with_value(section, layout::camera_record + 8 + record::key_bytes, 25);
}

std::vector<char> section_of(const std::string& path)
{
    const std::vector<char> bytes = read_all(path);
    return {bytes.begin() + static_cast<std::ptrdiff_t>(layout::scene_section.offset), bytes.end()};
}

class Workbench : public ::testing::Test {
protected:
    void SetUp() override
    {
        params.width = 640;
        params.height = 480;
        system::create_engine(params);
        path = folder.file("tesk.mem");
        write_file(path, scene_section());
    }
    void TearDown() override { system::shutdown(); }

    std::unique_ptr<demo::Demo> demo_over(const std::vector<char>& section)
    {
        auto demo = std::make_unique<demo::Demo>(ticks);
        std::size_t size = 0;
        auto block = file_block(section, size);
        EXPECT_TRUE(demo->scene.build(std::move(block), size));
        demo->clock.start();
        demo->clock.set_time(2.0f);
        return demo;
    }
    // The matrices one frame loads: the projection, then each object's model-view.
    std::vector<quor::test::gl_call> matrices(demo::Demo& demo)
    {
        rec.clear();
        demo.frame();
        return rec.named("glLoadTransposeMatrixf");
    }

    quor::test::gl_recorder rec;
    system::creation_params params;
    manual_counter ticks;
    scratch_folder folder;
    std::string path;
};

TEST_F(Workbench, AKeyEditDrawsInTheNextFrameAsAFileHoldingItWould)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    const auto before = matrices(*demo);

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_key({2, 0}, 1, key(2, 25)); }).ok);
    const auto after = matrices(*demo);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, matrices(*demo_over(moved_camera())));

    ASSERT_TRUE(bench.undo().ok);
    EXPECT_EQ(matrices(*demo), before);
    const edit_result refused = bench.edit([](motion_document& d) { return d.make_envelope({0, 0}); });
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(bench.status(), refused.reason);
}

TEST_F(Workbench, ANewFileOnDiskRebuildsTheSceneAsOneUndoStepUnlessDamagedOrEditsAreUnsaved)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    const auto before = matrices(*demo);
    const auto replace = [&](const std::vector<char>& section) {
        write_file(path + ".new", section);
        std::filesystem::rename(path + ".new", path);
        rec.clear();
        bench.after_frame();
    };

    replace(moved_camera());
    EXPECT_EQ(bench.reloads(), 1) << bench.status();
    EXPECT_EQ(rec.named("glDeleteTextures").size(), 5u) << "the old scene's textures are let go";
    EXPECT_EQ(demo->clock.time(), 2.0f) << "the time stays";
    const auto reloaded = matrices(*demo);
    EXPECT_EQ(reloaded, matrices(*demo_over(moved_camera())));
    ASSERT_TRUE(bench.undo().ok);
    EXPECT_EQ(matrices(*demo), before) << "the reload's undo puts the old records back";
    ASSERT_TRUE(bench.redo().ok);
    EXPECT_EQ(matrices(*demo), reloaded);
    EXPECT_FALSE(bench.document().modified());

    std::vector<char> damaged = scene_section();
    damaged.resize(layout::camera_record + 6);
    replace(damaged);
    EXPECT_EQ(bench.reloads(), 1);
    EXPECT_NE(bench.status().find("not reloaded: "), std::string::npos) << bench.status();
    EXPECT_EQ(matrices(*demo), reloaded);

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({0, 0}, 3); }).ok);
    replace(scene_section());
    EXPECT_TRUE(bench.reload_pending());
    bench.answer_reload(false);
    bench.after_frame();
    EXPECT_FALSE(bench.reload_pending());
    EXPECT_EQ(bench.reloads(), 1);
    EXPECT_EQ(bench.document().channel({0, 0}).value, 3.0f) << "the edits stay";
    ASSERT_TRUE(bench.undo().ok);
    EXPECT_TRUE(bench.document().modified()) << "the file on disk is neither state now";
    ASSERT_TRUE(bench.redo().ok);

    replace(moved_camera());
    bench.answer_reload(true);
    EXPECT_EQ(bench.reloads(), 2);
    EXPECT_EQ(matrices(*demo), reloaded);
    ASSERT_TRUE(bench.undo().ok);
    EXPECT_EQ(bench.document().channel({0, 0}).value, 3.0f) << "undo brings the dropped edit back";
    EXPECT_TRUE(bench.document().modified());
}

TEST_F(Workbench, ASaveLeavesTheSceneHoldingWhatTheFileHoldsEvenOverAKeptNewerVersion)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    const auto same_as_file = [&] {
        const std::vector<char> file = read_all(path);
        return file.size() == demo->scene.file_size &&
               std::memcmp(file.data(), demo->scene.file_data.get(), file.size()) == 0;
    };

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({1, 0}, -2); }).ok);
    ASSERT_TRUE(bench.undo().ok);
    EXPECT_EQ(bench.status(), "undone: a change to quad position x");
    ASSERT_TRUE(bench.redo().ok);
    EXPECT_EQ(bench.status(), "redone: a change to quad position x");
    ASSERT_TRUE(bench.save());
    EXPECT_EQ(bench.status(), "saved " + path);
    EXPECT_FALSE(bench.document().modified());
    EXPECT_TRUE(same_as_file());
    bench.after_frame();
    EXPECT_EQ(bench.reloads(), 0) << "its own save is not a new version";

    // A newer version (another first vertex) arrives over unsaved edits, which are kept and saved.
    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({1, 1}, 4); }).ok);
    write_file(path + ".new", moved_camera(section_of(path)), 'n');
    std::filesystem::rename(path + ".new", path);
    bench.after_frame();
    bench.answer_reload(false);
    ASSERT_TRUE(bench.save());
    EXPECT_EQ(read_all(path)[0], 'n') << "the newer version's other bytes";
    EXPECT_TRUE(same_as_file()) << "the scene takes them in with the save";
    bench.after_frame();
    EXPECT_EQ(bench.reloads(), 0) << "its own save is no outside change";
    EXPECT_EQ(bench.status(), "saved " + path) << "the save's outcome is the one line";
    EXPECT_FALSE(bench.status_failed());
    EXPECT_EQ(bench.document().channel({1, 1}).value, 4.0f);
    EXPECT_FALSE(bench.document().modified());
}

// An import running while the workbench saves: while it holds the file the save is refused at
// once (the frame does not wait); once it has put its version in place the save does not write
// over that unseen version, which the next frame offers; kept, it is saved over, its other
// bytes staying.
TEST_F(Workbench, ASaveRacingAnImportIsRefusedUntilTheImportsVersionIsSeen)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({1, 0}, -2); }).ok);

    // The importer's hold on the file, taken as every writer takes it; it lets go before its
    // rename, as writers must where an open file cannot be renamed over.
    const int held = platform::open_for_input(path.c_str());
    ASSERT_EQ(platform::lock_exclusive(held, 0), platform::lock_result::locked);
    EXPECT_FALSE(bench.save());
    EXPECT_EQ(bench.status(), "not saved: cannot change " + path + ": another program is changing it; try again when "
                                                                     "it is done");
    write_file(path + ".new", moved_camera(), 'i');
    platform::close_file(held);
    std::filesystem::rename(path + ".new", path);
    EXPECT_FALSE(bench.save());
    EXPECT_EQ(bench.status(), "not saved: cannot change " + path + ": another program changed it since it was read");
    EXPECT_EQ(read_all(path)[0], 'i');
    EXPECT_TRUE(bench.document().modified());

    bench.after_frame();
    ASSERT_TRUE(bench.reload_pending()) << "the import's version is offered";
    bench.answer_reload(false);
    ASSERT_TRUE(bench.save()) << bench.status();
    EXPECT_EQ(read_all(path)[0], 'i') << "the import's other bytes stay";
    EXPECT_EQ(bench.document().channel({1, 0}).value, -2.0f);
}

// Save as: a whole data file where the user says, which later saves and reloads then follow;
// the file first loaded stays as it was.
TEST_F(Workbench, ACopyIsAWholeFileAndBecomesTheFileSavedToAndWatched)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    const std::vector<char> original = read_all(path);
    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_key({2, 0}, 1, key(2, 25)); }).ok);

    EXPECT_FALSE(bench.save_as(folder.file("absent/tesk.mem")));
    EXPECT_TRUE(bench.status_failed());
    EXPECT_EQ(bench.status().rfind("not saved: ", 0), 0u) << bench.status();
    EXPECT_TRUE(bench.document().modified());

    const std::string copy = folder.file("copy.mem");
    ASSERT_TRUE(bench.save_as(copy)) << bench.status();
    EXPECT_FALSE(bench.status_failed());
    EXPECT_NE(bench.status().find(copy), std::string::npos) << "a successful save says so";
    EXPECT_FALSE(bench.document().modified());
    EXPECT_EQ(bench.file(), copy);
    // The copy draws as a file holding the edit would.
    const auto drawn_from = [&](const std::string& file) { return matrices(*demo_over(section_of(file))); };
    const auto moved = matrices(*demo_over(moved_camera()));
    EXPECT_EQ(drawn_from(copy), moved);
    EXPECT_EQ(read_all(path), original);

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({0, 0}, 3); }).ok);
    ASSERT_TRUE(bench.save());
    EXPECT_NE(drawn_from(copy), moved) << "saves go to the copy";
    EXPECT_EQ(read_all(path), original);
    write_file(copy + ".new", moved_camera());
    std::filesystem::rename(copy + ".new", copy);
    bench.after_frame();
    EXPECT_EQ(bench.reloads(), 1) << "the copy is watched";
}

// Save as never undoes another program's change kept under the edits: over the data file itself
// (by its name or a link to it) it writes the records alone, as a save does; a copy elsewhere
// takes the newer version's other bytes, and the scene then takes that version over.
TEST_F(Workbench, SaveAsKeepsAnotherProgramsChangeToTheDataFile)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    // Each time an edit of the quad's position x to `marker`, then a newer version, kept under it.
    const auto newer_version_kept = [&](char marker) {
        ASSERT_TRUE(bench.edit([&](motion_document& d) { return d.set_constant({1, 0}, marker); }).ok);
        write_file(path + ".new", scene_section(), marker);
        std::filesystem::rename(path + ".new", path);
        bench.after_frame();
        ASSERT_TRUE(bench.reload_pending());
        bench.answer_reload(false);
    };
    const auto holds_the_edit = [&](const std::string& file, char marker) {
        demo::section_records records;
        demo::section_surround surround;
        return demo::read_records(file, records, surround, nullptr) && records[1][0].value == marker;
    };

    newer_version_kept('n');
    ASSERT_TRUE(bench.save_as(path)) << bench.status();
    EXPECT_EQ(bench.status(), "saved " + path);
    EXPECT_EQ(read_all(path)[0], 'n') << "the other program's change stays";
    EXPECT_TRUE(holds_the_edit(path, 'n'));

#ifndef _WIN32 // symbolic links: POSIX only
    std::filesystem::create_symlink(path, folder.file("link.mem"));
    newer_version_kept('l');
    ASSERT_TRUE(bench.save_as(folder.file("link.mem"))) << bench.status();
    EXPECT_EQ(read_all(path)[0], 'l');
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.mem")));
#endif

    newer_version_kept('c');
    const std::string copy = folder.file("copy.mem");
    ASSERT_TRUE(bench.save_as(copy)) << bench.status();
    EXPECT_EQ(read_all(copy)[0], 'c') << "the copy is of the file as it is now";
    EXPECT_TRUE(holds_the_edit(copy, 'c'));
    bench.after_frame();
    EXPECT_EQ(bench.reloads(), 1) << "the scene takes over what the copy holds";
    EXPECT_EQ(demo->scene.file_data[0], 'c');
    EXPECT_FALSE(bench.document().modified());
}

// Over a newer version kept under the edits, a save writes only the records edited here: the
// others are the newer version's, shown as such from the answer on; a record both changed keeps
// the edit and the status names it. Save as a copy merges the same way.
TEST_F(Workbench, ASaveOverAKeptNewerVersionWritesOnlyTheRecordsEditedHere)
{
    auto demo = demo_over(scene_section());
    workbench bench(*demo, path, ticks);
    const std::size_t object_x = layout::animated_record + 4, quad_y = layout::quad_record + 12;
    const auto outside = [&](const std::vector<char>& section, char marker) {
        write_file(path + ".new", section, marker);
        std::filesystem::rename(path + ".new", path);
        bench.after_frame();
        ASSERT_TRUE(bench.reload_pending());
        bench.answer_reload(false);
        EXPECT_FALSE(bench.status_failed()) << bench.status();
    };
    const auto records_of = [](const std::string& file) {
        demo::section_records records;
        demo::section_surround surround;
        EXPECT_TRUE(demo::read_records(file, records, surround, nullptr));
        return records;
    };
    const auto camera_edited = [&](const std::string& file) { return records_of(file)[2][0].keys.at(1).value == 25; };

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_key({2, 0}, 1, key(2, 25)); }).ok);
    outside(with_value(scene_section(), object_x, 7), 'o');
    EXPECT_EQ(bench.document().channel({0, 0}).value, 7.0f) << "shown as the file holds it from the answer on";
    EXPECT_EQ(matrices(*demo), matrices(*demo_over(moved_camera(with_value(scene_section(), object_x, 7)))));
    ASSERT_TRUE(bench.save()) << bench.status();
    EXPECT_EQ(bench.status(), "saved " + path);
    EXPECT_EQ(read_all(path)[0], 'o');
    EXPECT_EQ(records_of(path)[0][0].value, 7.0f) << "the outside change to the object stays";
    EXPECT_TRUE(camera_edited(path));
    bench.after_frame();
    EXPECT_EQ(bench.reloads(), 0);

    // Both change the object; the outside one also the quad.
    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({0, 0}, 3); }).ok);
    outside(with_value(with_value(section_of(path), object_x, 9), quad_y, 6), 'b');
    EXPECT_NE(bench.status().find("another program changed the animated object record too"), std::string::npos)
        << bench.status();
    ASSERT_TRUE(bench.save()) << bench.status();
    EXPECT_EQ(bench.status(), "saved " + path +
                                  "; another program changed the animated object record too: the edits replace its change");
    EXPECT_EQ(records_of(path)[0][0].value, 3.0f);
    EXPECT_EQ(records_of(path)[1][1].value, 6.0f);
    EXPECT_TRUE(camera_edited(path));

    ASSERT_TRUE(bench.edit([](motion_document& d) { return d.set_constant({0, 0}, 4); }).ok);
    outside(with_value(section_of(path), quad_y, 8), 'c');
    const std::string copy = folder.file("copy.mem");
    ASSERT_TRUE(bench.save_as(copy)) << bench.status();
    EXPECT_EQ(read_all(copy)[0], 'c');
    EXPECT_EQ(records_of(copy)[0][0].value, 4.0f);
    EXPECT_EQ(records_of(copy)[1][1].value, 8.0f);
    EXPECT_TRUE(camera_edited(copy));
}

} // namespace
