// The overlay's tests' common ground.
#include "overlay_fixture.h"

#include <cstring>
#include <vector>

#include "anim/record.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "gl/vertex.h"

namespace quor::test {

namespace {

namespace layout = demo::layout;

// A file whose quad is a red, lit square in front of the camera; everything else is zero.
std::unique_ptr<char[]> red_square_file(std::size_t& size)
{
    std::vector<char> section;
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, c < 6 ? 0.0f : 1.0f);
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, c == 2 ? 4.0f : c < 6 ? 0.0f : 1.0f);
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, 0.0f);
    size = layout::scene_section.offset + section.size();
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memset(block.get(), 0, size);
    std::memcpy(block.get() + layout::scene_section.offset, section.data(), section.size());

    const vtx_nt0t1 corners[4] = {{{-1, -1, 0}, {0, 0, -1}, {0, 0}, {0, 0}},
                                  {{-1, 1, 0}, {0, 0, -1}, {0, 1}, {0, 1}},
                                  {{1, 1, 0}, {0, 0, -1}, {1, 1}, {1, 1}},
                                  {{1, -1, 0}, {0, 0, -1}, {1, 0}, {1, 0}}};
    std::memcpy(block.get() + layout::quad_vertices.offset, corners, sizeof corners);
    const std::uint32_t quad_indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(block.get() + layout::indices.offset, quad_indices, sizeof quad_indices);
    const layout::texture_entry& texture = layout::texture_table[layout::mesh_table[0].texture];
    const char red_block[8] = {0x00, static_cast<char>(0xf8), 0x00, static_cast<char>(0xf8), 0, 0, 0, 0};
    for (std::size_t at = 0; at < texture.chain_bytes; at += 8)
        std::memcpy(block.get() + layout::textures.offset + texture.level0_offset + at, red_block, 8);
    return block;
}

} // namespace

workbench_at::workbench_at(int w, int h) : width(w), height(h)
{
    if (!context.ok())
        return;
    system::creation_params params;
    system::create_engine(params);
    system::reshape(width, height);
    demo = std::make_unique<demo::Demo>(ticks);
    std::size_t size = 0;
    auto block = red_square_file(size);
    if (!demo->scene.build(std::move(block), size)) {
        demo.reset();
        return;
    }
    demo->clock.start();
    bench = std::make_unique<edit::workbench>(*demo, "absent/tesk.mem", ticks);
    view = std::make_unique<overlay::workbench_overlay>();
}

workbench_at::~workbench_at()
{
    view.reset();
    bench.reset();
    demo.reset();
    if (context.ok())
        system::shutdown();
}

overlay::rect workbench_at::demo_frame()
{
    const overlay::rect picture = view->place(*bench, width, height).picture;
    demo->picture = demo::picture_area{picture.x, height - picture.y - picture.height, picture.width, picture.height};
    demo->frame();
    return picture;
}

void workbench_at::panels_only()
{
    view->place(*bench, width, height);
    panels();
}

void pointer(float x, float y, bool down)
{
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(x, y);
    io.MouseDown[0] = down;
}

ImRect hover_rect(const char* name, const std::function<void()>& frame)
{
    ImGuiWindow* channels = ImGui::FindWindowByName("Channels");
    if (!channels)
        return ImRect(-1, -1, -1, -1);
    const ImGuiID id = channels->GetID(name);
    const auto hovers = [&](float x, float y) {
        pointer(x, y, false);
        frame();
        return ImGui::GetCurrentContext()->HoveredId == id;
    };
    const float x = channels->Pos.x + 16; // inside the padding, where widgets start
    float y = channels->Pos.y;
    while (y < channels->Pos.y + channels->Size.y && !hovers(x, y))
        y += 4;
    if (y >= channels->Pos.y + channels->Size.y)
        return ImRect(-1, -1, -1, -1);
    ImRect r(x, y, x, y);
    while (hovers(r.Min.x - 1, y))
        --r.Min.x;
    while (hovers(r.Max.x + 1, y))
        ++r.Max.x;
    while (hovers(x, r.Min.y - 1))
        --r.Min.y;
    while (hovers(x, r.Max.y + 1))
        ++r.Max.y;
    return r;
}

} // namespace quor::test
