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

extern "C" {

void glPointSize(GLfloat size) {
    static auto f = real<void (*)(GLfloat)>("glPointSize");
    note(GlCall::PointSize, size);
    f(size);
}

void glLineWidth(GLfloat width) {
    static auto f = real<void (*)(GLfloat)>("glLineWidth");
    note(GlCall::LineWidth, width);
    f(width);
}

GLuint glGenLists(GLsizei range) {
    static auto f = real<GLuint (*)(GLsizei)>("glGenLists");
    GLuint name = f(range);
    note(GlCall::GenLists, name);
    return name;
}

void glNewList(GLuint list, GLenum mode) {
    static auto f = real<void (*)(GLuint, GLenum)>("glNewList");
    note(GlCall::NewList, list);
    f(list, mode);
}

void glEndList() {
    static auto f = real<void (*)()>("glEndList");
    note(GlCall::EndList, 0);
    f();
    if (end_list_hook) end_list_hook();
}

void glDeleteLists(GLuint list, GLsizei range) {
    static auto f = real<void (*)(GLuint, GLsizei)>("glDeleteLists");
    note(GlCall::DeleteLists, list);
    f(list, range);
}

void glEnable(GLenum cap) {
    static auto f = real<void (*)(GLenum)>("glEnable");
    note(GlCall::Enable, cap);
    f(cap);
}

void glDisable(GLenum cap) {
    static auto f = real<void (*)(GLenum)>("glDisable");
    note(GlCall::Disable, cap);
    f(cap);
}

}  // extern "C"
