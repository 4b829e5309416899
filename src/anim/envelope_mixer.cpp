// The envelope mixer: weighted, time-shifted blend with entry 0 as the fallback.
#include "anim/envelope_mixer.h"

namespace quor {

void EnvelopeMixer::add(const boost::shared_ptr<Envelope>& e)
{
    entries.push_back(e);
    weights.push_back(0);
    scales.push_back(1);
    offsets.push_back(0);
}

float EnvelopeMixer::value(double t) const
{
    if (entries.empty())
        return 0;
    float sum_w = 0;
    float sum_v = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const float w = weights[i];
        if (w == 0)
            continue;
        const float v = entries[i]->value(scales[i] * (t - offsets[i]));
        sum_w += w;
        sum_v += v * w;
    }
    if (sum_w != 0)
        return sum_v / sum_w;
    return entries[0]->value(t);
}

} // namespace quor
