// The graphics host as a program of its own, beside the computation: the
// same window, input, throttling and callbacks as the in-process display,
// started by a client's "Show graphics" (a window) or by a screensaver
// (--fullscreen, or a window that the screensaver embeds in its own).
#pragma once

// Runs the window on the calling thread until the program should end, and
// returns the exit status: 0 when the window was closed or destroyed, input
// ended full screen, or `step` returned false; 1 when no display can be
// opened. `step` is called on every tick (30 ms), shown or not, before any
// frame. The window carries WM_COMMAND = argv and WM_CLASS with the instance
// name basename(argv[0]), by which screensaver helpers find it.
int run_graphics_program(int argc, char** argv, bool fullscreen, bool (*step)(double now));
