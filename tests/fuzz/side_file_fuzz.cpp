// Arbitrary text as the workbench's side file: whatever reads must hold settings in range that
// write out and read back as the same settings.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "edit/side_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quor::edit;
    workbench_settings s;
    if (!read_settings(std::string_view(reinterpret_cast<const char*>(data), size), s, nullptr))
        return 0;
    if (!tempo_refusal(s.beat).empty() || s.markers.size() > workbench_settings::max_markers)
        std::abort();
    workbench_settings back;
    if (!read_settings(write_settings(s), back, nullptr) || !(back == s))
        std::abort();
    return 0;
}
