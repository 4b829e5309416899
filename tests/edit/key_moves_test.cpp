// Keys changed together: moved, stretched about a moment, deleted, copied and pasted, each the
// keys' new times worked out by hand; and the document taking them as one undo step, refusing two
// keys at one time or a non-envelope.
#include "edit/key_moves.h"

#include <gtest/gtest.h>

#include "data_files.h"
#include "edit/motion_document.h"

namespace {

using namespace quor::edit;
using quor::Key;
using quor::test::key;

std::vector<float> times_of(const std::vector<Key>& keys)
{
    std::vector<float> t;
    for (const Key& k : keys)
        t.push_back(k.time);
    return t;
}

const std::vector<Key> row{key(0.5f, 1), key(1, 2), key(2, 3), key(3, 4), key(5, 5)};

TEST(KeyMoves, MoveStretchAndDeleteKeepTimeOrderAndFollowTheSelection)
{
    moved_keys m = move_keys(row, {1, 2}, 2.5, 10);
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{0.5f, 3, 3.5f, 4.5f, 5}));
    EXPECT_EQ(m.selected, (key_set{2, 3}));
    EXPECT_EQ(m.keys[2].value, 12) << "moved in value too";
    // Back before 0 s: the move stops with the earliest selected key at 0.
    m = move_keys(row, {0, 1}, -3, 0);
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{0, 0.5f, 2, 3, 5}));

    // Three keys stretched about 2 s: 1 -> 0, 2 -> 2, 3 -> 4.
    m = stretch_keys(row, {1, 2, 3}, 2, 2);
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{0, 0.5f, 2, 4, 5}));
    EXPECT_EQ(m.selected, (key_set{0, 2, 3}));
    // Squeezed to half about 3 s: 1 -> 2, 2 -> 2.5, 3 -> 3.
    m = stretch_keys(row, {1, 2, 3}, 3, 0.5);
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{0.5f, 2, 2.5f, 3, 5}));

    m = delete_keys(row, {0, 4});
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{1, 2, 3}));
    EXPECT_TRUE(m.selected.empty());

    EXPECT_EQ(keys_in_box(row, 0.9, 3.1, 2.5f, 10), (key_set{2, 3}));
    EXPECT_EQ(keys_in_box(row, 3.1, 0.9, 10, 2.5f), (key_set{2, 3})) << "a box drawn either way";
}

TEST(KeyMoves, PastedKeysKeepTheirSpacingAndReplaceKeysAtTheirTimes)
{
    const key_clip clip = copy_keys(row, {1, 3});
    ASSERT_EQ(clip.keys.size(), 2u);
    EXPECT_EQ(times_of(clip.keys), (std::vector<float>{0, 2}));
    const std::vector<Key> other{key(1, -1), key(6, -6)};
    moved_keys m = paste_keys(other, clip, 4);
    EXPECT_EQ(times_of(m.keys), (std::vector<float>{1, 4, 6}));
    EXPECT_EQ(m.keys[2].value, 4) << "the key at 6 s gave way to the pasted one";
    EXPECT_EQ(m.selected, (key_set{1, 2}));
    EXPECT_TRUE(copy_keys(row, {}).empty());
}

TEST(KeyMoves, TheDocumentTakesThemAsOneUndoStep)
{
    motion_document doc;
    std::size_t size = 0;
    auto block = quor::test::file_block(quor::test::scene_section(), size);
    ASSERT_TRUE(doc.read(block.get(), size));
    const channel_ref x{2, 0}, y{2, 1};
    const std::vector<Key> before = doc.channel(x).keys; // 1, 2, 4 s
    const moved_keys m = stretch_keys(before, {0, 1, 2}, 2, 1.5);
    ASSERT_TRUE(doc.set_keys(x, m.keys).ok);
    EXPECT_EQ(times_of(doc.channel(x).keys), (std::vector<float>{0.5f, 2, 5}));
    EXPECT_FLOAT_EQ(doc.value_at(x, 5), 0);
    ASSERT_TRUE(doc.set_keys(y, paste_keys(doc.channel(y).keys, copy_keys(before, {0}), 3).keys).ok);
    EXPECT_EQ(times_of(doc.channel(y).keys), (std::vector<float>{1, 2, 3, 4}));
    ASSERT_TRUE(doc.undo().ok);
    ASSERT_TRUE(doc.undo().ok);
    EXPECT_EQ(times_of(doc.channel(x).keys), times_of(before)) << "one step each";
    EXPECT_EQ(doc.channel(y).keys.size(), 3u);

    EXPECT_FALSE(doc.set_keys(x, {key(1, 0), key(1, 2)}).ok) << "two keys at 1 s";
    EXPECT_FALSE(doc.set_keys(x, {key(-1, 0)}).ok);
    EXPECT_FALSE(doc.set_keys({0, 0}, {key(1, 0)}).ok) << "a constant has no keys";
    // More keys than the camera's room holds.
    std::vector<Key> many;
    for (std::size_t i = 0; i < doc.room(2) / 4; ++i)
        many.push_back(key(static_cast<float>(i) * 0.01f, 0));
    const edit_result r = doc.set_keys(x, many);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("room"), std::string::npos) << r.reason;
    EXPECT_EQ(times_of(doc.channel(x).keys), times_of(before));
}

} // namespace
