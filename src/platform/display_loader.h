// The computation's side of the display module (see display_module.h).
#pragma once

#include "platform/display_module.h"

// Loads the display module and runs it on the calling thread; returns when
// its event loop ends. If the module or one of its libraries cannot be
// loaded, logs the reason once and never returns: the worker computes on
// without a display and ends the process, as with no X display at all.
// Call after the runtime is initialised (the module's place depends on
// whether a client runs us).
void run_display_module(const display_module_args& args);
