#include "gl_recorder.h"

#include <GL/gl.h>
#include <dlfcn.h>

namespace {
bool recording = false;
std::vector<GlCall> calls;
std::function<void()> end_list_hook;

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

void note(GlCall::Kind kind, double value) {
    if (recording) calls.push_back({kind, value});
}
}  // namespace

void gl_recorder_start() {
    calls.clear();
    recording = true;
}

std::vector<GlCall> gl_recorder_stop() {
    recording = false;
    return std::move(calls);
}

void gl_recorder_on_end_list(std::function<void()> hook) { end_list_hook = std::move(hook); }

std::vector<double> gl_recorded(const std::vector<GlCall>& all, GlCall::Kind kind) {
    std::vector<double> out;
    for (auto& c : all)
        if (c.kind == kind) out.push_back(c.value);
    return out;
}

// A definition that notes the call, then passes it on to the driver.
#define RECORDED_GL_CALL(name, kind, params, args, noted) \
    void name params {                                     \
        static auto f = real<void(*) params>(#name);       \
        note(GlCall::kind, noted);                         \
        f args;                                            \
    }

extern "C" {

RECORDED_GL_CALL(glPointSize, PointSize, (GLfloat size), (size), size)
RECORDED_GL_CALL(glLineWidth, LineWidth, (GLfloat width), (width), width)
RECORDED_GL_CALL(glNewList, NewList, (GLuint list, GLenum mode), (list, mode), list)
RECORDED_GL_CALL(glDeleteLists, DeleteLists, (GLuint list, GLsizei range), (list, range), list)
RECORDED_GL_CALL(glEnable, Enable, (GLenum cap), (cap), cap)
RECORDED_GL_CALL(glDisable, Disable, (GLenum cap), (cap), cap)

GLuint glGenLists(GLsizei range) {
    static auto f = real<GLuint (*)(GLsizei)>("glGenLists");
    GLuint name = f(range);
    note(GlCall::GenLists, name);
    return name;
}

void glEndList() {
    static auto f = real<void (*)()>("glEndList");
    note(GlCall::EndList, 0);
    f();
    if (end_list_hook) end_list_hook();
}

}  // extern "C"
