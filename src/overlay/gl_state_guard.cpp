// The attribute stacks hold the state of every texture unit, the enables, the blend equation,
// the viewport and the pixel store; the active units are put back by hand.
// The overlay's GL calls are the one exception to the seam: they go straight to the GL library,
// and those past OpenGL 1.1, which not every system's library exports, through the extension
// loader's entry points, which the seam's loader has filled.
#include "overlay/gl_state_guard.h"

#include <initializer_list>

#include <GL/glew.h>

namespace quor::overlay {

gl_state_guard::gl_state_guard()
{
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active_texture);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &client_active_texture);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    for (GLint unit = units - 1; unit >= 0; --unit) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        if (unit > 0)
            glDisable(GL_TEXTURE_2D);
        for (GLenum coordinate : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R, GL_TEXTURE_GEN_Q})
            glDisable(coordinate);
    }
    glClientActiveTexture(GL_TEXTURE0);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glBlendEquation(GL_FUNC_ADD);
    glDepthMask(GL_TRUE);
}

gl_state_guard::~gl_state_guard()
{
    glPopClientAttrib();
    glPopAttrib();
    glActiveTexture(static_cast<GLenum>(active_texture));
    glClientActiveTexture(static_cast<GLenum>(client_active_texture));
}

} // namespace quor::overlay
