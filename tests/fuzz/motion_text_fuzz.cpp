// Arbitrary bytes as a motion text: a refusal names a place inside the text; an accepted text's
// records fit their slots and come back unchanged through the text again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "motion_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quor::tools::parsed_motion parsed;
    quor::tools::text_error err;
    if (!quor::tools::parse_motion_text(text, parsed, err)) {
        if (err.line == 0 || err.column == 0 || err.what.empty())
            std::abort();
        return 0;
    }
    quor::tools::motion_records records;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (parsed.records[r])
            records[r] = *parsed.records[r];
    quor::tools::parsed_motion again;
    if (!quor::tools::parse_motion_text(quor::tools::motion_text(records), again, err))
        std::abort();
    for (std::size_t r = 0; r < records.size(); ++r)
        if (parsed.records[r] && quor::tools::record_bytes(*again.records[r]) != quor::tools::record_bytes(records[r]))
            std::abort();
    return 0;
}
