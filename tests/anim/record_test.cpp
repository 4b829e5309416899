// Packed motion records: writers and readers as exact inverses, byte counts, and refusal of
// records that run past the end of memory (counts included) without changing the target.
#include "anim/record.h"

#include <gtest/gtest.h>

#include "anim/channel.h"
#include "anim/envelope.h"
#include "anim/envelope_mixer.h"

namespace quor {
namespace {

using record::read_error;

Key key(float time, float value, Shape shape, float tension = 0, float continuity = 0, float bias = 0)
{
    Key k;
    k.time = time;
    k.value = value;
    k.shape = shape;
    k.tension = tension;
    k.continuity = continuity;
    k.bias = bias;
    return k;
}

const std::vector<Key> three_keys = {key(0.5f, 1, Shape::TCB, 0.1f, 0.2f, 0.3f), key(1, -2, Shape::Bezier2D),
                                     key(2, 4, static_cast<Shape>(11))};

TEST(EnvelopeRecord, RoundTripKeepsEveryFieldAndZeroesParams)
{
    std::vector<char> bytes;
    record::write_envelope(bytes, three_keys);
    ASSERT_EQ(bytes.size(), 4 + 3 * 24 + 8u);

    Envelope e;
    e.set_post_behavior(Behavior::Repeat);
    EXPECT_EQ(read_envelope(bytes.data(), bytes.data() + bytes.size(), e), bytes.data() + bytes.size());
    ASSERT_EQ(e.key_count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Key& k = e.keys()[i];
        EXPECT_EQ(k.time, three_keys[i].time);
        EXPECT_EQ(k.value, three_keys[i].value);
        EXPECT_EQ(k.shape, three_keys[i].shape);
        EXPECT_EQ(k.tension, three_keys[i].tension);
        EXPECT_EQ(k.continuity, three_keys[i].continuity);
        EXPECT_EQ(k.bias, three_keys[i].bias);
        EXPECT_EQ(k.param[0], 0);
        EXPECT_EQ(k.param[3], 0);
    }
    EXPECT_EQ(e.post_behavior(), Behavior::Repeat); // the record carries no behaviours
}

TEST(EnvelopeRecord, EmptyRecordIsTwelveBytesAndReadsAtAnyAlignment)
{
    std::vector<char> bytes(1, 'x');
    record::write_envelope(bytes, {});
    Envelope e;
    EXPECT_EQ(read_envelope(bytes.data() + 1, bytes.data() + bytes.size(), e), bytes.data() + 13);
    EXPECT_TRUE(e.empty());

    bytes.resize(1);
    record::write_envelope(bytes, three_keys);
    EXPECT_NE(read_envelope(bytes.data() + 1, bytes.data() + bytes.size(), e), nullptr);
    EXPECT_EQ(e.key_count(), 3u);
}

TEST(EnvelopeRecord, KeyCountBeyondTheDataIsRefusedBeforeAllocating)
{
    std::vector<char> bytes;
    record::write_u32(bytes, 0xffffffffu);
    bytes.resize(320);
    Envelope e;
    e.add_linear_key(0, 1);
    read_error err;
    EXPECT_EQ(read_envelope(bytes.data(), bytes.data() + bytes.size(), e, &err), nullptr);
    EXPECT_EQ(e.key_count(), 1u);
    EXPECT_EQ(err.at, bytes.data());
    EXPECT_EQ(err.reason, "envelope key count 4294967295 needs 103079215088 bytes, 316 are left");
}

TEST(ChannelRecord, ConstantTagSetsTheValueOnly)
{
    std::vector<char> bytes;
    record::write_constant_channel(bytes, 2.5f);
    ASSERT_EQ(bytes.size(), 8u);
    Channel c;
    Envelope& e = c.make_envelope();
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c), bytes.data() + 8);
    EXPECT_EQ(c.value, 2.5f);
    EXPECT_EQ(c.dynamic->as_envelope(), &e);
}

TEST(ChannelRecord, EnvelopeTagAppendsAfterTheSeedKey)
{
    std::vector<char> bytes;
    record::write_envelope_channel(bytes, three_keys);
    ASSERT_EQ(bytes.size(), 4 + 4 + 72 + 8u);
    Channel c(7);
    c.make_mixer();
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c), bytes.data() + bytes.size());
    const Envelope* e = c.dynamic->as_envelope();
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->key_count(), 4u);
    EXPECT_EQ(e->keys()[0].value, 7);
    EXPECT_EQ(e->keys()[0].time, 0);
    EXPECT_EQ(e->keys()[3].value, 4);
}

TEST(ChannelRecord, MixerTagAddsOneEntryPerEnvelope)
{
    std::vector<char> bytes;
    record::write_mixer_channel(bytes, {{key(0, 1, Shape::TCB)}, {key(0, 2, Shape::Linear)}});
    ASSERT_EQ(bytes.size(), 4 + 4 + 2 * (4 + 4 + 24 + 8u));
    Channel c(3);
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c), bytes.data() + bytes.size());
    const EnvelopeMixer* m = c.dynamic->as_mixer();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->size(), 3);
    EXPECT_EQ(m->entry(2)->keys()[0].value, 2);
    EXPECT_EQ(m->weight(1), 0);
    EXPECT_EQ(m->weight(2), 0);
    EXPECT_EQ(c.evaluate(1), 3); // all weights 0: the seed envelope
}

TEST(ChannelRecord, UnknownTagConsumesOnlyItself)
{
    std::vector<char> bytes;
    record::write_u32(bytes, 7);
    record::write_f32(bytes, 1);
    Channel c(4);
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c), bytes.data() + 4);
    EXPECT_EQ(c.value, 4);
    EXPECT_FALSE(c.is_dynamic());
}

TEST(ChannelRecord, EveryTruncationFailsAndLeavesTheChannelAlone)
{
    std::vector<std::vector<char>> records(3);
    record::write_constant_channel(records[0], 1);
    record::write_envelope_channel(records[1], three_keys);
    record::write_mixer_channel(records[2], {three_keys, {}, three_keys});
    for (const std::vector<char>& full : records) {
        for (std::size_t n = 0; n < full.size(); ++n) {
            const std::vector<char> cut(full.begin(), full.begin() + n);
            Channel c(9);
            read_error err;
            EXPECT_EQ(read_channel(cut.data(), cut.data() + cut.size(), c, &err), nullptr) << n;
            EXPECT_EQ(c.value, 9);
            EXPECT_FALSE(c.is_dynamic());
            EXPECT_FALSE(err.reason.empty());
            EXPECT_TRUE(err.at >= cut.data() && err.at <= cut.data() + cut.size());
        }
    }
}

TEST(ChannelRecord, DamagedMixerNamesTheEntry)
{
    std::vector<char> bytes;
    record::write_mixer_channel(bytes, {three_keys, three_keys});
    const std::size_t second_count = 4 + 4 + (4 + 4 + 72 + 8) + 4;
    bytes[second_count] = 9;
    Channel c;
    read_error err;
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c, &err), nullptr);
    EXPECT_EQ(err.at, bytes.data() + second_count);
    EXPECT_EQ(err.reason, "mixer entry 1 envelope key count 9 needs 224 bytes, 80 are left");
    EXPECT_FALSE(c.is_dynamic());
}

TEST(ChannelRecord, HugeMixerEntryCountIsRefusedUpFront)
{
    std::vector<char> bytes;
    record::write_u32(bytes, record::mixer_tag);
    record::write_u32(bytes, 1000000);
    bytes.resize(64);
    Channel c;
    read_error err;
    EXPECT_EQ(read_channel(bytes.data(), bytes.data() + bytes.size(), c, &err), nullptr);
    EXPECT_EQ(err.reason, "mixer entry count 1000000 needs at least 16000000 bytes, 56 are left");
}

// The plain form is what editors and importers work on: reading a section of every channel kind
// and writing it back gives the same bytes, and the channel index names a fault.
TEST(TransformationRecord, PlainRecordsReadAndWriteBackByteForByte)
{
    std::vector<char> bytes;
    record::write_constant_channel(bytes, -1.5f);
    record::write_envelope_channel(bytes, three_keys);
    record::write_mixer_channel(bytes, {three_keys, {}});
    record::write_u32(bytes, 7);
    for (int i = 0; i < 5; ++i)
        record::write_constant_channel(bytes, float(i));

    record::transformation rec;
    ASSERT_EQ(record::read_transformation(bytes.data(), bytes.data() + bytes.size(), rec), bytes.data() + bytes.size());
    EXPECT_EQ(rec[0].value, -1.5f);
    EXPECT_EQ(rec[1].keys.size(), 3u);
    ASSERT_EQ(rec[2].entries.size(), 2u);
    EXPECT_EQ(rec[3].tag, 7u);
    std::vector<char> again;
    record::write_transformation(again, rec);
    EXPECT_EQ(again, bytes);

    read_error err;
    EXPECT_EQ(record::read_transformation(bytes.data(), bytes.data() + 20, rec, &err), nullptr);
    EXPECT_EQ(err.reason.rfind("channel 1 envelope key count 3", 0), 0u) << err.reason;
}

} // namespace
} // namespace quor
