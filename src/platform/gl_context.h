// Which OpenGL context is current, for the texture loader: textures belong to
// the context they were made in, and the framework's loader needs one current.
#pragma once

// True while some OpenGL context is current on this thread.
bool gl_context_current();

// Identifies the current context. Windows share one context while they can,
// so a texture outlives its window; a context made anew gets a new serial
// even if it lands at a reused address.
struct gl_context_id {
    const void* context;
    unsigned serial;
};
gl_context_id current_gl_context();
bool same_gl_context(const gl_context_id& a, const gl_context_id& b);

// Called by the window host when a new window did not get the context that
// was current before it.
void note_new_gl_context();
