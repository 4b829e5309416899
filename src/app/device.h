// Input devices: numbered controls with a current value and a change since the last roll-over.
// Callbacks write the state, the application polls it, the frame rolls it over once per frame.
#pragma once

#include <string>

namespace quor::input {

// Device kinds, as `DeviceManager::find` takes them.
constexpr int keyboard_kind = 0;
constexpr int mouse_kind = 1;

class Device {
public:
    Device(int kind_, int index_) : kind(kind_), index(index_) {}
    virtual ~Device() = default;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Ends the input frame: the current state becomes the previous one.
    virtual void update() {}
    virtual float value(int control) = 0;
    virtual float change(int control) = 0;
    // Kept for the interface: nothing in this system asks these two.
    virtual bool reserved_flag() { return true; }
    virtual int reserved_count() { return 4; }
    // Text typed during this input frame, or null when the device has none.
    virtual const wchar_t* typed_text() { return nullptr; }

    int kind;  // keyboard_kind or mouse_kind
    int index; // number within its kind
};

// Controls: 0 x, 1 y, 2 wheel / 120, 3 left, 4 right, 5 middle button; others read 0.
class DeviceMouse final : public Device {
public:
    DeviceMouse() : Device(mouse_kind, 0) {}
    void update() override;
    float value(int control) override;
    float change(int control) override;

    bool buttons[8] = {}; // [0] left, [1] middle, [2] right
    float x = 0, y = 0, wheel = 0;
    float dx = 0, dy = 0, dwheel = 0;
    bool previous_buttons[8] = {};
    float last_x = -1, last_y = -1; // negative: no motion event yet
    float last_wheel = -1;

private:
    float transition(int button) const;
};

constexpr int keyboard_controls = 255;
// The keyboard control of the Escape key.
constexpr int escape_control = 36;

// Past the key codes, controls for keys that the key-code map folds together or never sees: every
// character of the keyboard callback by its own value (Space is not 'a' here), and the special
// keys (function, arrow and editing keys) by the window system's number for them.
constexpr int character_controls_first = 256;
constexpr int special_controls_first = 512;
constexpr int special_keys = 128;
constexpr int character_control(unsigned char key) { return character_controls_first + key; }
// Special keys numbered 0..127; other numbers have no control and read 0.
constexpr int special_control(int key) { return special_controls_first + key; }
// GLUT's numbers of the special keys the demo binds.
constexpr int special_key_f11 = 11;
constexpr int special_key_f12 = 12;

// Controls are key codes 0..254 (see key_code), then the character and special-key controls
// above; others read 0.
class DeviceKeyboard final : public Device {
public:
    DeviceKeyboard() : Device(keyboard_kind, 0) {}
    void update() override;
    float value(int control) override;
    float change(int control) override;
    const wchar_t* typed_text() override;

    bool current[keyboard_controls] = {}; // pressed (or auto-repeated) in this input frame
    bool previous[keyboard_controls] = {};
    std::wstring text;
    bool text_taken = false;
    // Characters then special keys, indexed by control - character_controls_first.
    static constexpr int wide_controls = special_controls_first + special_keys - character_controls_first;
    bool wide_current[wide_controls] = {};
    bool wide_previous[wide_controls] = {};

private:
    // A control's state in this input frame or the one before; null for a control that has none.
    const bool* state_of(int control, bool previous_frame) const;
};

// Letters to 0..25, '1'..'9' to 26..34, '0' to 35, Escape to 36; every other key to 0.
int key_code(unsigned char key);

} // namespace quor::input
