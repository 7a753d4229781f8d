#include "gl_recorder.h"

#include "gl_api.h"

std::vector<GlCall> glCalls;
std::uint64_t glMipmapChecksum = 0;

namespace {
GLuint nextTextureName = 1;
void Record(const char* name, std::vector<double> args = {}) { glCalls.push_back({name, std::move(args)}); }
}  // namespace

void ResetGlRecorder() {
    glCalls.clear();
    glMipmapChecksum = 0;
    nextTextureName = 1;
}

std::vector<std::string> GlCallNames(std::size_t from, std::size_t to) {
    std::vector<std::string> names;
    for (std::size_t i = from; i < glCalls.size() && i < to; ++i) names.push_back(glCalls[i].name);
    return names;
}

extern "C" {
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Record("Viewport", {double(x), double(y), double(w), double(h)});
}
void glMatrixMode(GLenum mode) { Record("MatrixMode", {double(mode)}); }
void glLoadIdentity() { Record("LoadIdentity"); }
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    Record("Perspective", {fovy, aspect, zNear, zFar});
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { Record("Translate", {x, y, z}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { Record("ClearColor", {r, g, b, a}); }
void glClear(GLbitfield mask) { Record("Clear", {double(mask)}); }
void glGenTextures(GLsizei n, GLuint* names) {
    for (GLsizei i = 0; i < n; ++i) names[i] = nextTextureName++;
    Record("GenTextures", {double(n), double(names[0])});
}
void glDeleteTextures(GLsizei n, const GLuint* names) { Record("DeleteTextures", {double(n), double(names[0])}); }
void glBindTexture(GLenum target, GLuint name) { Record("BindTexture", {double(target), double(name)}); }
void glTexParameterf(GLenum target, GLenum pname, GLfloat value) {
    Record("TexParameterf", {double(target), double(pname), value});
}
void glPixelStorei(GLenum pname, GLint value) { Record("PixelStorei", {double(pname), double(value)}); }
GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint w, GLint h, GLenum format, GLenum type,
                        const void* data) {
    // BGR rows padded to 4 bytes, as the unpack alignment promises.
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    for (std::size_t i = 0; i < stride * static_cast<std::size_t>(h); ++i) glMipmapChecksum += bytes[i];
    Record("Build2DMipmaps", {double(target), double(components), double(w), double(h), double(format), double(type)});
    return 0;
}
void glEnable(GLenum cap) { Record("Enable", {double(cap)}); }
void glBlendFunc(GLenum s, GLenum d) { Record("BlendFunc", {double(s), double(d)}); }
void glPushMatrix() { Record("PushMatrix"); }
void glPopMatrix() { Record("PopMatrix"); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { Record("Rotate", {a, x, y, z}); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { Record("Scale", {x, y, z}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { Record("Color", {r, g, b}); }
void glBegin(GLenum mode) { Record("Begin", {double(mode)}); }
void glEnd() { Record("End"); }
void glTexCoord2f(GLfloat s, GLfloat t) { Record("TexCoord", {s, t}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { Record("Vertex", {x, y, z}); }
}
