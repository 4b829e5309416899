// Arbitrary bytes as a scene file: a refusal names a place inside it; every envelope read from an
// accepted one evaluates, and its curve for the fitting step can be formed.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "lws_scene.h"
#include "motion_fit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<quor::tools::scene_item> items;
    quor::tools::text_error err;
    if (!quor::tools::read_scene(text, items, err)) {
        if (err.line == 0 || err.column == 0 || err.what.empty())
            std::abort();
        return 0;
    }
    for (const quor::tools::scene_item& item : items)
        for (const auto& channel : item.channels)
            if (channel) {
                const quor::tools::source_curve c = quor::tools::curve_of(*channel, 31, 1e-3f);
                for (double t : {0.0, 0.5, 7.25, 31.0})
                    static_cast<void>(c.value(t));
            }
    return 0;
}
