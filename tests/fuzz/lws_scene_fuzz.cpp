// Arbitrary bytes as a scene file: a refusal names a place inside it; every envelope read from an
// accepted one evaluates, and its curve for the fitting step can be formed.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "interchange/lws_scene.h"
#include "interchange/motion_fit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<quor::interchange::scene_item> items;
    quor::interchange::text_error err;
    if (!quor::interchange::read_scene(text, items, err)) {
        if (err.line == 0 || err.column == 0 || err.what.empty())
            std::abort();
        return 0;
    }
    for (const quor::interchange::scene_item& item : items)
        for (const auto& channel : item.channels)
            if (channel) {
                const quor::interchange::source_curve c = quor::interchange::curve_of(*channel, 31, 1e-3f);
                for (double t : {0.0, 0.5, 7.25, 31.0})
                    static_cast<void>(c.value(t));
            }
    return 0;
}
