// Fixed-function material: the exact call stream of apply, texture units and sub-state ownership.
#include <gtest/gtest.h>

#include <vector>

#include "app/render_device.h"
#include "gl/material_ffp.h"
#include "gl/texcoord_texgen.h"
#include "gl/texture.h"
#include "gl_recorder.h"
#include "recorded_device.h"

namespace {

using quor::color4ub;
using quor::gl::material_ffp;
using quor::gl::texture;
using quor::test::gl_call;
using quor::test::gl_recorder;
using quor::test::recorded_device;

std::vector<gl_call> colour_and_alpha_calls(color4ub a, color4ub d, color4ub s, color4ub e)
{
    auto c = [](color4ub x) { return gl_call("glColor4ub", {double(x.r), double(x.g), double(x.b), double(x.a)}); };
    // Each colour is read back (GL_CURRENT_COLOR) so that it lands on its own property.
    const gl_call commit("glGetFloatv", {0x0B00});
    return {{"glEnable", {0x0B57}},
            {"glColorMaterial", {0x0408, 0x1200}}, c(a), commit,
            {"glColorMaterial", {0x0408, 0x1201}}, c(d), commit,
            {"glColorMaterial", {0x0408, 0x1202}}, c(s), commit,
            {"glColorMaterial", {0x0408, 0x1600}}, c(e), commit,
            {"glEnable", {0x0BC0}},
            {"glAlphaFunc", {0x0204, 0.5}}};
}

void append_disabled_units(std::vector<gl_call>& calls, int from)
{
    for (int i = from; i < 8; ++i) {
        calls.push_back({"glActiveTexture", {double(0x84C0 + i)}});
        calls.push_back({"glDisable", {0x0DE0}});
        calls.push_back({"glDisable", {0x0DE1}});
        calls.push_back({"glDisable", {0x806F}});
    }
}

void append_bound_unit(std::vector<gl_call>& calls, int unit, unsigned name)
{
    calls.push_back({"glActiveTexture", {double(0x84C0 + unit)}});
    calls.push_back({"glEnable", {0x0DE1}});
    calls.push_back({"glBindTexture", {0x0DE1, double(name)}});
    calls.push_back({"glEnable", {0x0DE1}});
    calls.push_back({"glTexParameteri", {0x0DE1, 0x2802, 0x2901}});
    calls.push_back({"glTexParameteri", {0x0DE1, 0x2803, 0x2901}});
    calls.push_back({"glTexParameteri", {0x0DE1, 0x2800, 0x2601}});
    calls.push_back({"glTexParameteri", {0x0DE1, 0x2801, 0x2601}});
    calls.push_back({"glTexEnvi", {0x2300, 0x2200, 0x2100}});
}

texture created_texture(gl_recorder& rec, unsigned name)
{
    static const char block[8] = {};
    rec.next_texture_name = name;
    texture t;
    t.create_compressed(block, 4, 4, 1, 1);
    return t;
}

TEST(MaterialApply, WithoutTexturesSetsDefaultColoursAndDisablesAllEightUnits)
{
    recorded_device r;
    auto& [rec, dev] = r;
    material_ffp m;
    m.apply(dev);

    auto expected = colour_and_alpha_calls({16, 16, 16, 255}, {240, 240, 240, 255}, {0, 0, 0, 255}, {0, 0, 0, 255});
    append_disabled_units(expected, 0);
    EXPECT_EQ(rec.calls, expected);
    EXPECT_EQ(rec.named("glActiveTexture").back(), gl_call("glActiveTexture", {0x84C7}));
}

TEST(MaterialApply, OneTextureOnUnitZeroWithTheColoursSetAndTheRestDisabled)
{
    recorded_device r;
    auto& [rec, dev] = r;
    texture t = created_texture(rec, 9);
    material_ffp m;
    m.set_ambient({1, 2, 3, 4});
    m.set_diffuse({5, 6, 7, 8});
    m.set_specular({9, 10, 11, 12});
    m.set_emission({13, 14, 15, 16});
    m.add_state(new quor::gl::texcoord_texgen(0, 0));
    ASSERT_TRUE(m.add_texture(&t, 0, 0));
    rec.clear();
    m.apply(dev);

    auto expected = colour_and_alpha_calls({1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16});
    append_bound_unit(expected, 0, 9);
    append_disabled_units(expected, 1);
    EXPECT_EQ(rec.calls, expected);
}

TEST(MaterialApply, EightTexturesFillEveryUnitAndEndWithTheLastEnvironmentMode)
{
    recorded_device r;
    auto& [rec, dev] = r;
    std::vector<texture> textures;
    for (unsigned i = 0; i < 8; ++i)
        textures.push_back(created_texture(rec, 100 + i));
    material_ffp m;
    for (auto& t : textures)
        ASSERT_TRUE(m.add_texture(&t, 0, 0));
    rec.clear();
    m.apply(dev);

    auto expected = colour_and_alpha_calls({16, 16, 16, 255}, {240, 240, 240, 255}, {0, 0, 0, 255}, {0, 0, 0, 255});
    for (int i = 0; i < 8; ++i)
        append_bound_unit(expected, i, 100 + i);
    EXPECT_EQ(rec.calls, expected);
    EXPECT_EQ(rec.named("glActiveTexture").back(), gl_call("glActiveTexture", {0x84C7}));
}

TEST(MaterialApply, ATextureWithoutANameLeavesItsUnitDisabledButSetsTheEnvironment)
{
    recorded_device r;
    auto& [rec, dev] = r;
    texture nameless;
    material_ffp m;
    m.add_texture(&nameless, 0, 0);
    m.apply(dev);

    auto expected = colour_and_alpha_calls({16, 16, 16, 255}, {240, 240, 240, 255}, {0, 0, 0, 255}, {0, 0, 0, 255});
    expected.push_back({"glActiveTexture", {0x84C0}});
    expected.push_back({"glEnable", {0x0DE1}});
    expected.push_back({"glDisable", {0x0DE1}});
    expected.push_back({"glTexEnvi", {0x2300, 0x2200, 0x2100}});
    append_disabled_units(expected, 1);
    EXPECT_EQ(rec.calls, expected);
}

class counted_state final : public quor::gl::state {
public:
    explicit counted_state(int& destroyed) : destroyed_(destroyed) {}
    ~counted_state() override { ++destroyed_; }
    void apply(quor::gl::render_device&) override { ++applied; }
    int applied = 0;

private:
    int& destroyed_;
};

TEST(MaterialOwnership, DestroysExactlyTheSubStatesAddedAndNeverAppliesThem)
{
    recorded_device r;
    auto& [rec, dev] = r;
    int destroyed = 0;
    auto* sub = new counted_state(destroyed);
    {
        material_ffp m;
        ASSERT_TRUE(m.add_state(sub));
        m.apply(dev);
        EXPECT_EQ(sub->applied, 0);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(MaterialCapacity, ANinthTextureOrSubStateIsRefusedAndTheStateNotLeaked)
{
    int destroyed = 0;
    texture t;
    material_ffp m;
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(m.add_texture(&t, i, 0));
    EXPECT_FALSE(m.add_texture(&t, 8, 0));
    EXPECT_EQ(m.texture_count(), 8);

    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(m.add_state(new counted_state(destroyed)));
    EXPECT_FALSE(m.add_state(new counted_state(destroyed)));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(m.state_count(), 8);
}

} // namespace
