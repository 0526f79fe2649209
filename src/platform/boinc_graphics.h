// Our in-process graphics start-up for the 7.x BOINC API, which declares
// boinc_init_graphics but no longer implements it.
//
// Host layer: it owns the window and the event loop and calls the program's
// callbacks: app_graphics_init (after each window is created, its context
// current), app_graphics_resize, app_graphics_render (throttled), the key and
// mouse callbacks, and app_graphics_reread_prefs.
#pragma once

#include "graphics2.h"

// Initialises the BOINC runtime on a new worker thread, which runs worker()
// at idle priority. Returns the framework's error code at once if that fails;
// otherwise runs the graphics event loop on the calling thread and returns 0
// when it ends (the window was closed, standalone). Under a client, or with
// no usable display, it never returns: the worker ends the process through
// boinc_finish.
int boinc_init_graphics(void (*worker)());
