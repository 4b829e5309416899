// Production side of the OpenGL seam: OpenGL 1.1 straight from libGL, the later entry points
// through GLEW. This is the only file that names GL functions directly.
#include <GL/glew.h>

#include "gl/api.h"

namespace quor::gl {

api_table api{};

bool load_system_api()
{
    // GLEW resolves every entry point of the current context; its own verdict also covers
    // window-system extensions we do not use (and fails without a GLX display), so we judge
    // by the five pointers we need instead.
    glewExperimental = GL_TRUE;
    glewInit();
    if (!glActiveTexture || !glMultiTexCoord2f || !glCompressedTexImage2D || !glLoadTransposeMatrixf ||
        !glBlendEquation)
        return false;

    api_table t{};
    t.Enable = &::glEnable;
    t.Disable = &::glDisable;
    t.ShadeModel = &::glShadeModel;
    t.DepthMask = &::glDepthMask;
    t.DepthFunc = &::glDepthFunc;
    t.DepthRange = &::glDepthRange;
    t.FrontFace = &::glFrontFace;
    t.CullFace = &::glCullFace;
    t.ClearColor = &::glClearColor;
    t.Clear = &::glClear;
    t.Viewport = &::glViewport;
    t.Lightfv = &::glLightfv;
    t.LightModelfv = &::glLightModelfv;
    t.LightModeli = &::glLightModeli;
    t.BlendFunc = &::glBlendFunc;
    t.LineWidth = &::glLineWidth;
    t.PointSize = &::glPointSize;
    t.MatrixMode = &::glMatrixMode;
    t.Begin = &::glBegin;
    t.End = &::glEnd;
    t.Vertex3f = &::glVertex3f;
    t.Color4ub = &::glColor4ub;
    t.ColorMaterial = &::glColorMaterial;
    t.AlphaFunc = &::glAlphaFunc;
    t.TexEnvi = &::glTexEnvi;
    t.GenTextures = &::glGenTextures;
    t.DeleteTextures = &::glDeleteTextures;
    t.BindTexture = &::glBindTexture;
    t.PixelStorei = &::glPixelStorei;
    t.TexParameteri = &::glTexParameteri;
    t.TexImage2D = &::glTexImage2D;
    t.ReadPixels = &::glReadPixels;
    t.ReadBuffer = &::glReadBuffer;
    t.Finish = &::glFinish;
    t.GetFloatv = &::glGetFloatv;
    t.ActiveTexture = glActiveTexture;
    t.MultiTexCoord2f = glMultiTexCoord2f;
    t.CompressedTexImage2D = glCompressedTexImage2D;
    t.LoadTransposeMatrixf = glLoadTransposeMatrixf;
    t.BlendEquation = glBlendEquation;
    api = t;
    return true;
}

const char* renderer_name() { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }

} // namespace quor::gl
