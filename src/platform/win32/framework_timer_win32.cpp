// On Windows the framework's timer thread suspends the worker's thread unless
// it is in a critical section (see framework_timer.h).
#include "platform/framework_timer.h"

#include "boinc_api.h"

void hold_framework_timer() { boinc_begin_critical_section(); }

void release_framework_timer() { boinc_end_critical_section(); }
