// The window's input for Dear ImGui, in the order it came. ImGui (1.86) reads keys and pointer
// buttons once a frame as a state, and a text field takes the frame's typed characters before its
// keys: a key pressed and released between two frames would be lost, a character typed after
// Enter would reach the field before Enter does. The queue gives each frame the events up to the
// first that would be lost or reordered there; the rest wait for the next frame.
#pragma once

#include <bitset>
#include <deque>

struct ImGuiIO;

namespace quor::overlay {

class input_queue {
public:
    // A key as the window reports it (a character code; Ctrl with a letter gives 1 to 26) with the
    // modifier bits held (platform::modifier_*).
    void key(unsigned char code, bool down, int modifiers);
    // A special key (function and arrow keys, the window system's numbers).
    void special(int code, bool down, int modifiers);
    // A pointer button as the window numbers it (platform::button_*).
    void button(int number, bool down, int x, int y, int modifiers);
    void motion(int x, int y);
    // With the modifiers held, when known (Ctrl+wheel sets the curve's height).
    void wheel(int direction, int x, int y, int modifiers = -1);

    // Before a frame: hands `io` the events this frame can take.
    void apply(ImGuiIO& io);
    bool empty() const { return events.empty(); }

private:
    struct event {
        enum class kind { character, key, button, motion, wheel } what;
        int code = 0; // character, ImGui key slot, ImGui button or wheel direction
        bool down = false;
        int x = 0, y = 0;
        int modifiers = -1; // -1: not known with this event
    };
    std::deque<event> events;
    // Ctrl with a letter held down, by the letter's code (1 to 26): Ctrl let go first, the letter
    // comes up as itself, and must still release what Ctrl with it pressed.
    std::bitset<27> held;
};

} // namespace quor::overlay
