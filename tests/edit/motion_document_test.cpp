// The editing model alone: each edit's effect on the curve the demo evaluates and its undo, the
// rules that keep keys ordered and records inside their room, and the history's saved mark.
#include "edit/motion_document.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "data_files.h"

namespace {

using namespace quor;
using namespace quor::edit;
using namespace quor::test;

constexpr channel_ref object_x{0, 0};
constexpr channel_ref camera_x{2, 0};
constexpr channel_ref camera_y{2, 1};
constexpr channel_ref camera_mixer{2, 6};

motion_document read_document(const std::vector<char>& section)
{
    std::size_t size = 0;
    auto block = file_block(section, size);
    motion_document doc;
    std::string why;
    EXPECT_TRUE(doc.read(block.get(), size, &why)) << why;
    return doc;
}

TEST(MotionDocument, ReadsEveryKindAndWritesAnUneditedSectionBackByteForByte)
{
    const std::vector<char> section = scene_section();
    const motion_document doc = read_document(section);
    EXPECT_EQ(doc.channel(object_x).kind(), channel_kind::constant);
    EXPECT_EQ(doc.channel(camera_x).kind(), channel_kind::envelope);
    EXPECT_EQ(doc.channel(camera_x).keys.size(), 3u);
    EXPECT_EQ(doc.channel(camera_mixer).entries.size(), 2u);
    EXPECT_EQ(doc.record_bytes(1), 72u);
    // The curve is the demo's: the reader's seed key (0 s, 0) comes first.
    EXPECT_EQ(doc.value_at(camera_x, 0.0), 0.0f);
    EXPECT_EQ(doc.value_at(camera_x, 2.0), 20.0f);
    EXPECT_EQ(doc.section(), section);
    EXPECT_FALSE(doc.modified());
}

struct edit_case {
    const char* name;
    std::function<edit_result(motion_document&)> edit;
    std::function<void(const motion_document&, const motion_document& before)> effect;
};

TEST(MotionDocument, EachEditChangesTheCurveAndItsUndoRestoresTheBytes)
{
    const std::vector<char> section = scene_section();
    const std::vector<edit_case> cases{
        {"set a constant", [](motion_document& d) { return d.set_constant(object_x, 4.5f); },
         [](const motion_document& d, const motion_document&) { EXPECT_EQ(d.value_at(object_x, 9.0), 4.5f); }},
        {"move a key past its neighbour",
         [](motion_document& d) { return d.set_key(camera_x, 0, key(3, -1, Shape::Linear)); },
         [](const motion_document& d, const motion_document&) {
             const std::vector<Key>& keys = d.channel(camera_x).keys;
             ASSERT_EQ(keys.size(), 3u);
             EXPECT_EQ(keys[1].time, 3.0f);
             EXPECT_EQ(keys[1].shape, Shape::Linear);
             EXPECT_EQ(d.value_at(camera_x, 3.0), -1.0f);
         }},
        {"add a key on the curve",
         [](motion_document& d) { return d.add_key(camera_x, 1.5); },
         [](const motion_document& d, const motion_document& before) {
             EXPECT_EQ(d.channel(camera_x).keys.size(), 4u);
             EXPECT_EQ(d.channel(camera_x).keys[1].time, 1.5f);
             EXPECT_EQ(d.value_at(camera_x, 1.5), before.value_at(camera_x, 1.5));
         }},
        {"delete a key", [](motion_document& d) { return d.delete_key(camera_x, 1); },
         [](const motion_document& d, const motion_document&) {
             EXPECT_EQ(d.channel(camera_x).keys.size(), 2u);
             EXPECT_NE(d.value_at(camera_x, 2.0), 20.0f);
         }},
        {"constant to envelope", [](motion_document& d) { return d.make_envelope({2, 6 + 1}); },
         [](const motion_document& d, const motion_document&) {
             EXPECT_EQ(d.channel({2, 7}).kind(), channel_kind::envelope);
             EXPECT_EQ(d.value_at({2, 7}, 5.0), 1.0f);
         }},
        {"envelope to constant", [](motion_document& d) { return d.make_constant(camera_y, 1.5); },
         [](const motion_document& d, const motion_document& before) {
             EXPECT_EQ(d.channel(camera_y).kind(), channel_kind::constant);
             EXPECT_EQ(d.value_at(camera_y, 30.0), before.value_at(camera_y, 1.5));
         }},
        {"mixer to constant", [](motion_document& d) { return d.make_constant(camera_mixer, 1.0); },
         [](const motion_document& d, const motion_document&) {
             EXPECT_EQ(d.channel(camera_mixer).kind(), channel_kind::constant);
         }},
    };
    for (const edit_case& c : cases) {
        SCOPED_TRACE(c.name);
        motion_document doc = read_document(section);
        const motion_document before = doc;
        const edit_result r = c.edit(doc);
        ASSERT_TRUE(r.ok) << r.reason;
        EXPECT_TRUE(doc.modified());
        c.effect(doc, before);
        const std::vector<char> edited = doc.section();
        EXPECT_NE(edited, section);

        ASSERT_TRUE(doc.undo().ok);
        EXPECT_EQ(doc.section(), section);
        EXPECT_FALSE(doc.modified());
        ASSERT_TRUE(doc.redo().ok);
        EXPECT_EQ(doc.section(), edited);
    }
}

TEST(MotionDocument, RefusesEditsThatBreakKeyOrderOrTheRecordsRoomAndSaysWhy)
{
    // A tail that leaves the camera room for one more key and no more.
    const std::size_t room = 30;
    const std::size_t tail = layout::max_file_size - layout::scene_section.offset - layout::camera_record -
                             (scene_section(0).size() - layout::camera_record) - room;
    motion_document doc = read_document(scene_section(tail));
    EXPECT_EQ(doc.room(2), room);
    EXPECT_TRUE(doc.add_key(camera_x, 5).ok);
    const edit_result full = doc.add_key(camera_x, 6);
    EXPECT_FALSE(full.ok);
    EXPECT_NE(full.reason.find("camera record would take"), std::string::npos) << full.reason;
    EXPECT_EQ(doc.channel(camera_x).keys.size(), 4u);

    const edit_result object = doc.make_envelope(object_x);
    EXPECT_FALSE(object.ok);
    EXPECT_NE(object.reason.find("72-byte slot"), std::string::npos) << object.reason;
    EXPECT_EQ(doc.channel(object_x).kind(), channel_kind::constant);

    const std::vector<std::pair<const char*, edit_result>> refused{
        {"key before the seed key", doc.set_key(camera_x, 0, key(-1, 0))},
        {"two keys at one time", doc.add_key(camera_x, 2)},
        {"not a number", doc.set_key(camera_x, 0, key(1, std::nanf("")))},
        {"unknown shape", doc.set_key(camera_x, 0, key(1, 0, static_cast<Shape>(9)))},
        {"keys on a constant", doc.add_key(object_x, 1)},
        {"constant on a mixer", doc.set_constant(camera_mixer, 1)},
        {"no such key", doc.delete_key(camera_x, 10)},
    };
    const std::vector<char> kept = doc.section();
    for (const auto& [name, r] : refused) {
        EXPECT_FALSE(r.ok) << name;
        EXPECT_FALSE(r.reason.empty()) << name;
    }
    EXPECT_EQ(doc.section(), kept);
}

TEST(MotionDocument, TensionContinuityAndBiasChangeOnlyWithinMinusOneToOne)
{
    // The camera's first key (value 10 at 1 s) with a tension of 5, as an older import wrote it.
    std::vector<char> section = scene_section();
    const float value_time[2] = {10.0f, 1.0f};
    const char* pattern = reinterpret_cast<const char*>(value_time);
    const auto first_key = std::search(section.begin(), section.end(), pattern, pattern + sizeof value_time);
    ASSERT_NE(first_key, section.end());
    const float five = 5.0f;
    std::memcpy(&*(first_key + 12), &five, sizeof five);
    motion_document doc = read_document(section);
    Key k = doc.channel(camera_x).keys[0];
    ASSERT_EQ(k.tension, 5.0f);

    k.value = 11;
    EXPECT_TRUE(doc.set_key(camera_x, 0, k).ok) << "a value edit keeps the tension the file holds";
    k.tension = 1;
    k.continuity = -1;
    EXPECT_TRUE(doc.set_key(camera_x, 0, k).ok) << "the limits themselves";
    for (float Key::*field : {&Key::tension, &Key::continuity, &Key::bias}) {
        Key past = doc.channel(camera_x).keys[0];
        past.*field = field == &Key::bias ? -1.01f : 5.0f;
        const edit_result r = doc.set_key(camera_x, 0, past);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.reason.find("-1 to 1"), std::string::npos) << r.reason;
    }
    EXPECT_EQ(doc.channel(camera_x).keys[0].tension, 1.0f);
}

TEST(MotionDocument, HistoryFoldsADragDropsRedoOnANewEditAndTracksTheSavedState)
{
    motion_document doc = read_document(scene_section());
    ASSERT_TRUE(doc.set_constant(object_x, 1, true).ok);
    ASSERT_TRUE(doc.set_constant(object_x, 2, true).ok);
    ASSERT_TRUE(doc.set_constant(object_x, 3, true).ok);
    doc.mark_saved();
    EXPECT_FALSE(doc.modified());
    ASSERT_TRUE(doc.set_constant(object_x, 4, true).ok); // a new step: the saved one is not folded
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_FALSE(doc.modified());
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_EQ(doc.value_at(object_x, 0), 0.0f) << "the drag is one step";
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.can_undo());

    ASSERT_TRUE(doc.set_constant({0, 1}, 7).ok);
    EXPECT_FALSE(doc.can_redo());
    EXPECT_TRUE(doc.modified()) << "the saved state left the history";
    const edit_result r = doc.undo();
    EXPECT_EQ(r.changed, (channel_ref{0, 1}));
}

// An import replaces a record whole, as one undo step; a record that does not fit is refused and
// changes nothing.
TEST(MotionDocument, AReplacedRecordIsOneStepAndMustFitItsRoom)
{
    const std::vector<char> section = scene_section();
    motion_document doc = read_document(section);
    record::transformation imported;
    for (std::size_t c = 0; c < imported.size(); ++c)
        imported[c].value = static_cast<float>(c);
    imported[0].tag = record::envelope_tag;
    imported[0].keys = {key(1, 5), key(3, -5)};

    const edit_result r = doc.replace_record(2, imported);
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_TRUE(r.every_channel);
    EXPECT_EQ(doc.value_at(camera_x, 3.0), -5.0f);
    EXPECT_EQ(doc.channel(camera_y).kind(), channel_kind::constant);
    EXPECT_EQ(doc.channel(camera_y).value, 1.0f);
    EXPECT_EQ(doc.channel(camera_mixer).value, 6.0f);
    EXPECT_TRUE(doc.modified());
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_EQ(doc.section(), section) << "one undo takes the whole record back";
    EXPECT_FALSE(doc.can_undo());
    ASSERT_TRUE(doc.redo().ok);
    EXPECT_TRUE(doc.replace_record(2, imported).ok);
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_EQ(doc.section(), section) << "the same record again made no step";

    const edit_result refused = doc.replace_record(0, imported);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("72-byte slot"), std::string::npos) << refused.reason;
    EXPECT_EQ(doc.section(), section);
}

// The section with the float at `at` set to `value`: another program's change to one record.
std::vector<char> with_value(std::vector<char> section, std::size_t at, float value)
{
    std::memcpy(section.data() + at, &value, sizeof value);
    return section;
}

// Another program's version taken in under the edits: each record not edited here becomes its
// own, the edited ones stay (those it changed too are named), as one undo step; an edit that
// does not fit its section refuses the whole and changes nothing.
TEST(MotionDocument, AMergeTakesTheNewerVersionsRecordsWhereNoEditStands)
{
    const std::size_t object_x_value = layout::animated_record + 4, quad_y_value = layout::quad_record + 12,
                      camera_key_value = layout::camera_record + 8 + record::key_bytes;
    const std::vector<char> section = scene_section();
    motion_document doc = read_document(section);
    ASSERT_TRUE(doc.set_key(camera_x, 1, key(2, 25)).ok);
    ASSERT_TRUE(doc.set_constant(object_x, 3).ok);
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_TRUE(doc.edited(2));
    EXPECT_FALSE(doc.edited(0)) << "an edit undone does not stand";

    // Their object slots ahead of the camera edited here.
    const auto merged_with = [mine = doc.section()](const std::vector<char>& newer) {
        std::vector<char> out = mine;
        std::copy_n(newer.begin(), layout::camera_record, out.begin());
        return out;
    };
    const std::vector<char> theirs = with_value(with_value(section, object_x_value, 7), quad_y_value, 6);
    std::vector<std::size_t> both;
    ASSERT_TRUE(doc.merge(read_document(theirs), &both).ok);
    EXPECT_TRUE(both.empty());
    EXPECT_EQ(doc.section(), merged_with(theirs)) << "theirs, but for the camera edited here";
    EXPECT_TRUE(doc.modified());
    EXPECT_FALSE(doc.edited(0));
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_EQ(doc.channel(object_x).value, 0.0f) << "one undo puts the records back as they were";
    EXPECT_EQ(doc.value_at(camera_x, 2.0), 25.0f);
    ASSERT_TRUE(doc.redo().ok);

    // Theirs changes the camera too: the edit stands, and the record is named.
    const std::vector<char> again = with_value(with_value(theirs, camera_key_value, 30), object_x_value, 8);
    ASSERT_TRUE(doc.merge(read_document(again), &both).ok);
    EXPECT_EQ(both, std::vector<std::size_t>{2});
    EXPECT_EQ(doc.section(), merged_with(again));

    // A section whose tail leaves the camera no more room than its record as read.
    ASSERT_TRUE(doc.add_key(camera_x, 5).ok);
    const std::size_t full = layout::max_file_size - layout::scene_section.offset - layout::camera_record -
                             (scene_section(0).size() - layout::camera_record);
    const std::vector<char> kept = doc.section();
    both = {1};
    const edit_result refused = doc.merge(read_document(scene_section(full)), &both);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.reason.find("camera record would take"), std::string::npos) << refused.reason;
    EXPECT_TRUE(both.empty());
    EXPECT_EQ(doc.section(), kept);

    // With no edit standing, the merged records are the file's: nothing is left to save.
    motion_document clean = read_document(section);
    ASSERT_TRUE(clean.merge(read_document(theirs)).ok);
    EXPECT_FALSE(clean.modified());
    EXPECT_EQ(clean.section(), theirs);
}

} // namespace

// A workbench beside a tool that rewrites the file, or watching a file it imports, or edited for
// hours stays small: the history keeps the latest steps, whatever made them, within its bounds,
// and undo walks back through exactly those.
TEST(MotionDocument, TheHistoryKeepsTheLatestStepsWithinItsBounds)
{
    const auto version = [](float x) {
        std::vector<char> section = scene_section();
        std::memcpy(section.data() + 4, &x, sizeof x); // the object's position x, after its tag
        return read_document(section);
    };
    const auto undos = [](motion_document& doc) {
        int undone = 0;
        while (doc.can_undo() && doc.undo().ok)
            ++undone;
        return undone;
    };
    motion_document doc = version(0);
    for (int v = 1; v <= 20; ++v)
        doc.take_over(version(static_cast<float>(v)));
    EXPECT_EQ(doc.channel(object_x).value, 20.0f);
    EXPECT_EQ(undos(doc), 16);
    EXPECT_EQ(doc.channel(object_x).value, 4.0f) << "the version before the oldest step kept";
    EXPECT_FALSE(doc.undo().ok);
    EXPECT_TRUE(doc.redo().ok);
    EXPECT_EQ(doc.channel(object_x).value, 5.0f);

    // Imports (a watched file's) count as versions do.
    motion_document imported = version(0);
    for (int v = 1; v <= 20; ++v) {
        record::transformation rec{};
        rec[0].value = static_cast<float>(v);
        ASSERT_TRUE(imported.replace_record(0, rec).ok);
    }
    EXPECT_EQ(undos(imported), 16);
    EXPECT_EQ(imported.channel(object_x).value, 4.0f);

    // Edits one by one: the latest thousand.
    motion_document edited = version(0);
    for (int v = 1; v <= 1100; ++v)
        ASSERT_TRUE(edited.set_constant(object_x, static_cast<float>(v)).ok);
    EXPECT_EQ(undos(edited), 1000);
    EXPECT_EQ(edited.channel(object_x).value, 100.0f);
    EXPECT_TRUE(edited.modified()) << "the saved state left the history";

    // Edits of a 4000-key envelope each hold it twice: 32 MiB hold no more than 32 MiB / (2 x 4000
    // x 24 bytes) of them, whatever else a step takes.
    motion_document long_curve = version(0);
    record::transformation camera{};
    camera[0].tag = record::envelope_tag;
    for (int k = 1; k <= 4000; ++k)
        camera[0].keys.push_back(key(static_cast<float>(k) / 100, 0));
    ASSERT_TRUE(long_curve.replace_record(2, camera).ok);
    for (int v = 1; v <= 300; ++v)
        ASSERT_TRUE(long_curve.set_key(camera_x, 0, key(0.01f, static_cast<float>(v))).ok);
    const int kept = undos(long_curve);
    EXPECT_LE(kept, (32 << 20) / (2 * 4000 * 24));
    EXPECT_GE(kept, 50);
    EXPECT_EQ(long_curve.channel(camera_x).keys[0].value, static_cast<float>(300 - kept));
}
