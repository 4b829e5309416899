// Device list, input-callback routing and the per-frame roll-over.
#include "app/device_manager.h"

namespace quor::input {

DeviceManager::DeviceManager(const system::creation_params& params)
    : reference_width(params.width), reference_height(params.height)
{
    auto mouse = std::make_unique<DeviceMouse>();
    auto keyboard = std::make_unique<DeviceKeyboard>();
    mouse_ = mouse.get();
    keyboard_ = keyboard.get();
    devices.push_back(std::move(mouse));
    devices.push_back(std::move(keyboard));
}

Device* DeviceManager::find(int kind, int index)
{
    for (auto& d : devices)
        if (d->kind == kind && d->index == index)
            return d.get();
    return nullptr;
}

void DeviceManager::update()
{
    for (auto& d : devices)
        d->update();
}

void DeviceManager::on_motion(int px, int py)
{
    DeviceMouse& m = *mouse_;
    const float x = static_cast<float>(px) / static_cast<float>(reference_width);
    const float y = static_cast<float>(py) / static_cast<float>(reference_height);
    if (m.last_x < 0) {
        m.last_x = x;
        m.last_y = y;
    } else {
        m.last_x = m.x;
        m.last_y = m.y;
    }
    m.x = x;
    m.y = y;
    m.dx = m.x - m.last_x;
    m.dy = m.y - m.last_y;
}

void DeviceManager::on_button(int button, int state)
{
    if (button < 0 || button > 2)
        return;
    mouse_->buttons[button] = (state == 0);
}

void DeviceManager::on_key(unsigned char key)
{
    keyboard_->current[key_code(key)] = true;
    keyboard_->wide_current[character_control(key) - character_controls_first] = true;
}

void DeviceManager::on_special_key(int key)
{
    if (key >= 0 && key < special_keys)
        keyboard_->wide_current[special_control(key) - character_controls_first] = true;
}

} // namespace quor::input
