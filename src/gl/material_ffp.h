// Fixed-function material: four colours fed to the GL material through colour tracking,
// an alpha test at 0.5, and up to eight textures (texture i on unit i) combined by modulation.
#pragma once

#include <array>
#include <memory>

#include "gl/color.h"
#include "gl/state.h"

namespace quor::gl {

class texture;

class material_ffp final : public state {
public:
    static constexpr int max_textures = 8;
    static constexpr int max_states = 8;

    struct texture_entry {
        texture* tex = nullptr; // not owned: textures outlive their materials
        int param2 = 0;
        int param1 = 0;
    };

    material_ffp() = default;

    void set_ambient(const color4ub& c) { ambient_ = c; }
    void set_diffuse(const color4ub& c) { diffuse_ = c; }
    void set_specular(const color4ub& c) { specular_ = c; }
    void set_emission(const color4ub& c) { emission_ = c; }

    // Puts the texture on the next free unit. Refused (false) when all eight units are taken.
    bool add_texture(texture* tex, int param1, int param2);
    // Takes ownership of `sub_state` in any case; refused (false, and the state destroyed)
    // when all eight slots are taken. Sub-states are kept, never applied by the material.
    bool add_state(state* sub_state);

    // Leaves colour tracking on GL_EMISSION with the emission colour current, and unit 7 active.
    void apply(render_device& device) override;

    const color4ub& ambient() const { return ambient_; }
    const color4ub& diffuse() const { return diffuse_; }
    const color4ub& specular() const { return specular_; }
    const color4ub& emission() const { return emission_; }
    int texture_count() const { return texture_count_; }
    int state_count() const { return state_count_; }
    const texture_entry& texture_at(int i) const { return textures_[i]; }
    state* state_at(int i) const { return states_[i].get(); }

private:
    color4ub ambient_{16, 16, 16, 255};
    color4ub diffuse_{240, 240, 240, 255};
    color4ub specular_{0, 0, 0, 255};
    color4ub emission_{0, 0, 0, 255};
    int texture_count_ = 0;
    int state_count_ = 0;
    std::array<texture_entry, max_textures> textures_{};
    std::array<std::unique_ptr<state>, max_states> states_{};
};

} // namespace quor::gl
