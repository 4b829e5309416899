// The channels panel's widgets driven through ImGui's pointer state, as the window's would: typed
// numbers, and the curve's keys picked and dragged.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <imgui.h>
#include <imgui_internal.h>

#include "overlay/input_queue.h"
#include "overlay_fixture.h"
#include "platform/window.h"

namespace {

using namespace quor;
using test::Overlay;
using test::hover_rect;
using test::pointer;

// Where the key table's field `name` of key k is, found as the pointer finds it: down the
// middle of its column.
ImRect key_field(int k, const char* name, int column, const std::function<void()>& frame)
{
    ImGuiWindow* channels = ImGui::FindWindowByName("Channels");
    // Each channel's table is its own: this is the camera's position x.
    const ImGuiID table_id = channels ? ImHashStr("keys", 0, channels->GetID(2 * edit::channel_count + 0)) : 0;
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

} // namespace
