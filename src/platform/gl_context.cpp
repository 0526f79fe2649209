// GLX stays in the platform layer: the scenery sees plain values.
#include "platform/gl_context.h"

#include <GL/gl.h>
#include <GL/glx.h>

bool gl_context_current() { return glGetString(GL_VERSION) != nullptr; }

gl_context_id current_gl_context() {
    return {glXGetCurrentContext(), (unsigned long)glXGetCurrentDrawable()};
}

bool same_gl_context(const gl_context_id& a, const gl_context_id& b) {
    return a.context != nullptr && a.context == b.context && a.drawable == b.drawable;
}
