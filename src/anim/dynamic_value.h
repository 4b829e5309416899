// A single-precision value that depends on a time in seconds: the interface behind every
// animated number (keyed envelopes and envelope mixers). Shared owners delete through it.
#pragma once

namespace quor {

class Envelope;
class EnvelopeMixer;

class DynamicValue {
public:
    virtual ~DynamicValue() = default;
    virtual float value(double t) const = 0;
    // The object as its concrete kind, or null when it is not of that kind.
    virtual Envelope* as_envelope() { return nullptr; }
    virtual EnvelopeMixer* as_mixer() { return nullptr; }
};

} // namespace quor
