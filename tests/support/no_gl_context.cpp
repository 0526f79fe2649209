#include "no_gl_context.h"

#include <GL/glx.h>

NoGlContext::NoGlContext() {
    Display* display = glXGetCurrentDisplay();
    display_ = display;
    context_ = glXGetCurrentContext();
    drawable_ = glXGetCurrentDrawable();
    released_ = display && context_ && glXMakeCurrent(display, None, nullptr);
}

NoGlContext::~NoGlContext() {
    if (released_) glXMakeCurrent((Display*)display_, drawable_, (GLXContext)context_);
}
