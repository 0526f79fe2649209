// The worker thread's handle, for the display's share of the processor time.
#pragma once

#include <windows.h>

// Set by boinc_init_graphics before the display starts; null without a worker
// (the graphics program).
extern HANDLE worker_thread_handle_for_display;
