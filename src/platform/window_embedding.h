// Our window inside another program's window, as screensaver helpers want it:
// the window that XScreenSaver hands its display programs in
// XSCREENSAVER_WINDOW, or a window a helper reparents ours into.
#pragma once

#include <X11/Xlib.h>

// The window named by XSCREENSAVER_WINDOW ("0x1a00003" or decimal), if it
// exists on `display`; else 0.
Window screensaver_window_from_environment(Display* display);

// Puts `window` into `parent` as a child that covers it from (0,0), out of
// any window manager's hands, mapped and on top of its siblings.
void embed_window(Display* display, Window window, Window parent);

enum embedding_state {
    WINDOW_TOP_LEVEL,   // a child of the root or of a window manager's frame
    WINDOW_EMBEDDED,    // a child of another program's window, kept mapped and filling it
    WINDOW_GONE         // destroyed, with its parent or by itself
};

// Looks at where `window` is now. Inside another program's window (a parent
// other than the root while no window manager manages the window), it is
// mapped again if something unmapped it, and resized to cover its parent.
embedding_state follow_embedding(Display* display, Window window);
