// Keys go into ImGui's slots as its GLUT back end maps them: characters below 256, special keys
// from 256 on, Ctrl with a letter in the letter's slots too (the shortcuts read 'A', 'C', 'V',
// 'X', 'Y', 'Z'). Printable characters are text only: no shortcut reads their slots.
#include "overlay/input_queue.h"

#include <imgui.h>

#include <algorithm>
#include <vector>

#include "platform/window.h"

namespace quor::overlay {
namespace {

constexpr int special_slots = 256;

bool printable(unsigned char code) { return code >= 32 && code < 127; }

} // namespace

void input_queue::key(unsigned char code, bool down, int modifiers)
{
    if (printable(code)) {
        if (down) {
            events.push_back({event::kind::character, code, true, 0, 0, modifiers});
            return;
        }
        // Released after Ctrl: left down, its slot would never read as pressed again (a second
        // Ctrl+A would not select).
        const int letter = (code | 0x20) - 'a' + 1;
        if (letter >= 1 && letter <= 26 && held[static_cast<std::size_t>(letter)])
            key(static_cast<unsigned char>(letter), false, modifiers);
        return;
    }
    if (code >= 1 && code <= 26)
        held[code] = down;
    events.push_back({event::kind::key, code, down, 0, 0, modifiers});
}

void input_queue::special(int code, bool down, int modifiers)
{
    if (code >= 0 && code + special_slots < static_cast<int>(sizeof ImGuiIO::KeysDown / sizeof(bool)))
        events.push_back({event::kind::key, code + special_slots, down, 0, 0, modifiers});
}

void input_queue::button(int number, bool down, int x, int y, int modifiers)
{
    // ImGui numbers the right button 1 and the middle one 2.
    const int slot = number == platform::button_left     ? ImGuiMouseButton_Left
                     : number == platform::button_middle ? ImGuiMouseButton_Middle
                     : number == platform::button_right  ? ImGuiMouseButton_Right
                                                         : -1;
    if (slot >= 0)
        events.push_back({event::kind::button, slot, down, x, y, modifiers});
}

void input_queue::motion(int x, int y) { events.push_back({event::kind::motion, 0, false, x, y}); }

void input_queue::wheel(int direction, int x, int y, int modifiers)
{
    events.push_back({event::kind::wheel, direction, false, x, y, modifiers});
}

void input_queue::apply(ImGuiIO& io)
{
    // What this frame already holds: slots and buttons that changed, whether a key changed at all.
    std::vector<int> keys_changed, buttons_changed;
    bool key_changed = false;
    const auto changed = [](const std::vector<int>& list, int code) {
        return std::find(list.begin(), list.end(), code) != list.end();
    };
    while (!events.empty()) {
        const event& e = events.front();
        switch (e.what) {
        case event::kind::character:
            // A field reads the frame's characters before its keys.
            if (key_changed)
                return;
            io.AddInputCharacter(static_cast<unsigned>(e.code));
            break;
        case event::kind::key: {
            // GLUT gives Ctrl with a letter as 1 to 26.
            std::vector<int> slots{e.code};
            if (e.code >= 1 && e.code <= 26)
                slots.insert(slots.end(), {e.code - 1 + 'a', e.code - 1 + 'A'});
            // A text field takes one key a frame.
            if (changed(keys_changed, e.code) || (e.down && key_changed))
                return;
            for (int slot : slots)
                io.KeysDown[slot] = e.down;
            keys_changed.push_back(e.code);
            key_changed = true;
            break;
        }
        case event::kind::button:
            if (changed(buttons_changed, e.code))
                return;
            io.MousePos = ImVec2(static_cast<float>(e.x), static_cast<float>(e.y));
            io.MouseDown[e.code] = e.down;
            buttons_changed.push_back(e.code);
            break;
        case event::kind::motion:
            // A press lands where it was made, not where the pointer went after it.
            if (!buttons_changed.empty())
                return;
            io.MousePos = ImVec2(static_cast<float>(e.x), static_cast<float>(e.y));
            break;
        case event::kind::wheel:
            io.MousePos = ImVec2(static_cast<float>(e.x), static_cast<float>(e.y));
            io.MouseWheel += e.code > 0 ? 1.0f : -1.0f;
            break;
        }
        if (e.modifiers >= 0) {
            io.KeyCtrl = (e.modifiers & platform::modifier_ctrl) != 0;
            io.KeyShift = (e.modifiers & platform::modifier_shift) != 0;
        }
        events.pop_front();
    }
}

} // namespace quor::overlay
