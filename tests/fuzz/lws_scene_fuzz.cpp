// Arbitrary bytes as a scene file: a refusal names a place inside it. Every item of an accepted
// one goes through what an import does with it: its channels formed for the fitting step, then a
// camera's record fitted and an object's constants taken. A record the import would write holds
// finite numbers only, and the engine evaluates each of its channels to finite numbers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "anim/channel.h"
#include "demo/data_file.h"
#include "interchange/lws_scene.h"
#include "interchange/motion_fit.h"

namespace {

using namespace quor;
using namespace quor::interchange;

constexpr double timeline_end = 31;

void check_written(const record::transformation& rec)
{
    if (record::first_non_finite(rec).channel >= 0)
        std::abort();
    for (const record::channel& c : rec) {
        Channel engine;
        record::apply(c, engine);
        for (double t = 0; t <= timeline_end; t += 0.25)
            if (!std::isfinite(engine.evaluate(t)))
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<scene_item> items;
    text_error err;
    if (!read_scene(text, items, err)) {
        if (err.line == 0 || err.column == 0 || err.what.empty())
            std::abort();
        return 0;
    }
    for (const scene_item& item : items) {
        const source_motion src = motion_of(item, timeline_end);
        for (const bool camera : {true, false}) {
            record::transformation rec;
            fit_notes notes;
            std::string error;
            if (make_record(src, camera, 2.5, timeline_end, camera ? demo::record_room(2) : demo::record_room(0), rec,
                            notes, &error))
                check_written(rec);
            else if (error.empty() || error.find('\n') != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
