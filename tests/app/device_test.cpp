// Mouse, keyboard and device manager: key map, normalisation, transitions and roll-over.
#include <gtest/gtest.h>

#include "app/device_manager.h"

namespace {

using quor::input::DeviceManager;

quor::system::creation_params params640()
{
    quor::system::creation_params p;
    p.width = 640;
    p.height = 480;
    return p;
}

TEST(KeyCode, MapsLettersDigitsAndEscape)
{
    using quor::input::key_code;
    EXPECT_EQ(key_code(27), 36);
    EXPECT_EQ(key_code('q'), 16);
    EXPECT_EQ(key_code('Q'), 16);
    EXPECT_EQ(key_code('a'), 0);
    EXPECT_EQ(key_code('z'), 25);
    EXPECT_EQ(key_code('1'), 26);
    EXPECT_EQ(key_code('9'), 34);
    EXPECT_EQ(key_code('0'), 35);
    EXPECT_EQ(key_code('#'), 0);
    EXPECT_EQ(key_code(255), 0);
}

TEST(DeviceManager, FindsDevicesByKindAndIndex)
{
    auto p = params640();
    DeviceManager m(p);
    EXPECT_EQ(m.find(0, 0), &m.keyboard());
    EXPECT_EQ(m.find(1, 0), &m.mouse());
    EXPECT_EQ(m.find(0, 1), nullptr);
    EXPECT_EQ(m.find(2, 0), nullptr);
}

TEST(Keyboard, KeyIsDownOnlyInTheFrameOfItsEvent)
{
    auto p = params640();
    DeviceManager m(p);
    auto& kb = m.keyboard();
    m.on_key(27);
    EXPECT_EQ(kb.value(36), 1.0f);
    EXPECT_EQ(kb.change(36), 1.0f);
    m.update();
    EXPECT_EQ(kb.value(36), 0.0f);
    EXPECT_EQ(kb.change(36), -1.0f);
    m.on_key(27); // auto-repeat in consecutive frames
    m.update();
    m.on_key(27);
    EXPECT_EQ(kb.value(36), 1.0f);
    EXPECT_EQ(kb.change(36), 0.0f);
    m.update();
    m.update();
    EXPECT_EQ(kb.value(36), 0.0f);
    EXPECT_EQ(kb.change(36), 0.0f);
    m.on_key('#');
    EXPECT_EQ(kb.value(0), 1.0f) << "unlisted keys land on the code of 'a'";
    EXPECT_EQ(kb.value(-1), 0.0f);
    EXPECT_EQ(kb.value(255), 0.0f);
}

TEST(Keyboard, CharactersAndSpecialKeysHaveControlsOfTheirOwnBesideTheKeyCodes)
{
    using namespace quor::input;
    auto p = params640();
    DeviceManager m(p);
    auto& kb = m.keyboard();
    m.on_key(' ');
    EXPECT_EQ(kb.value(0), 1.0f) << "the key code stays that of 'a'";
    EXPECT_EQ(kb.value(character_control(' ')), 1.0f);
    EXPECT_EQ(kb.value(character_control('a')), 0.0f);
    m.on_special_key(special_key_f12);
    m.on_special_key(-1);
    m.on_special_key(special_keys);
    EXPECT_EQ(kb.value(special_control(special_key_f12)), 1.0f);
    EXPECT_EQ(kb.change(special_control(special_key_f12)), 1.0f);
    EXPECT_EQ(kb.value(special_control(special_key_f11)), 0.0f);
    EXPECT_EQ(kb.value(36), 0.0f);
    m.update();
    EXPECT_EQ(kb.value(special_control(special_key_f12)), 0.0f);
    EXPECT_EQ(kb.change(special_control(special_key_f12)), -1.0f);
    EXPECT_EQ(kb.change(character_control(' ')), -1.0f);
    EXPECT_EQ(kb.value(special_control(special_keys)), 0.0f);
    EXPECT_EQ(kb.value(keyboard_controls), 0.0f);
}

TEST(Keyboard, TypedTextClearsAtRollOverOnceTaken)
{
    auto p = params640();
    DeviceManager m(p);
    auto& kb = m.keyboard();
    kb.text = L"hi";
    m.update();
    EXPECT_EQ(kb.text, L"hi") << "not taken yet";
    EXPECT_STREQ(kb.typed_text(), L"hi");
    m.update();
    EXPECT_TRUE(kb.text.empty());
}

TEST(Mouse, PositionIsNormalisedByTheReferenceSize)
{
    auto p = params640();
    DeviceManager m(p);
    auto& mouse = m.mouse();
    m.on_motion(1279, 240);
    EXPECT_FLOAT_EQ(mouse.value(0), 1.9984375f);
    EXPECT_FLOAT_EQ(mouse.value(1), 0.5f);
    EXPECT_EQ(mouse.change(0), 0.0f) << "first motion event gives no change";
    EXPECT_EQ(mouse.change(1), 0.0f);
    m.on_motion(640, 0);
    m.on_motion(320, 48);
    EXPECT_FLOAT_EQ(mouse.change(0), -0.5f) << "change between the last two events only";
    EXPECT_FLOAT_EQ(mouse.change(1), 0.1f);
    m.update();
    EXPECT_EQ(mouse.change(0), 0.0f);
    EXPECT_FLOAT_EQ(mouse.value(0), 0.5f);
    EXPECT_EQ(mouse.value(2), 0.0f);
    EXPECT_EQ(mouse.value(9), 0.0f);
}

TEST(Mouse, ButtonTransitionsPerButton)
{
    auto p = params640();
    DeviceManager m(p);
    auto& mouse = m.mouse();
    m.on_button(0, 0); // left down
    EXPECT_EQ(mouse.value(3), 1.0f);
    EXPECT_EQ(mouse.change(3), 1.0f);
    m.update();
    m.on_button(1, 0); // middle down: control 5, not 3
    EXPECT_EQ(mouse.change(3), 0.0f);
    EXPECT_EQ(mouse.value(3), 1.0f);
    EXPECT_EQ(mouse.value(5), 1.0f);
    EXPECT_EQ(mouse.change(5), 1.0f);
    m.update();
    m.on_button(0, 1); // left up
    EXPECT_EQ(mouse.change(3), -1.0f);
    m.on_button(2, 0);
    EXPECT_EQ(mouse.value(4), 1.0f);
    m.on_button(3, 0); // wheel-as-button and others are ignored
    m.on_button(-1, 0);
    EXPECT_EQ(mouse.buttons[3], false);
}

} // namespace
