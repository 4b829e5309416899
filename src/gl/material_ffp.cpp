// Fixed-function material: the whole state its triangles rely on, set in one pass.
#include "gl/material_ffp.h"

#include "app/render_device.h"
#include "gl/api.h"
#include "gl/texture.h"

namespace quor::gl {

bool material_ffp::add_texture(texture* tex, int param1, int param2)
{
    if (texture_count_ == max_textures)
        return false;
    textures_[texture_count_++] = texture_entry{tex, param2, param1};
    return true;
}

bool material_ffp::add_state(state* sub_state)
{
    std::unique_ptr<state> owned(sub_state);
    if (state_count_ == max_states)
        return false;
    states_[state_count_++] = std::move(owned);
    return true;
}

void material_ffp::apply(render_device& device)
{
    // The colour last sent stays current with GL_EMISSION tracked, so uncoloured vertices
    // that follow keep the emission colour.
    api.Enable(GL_COLOR_MATERIAL);
    api.ColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
    device.color(ambient_);
    api.ColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    device.color(diffuse_);
    api.ColorMaterial(GL_FRONT_AND_BACK, GL_SPECULAR);
    device.color(specular_);
    api.ColorMaterial(GL_FRONT_AND_BACK, GL_EMISSION);
    device.color(emission_);

    api.Enable(GL_ALPHA_TEST);
    api.AlphaFunc(GL_GREATER, 0.5f);

    for (int j = 0; j < texture_count_; ++j) {
        api.ActiveTexture(texture_unit(j));
        api.Enable(GL_TEXTURE_2D);
        textures_[j].tex->bind();
        api.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    for (int i = texture_count_; i < max_textures; ++i) {
        api.ActiveTexture(texture_unit(i));
        api.Disable(GL_TEXTURE_1D);
        api.Disable(GL_TEXTURE_2D);
        api.Disable(GL_TEXTURE_3D);
    }
}

} // namespace quor::gl
