// Our window inside another program's window, as screensaver helpers want it:
// the window that XScreenSaver hands its display programs in
// XSCREENSAVER_WINDOW, or a window a helper reparents ours into.
#pragma once

#include <X11/Xlib.h>

#include "platform/window_system.h"

// The window named by XSCREENSAVER_WINDOW ("0x1a00003" or decimal), if it
// exists on `display`; else 0.
Window screensaver_window_from_environment(Display* display);

// Puts `window` into `parent` as a child that covers it from (0,0), out of
// any window manager's hands, mapped and on top of its siblings.
void embed_window(Display* display, Window window, Window parent);

// Looks at where `window` is now. Inside another program's window (a parent
// other than the root while no window manager manages the window), it is
// mapped again if something unmapped it, and resized to cover its parent.
window_place follow_embedding(Display* display, Window window);
