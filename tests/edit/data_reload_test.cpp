// Hot reload: a new version of the file on disk is offered once, checked whole; a damaged or
// truncated one is refused with the load's message while the caller keeps its data; unsaved
// edits turn the offer into a question.
#include "edit/data_reload.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "anim/record.h"
#include "edit/motion_document.h"
#include "data_files.h"

namespace {

using namespace quor;
using namespace quor::edit;
using namespace quor::test;
using kind = reload_outcome::kind;

// Replaces the file the way the data builder does: a new file renamed over it.
void replace(const std::string& path, const std::vector<char>& section, char marker)
{
    write_file(path + ".new", section, marker);
    std::filesystem::rename(path + ".new", path);
}

TEST(DataReload, OffersEachNewVersionOnceAndRefusesDamagedOrTruncatedOnes)
{
    scratch_folder folder;
    const std::string path = folder.file("tesk.mem");
    write_file(path, scene_section(), 'a');
    data_reload watch(path);
    EXPECT_EQ(watch.poll(false).what, kind::none);

    std::vector<char> moved = scene_section();
    std::memcpy(moved.data() + 4, "\0\0\x80\x3f", 4); // the object's position x becomes 1
    replace(path, moved, 'b');
    reload_outcome r = watch.poll(false);
    ASSERT_EQ(r.what, kind::reloaded) << r.message;
    EXPECT_EQ(r.data.size, layout::scene_section.offset + moved.size());
    EXPECT_EQ(r.data.block[0], 'b');
    motion_document doc;
    doc.read(r.data);
    EXPECT_EQ(doc.channel({0, 0}).value, 1.0f);
    EXPECT_EQ(watch.poll(false).what, kind::none);

    // A camera envelope that claims more keys than the file holds.
    std::vector<char> damaged = scene_section();
    std::memcpy(damaged.data() + layout::camera_record + 4, "\xff\xff\0\0", 4);
    replace(path, damaged, 'c');
    r = watch.poll(false);
    EXPECT_EQ(r.what, kind::refused);
    EXPECT_NE(r.message.find("camera record"), std::string::npos) << r.message;
    EXPECT_EQ(r.data.block, nullptr);
    EXPECT_EQ(watch.poll(false).what, kind::none) << "a refused version is not read again";

    // Cut short in place, as a tool writing over the file would leave it for a moment.
    std::filesystem::resize_file(path, layout::min_file_size - 10);
    r = watch.poll(false);
    EXPECT_EQ(r.what, kind::refused);
    EXPECT_NE(r.message.find("shorter than"), std::string::npos) << r.message;

    replace(path, scene_section(), 'd');
    r = watch.poll(false);
    ASSERT_EQ(r.what, kind::reloaded) << r.message;
    EXPECT_EQ(r.data.block[0], 'd');
}

TEST(DataReload, UnsavedEditsTurnANewVersionIntoAQuestion)
{
    scratch_folder folder;
    const std::string path = folder.file("tesk.mem");
    write_file(path, scene_section(), 'a');
    data_reload watch(path);

    replace(path, scene_section(), 'b');
    EXPECT_EQ(watch.poll(true).what, kind::ask);
    EXPECT_EQ(watch.poll(true).what, kind::ask) << "asked until answered";
    watch.keep();
    EXPECT_EQ(watch.poll(true).what, kind::none);

    replace(path, scene_section(), 'c');
    EXPECT_EQ(watch.poll(true).what, kind::ask);
    const reload_outcome r = watch.take();
    ASSERT_EQ(r.what, kind::reloaded) << r.message;
    EXPECT_EQ(r.data.block[0], 'c');

    // The workbench's own save is not news.
    replace(path, scene_section(), 'e');
    watch.saved();
    EXPECT_EQ(watch.poll(true).what, kind::none);
}

} // namespace
