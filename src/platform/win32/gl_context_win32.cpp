// WGL stays in the platform layer: the scenery sees plain values.
#include "platform/gl_context.h"

#include <windows.h>

#include <GL/gl.h>

namespace {

unsigned context_serial = 0;   // written by note_new_gl_context, read by current_gl_context

}  // namespace

bool gl_context_current() { return wglGetCurrentContext() != nullptr; }

gl_context_id current_gl_context() { return {wglGetCurrentContext(), context_serial}; }

bool same_gl_context(const gl_context_id& a, const gl_context_id& b) {
    return a.context != nullptr && a.context == b.context && a.serial == b.serial;
}

void note_new_gl_context() { context_serial++; }
