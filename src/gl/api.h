// The one door to OpenGL. Every GL call of the engine goes through the function table `api`,
// which production fills from libGL and the extension loader once a context is current, and
// which tests swap for a recorder. A call costs one indirect call, as a direct libGL call would.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace quor::gl {

struct api_table {
    // OpenGL 1.1, from the system library.
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    void (*ShadeModel)(GLenum mode);
    void (*DepthMask)(GLboolean flag);
    void (*DepthFunc)(GLenum func);
    void (*DepthRange)(GLclampd near_val, GLclampd far_val);
    void (*FrontFace)(GLenum mode);
    void (*CullFace)(GLenum mode);
    void (*ClearColor)(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
    void (*Clear)(GLbitfield mask);
    void (*Viewport)(GLint x, GLint y, GLsizei width, GLsizei height);
    void (*Lightfv)(GLenum light, GLenum pname, const GLfloat* params);
    void (*LightModelfv)(GLenum pname, const GLfloat* params);
    void (*LightModeli)(GLenum pname, GLint param);
    void (*BlendFunc)(GLenum sfactor, GLenum dfactor);
    void (*LineWidth)(GLfloat width);
    void (*PointSize)(GLfloat size);
    void (*MatrixMode)(GLenum mode);
    void (*Begin)(GLenum mode);
    void (*End)();
    void (*Vertex3f)(GLfloat x, GLfloat y, GLfloat z);
    void (*Color4ub)(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
    void (*ColorMaterial)(GLenum face, GLenum mode);
    void (*AlphaFunc)(GLenum func, GLclampf ref);
    void (*TexEnvi)(GLenum target, GLenum pname, GLint param);
    void (*GenTextures)(GLsizei n, GLuint* textures);
    void (*DeleteTextures)(GLsizei n, const GLuint* textures);
    void (*BindTexture)(GLenum target, GLuint texture);
    void (*PixelStorei)(GLenum pname, GLint param);
    void (*TexParameteri)(GLenum target, GLenum pname, GLint param);
    void (*TexImage2D)(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height, GLint border,
                       GLenum format, GLenum type, const GLvoid* pixels);
    void (*ReadPixels)(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                       GLvoid* pixels);
    void (*ReadBuffer)(GLenum mode);
    void (*Finish)();
    void (*GetFloatv)(GLenum pname, GLfloat* params);
    // Beyond OpenGL 1.1, from the extension loader.
    void (*ActiveTexture)(GLenum texture);
    void (*MultiTexCoord2f)(GLenum target, GLfloat s, GLfloat t);
    void (*CompressedTexImage2D)(GLenum target, GLint level, GLenum internalformat, GLsizei width,
                                 GLsizei height, GLint border, GLsizei image_size, const GLvoid* data);
    void (*LoadTransposeMatrixf)(const GLfloat* m);
    void (*BlendEquation)(GLenum mode);
};

// The table in force. Empty (all null) until `load_system_api` or a test fills it.
extern api_table api;

// Fills `api` from libGL and the extension loader. Needs a current context; returns false
// (and leaves `api` as it was) when an entry point beyond OpenGL 1.1 is missing.
bool load_system_api();

// The renderer's name as the current context reports it, for messages.
const char* renderer_name();

} // namespace quor::gl
