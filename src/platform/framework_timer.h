// Holding off the framework's timer from the worker thread for a moment. The
// timer suspends the worker: on POSIX systems its signal sleeps on the
// worker's thread, on Windows its own thread suspends the worker's.
#pragma once

// Worker thread: no suspend takes hold between these two calls (one pair at a
// time, not nested); a suspend that arrives meanwhile takes hold after.
void hold_framework_timer();
void release_framework_timer();
