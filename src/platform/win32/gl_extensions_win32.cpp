// OpenGL past version 1.1 on Windows: opengl32.dll exports 1.1 only, and the
// driver hands out the later functions through wglGetProcAddress, for the
// context current at the time. The program makes one context for its run,
// so each function is looked up once, on its first call.
#include <windows.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

template <typename F>
F driver_function(F& cached, const char* name) {
    if (!cached) cached = reinterpret_cast<F>(reinterpret_cast<void*>(wglGetProcAddress(name)));
    return cached;
}

}  // namespace

#define FORWARD(ret, name, params, args)                         \
    ret APIENTRY name params {                                   \
        static ret(APIENTRY * f) params = nullptr;               \
        return driver_function(f, #name) args;                   \
    }

FORWARD(void, glGenFramebuffers, (GLsizei n, GLuint* ids), (n, ids))
FORWARD(void, glDeleteFramebuffers, (GLsizei n, const GLuint* ids), (n, ids))
FORWARD(void, glBindFramebuffer, (GLenum target, GLuint id), (target, id))
FORWARD(GLenum, glCheckFramebufferStatus, (GLenum target), (target))
FORWARD(void, glFramebufferRenderbuffer,
        (GLenum target, GLenum attachment, GLenum renderbuffer_target, GLuint renderbuffer),
        (target, attachment, renderbuffer_target, renderbuffer))
FORWARD(void, glGenRenderbuffers, (GLsizei n, GLuint* ids), (n, ids))
FORWARD(void, glDeleteRenderbuffers, (GLsizei n, const GLuint* ids), (n, ids))
FORWARD(void, glBindRenderbuffer, (GLenum target, GLuint id), (target, id))
FORWARD(void, glRenderbufferStorage, (GLenum target, GLenum format, GLsizei width, GLsizei height),
        (target, format, width, height))
FORWARD(void, glWindowPos2i, (GLint x, GLint y), (x, y))
