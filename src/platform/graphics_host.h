// The graphics host's internal seams between its files: the display
// module's entry (display_module.cpp), window and event loop
// (graphics_host.cpp) and input (window_input.cpp). Graphics thread only,
// except where a line says so.
#pragma once

// Runs the window and event loop on the calling thread. Returns when the
// loop ends (standalone: the user closed the window); with no usable display
// it never returns and the worker runs alone.
void run_graphics_host();

// Processor seconds the process has spent outside the worker thread (all of
// them in a process without one).
double display_cpu_seconds();

// Full screen or blank screen is showing: input without Control ends it.
bool screensaver_showing();
// Input made without Control: leave full screen at the next tick.
void end_screensaver();

// Registers the input callbacks on the current window and forgets the input
// state of the previous one.
void attach_input_to_window();
