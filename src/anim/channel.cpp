// Channels: constant or driven floats, their promotion to envelope and mixer channels, and the
// reader of one channel record.
#include "anim/channel.h"

#include "anim/envelope.h"
#include "anim/envelope_mixer.h"

namespace quor {

float Channel::evaluate(double t)
{
    if (!dynamic)
        return value;
    value = dynamic->value(t);
    return value;
}

Envelope& Channel::make_envelope()
{
    if (dynamic)
        if (Envelope* e = dynamic->as_envelope())
            return *e;
    boost::shared_ptr<Envelope> e(new Envelope);
    e->add_tcb_key(0, value, 0, 0, 0);
    dynamic = e;
    return *e;
}

EnvelopeMixer& Channel::make_mixer()
{
    if (dynamic)
        if (EnvelopeMixer* m = dynamic->as_mixer())
            return *m;
    Envelope& e = make_envelope();
    // The entry shares the channel's reference count, so the envelope outlives the swap below.
    const boost::shared_ptr<Envelope> entry(dynamic, &e);
    boost::shared_ptr<EnvelopeMixer> m(new EnvelopeMixer);
    m->add(entry);
    m->set_weight(0, 0);
    dynamic = m;
    return *m;
}

const char* read_channel(const char* pos, const char* end, Channel& c, record::read_error* err)
{
    const char* after = record::skip_channel(pos, end, err);
    if (!after)
        return nullptr;
    const char* payload = pos + record::word_bytes;
    switch (record::load_u32(pos)) {
    case record::constant_tag:
        c.value = record::load_f32(payload);
        break;
    case record::envelope_tag:
        read_envelope(payload, end, c.make_envelope());
        break;
    case record::mixer_tag:
        read_mixer(payload, end, c);
        break;
    default:
        break;
    }
    return after;
}

} // namespace quor
