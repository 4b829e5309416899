// Arbitrary bytes as the scene section for the workbench's document: whatever reads must write
// back byte for byte, edits must keep every record inside its room (merged under a version read
// again as well), and undoing them all must give the bytes back again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "demo/data_layout.h"
#include "edit/motion_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace layout = quor::demo::layout;
    using namespace quor::edit;
    if (size > layout::scene_section_capacity || size < 2)
        return 0;
    // Only the section of the block is ever touched, so its other pages stay unmapped.
    static const std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memcpy(block.get() + layout::scene_section.offset, data, size);
    motion_document doc;
    if (!doc.read(block.get(), layout::scene_section.offset + size))
        return 0;
    const std::vector<char> original(data, data + size);
    if (doc.section() != original)
        std::abort();

    const double t = data[size - 1] / 8.0;
    // One channel of each record, chosen by the input, takes every kind of edit.
    for (std::size_t r = 0; r < record_count; ++r) {
        const int c = data[size - 2 - r % 2] % channel_count;
        const channel_ref at{r, c};
        doc.make_envelope(at);
        doc.add_key(at, t);
        doc.add_key(at, t + 1);
        if (!doc.channel(at).keys.empty())
            doc.set_key(at, 0, doc.channel(at).keys.back());
        doc.delete_key(at, 0);
        if (c % 2)
            doc.make_constant(at, t);
        doc.value_at(at, t);
        if (doc.record_bytes(r) > doc.record_capacity(r))
            std::abort();
    }
    // The edits merged under the section as read: each record is the edit or the section's own.
    motion_document merged = doc, again;
    again.read(block.get(), layout::scene_section.offset + size);
    if (!merged.merge(std::move(again)).ok)
        std::abort();
    for (std::size_t r = 0; r < record_count; ++r)
        if (merged.record_bytes(r) != doc.record_bytes(r) || merged.record_bytes(r) > merged.record_capacity(r))
            std::abort();

    while (doc.can_undo())
        doc.undo();
    if (doc.section() != original || doc.modified())
        std::abort();
    return 0;
}
