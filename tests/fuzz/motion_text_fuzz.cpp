// Arbitrary bytes as a motion text: a refusal names a place inside the text; an accepted text's
// records fit their slots and come back unchanged through the text again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "demo/data_file.h"
#include "interchange/motion_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    quor::interchange::parsed_motion parsed;
    quor::interchange::text_error err;
    if (!quor::interchange::parse_motion_text(text, parsed, err)) {
        if (err.line == 0 || err.column == 0 || err.what.empty())
            std::abort();
        return 0;
    }
    quor::interchange::motion_records records;
    for (std::size_t r = 0; r < records.size(); ++r)
        if (parsed.records[r])
            records[r] = *parsed.records[r];
    quor::interchange::parsed_motion again;
    if (!quor::interchange::parse_motion_text(quor::interchange::motion_text(records), again, err))
        std::abort();
    for (std::size_t r = 0; r < records.size(); ++r)
        if (parsed.records[r] && quor::demo::record_size(*again.records[r]) != quor::demo::record_size(records[r]))
            std::abort();
    return 0;
}
