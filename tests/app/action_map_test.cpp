// Named actions over a scripted device.
#include <gtest/gtest.h>

#include <cmath>

#include "app/action_map.h"

namespace {

using quor::input::ActionMap;
using quor::input::ActionSource;

struct scripted_device final : quor::input::Device {
    scripted_device() : Device(0, 0) {}
    float values[4] = {};
    float changes[4] = {};
    float value(int c) override { return values[c]; }
    float change(int c) override { return changes[c]; }
};

TEST(ActionMap, ActiveLooksAtMagnitudeBeyondThreshold)
{
    scripted_device d;
    ActionMap map(nullptr);
    map.bind("exit", {&d, 1, 0.05f, 0.05f});
    EXPECT_FALSE(map.active("exit"));
    EXPECT_TRUE(map.inactive("exit"));
    d.values[1] = 1.0f;
    EXPECT_TRUE(map.active("exit"));
    d.values[1] = -0.5f;
    EXPECT_TRUE(map.active("exit"));
    d.values[1] = 0.05f;
    EXPECT_FALSE(map.active("exit")) << "at the threshold is not beyond it";
}

TEST(ActionMap, PressedOnlyOnTheRisingFrame)
{
    scripted_device d;
    ActionMap map(nullptr);
    map.bind("fire", {&d, 0, 0.0f, 0.5f});
    d.values[0] = 1.0f;
    d.changes[0] = 1.0f;
    EXPECT_TRUE(map.pressed("fire"));
    d.changes[0] = 0.0f; // held
    EXPECT_FALSE(map.pressed("fire"));
    EXPECT_TRUE(map.active("fire"));
}

TEST(ActionMap, ValueTakesLargestOutsideDeadZone)
{
    scripted_device a, b;
    ActionMap map(nullptr);
    map.bind("axis", {&a, 0, 0.2f, 0.5f});
    map.bind("axis", {&b, 0, 0.2f, 0.5f});
    a.values[0] = 0.1f; // inside the dead zone: reads 0
    b.values[0] = -0.3f;
    EXPECT_EQ(map.value("axis"), 0.0f);
    a.values[0] = 0.7f;
    EXPECT_FLOAT_EQ(map.value("axis"), 0.7f);
    EXPECT_FLOAT_EQ(map.value_signed("axis"), 0.4f);
}

TEST(ActionMap, NullDeviceSourceIsSkippedButCountedInChangeMean)
{
    scripted_device d;
    ActionMap map(nullptr);
    map.bind("jump", {nullptr, 0, 0.0f, 0.5f});
    map.bind("jump", {&d, 2, 0.0f, 0.5f});
    d.values[2] = 1.0f;
    d.changes[2] = 1.0f;
    EXPECT_TRUE(map.active("jump"));
    EXPECT_FLOAT_EQ(map.change_mean("jump"), 0.5f);
}

TEST(ActionMap, NameWithoutSources)
{
    ActionMap map(nullptr);
    EXPECT_FALSE(map.active("none"));
    EXPECT_TRUE(map.inactive("none"));
    EXPECT_FALSE(map.pressed("none"));
    EXPECT_TRUE(std::isinf(map.value("none")) && map.value("none") < 0);
    EXPECT_TRUE(std::isinf(map.value_signed("none")) && map.value_signed("none") < 0);
    EXPECT_EQ(map.change_mean("none"), 0.0f);
}

} // namespace
