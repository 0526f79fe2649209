// Which OpenGL context is current, for the texture loader: textures belong to
// the context they were made in, and the framework's loader needs one current.
#pragma once

// True while some OpenGL context is current on this thread.
bool gl_context_current();

// Identifies the current context and the window it draws to. A recreated
// window has a new drawable even if its context lands at a reused address.
struct gl_context_id {
    const void* context;
    unsigned long drawable;
};
gl_context_id current_gl_context();
bool same_gl_context(const gl_context_id& a, const gl_context_id& b);
