// The overlay drawn for real on Mesa beside a demo frame: at every window size from the least
// it fits, the panels lie beside the whole picture, never over it, and the demo's next frame is
// the same picture as before (the GL state was given back whole). Its widgets driven through
// ImGui's pointer state, as the window's would.
#include "overlay/overlay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "anim/record.h"
#include "app/offscreen_context.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl/vertex.h"
#include "manual_counter.h"
#include "platform/window.h"
#include "png_writer.h"
#include "base64.h"
#include "overlay/import_watch.h"

namespace {

using namespace quor;
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

// The demo over that file in an offscreen context of a window's size, with the workbench and its
// overlay.
struct workbench_at {
    int width, height;
    system::offscreen_context context{width, height};
    test::manual_counter ticks;
    std::unique_ptr<demo::Demo> demo;
    std::unique_ptr<edit::workbench> bench;
    std::unique_ptr<overlay::workbench_overlay> view;

    workbench_at(int w, int h) : width(w), height(h)
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
    ~workbench_at()
    {
        view.reset();
        bench.reset();
        demo.reset();
        if (context.ok())
            system::shutdown();
    }
    bool ok() const { return context.ok() && demo; }

    // The demo's frame in the place the layout gives its picture, as the workbench draws it.
    overlay::rect demo_frame()
    {
        const overlay::rect picture = view->place(*bench, width, height).picture;
        demo->picture = demo::picture_area{picture.x, height - picture.y - picture.height, picture.width, picture.height};
        demo->frame();
        return picture;
    }
    void panels() { view->draw(*bench, 1.0f / 60); }
    // The panels alone, without the demo under them: enough for their widgets.
    void panels_only()
    {
        view->place(*bench, width, height);
        panels();
    }
};

struct Overlay : testing::Test {
    workbench_at at{960, 540};
    edit::workbench* bench = nullptr;
    overlay::workbench_overlay* view = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(at.ok());
        bench = at.bench.get();
        view = at.view.get();
    }
};

// Pixel (x, y) from the top left, as the layout counts; the read rows count from the bottom.
const std::uint8_t* pixel(const std::vector<std::uint8_t>& p, int width, int height, int x, int y)
{
    return &p[4 * (static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x))];
}

bool red(const std::uint8_t* px) { return px[0] > 100 && px[1] < 40 && px[2] < 40; }

bool inside(const overlay::rect& r, int x, int y)
{
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

bool within(const overlay::rect& inner, const overlay::rect& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool overlap(const overlay::rect& a, const overlay::rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

overlay::rect whole(const std::array<float, 4>& r)
{
    return {static_cast<int>(r[0]), static_cast<int>(r[1]), static_cast<int>(r[2]), static_cast<int>(r[3])};
}

// The box of the red square's pixels.
overlay::rect red_box(const std::vector<std::uint8_t>& p, int width, int height)
{
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (red(pixel(p, width, height, x, y))) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

TEST(OverlayLayout, AtEachSizeThePanelsAndStatusLieBesideTheWholePictureAndTabGivesItTheWindow)
{
    for (const auto& [width, height] : {std::pair{960, 540}, {1280, 720}, {1920, 1080}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        workbench_at at(width, height);
        ASSERT_TRUE(at.ok());
        const auto read = [&] { return at.context.read_pixels(); };

        // The plain frame over the whole window, for the square's size and place.
        at.demo->frame();
        const overlay::rect plain = red_box(read(), width, height);
        ASSERT_GT(plain.width, 20);
        EXPECT_NEAR(plain.x + plain.width / 2.0, width / 2.0, 2) << "the square stands in the middle";

        // A refused edit, so that the status line has something to show.
        EXPECT_FALSE(at.bench->edit([](edit::motion_document& d) { return d.set_constant({2, 0}, NAN); }).ok);
        at.panels_only(); // the first frame lays the panels out, the second draws them in place
        const overlay::rect picture = at.demo_frame();
        const std::vector<std::uint8_t> demo_alone = read();
        at.panels();
        const std::vector<std::uint8_t> with_panels = read();

        const overlay::rect window{0, 0, width, height};
        ASSERT_TRUE(within(picture, window));
        EXPECT_LT(picture.width, width) << "the panels take part of the window";
        // The whole frame, smaller, at the window's aspect: the square scales by the same factor
        // both ways and keeps its place in the frame.
        const double scale = static_cast<double>(picture.width) / width;
        EXPECT_NEAR(static_cast<double>(picture.height) / height, scale, 1.0 / height);
        const overlay::rect square = red_box(demo_alone, width, height);
        EXPECT_NEAR(square.width, plain.width * scale, 2);
        EXPECT_NEAR(square.height, plain.height * scale, 2);
        EXPECT_NEAR(square.x + square.width / 2.0, picture.x + picture.width / 2.0, 2);
        EXPECT_NEAR(square.y + square.height / 2.0, picture.y + picture.height / 2.0, 2);

        // The panels as ImGui placed them in the frame just drawn.
        std::vector<overlay::rect> rects;
        for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
            if (w->Active && !w->Hidden && !(w->Flags & ImGuiWindowFlags_ChildWindow))
                rects.push_back(whole({w->Pos.x, w->Pos.y, w->Size.x, w->Size.y}));
        EXPECT_EQ(rects.size(), 2u) << "the transport and the channels";
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_TRUE(within(rects[i], window)) << "panel " << i << " inside the window";
            EXPECT_FALSE(overlap(rects[i], picture)) << "panel " << i << " beside the picture";
            for (std::size_t j = i + 1; j < rects.size(); ++j)
                EXPECT_FALSE(overlap(rects[i], rects[j]));
        }
        const ImGuiWindow* transport = ImGui::FindWindowByName("Transport");
        ASSERT_NE(transport, nullptr);
        // The status line: the foot of the transport, its lower third.
        const overlay::rect foot = whole({transport->Pos.x, transport->Pos.y + transport->Size.y * 2 / 3,
                                          transport->Size.x, transport->Size.y / 3});

        // The refusal's colour (a reddish text) marks the status line's pixels.
        const auto refusal = [](const std::uint8_t* px) { return px[0] > 200 && px[1] > 80 && px[1] < 150 && px[2] < 130; };
        int demo_outside = 0, panels_over_picture = 0, panel_pixels = 0, status_pixels = 0, stray_status = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* alone = pixel(demo_alone, width, height, x, y);
                const std::uint8_t* shown = pixel(with_panels, width, height, x, y);
                const bool in_picture = inside(picture, x, y);
                if (!in_picture && (alone[0] | alone[1] | alone[2]))
                    ++demo_outside;
                if (std::memcmp(alone, shown, 3) != 0)
                    ++(in_picture ? panels_over_picture : panel_pixels);
                if (!in_picture && refusal(shown))
                    ++(inside(foot, x, y) ? status_pixels : stray_status);
            }
        EXPECT_EQ(demo_outside, 0) << "the demo draws only in its picture";
        EXPECT_EQ(panels_over_picture, 0) << "no panel pixel over a demo pixel";
        EXPECT_GT(panel_pixels, 10000) << "the panels show";
        EXPECT_GT(status_pixels, 200) << "the refusal shows on the status line";
        EXPECT_EQ(stray_status, 0) << "at the transport's foot";

        if (testing::Test::HasFailure() || std::getenv("QUOR_DUMP")) {
            const std::string shot = testing::TempDir() + "workbench-" + std::to_string(width) + ".png";
            test::write_png(shot, with_panels, width, height, true);
            std::cout << "the picture with the panels: " << shot << std::endl;
        }

        at.demo_frame();
        EXPECT_TRUE(read() == demo_alone) << "the demo's next frame is its picture as before the panels";

        at.view->toggle_hidden();
        EXPECT_TRUE(within(window, at.demo_frame())) << "Tab: the picture has the whole window";
        at.panels();
        EXPECT_TRUE(red_box(read(), width, height).width == plain.width) << "and nothing over it";
    }
}

// The pointer as the GLUT handlers leave it for ImGui's next frame.
void pointer(float x, float y, bool down)
{
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(x, y);
    io.MouseDown[0] = down;
}

// Where the channels panel's widget named `name` is, as far as the pointer can hover it; a
// negative rectangle when it is not shown.
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

// The key table of the camera's position x: each channel's table is its own.
ImGuiID camera_x_table(ImGuiWindow* channels)
{
    return channels ? ImHashStr("keys", 0, channels->GetID(2 * edit::channel_count + 0)) : 0;
}

// Where the key table's field `name` of key k is, found as the pointer finds it: down the
// middle of its column.
ImRect key_field(int k, const char* name, int column, const std::function<void()>& frame)
{
    ImGuiWindow* channels = ImGui::FindWindowByName("Channels");
    const ImGuiID table_id = camera_x_table(channels);
    ImGuiTable* table = ImGui::TableFindByID(table_id);
    if (!table)
        return ImRect(-1, -1, -1, -1);
    const ImGuiID id = ImHashStr(name, 0, ImHashData(&k, sizeof k, table_id));
    const float x = (table->Columns[column].MinX + table->Columns[column].MaxX) / 2;
    for (float y = table->OuterRect.Min.y; y < table->OuterRect.Max.y; y += 2) {
        pointer(x, y, false);
        frame();
        if (ImGui::GetCurrentContext()->HoveredId == id)
            return ImRect(x, y, x, y);
    }
    return ImRect(-1, -1, -1, -1);
}

// Keys typed between two frames, as a quick typist or xdotool gives them: characters, and
// Enter, Tab and Escape as presses and releases.
void type(overlay::input_queue& input, const std::string& text)
{
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        input.key(code, true, 0);
        input.key(code, false, 0);
    }
}
constexpr char enter = 13, tab = 9, escape = 27;

// A click on a number makes it text: Enter commits it as one undo step, Escape leaves the key as
// it was, Tab commits and moves to the next field; a typed time moves the key into its place.
TEST_F(Overlay, ANumberClickedIsTypedCommittedByEnterOrTabAndCancelledByEscape)
{
    const edit::channel_ref camera_x{2, 0}; // selected at start
    const auto frame = [&] { at.panels_only(); };
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.make_envelope(camera_x); }).ok);
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.add_key(camera_x, 1.0); }).ok);
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.add_key(camera_x, 2.0); }).ok);
    const std::vector<Key> before = bench->document().channel(camera_x).keys;
    ASSERT_EQ(before.size(), 3u);
    const auto keys = [&] { return bench->document().channel(camera_x).keys; };
    const auto same = [](const Key& a, const Key& b) {
        return a.time == b.time && a.value == b.value && a.shape == b.shape && a.tension == b.tension &&
               a.continuity == b.continuity && a.bias == b.bias;
    };
    frame();
    const auto click_and_type = [&](int k, const char* name, int column, const std::string& text) {
        const ImRect field = key_field(k, name, column, frame);
        ASSERT_GE(field.Min.y, 0) << name << " of key " << k << " is shown";
        // Half a second after the scan's last move, so that nothing reads as a double click.
        for (int idle = 0; idle < 30; ++idle)
            frame();
        const int x = static_cast<int>(field.Min.x), y = static_cast<int>(field.Min.y);
        view->input().button(platform::button_left, true, x, y, 0);
        view->input().button(platform::button_left, false, x, y, 0);
        type(view->input(), text);
        for (int i = 0; i < 20; ++i)
            frame();
    };

    click_and_type(1, "##value", 1, std::string("1.5") + enter);
    std::vector<Key> expected = before;
    expected[1].value = 1.5f;
    EXPECT_TRUE(std::ranges::equal(keys(), expected, same)) << "that key's value and nothing else";
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_TRUE(std::ranges::equal(keys(), before, same)) << "one undo step takes the whole number back";
    ASSERT_TRUE(bench->redo().ok);

    click_and_type(2, "##tension", 3, std::string("0.7") + escape);
    EXPECT_TRUE(std::ranges::equal(keys(), expected, same)) << "Escape leaves the key as it was";
    EXPECT_FALSE(view->typing());

    const std::vector<Key> typed_once = expected;
    click_and_type(2, "##value", 1, std::string("4") + tab + "0.25" + enter);
    expected[2].value = 4.0f;
    expected[2].tension = 0.25f;
    EXPECT_TRUE(std::ranges::equal(keys(), expected, same)) << "Tab commits and moves on to the tension";
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(keys()[2].tension, 0.0f) << "each field committed is its own undo step";
    EXPECT_EQ(keys()[2].value, 4.0f);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_TRUE(std::ranges::equal(keys(), typed_once, same));
    ASSERT_TRUE(bench->redo().ok);
    ASSERT_TRUE(bench->redo().ok);

    click_and_type(1, "##time", 0, std::string("3") + enter);
    ASSERT_EQ(keys().size(), 3u);
    EXPECT_EQ(keys()[2].time, 3.0f) << "the key typed to 3 s comes after the one at 2 s";
    EXPECT_EQ(keys()[2].value, 1.5f);
    EXPECT_EQ(keys()[1].time, 2.0f);

    // A time past the end of the timeline is refused with a line, the keys as they were.
    const std::vector<Key> kept = keys();
    click_and_type(1, "##time", 0, std::string("40") + enter);
    EXPECT_TRUE(std::ranges::equal(keys(), kept, same));
    EXPECT_TRUE(bench->status_failed());
    EXPECT_NE(bench->status().find("a key at 40 s is past the end of the timeline"), std::string::npos) << bench->status();

    // Every change says what it did.
    click_and_type(1, "##value", 1, std::string("2") + enter);
    EXPECT_EQ(bench->status(), "changed the key at 2 s of camera position x");
}

// A press on a key of the curve goes to the key's time and a drag moves its value, as one undo
// step; a press elsewhere on the curve seeks and edits nothing.
TEST_F(Overlay, TheCurvePicksAndDragsAKeyAndSeeksElsewhere)
{
    const edit::channel_ref camera_x{2, 0};
    const auto frame = [&] { at.panels_only(); };
    // A ramp from 0 at 0 s to 1 at 20 s, then level: its key at 20 s is the curve's top.
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.make_envelope(camera_x); }).ok);
    const edit::edit_result added = bench->edit([&](edit::motion_document& d) { return d.add_key(camera_x, 20.0); });
    ASSERT_TRUE(added.ok);
    Key top = bench->document().channel(camera_x).keys[added.key];
    top.value = 1.0f;
    top.shape = Shape::Linear;
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.set_key(camera_x, added.key, top); }).ok);
    frame();
    const ImRect curve = hover_rect("curve", frame);
    ASSERT_GE(curve.Min.y, 0) << "the curve is shown";
    const auto x_at = [&](double t) { return curve.Min.x + static_cast<float>(t / bench->player().end()) * curve.GetWidth(); };
    const auto press = [&](ImVec2 spot, float drag) {
        pointer(spot.x, spot.y, true);
        frame();
        for (int step = 1; step <= 4; ++step) {
            pointer(spot.x, spot.y + drag * static_cast<float>(step) / 4, true);
            frame();
        }
        pointer(spot.x, spot.y + drag, false);
        frame();
    };

    press(ImVec2(x_at(20.0), curve.Min.y + 4), 20.0f);
    const float dragged = bench->document().channel(camera_x).keys[added.key].value;
    EXPECT_NEAR(bench->player().time(), 20.0, 1e-3) << "the picked key's time is gone to";
    EXPECT_LT(dragged, 0.9f) << "dragging down lowers the key";
    EXPECT_GT(dragged, 0.0f);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, 1.0f) << "the whole drag is one step";
    ASSERT_TRUE(bench->redo().ok);

    press(ImVec2(x_at(5.0), curve.Max.y - 4), 0.0f);
    EXPECT_NEAR(bench->player().time(), 5.0, 31.0 / curve.GetWidth()) << "a press off the keys seeks";
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, dragged);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, 1.0f) << "the seek made no undo step";
}

// A press and its release between two frames, as a touchpad's tap gives them, still click.
TEST_F(Overlay, AClickWithinOneFrameIsNotLost)
{
    const edit::channel_ref camera_x{2, 0};
    const auto frame = [&] { at.panels_only(); };
    frame();
    const ImRect make_envelope = hover_rect("Make envelope", frame);
    ASSERT_GE(make_envelope.Min.y, 0) << "the button is shown";
    const ImVec2 spot = make_envelope.GetCenter();
    // Half a second after the scan's last move, so that nothing reads as a double click.
    for (int idle = 0; idle < 30; ++idle)
        frame();
    view->input().button(platform::button_left, true, static_cast<int>(spot.x), static_cast<int>(spot.y), 0);
    view->input().button(platform::button_left, false, static_cast<int>(spot.x), static_cast<int>(spot.y), 0);
    frame();
    frame();
    EXPECT_EQ(bench->document().channel(camera_x).kind(), edit::channel_kind::envelope);
}

// A glTF file whose node "Camera" moves along x from 0 at 0 s to `x` at 2 s.
std::string camera_gltf(float x)
{
    const std::vector<float> data{0, 2, 0, 0, 0, x, 0, 0};
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":"Camera"}],
      "buffers":[{"byteLength":32,"uri":"data:application/octet-stream;base64,)" + test::base64(data) + R"("}],
      "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":24}],
      "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[2]},
                   {"bufferView":1,"componentType":5126,"count":2,"type":"VEC3"}],
      "animations":[{"channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}],
                     "samplers":[{"input":0,"output":1,"interpolation":"LINEAR"}]}]})";
}

// The exporter's ways of writing: a new file renamed over the old, or the old one rewritten in
// place, `cut` bytes short of the whole while it is still being written.
void write_in_place(const std::string& path, const std::string& text, std::size_t cut = 0)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - cut);
}
void write_renamed(const std::string& path, const std::string& text)
{
    write_in_place(path + ".part", text);
    std::filesystem::rename(path + ".part", path);
}

// The watched import: the camera follows each new version of the file at the next poll and the
// time stays; a version caught mid-write is retried until it reads; a bad one is refused with
// the importer's message once it has stood still, and changes nothing.
TEST_F(Overlay, AWatchedImportFollowsTheFileRetriesAHalfWrittenOneAndRefusesABadOne)
{
    const std::string folder = testing::TempDir() + "quor_import_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/shot.gltf";
    const auto camera_x_at_2s = [&] { return bench->document().value_at({2, 0}, 2.0); };
    write_renamed(path, camera_gltf(1));

    overlay::import_watch watch;
    const overlay::import_request request{path, {interchange::motion_source::kind::gltf_node, "Camera"}, 2, 0};
    ASSERT_TRUE(watch.start(*bench, request, true)) << bench->status();
    EXPECT_NEAR(camera_x_at_2s(), 1.0f, 1e-4f);
    EXPECT_EQ(bench->status().rfind("imported node Camera from shot.gltf into the camera", 0), 0u) << bench->status();
    bench->player().seek(5);
    double now = 10;
    watch.poll(*bench, now);
    EXPECT_EQ(watch.imports(), 1) << "the same version is not imported again";

    write_renamed(path, camera_gltf(3));
    watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), 3.0f, 1e-4f) << "the second file, at the next poll";
    EXPECT_EQ(bench->player().time(), 5.0) << "the time stays";
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_NEAR(camera_x_at_2s(), 1.0f, 1e-4f) << "each import one undo step";
    ASSERT_TRUE(bench->redo().ok);

    const std::string third = camera_gltf(-2);
    write_in_place(path, third, third.size() / 2);
    for (int i = 0; i < 3; ++i)
        watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), 3.0f, 1e-4f);
    EXPECT_FALSE(bench->status_failed()) << "a file caught mid-write is not refused: " << bench->status();
    write_in_place(path, third);
    watch.poll(*bench, now += 0.02);
    EXPECT_NEAR(camera_x_at_2s(), -2.0f, 1e-4f) << "the whole file, once written";

    write_renamed(path, "{ not glTF");
    watch.poll(*bench, now += 0.02);
    EXPECT_FALSE(bench->status_failed());
    watch.poll(*bench, now += overlay::import_watch::settle);
    EXPECT_TRUE(bench->status_failed());
    EXPECT_EQ(bench->status().rfind("not imported: " + path + ": not a glTF file", 0), 0u) << bench->status();
    EXPECT_NEAR(camera_x_at_2s(), -2.0f, 1e-4f) << "a refused file changes nothing";
    EXPECT_EQ(watch.imports(), 3);
    std::filesystem::remove_all(folder);
}

} // namespace
