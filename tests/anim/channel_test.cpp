// Channels and the envelope mixer: promotion rules, shared ownership of entry 0, and the
// weighted, time-shifted blend with its fallback.
#include "anim/channel.h"

#include <gtest/gtest.h>

#include "anim/envelope.h"
#include "anim/envelope_mixer.h"

namespace quor {
namespace {

boost::shared_ptr<Envelope> constant_envelope(float v)
{
    boost::shared_ptr<Envelope> e(new Envelope);
    e->add_linear_key(0, v);
    return e;
}

// e(t) = t over [-100, 100]
boost::shared_ptr<Envelope> identity_envelope()
{
    boost::shared_ptr<Envelope> e(new Envelope);
    e->add_linear_key(-100, -100);
    e->add_linear_key(100, 100);
    return e;
}

TEST(Channel, ConstantAndDrivenEvaluation)
{
    Channel c(4);
    EXPECT_FALSE(c.is_dynamic());
    EXPECT_EQ(c.evaluate(10), 4);

    Envelope& e = c.make_envelope();
    EXPECT_TRUE(c.is_dynamic());
    e.add_linear_key(2, 8);
    EXPECT_EQ(c.evaluate(1), 6);
    EXPECT_EQ(c.value, 6); // a driven channel keeps its last result
}

TEST(Channel, MakeEnvelopeSeedsOnceWithTheCurrentValue)
{
    Channel c(5);
    Envelope& e = c.make_envelope();
    ASSERT_EQ(e.key_count(), 1u);
    EXPECT_EQ(e.keys()[0].shape, Shape::TCB);
    EXPECT_EQ(e.keys()[0].time, 0);
    for (double t : {-3.0, 0.0, 7.0})
        EXPECT_EQ(c.evaluate(t), 5);

    EXPECT_EQ(&c.make_envelope(), &e);
    EXPECT_EQ(e.key_count(), 1u);
}

TEST(Channel, MakeEnvelopeReplacesAMixer)
{
    Channel c(3);
    c.make_mixer();
    Envelope& e = c.make_envelope();
    EXPECT_EQ(c.dynamic->as_mixer(), nullptr);
    EXPECT_EQ(c.dynamic->as_envelope(), &e);
    EXPECT_EQ(e.key_count(), 1u);
}

TEST(Channel, MakeMixerKeepsTheEnvelopeAsEntryZero)
{
    Channel c(1);
    Envelope& e = c.make_envelope();
    e.add_linear_key(1, 3);
    EnvelopeMixer& m = c.make_mixer();
    ASSERT_EQ(m.size(), 1);
    EXPECT_EQ(m.entry(0).get(), &e);
    EXPECT_EQ(m.entry(0).use_count(), 1); // the channel's own reference went with the swap
    EXPECT_EQ(e.key_count(), 2u);         // no second seed key
    EXPECT_EQ(m.weight(0), 0);
    EXPECT_EQ(c.evaluate(0.5), 2);

    EXPECT_EQ(&c.make_mixer(), &m);
    EXPECT_EQ(m.size(), 1);
}

TEST(Channel, MixerOfAConstantChannelYieldsItsValue)
{
    Channel c(2);
    c.make_mixer();
    for (double t : {-1.0, 0.0, 30.0})
        EXPECT_EQ(c.evaluate(t), 2);
}

TEST(EnvelopeMixer, WeightedBlendSkipsZeroWeights)
{
    Channel c(99);
    EnvelopeMixer& m = c.make_mixer();
    m.add(constant_envelope(10));
    m.add(constant_envelope(20));
    EXPECT_EQ(m.scale(1), 1);
    EXPECT_EQ(m.offset(1), 0);
    m.set_weight(1, 1);
    m.set_weight(2, 3);
    EXPECT_FLOAT_EQ(c.evaluate(0), 17.5f);
}

TEST(EnvelopeMixer, WeightsSummingToZeroFallBackToEntryZeroUnshifted)
{
    EnvelopeMixer m;
    m.add(identity_envelope());
    m.add(constant_envelope(10));
    m.add(constant_envelope(20));
    m.set_scale(0, 5);
    m.set_offset(0, 3);
    m.set_weight(1, 1);
    m.set_weight(2, -1);
    EXPECT_FLOAT_EQ(m.value(4), 4);
}

TEST(EnvelopeMixer, ScaleAndOffsetShiftTheEntryTime)
{
    EnvelopeMixer m;
    m.add(constant_envelope(0));
    m.add(identity_envelope());
    m.set_weight(1, 1);
    m.set_scale(1, 2);
    m.set_offset(1, 1);
    EXPECT_FLOAT_EQ(m.value(3), 4);
    EXPECT_FLOAT_EQ(m.value(0.5), -1);
}

TEST(EnvelopeMixer, WithoutEntriesYieldsZero)
{
    EnvelopeMixer m;
    EXPECT_EQ(m.size(), 0);
    EXPECT_EQ(m.value(1), 0);
}

} // namespace
} // namespace quor
