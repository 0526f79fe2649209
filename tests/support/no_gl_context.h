// Releases the current OpenGL context for a while, as a thread without one
// sees it; the context is made current again when the object goes away.
#pragma once

class NoGlContext {
  public:
    NoGlContext();
    ~NoGlContext();
    bool released() const { return released_; }
  private:
    void* display_ = nullptr;
    void* context_ = nullptr;
    unsigned long drawable_ = 0;
    bool released_ = false;
};
