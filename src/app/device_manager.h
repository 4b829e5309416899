// The device manager: owns the mouse and the keyboard, receives the window system's input
// callbacks and ends each input frame.
#pragma once

#include <memory>
#include <vector>

#include "app/application.h"
#include "app/device.h"

namespace quor::input {

class DeviceManager {
public:
    // Creates the mouse, then the keyboard; the creation size is the mouse's reference size.
    explicit DeviceManager(const system::creation_params& params);
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    // First device whose kind and index match, or null.
    Device* find(int kind, int index);
    // Rolls every device over, in list order.
    void update();

    // Pixel position divided by the reference size; the change is that between the last two
    // events of the frame, 0 for the very first event.
    void on_motion(int x, int y);
    // Buttons 0 (left), 1 (middle), 2 (right); others are ignored. state 0 means down.
    void on_button(int button, int state);
    // Sets the key's code (key_code) and its character control.
    void on_key(unsigned char key);
    // Sets the special key's control; numbers outside 0..127 are ignored.
    void on_special_key(int key);

    DeviceMouse& mouse() { return *mouse_; }
    DeviceKeyboard& keyboard() { return *keyboard_; }

private:
    std::vector<std::unique_ptr<Device>> devices; // [0] mouse, [1] keyboard
    int reference_width;
    int reference_height;
    DeviceMouse* mouse_;
    DeviceKeyboard* keyboard_;
};

} // namespace quor::input
