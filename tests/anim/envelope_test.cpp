// Envelope evaluation against hand-worked spans, behaviours outside the key range, and the key
// queries.
#include "anim/envelope.h"

#include <cmath>

#include <gtest/gtest.h>

namespace quor {
namespace {

Envelope linear_ramp(float t0, float v0, float t1, float v1, Behavior pre, Behavior post)
{
    Envelope e;
    e.add_linear_key(t0, v0);
    e.add_linear_key(t1, v1);
    e.set_pre_behavior(pre);
    e.set_post_behavior(post);
    return e;
}

// --- spans ------------------------------------------------------------------------------

TEST(EnvelopeSpan, TcbUsesTensionContinuityBiasOfBothKeys)
{
    Envelope e;
    e.add_tcb_key(0, 0, 0.5f, 0.2f, -0.3f);
    e.add_tcb_key(1, 2, -0.2f, 0.1f, 0.4f);
    e.add_tcb_key(3, 1, 0, 0, 0);
    // Span 0-1 at u = 0.5: out = 0.5 * 0.8 * 1.3 * 2 = 1.04 (no key before);
    // in = 1/3 * (1.2 * 1.1 * 0.6 * (1 - 2) + 1.2 * 0.9 * 1.4 * 2) = 0.744; basis (.5, .5, .125, -.125).
    EXPECT_NEAR(e.value(0.5), 1.0f + 0.125f * 1.04f - 0.125f * 0.744f, 1e-5);
    // Span 1-3 at u = 0.5: out = 2/3 * (1.2 * 1.1 * 1.4 * 2 + 1.2 * 0.9 * 0.6 * -1) = 2.032;
    // in = -1 (no key after).
    EXPECT_NEAR(e.value(2.0), 1.0f + 0.5f + 0.125f * 2.032f + 0.125f, 1e-5);
}

TEST(EnvelopeSpan, KeyTangentsAreTheOnesTheSpansUse)
{
    Envelope e;
    e.add_tcb_key(0, 0, 0, 0, 0);
    e.add_tcb_key(1, 1, 0, 0, 0);
    e.add_tcb_key(3, 3, 0, 0, 0);
    e.add_tcb_key(4, 0, 0, 0, 1);
    const std::vector<Key>& k = e.keys();
    // Keys on a line: key 1 leaves along it, each tangent the line's rise over its span (1 s, 2 s).
    EXPECT_FLOAT_EQ(tangent_in(k, 1), 1.0f);
    EXPECT_FLOAT_EQ(tangent_out(k, 1), 2.0f);
    // The first key has no key before: the rise of its span.
    EXPECT_FLOAT_EQ(tangent_out(k, 0), 1.0f);
    // Bias 1 at the last key doubles the rise of the span it closes: 2 * -3.
    EXPECT_FLOAT_EQ(tangent_in(k, 3), -6.0f);
    // Tension 1 flattens both sides.
    Envelope flat;
    flat.add_tcb_key(0, 0, 0, 0, 0);
    flat.add_tcb_key(1, 5, 1, 0, 0);
    flat.add_tcb_key(2, 1, 0, 0, 0);
    EXPECT_FLOAT_EQ(tangent_in(flat.keys(), 1), 0.0f);
    EXPECT_FLOAT_EQ(tangent_out(flat.keys(), 1), 0.0f);
    // Key 2 leaves at (1 / 3) * ((3 - 1) + (0 - 3)) = -1/3; the span to key 3 at u = 0.5 on the
    // Hermite basis: 0.5 * 3 + 0.5 * 0 + 0.125 * (-1/3) - 0.125 * (-6).
    EXPECT_FLOAT_EQ(tangent_out(k, 2), -1.0f / 3);
    EXPECT_NEAR(e.value(3.5), 1.5 - 0.125 / 3 + 0.75, 1e-5);
}

TEST(EnvelopeSpan, HermiteAndBezierTakeTheirTangentsFromParams)
{
    for (Shape shape : {Shape::Hermite, Shape::Bezier}) {
        Envelope e;
        Key a, b;
        a.time = 0, a.value = 1, a.shape = shape, a.param[1] = 3;
        b.time = 2, b.value = 5, b.shape = shape, b.param[0] = -1;
        e.add_key(a);
        e.add_key(b);
        // u = 0.25: basis (0.84375, 0.15625, 0.140625, -0.046875)
        EXPECT_NEAR(e.value(0.5), 0.84375f + 0.15625f * 5 + 0.140625f * 3 + 0.046875f, 1e-5);
    }
}

TEST(EnvelopeSpan, HermiteIncomingTangentScalesByTheNextSpan)
{
    Envelope e;
    e.add_hermite_key(0, 0, 0, 2);
    e.add_hermite_key(1, 1, 4, 6);
    e.add_linear_key(3, 1);
    // in = 4 * (1 - 0) / (3 - 0)
    EXPECT_NEAR(e.value(0.5), 0.5f + 0.125f * 2 - 0.125f * 4.0f / 3, 1e-5);
}

TEST(EnvelopeSpan, LinearAndStepped)
{
    const Envelope ramp = linear_ramp(0, 0, 1, 1, Behavior::Constant, Behavior::Constant);
    EXPECT_FLOAT_EQ(ramp.value(0.25), 0.25f);

    Envelope step;
    step.add_linear_key(0, 3);
    step.add_stepped_key(2, 7);
    EXPECT_FLOAT_EQ(step.value(1.0), 3);
    EXPECT_FLOAT_EQ(step.value(1.999), 3);
    EXPECT_FLOAT_EQ(step.value(2.0), 7);
}

TEST(EnvelopeSpan, ShapeComesFromTheClosingKey)
{
    Envelope e;
    e.add_stepped_key(0, 0);
    e.add_linear_key(1, 4);
    EXPECT_FLOAT_EQ(e.value(0.5), 2);

    Envelope unknown;
    unknown.add_linear_key(0, 3);
    Key k;
    k.time = 1, k.value = 4, k.shape = static_cast<Shape>(9);
    unknown.add_key(k);
    EXPECT_FLOAT_EQ(unknown.value(0.5), 0);
}

TEST(EnvelopeSpan, Bezier2DWithHandlesOnBothKeys)
{
    Envelope e;
    // Time curve x(s) = -0.5 s^3 + 1.5 s; value handles at 2 and 2: y(s) = 3 s^3 - 6 s^2 + 6 s.
    e.add_bezier2d_key(0, 0, 0, 0, 0.5f, 2);
    e.add_bezier2d_key(1, 3, 0, -1, 0, 0);
    EXPECT_NEAR(e.value(0.6875), 1.875f, 1e-5);    // s = 0.5
    EXPECT_NEAR(e.value(0.3671875), 1.171875f, 1e-3); // s = 0.25, found by bisection
}

TEST(EnvelopeSpan, Bezier2DAfterAnOrdinaryKeyLeavesAlongItsTangent)
{
    Envelope e;
    // Outgoing TCB tangent 0.5 * 3 = 1.5, so the value handle sits at 1.5 / 3 = 0.5; the time
    // handles at thirds make x(s) = 3 s, and y = cubic(0, 0.5, 2, 3).
    e.add_tcb_key(0, 0, 0.5f, 0, 0);
    e.add_bezier2d_key(3, 3, -1, -1, 0, 0);
    EXPECT_NEAR(e.value(1.5), 1.3125f, 1e-5);
}

TEST(EnvelopeSpan, Bezier2DHandlesServeAsTangentsOfNeighbouringSpans)
{
    Envelope e;
    // out = 1 * 2 / 0.5: value offset times span over time offset
    e.add_bezier2d_key(0, 0, 0, 0, 0.5f, 1);
    e.add_tcb_key(2, 0, 0, 0, 0);
    EXPECT_NEAR(e.value(1.0), 0.125f * 4, 1e-6);

    Envelope flat;
    // a handle without time length counts as 100000 times its value offset times the span
    flat.add_bezier2d_key(0, 0, 0, 0, 0, 1);
    flat.add_tcb_key(2, 0, 0, 0, 0);
    EXPECT_NEAR(flat.value(1.0), 0.125f * 200000, 1e-2);

    Envelope tail;
    tail.add_linear_key(0, 0);
    tail.add_bezier2d_key(2, 0, -0.5f, 1, 0, 0);
    tail.set_post_behavior(Behavior::Linear);
    EXPECT_FLOAT_EQ(tail.value(3.0), -2); // in = 1 * 2 / -0.5, slope -4 / 2
}

TEST(EnvelopeSpan, Bezier2DWithHandlesOutsideTheSpanStillEnds)
{
    Envelope e;
    e.add_bezier2d_key(0, 0, 0, 0, 50, 1);
    e.add_bezier2d_key(1, 1, -80, 0, 0, 0);
    for (double t = 0.05; t < 1; t += 0.1)
        EXPECT_TRUE(std::isfinite(e.value(t)));
}

// --- exact key times and degenerate envelopes ----------------------------------------

TEST(EnvelopeKeys, ExactKeyTimeGivesTheKeyValueWhateverTheShapes)
{
    Envelope e;
    e.add_tcb_key(0, 1, 0.3f, 0.3f, 0.3f);
    e.add_bezier2d_key(1, 2, -5, 7, 3, 3);
    e.add_hermite_key(2, -4, 100, 100);
    Key odd;
    odd.time = 3, odd.value = 9, odd.shape = static_cast<Shape>(-2);
    e.add_key(odd);
    EXPECT_EQ(e.value(0.0), 1);
    EXPECT_EQ(e.value(1.0), 2);
    EXPECT_EQ(e.value(2.0), -4);
    EXPECT_EQ(e.value(3.0), 9);
}

TEST(EnvelopeKeys, EmptyAndOneKey)
{
    Envelope empty;
    EXPECT_EQ(empty.value(1.0), 0);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.next_key(0), nullptr);
    EXPECT_EQ(empty.previous_key(0), nullptr);

    Envelope one;
    one.add_tcb_key(2, 7, 0, 0, 0);
    one.set_pre_behavior(Behavior::Reset);
    one.set_post_behavior(Behavior::Reset);
    EXPECT_TRUE(one.single_key());
    for (double t : {-5.0, 2.0, 9.0})
        EXPECT_EQ(one.value(t), 7);
}

TEST(EnvelopeKeys, FindNextPrevious)
{
    Envelope e;
    e.add_linear_key(0, 10);
    e.add_linear_key(1, 11);
    e.add_linear_key(1, 12);
    e.add_linear_key(2, 13);
    EXPECT_EQ(e.key_count(), 4u);
    EXPECT_EQ(e.find_key(1)->value, 11);
    EXPECT_EQ(e.find_key(0.5), nullptr);
    EXPECT_EQ(e.next_key(0.5)->value, 11);
    EXPECT_EQ(e.next_key(1)->value, 13);
    EXPECT_EQ(e.next_key(5)->value, 10);      // past the last key: the first
    EXPECT_EQ(e.previous_key(1.5)->value, 12); // scanning backwards
    EXPECT_EQ(e.previous_key(-1)->value, 13);  // before the first key: the last
}

TEST(EnvelopeKeys, AddOperationsZeroWhatTheyDoNotTake)
{
    Envelope e;
    e.add_bezier_key(1, 2, 3, 4);
    const Key& k = e.keys().back();
    EXPECT_EQ(k.shape, Shape::Bezier);
    EXPECT_EQ(k.time, 1);
    EXPECT_EQ(k.value, 2);
    EXPECT_EQ(k.param[0], 3);
    EXPECT_EQ(k.param[1], 4);
    EXPECT_EQ(k.param[2], 0);
    EXPECT_EQ(k.tension, 0);
    EXPECT_EQ(e.pre_behavior(), Behavior::Constant);
    EXPECT_EQ(e.post_behavior(), Behavior::Constant);
}

// --- behaviours ---------------------------------------------------------------------

TEST(EnvelopeBehavior, ConstantAndReset)
{
    const Envelope c = linear_ramp(0, 0, 1, 1, Behavior::Constant, Behavior::Constant);
    EXPECT_EQ(c.value(1.0), 1);
    EXPECT_EQ(c.value(2.0), 1);
    EXPECT_EQ(c.value(-1.0), 0);

    const Envelope r = linear_ramp(0, 5, 1, 6, Behavior::Reset, Behavior::Reset);
    EXPECT_EQ(r.value(-1.0), 0);
    EXPECT_EQ(r.value(2.0), 0);
    EXPECT_EQ(r.value(1.0), 6);
}

// Keys at 1 (10) and 3 (14): a period of 2 that does not start at time 0, met several periods
// away on both sides.
TEST(EnvelopeBehavior, WrappingOnBothSides)
{
    struct sample {
        Behavior behavior;
        double t;
        float expected;
    };
    const sample samples[] = {
        {Behavior::Repeat, 4.0, 12},       {Behavior::Repeat, 7.5, 11},
        {Behavior::Repeat, 0.0, 12},       {Behavior::Repeat, -2.5, 11},
        {Behavior::Oscillate, 3.5, 13},    // one period after: mirrored
        {Behavior::Oscillate, 5.5, 11},    // two periods after: straight
        {Behavior::Oscillate, 0.5, 11},    // one period before: mirrored
        {Behavior::Oscillate, -1.5, 13},   // two periods before: straight
        {Behavior::OffsetRepeat, 4.0, 16}, {Behavior::OffsetRepeat, 7.5, 23},
        {Behavior::OffsetRepeat, 0.0, 8},  {Behavior::OffsetRepeat, -2.5, 3},
    };
    for (const sample& s : samples) {
        const Envelope e = linear_ramp(1, 10, 3, 14, s.behavior, s.behavior);
        EXPECT_FLOAT_EQ(e.value(s.t), s.expected) << "behaviour " << int(s.behavior) << " at " << s.t;
    }

    const Envelope oscillate = linear_ramp(0, 0, 1, 1, Behavior::Constant, Behavior::Oscillate);
    EXPECT_FLOAT_EQ(oscillate.value(1.25), 0.75f);
    EXPECT_FLOAT_EQ(oscillate.value(2.25), 0.25f);
    const Envelope offset = linear_ramp(0, 0, 1, 1, Behavior::OffsetRepeat, Behavior::OffsetRepeat);
    EXPECT_FLOAT_EQ(offset.value(2.5), 2.5f);
    EXPECT_FLOAT_EQ(offset.value(-0.5), -0.5f);
}

TEST(EnvelopeBehavior, LinearExtendsTheEndTangents)
{
    Envelope tcb;
    tcb.add_tcb_key(0, 0, 0, 0, 0);
    tcb.add_tcb_key(1, 2, 0, 0, 0);
    tcb.set_pre_behavior(Behavior::Linear);
    EXPECT_FLOAT_EQ(tcb.value(-1.0), -2);

    Envelope e;
    e.add_linear_key(1, 10);
    e.add_linear_key(3, 14);
    e.add_linear_key(4, 20);
    e.set_pre_behavior(Behavior::Linear);
    e.set_post_behavior(Behavior::Linear);
    EXPECT_FLOAT_EQ(e.value(0.0), 8);  // slope 4 / 2 from the first span
    EXPECT_FLOAT_EQ(e.value(5.0), 26); // slope 6 / 1 from the last span
}

TEST(EnvelopeBehavior, UnknownBehaviorEvaluatesTheEndSpanAsIs)
{
    const Envelope e = linear_ramp(0, 0, 1, 1, static_cast<Behavior>(17), static_cast<Behavior>(17));
    EXPECT_FLOAT_EQ(e.value(2.0), 2);
    EXPECT_FLOAT_EQ(e.value(-1.0), -1);
}

TEST(EnvelopeBehavior, RepeatOverAnEmptyRangeStaysAtTheKeys)
{
    Envelope e;
    e.add_linear_key(1, 3);
    e.add_linear_key(1, 4);
    e.set_post_behavior(Behavior::Repeat);
    EXPECT_EQ(e.value(5.0), 3);
}

} // namespace
} // namespace quor
