// X properties by which other programs find our window.
#pragma once

#include <X11/Xlib.h>

// WM_COMMAND = the argument vector as received; WM_CLASS = (basename of
// argv[0], "Tidewrack").
void set_window_identity(Display* display, Window window, int argc, char** argv);
