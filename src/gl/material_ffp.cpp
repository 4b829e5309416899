// Fixed-function material: the whole state its triangles rely on, set in one pass.
#include "gl/material_ffp.h"

#include "gl/api.h"
#include "gl/immediate.h"
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

namespace {

// Sets one material property through colour tracking. Mesa defers a colour sent outside
// glBegin/glEnd until the current colour is next needed, by which time the next glColorMaterial
// has moved tracking on, so the colour would land on the wrong property (and ambient on none).
// Reading the current colour back commits it while its own property is tracked.
void track(GLenum property, const color4ub& colour)
{
    api.ColorMaterial(GL_FRONT_AND_BACK, property);
    send_color(colour);
    GLfloat committed[4];
    api.GetFloatv(GL_CURRENT_COLOR, committed);
}

} // namespace

void material_ffp::apply(render_device&)
{
    // The colour last sent stays current with GL_EMISSION tracked, so uncoloured vertices
    // that follow keep the emission colour.
    api.Enable(GL_COLOR_MATERIAL);
    track(GL_AMBIENT, ambient_);
    track(GL_DIFFUSE, diffuse_);
    track(GL_SPECULAR, specular_);
    track(GL_EMISSION, emission_);

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
