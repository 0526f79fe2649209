// Our in-process graphics start-up for the 7.x BOINC API, which declares
// boinc_init_graphics but no longer implements it.
//
// The display runs in the module tidewrack_display.so (display_module.h):
// its host owns the window and the event loop and calls the program's
// callbacks (host_callbacks.h).
#pragma once

// Initialises the BOINC runtime on a new worker thread, which runs worker()
// at idle priority. Returns the framework's error code at once if that fails;
// otherwise runs the graphics event loop on the calling thread and returns 0
// when it ends (the window was closed, standalone). Under a client, or with
// no usable display or display module, it never returns: the worker ends
// the process through boinc_finish.
int boinc_init_graphics(void (*worker)());
