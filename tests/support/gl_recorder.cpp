// Recording table for the OpenGL seam; one recorder is active at a time.
#include "gl_recorder.h"

#include <cstdint>

namespace quor::test {

namespace {

gl_recorder* active = nullptr;

void rec(const char* name, std::vector<double> args)
{
    if (active)
        active->calls.emplace_back(name, std::move(args));
}

std::vector<double> with_floats(std::vector<double> head, const float* p, int n)
{
    for (int i = 0; i < n; ++i)
        head.push_back(p ? p[i] : 0.0);
    return head;
}

double address(const void* p) { return static_cast<double>(reinterpret_cast<std::uintptr_t>(p)); }

gl::api_table recording_api()
{
    gl::api_table t{};
    t.Enable = [](GLenum c) { rec("glEnable", {double(c)}); };
    t.Disable = [](GLenum c) { rec("glDisable", {double(c)}); };
    t.ShadeModel = [](GLenum m) { rec("glShadeModel", {double(m)}); };
    t.DepthMask = [](GLboolean f) { rec("glDepthMask", {double(f)}); };
    t.DepthFunc = [](GLenum f) { rec("glDepthFunc", {double(f)}); };
    t.DepthRange = [](GLclampd n, GLclampd f) { rec("glDepthRange", {n, f}); };
    t.FrontFace = [](GLenum m) { rec("glFrontFace", {double(m)}); };
    t.CullFace = [](GLenum m) { rec("glCullFace", {double(m)}); };
    t.ClearColor = [](GLclampf r, GLclampf g, GLclampf b, GLclampf a) { rec("glClearColor", {r, g, b, a}); };
    t.Clear = [](GLbitfield m) { rec("glClear", {double(m)}); };
    t.Viewport = [](GLint x, GLint y, GLsizei w, GLsizei h) { rec("glViewport", {double(x), double(y), double(w), double(h)}); };
    t.Lightfv = [](GLenum l, GLenum p, const GLfloat* v) { rec("glLightfv", with_floats({double(l), double(p)}, v, 4)); };
    t.LightModelfv = [](GLenum p, const GLfloat* v) { rec("glLightModelfv", with_floats({double(p)}, v, 4)); };
    t.LightModeli = [](GLenum p, GLint v) { rec("glLightModeli", {double(p), double(v)}); };
    t.BlendFunc = [](GLenum s, GLenum d) { rec("glBlendFunc", {double(s), double(d)}); };
    t.LineWidth = [](GLfloat w) { rec("glLineWidth", {w}); };
    t.PointSize = [](GLfloat s) { rec("glPointSize", {s}); };
    t.MatrixMode = [](GLenum m) { rec("glMatrixMode", {double(m)}); };
    t.Begin = [](GLenum m) { rec("glBegin", {double(m)}); };
    t.End = [] { rec("glEnd", {}); };
    t.Vertex3f = [](GLfloat x, GLfloat y, GLfloat z) { rec("glVertex3f", {x, y, z}); };
    t.Color4ub = [](GLubyte r, GLubyte g, GLubyte b, GLubyte a) { rec("glColor4ub", {double(r), double(g), double(b), double(a)}); };
    t.ColorMaterial = [](GLenum f, GLenum m) { rec("glColorMaterial", {double(f), double(m)}); };
    t.AlphaFunc = [](GLenum f, GLclampf r) { rec("glAlphaFunc", {double(f), r}); };
    t.TexEnvi = [](GLenum t_, GLenum p, GLint v) { rec("glTexEnvi", {double(t_), double(p), double(v)}); };
    t.GenTextures = [](GLsizei n, GLuint* names) {
        rec("glGenTextures", {double(n)});
        if (active && active->generate_names)
            for (GLsizei i = 0; i < n; ++i)
                names[i] = active->next_texture_name++;
    };
    t.DeleteTextures = [](GLsizei n, const GLuint* names) {
        std::vector<double> args{double(n)};
        args.insert(args.end(), names, names + n);
        rec("glDeleteTextures", args);
    };
    t.BindTexture = [](GLenum t_, GLuint n) { rec("glBindTexture", {double(t_), double(n)}); };
    t.PixelStorei = [](GLenum p, GLint v) { rec("glPixelStorei", {double(p), double(v)}); };
    t.TexParameteri = [](GLenum t_, GLenum p, GLint v) { rec("glTexParameteri", {double(t_), double(p), double(v)}); };
    t.TexImage2D = [](GLenum t_, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum ty, const GLvoid* p) {
        rec("glTexImage2D", {double(t_), double(l), double(i), double(w), double(h), double(b), double(f), double(ty), address(p)});
    };
    t.ReadPixels = [](GLint x, GLint y, GLsizei w, GLsizei h, GLenum f, GLenum ty, GLvoid* p) {
        rec("glReadPixels", {double(x), double(y), double(w), double(h), double(f), double(ty), address(p)});
    };
    t.ReadBuffer = [](GLenum m) { rec("glReadBuffer", {double(m)}); };
    t.Finish = [] { rec("glFinish", {}); };
    t.GetFloatv = [](GLenum p, GLfloat* v) {
        rec("glGetFloatv", {double(p)});
        v[0] = v[1] = v[2] = v[3] = 0.0f;
    };
    t.ActiveTexture = [](GLenum u) { rec("glActiveTexture", {double(u)}); };
    t.MultiTexCoord2f = [](GLenum u, GLfloat s, GLfloat t_) { rec("glMultiTexCoord2f", {double(u), s, t_}); };
    t.CompressedTexImage2D = [](GLenum t_, GLint l, GLenum f, GLsizei w, GLsizei h, GLint b, GLsizei n, const GLvoid* d) {
        rec("glCompressedTexImage2D",
            {double(t_), double(l), double(f), double(w), double(h), double(b), double(n), address(d)});
    };
    t.LoadTransposeMatrixf = [](const GLfloat* m) { rec("glLoadTransposeMatrixf", with_floats({}, m, 16)); };
    t.BlendEquation = [](GLenum m) { rec("glBlendEquation", {double(m)}); };
    return t;
}

} // namespace

std::ostream& operator<<(std::ostream& os, const gl_call& call)
{
    os << call.name << '(';
    for (std::size_t i = 0; i < call.args.size(); ++i)
        os << (i ? ", " : "") << call.args[i];
    return os << ')';
}

gl_recorder::gl_recorder() : previous_(gl::api)
{
    active = this;
    gl::api = recording_api();
}

gl_recorder::~gl_recorder()
{
    gl::api = previous_;
    active = nullptr;
}

std::vector<gl_call> gl_recorder::named(const std::string& name) const
{
    std::vector<gl_call> out;
    for (const auto& c : calls)
        if (c.name == name)
            out.push_back(c);
    return out;
}

gl::api_table null_api()
{
    gl::api_table t{};
    t.Enable = t.Disable = t.ShadeModel = t.DepthFunc = t.FrontFace = t.CullFace = t.MatrixMode =
        t.Begin = t.ActiveTexture = t.BlendEquation = t.ReadBuffer = [](GLenum) {};
    t.DepthMask = [](GLboolean) {};
    t.DepthRange = [](GLclampd, GLclampd) {};
    t.ClearColor = [](GLclampf, GLclampf, GLclampf, GLclampf) {};
    t.Clear = [](GLbitfield) {};
    t.Viewport = [](GLint, GLint, GLsizei, GLsizei) {};
    t.Lightfv = [](GLenum, GLenum, const GLfloat*) {};
    t.LightModelfv = [](GLenum, const GLfloat*) {};
    t.LightModeli = [](GLenum, GLint) {};
    t.BlendFunc = t.ColorMaterial = [](GLenum, GLenum) {};
    t.LineWidth = t.PointSize = [](GLfloat) {};
    t.End = t.Finish = [] {};
    t.GetFloatv = [](GLenum, GLfloat* v) { v[0] = v[1] = v[2] = v[3] = 0.0f; };
    t.Vertex3f = [](GLfloat, GLfloat, GLfloat) {};
    t.Color4ub = [](GLubyte, GLubyte, GLubyte, GLubyte) {};
    t.AlphaFunc = [](GLenum, GLclampf) {};
    t.TexEnvi = t.TexParameteri = [](GLenum, GLenum, GLint) {};
    t.GenTextures = [](GLsizei, GLuint*) {};
    t.DeleteTextures = [](GLsizei, const GLuint*) {};
    t.BindTexture = [](GLenum, GLuint) {};
    t.PixelStorei = [](GLenum, GLint) {};
    t.TexImage2D = [](GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const GLvoid*) {};
    t.ReadPixels = [](GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid*) {};
    t.MultiTexCoord2f = [](GLenum, GLfloat, GLfloat) {};
    t.CompressedTexImage2D = [](GLenum, GLint, GLenum, GLsizei, GLsizei, GLint, GLsizei, const GLvoid*) {};
    t.LoadTransposeMatrixf = [](const GLfloat*) {};
    return t;
}

} // namespace quor::test
