// An animatable float: a constant, or driven by a shared DynamicValue (an envelope or a mixer)
// whose last result it keeps. The unit that scene transformations animate.
#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include "anim/dynamic_value.h"

namespace quor {

class Envelope;
class EnvelopeMixer;

class Channel {
public:
    explicit Channel(float initial = 0) : value(initial) {}

    // The constant, or for a driven channel the result of the last `evaluate`.
    float value;
    boost::shared_ptr<DynamicValue> dynamic;
    std::string name;

    // The driven value at t (stored into `value`), or `value` for a constant channel.
    float evaluate(double t);
    bool is_dynamic() const { return static_cast<bool>(dynamic); }
    // Makes the channel envelope-driven unless it already is: a new envelope seeded with a TCB
    // key at time 0 carrying the current value replaces whatever drove it. Returns the envelope.
    Envelope& make_envelope();
    // Makes the channel mixer-driven unless it already is: its envelope (made as above if it had
    // none) becomes entry 0 with weight 0, without a second seed key. Returns the mixer.
    EnvelopeMixer& make_mixer();
};

} // namespace quor
