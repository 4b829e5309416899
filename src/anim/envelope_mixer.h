// A weighted blend of envelopes, each shifted and stretched in time. Entry 0 is the fallback
// when no weight counts: entries added by `add` (and so all read from data) weigh 0.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "anim/channel.h"
#include "anim/dynamic_value.h"
#include "anim/envelope.h"

namespace quor {

class EnvelopeMixer : public DynamicValue {
public:
    std::string name;

    // Appends an entry with weight 0, scale 1 and offset 0, sharing ownership of e.
    void add(const boost::shared_ptr<Envelope>& e);
    virtual int size() const { return static_cast<int>(entries.size()); }

    const boost::shared_ptr<Envelope>& entry(int i) const { return entries[i]; }
    float weight(int i) const { return weights[i]; }
    float scale(int i) const { return scales[i]; }
    float offset(int i) const { return offsets[i]; }
    void set_weight(int i, float w) { weights[i] = w; }
    void set_scale(int i, float s) { scales[i] = s; }
    void set_offset(int i, float o) { offsets[i] = o; }

    // sum(w_i * e_i(scale_i * (t - offset_i))) / sum(w_i) over entries of non-zero weight; when
    // the weights sum to 0, entry 0 at t itself; 0 without entries.
    float value(double t) const override;
    EnvelopeMixer* as_mixer() override { return this; }

private:
    std::vector<boost::shared_ptr<Envelope>> entries;
    std::vector<float> weights;
    std::vector<float> scales;
    std::vector<float> offsets;
};

} // namespace quor
