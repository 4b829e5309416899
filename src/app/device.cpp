// Mouse and keyboard state, their controls and their roll-over.
#include "app/device.h"

#include <algorithm>

namespace quor::input {

float DeviceMouse::transition(int button) const
{
    if (buttons[button] && !previous_buttons[button])
        return 1.0f;
    if (!buttons[button] && previous_buttons[button])
        return -1.0f;
    return 0.0f;
}

void DeviceMouse::update()
{
    std::copy(std::begin(buttons), std::end(buttons), previous_buttons);
    dx = dy = dwheel = 0.0f;
}

float DeviceMouse::value(int control)
{
    switch (control) {
    case 0: return x;
    case 1: return y;
    case 2: return wheel / 120.0f;
    case 3: return buttons[0] ? 1.0f : 0.0f;
    case 4: return buttons[2] ? 1.0f : 0.0f;
    case 5: return buttons[1] ? 1.0f : 0.0f;
    default: return 0.0f;
    }
}

float DeviceMouse::change(int control)
{
    switch (control) {
    case 0: return dx;
    case 1: return dy;
    case 2: return dwheel / 120.0f;
    case 3: return transition(0);
    case 4: return transition(2);
    case 5: return transition(1);
    default: return 0.0f;
    }
}

void DeviceKeyboard::update()
{
    std::copy(std::begin(current), std::end(current), previous);
    std::fill(std::begin(current), std::end(current), false);
    std::copy(std::begin(wide_current), std::end(wide_current), wide_previous);
    std::fill(std::begin(wide_current), std::end(wide_current), false);
    if (text_taken) {
        text.clear();
        text_taken = false;
    }
}

const bool* DeviceKeyboard::state_of(int control, bool previous_frame) const
{
    if (control >= 0 && control < keyboard_controls)
        return &(previous_frame ? previous : current)[control];
    const int wide = control - character_controls_first;
    if (wide >= 0 && wide < wide_controls)
        return &(previous_frame ? wide_previous : wide_current)[wide];
    return nullptr;
}

float DeviceKeyboard::value(int control)
{
    const bool* now = state_of(control, false);
    return now && *now ? 1.0f : 0.0f;
}

float DeviceKeyboard::change(int control)
{
    const bool* now = state_of(control, false);
    if (!now)
        return 0.0f;
    const bool before = *state_of(control, true);
    if (*now && !before)
        return 1.0f;
    if (before && !*now)
        return -1.0f;
    return 0.0f;
}

const wchar_t* DeviceKeyboard::typed_text()
{
    text_taken = true;
    return text.c_str();
}

int key_code(unsigned char key)
{
    if (key >= 'a' && key <= 'z')
        return key - 'a';
    if (key >= 'A' && key <= 'Z')
        return key - 'A';
    if (key >= '1' && key <= '9')
        return 26 + (key - '1');
    if (key == '0')
        return 35;
    if (key == 27)
        return escape_control;
    return 0;
}

} // namespace quor::input
