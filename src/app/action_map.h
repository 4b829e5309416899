// Named actions over device controls: an application binds names to controls once and asks
// by name each frame whether an action is on, was just pressed, or what value it has.
#pragma once

#include <map>
#include <string>

#include "app/device.h"

namespace quor::input {

class DeviceManager;

struct ActionSource {
    Device* device = nullptr; // not owned; a source without a device is skipped by the queries
    int control = 0;
    float dead_zone = 0.0f;   // |value| at or below it reads as 0 in `value`
    float threshold = 0.0f;   // |value| above it is "on"
};

class ActionMap {
public:
    explicit ActionMap(DeviceManager* manager) : manager_(manager) {}

    // Adds a source under the name, after those already there.
    void bind(const std::string& name, const ActionSource& source);

    // Some source reads beyond +-threshold. False for a name without sources.
    bool active(const std::string& name) const;
    bool inactive(const std::string& name) const { return !active(name); }
    // Some source is above the threshold now and was not before this input frame's change.
    bool pressed(const std::string& name) const;
    // Largest value over the sources (0 inside the dead zone); -infinity without a source.
    float value(const std::string& name) const;
    float value_signed(const std::string& name) const { return value(name) * 2 - 1; }
    // Sum of changes divided by the number of sources, device-less ones included; 0 for a
    // name without sources.
    float change_mean(const std::string& name) const;

    DeviceManager* device_manager() const { return manager_; }

private:
    // Calls visit for each source under the name that has a device, in binding order; returns
    // the number of sources under the name, device-less ones included.
    template <class Visit>
    int for_each_source(const std::string& name, Visit visit) const;

    std::multimap<std::string, ActionSource> sources_;
    DeviceManager* manager_;
};

} // namespace quor::input
