// Channels: constant or driven floats and their promotion to envelope and mixer channels.
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

} // namespace quor
