// The floor quad and the constant placement records of the two objects.
#include "content/stage.h"

#include "anim/record.h"

namespace quor::content {

std::array<vtx_nt0t1, 4> floor_vertices()
{
    constexpr float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    std::array<vtx_nt0t1, 4> v{};
    for (int i = 0; i < 4; ++i) {
        const float x = corners[i][0], z = corners[i][1];
        v[i] = vtx_nt0t1{{x * floor_half_size, 0, z * floor_half_size},
                         {0, 1, 0},
                         {0.5f + 0.5f * x, 0.5f + 0.5f * z},
                         {0.5f + 0.5f * x, 0.5f + 0.5f * z}};
    }
    return v;
}

std::array<std::uint32_t, 6> floor_indices() { return {0, 1, 2, 0, 2, 3}; }

std::vector<char> placement_record(const float position[3])
{
    std::vector<char> out;
    for (int i = 0; i < 3; ++i)
        record::write_constant_channel(out, position[i]);
    for (int i = 0; i < 3; ++i)
        record::write_constant_channel(out, 0);
    for (int i = 0; i < 3; ++i)
        record::write_constant_channel(out, 1);
    return out;
}

} // namespace quor::content
