// The in-process display as a module: tidewrack_display.so, loaded by the
// computation at start-up with dlopen, so that the computation itself links
// no X, OpenGL, freeglut or libjpeg and starts on any host.
//
// The computation (display_loader.cpp) finds the module, looks up one C entry
// by name and calls it on the first thread once the worker runs. The module's
// frame reads the search state (core/search_state.h) of the executable: the
// executable exports its symbols, and the module's undefined references bind
// to them when it is loaded (RTLD_NOW, so a missing one fails the load with a
// clear reason instead of later).
#pragma once

#include <time.h>

// Logical name of the module: a client links it into the slot like the
// pictures; standalone it lies beside the executable.
#define DISPLAY_MODULE_NAME "tidewrack_display.so"
#define DISPLAY_MODULE_ENTRY "tidewrack_display_main"

// What the computation hands the display.
struct display_module_args {
    int size;                 // sizeof(display_module_args), checked by the module
    int have_worker_clock;    // worker_clock is valid
    clockid_t worker_clock;   // the worker thread's CPU clock: its time is not the display's
};

// Runs the display's window and event loop on the calling thread, as
// run_graphics_host does. Returns when the loop ends (standalone: the window
// was closed); with no usable display it never returns.
extern "C" void tidewrack_display_main(const display_module_args* args);
typedef void display_module_entry(const display_module_args* args);
