// Arbitrary bytes as the whole of readable memory for the transformation reader: damaged
// records must be refused with a place inside the data, and whatever was read must evaluate.
#include <cstdint>
#include <cstdlib>

#include "anim/envelope.h"
#include "anim/envelope_mixer.h"
#include "anim/record.h"
#include "scene/transformation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    quor::lightwave::transformation x;
    quor::lightwave::transformation_camera camera;
    quor::record::read_error err;
    const char* after = x.read(begin, end, &err);
    if (!after) {
        if (err.at < begin || err.at > end || err.reason.empty())
            std::abort();
        return 0;
    }
    if (after < begin || after > end || !camera.read(begin, end))
        std::abort();
    // Records carry no behaviours: take them from the last bytes so that wrapping is reached too.
    const auto pre = static_cast<quor::Behavior>(data[size - 1] % 7);
    const auto post = static_cast<quor::Behavior>(data[size - 2] % 7);
    for (int i = 0; i < quor::lightwave::transformation::channel_count; ++i) {
        quor::DynamicValue* d = x.channel(i).dynamic.get();
        if (quor::Envelope* e = d ? d->as_envelope() : nullptr) {
            e->set_pre_behavior(pre);
            e->set_post_behavior(post);
        } else if (quor::EnvelopeMixer* mixer = d ? d->as_mixer() : nullptr) {
            for (int j = 0; j < mixer->size(); ++j) {
                mixer->entry(j)->set_pre_behavior(pre);
                mixer->entry(j)->set_post_behavior(post);
                mixer->set_weight(j, float(j % 3));
            }
        }
    }
    quor::mat4 m;
    for (double t : {-3.5, 0.0, 0.25, 7.75, 1e7}) {
        x.matrix(m, t);
        camera.matrix(m, t);
    }
    return 0;
}
